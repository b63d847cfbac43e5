#include "trains/collection/CollectionFold.h"

#include "trains/collection/CollectionModel.h"

namespace collection {

QByteArray foldText(QStringView text) {
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        QByteArray out = text.toLatin1();
        for (char &c : out)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        return out;
    }
    // Canonical decomposition puts accents apart as combining marks, which are then dropped;
    // case folding makes "ß" and "ss" and the like meet.
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_D);
    QString kept;
    kept.reserve(decomposed.size());
    for (QChar c : decomposed) {
        const auto cat = c.category();
        if (cat != QChar::Mark_NonSpacing && cat != QChar::Mark_SpacingCombining &&
            cat != QChar::Mark_Enclosing)
            kept.append(c);
    }
    return kept.toCaseFolded().toUtf8();
}

int naturalCompare(QStringView a, QStringView b) {
    const QByteArray fa = foldText(a), fb = foldText(b);
    return detail::naturalCompareFolded(detail::viewOf(fa), detail::viewOf(fb));
}

namespace detail {

int naturalCompareFolded(std::string_view a, std::string_view b) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t ea = i, eb = j;
            while (ea < a.size() && digit(a[ea]))
                ++ea;
            while (eb < b.size() && digit(b[eb]))
                ++eb;
            std::size_t sa = i, sb = j;
            while (sa < ea - 1 && a[sa] == '0')
                ++sa;
            while (sb < eb - 1 && b[sb] == '0')
                ++sb;
            if (ea - sa != eb - sb)
                return ea - sa < eb - sb ? -1 : 1;
            if (const int c = a.substr(sa, ea - sa).compare(b.substr(sb, eb - sb)))
                return c;
            i = ea;
            j = eb;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
        ++i;
        ++j;
    }
    return i < a.size() ? 1 : (j < b.size() ? -1 : 0);
}

QByteArrayView CellFolder::bytes(qsizetype row, int column) {
    QByteArrayView v;
    if (rows_.utf8At(row, column, &v))
        return v;
    scratch_ = rows_.isNullAt(row, column) ? QByteArray() : rows_.textAt(row, column).toUtf8();
    return scratch_;
}

void CellFolder::append(QByteArray &out, QByteArrayView text) {
    const qsizetype at = out.size();
    out.resize(at + text.size());
    char *d = out.data() + at;
    for (const char b : text) {
        if (static_cast<unsigned char>(b) >= 0x80) {
            out.resize(at);
            out += foldedOnce(text);
            return;
        }
        *d++ = b >= 'A' && b <= 'Z' ? char(b - 'A' + 'a') : b == kColumnBreak ? ' ' : b;
    }
}

const QByteArray &CellFolder::foldedOnce(QByteArrayView text) {
    const std::string_view key(text.data(), std::size_t(text.size()));
    auto it = seen_.find(key);
    if (it == seen_.end()) {
        QByteArray f = foldText(QString::fromUtf8(text));
        f.replace(kColumnBreak, ' ');
        it = seen_.emplace(std::string(key), std::move(f)).first;
    }
    return it->second;
}

} // namespace detail

} // namespace collection

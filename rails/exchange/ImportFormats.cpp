#include "rails/exchange/ImportFormats.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace exchange {

namespace {

// Splits "14.03.19" or "11/07/1993" into its three numbers; false for anything else.
bool numericParts(const QString &t, int parts[3], int *yearDigits = nullptr) {
    static const QRegularExpression re(
        QStringLiteral("^\\s*(\\d{1,4})\\s*[./-]\\s*(\\d{1,2})\\s*[./-]\\s*(\\d{2,4})\\.?\\s*$"));
    const auto m = re.match(t);
    if (!m.hasMatch())
        return false;
    for (int i = 0; i < 3; ++i)
        parts[i] = m.captured(i + 1).toInt();
    if (yearDigits)
        *yearDigits = int(m.capturedLength(3));
    return m.capturedLength(1) <= 2;
}

int fullYear(int year, int digits, const QDate &today) {
    if (digits > 2)
        return year;
    int y = today.year() / 100 * 100 + year;
    if (y > today.year())
        y -= 100;
    return y;
}

// Month names of the languages collectors write in, folded, long and short.
int monthFromWord(const QString &word) {
    static const QList<QPair<QString, int>> names = [] {
        QList<QPair<QString, int>> n;
        for (const auto lang : {QLocale::English, QLocale::German, QLocale::French, QLocale::Dutch,
                                QLocale::Italian, QLocale::Spanish}) {
            const QLocale l(lang);
            for (int m = 1; m <= 12; ++m) {
                n.append({foldText(l.monthName(m, QLocale::LongFormat)), m});
                n.append({foldText(l.monthName(m, QLocale::ShortFormat)), m});
                n.append({foldText(l.standaloneMonthName(m, QLocale::LongFormat)), m});
            }
        }
        n.append({QStringLiteral("sept"), 9});
        return n;
    }();
    const QString w = foldText(word);
    if (w.size() < 3)
        return 0;
    for (const auto &[name, m] : names)
        if (name == w)
            return m;
    return 0;
}

QDate wordDate(const QString &t, const QDate &today) {
    static const QRegularExpression token(QStringLiteral("(\\d+|[^\\W\\d_]+)"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    QList<int> numbers;
    QList<int> digits;
    int month = 0;
    bool monthBeforeDay = false;
    for (auto it = token.globalMatch(t); it.hasNext();) {
        const QString s = it.next().captured(1);
        if (s.front().isDigit()) {
            numbers.append(s.toInt());
            digits.append(int(s.size()));
        } else {
            const int m = monthFromWord(s);
            if (!m || month)
                return {};
            month = m;
            monthBeforeDay = numbers.isEmpty();
        }
    }
    if (!month || numbers.isEmpty() || numbers.size() > 2)
        return {};
    if (numbers.size() == 1) // "März 2019": the first of the month
        return digits[0] == 4 ? QDate(numbers[0], month, 1) : QDate();
    const int day = numbers[0];
    const int year = fullYear(numbers[1], digits[1], today);
    Q_UNUSED(monthBeforeDay);
    return QDate(year, month, day);
}

} // namespace

QString foldText(const QString &text) {
    const QString d = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(d.size());
    for (const QChar c : d)
        if (c.isLetterOrNumber())
            out += c.toLower();
    return out;
}

DateOrder detectDateOrder(const QStringList &values, DateOrder fallback) {
    int dayFirst = 0, monthFirst = 0;
    for (const QString &v : values) {
        int p[3];
        if (!numericParts(v, p))
            continue;
        dayFirst += p[0] > 12 && p[1] <= 12;
        monthFirst += p[1] > 12 && p[0] <= 12;
    }
    if (dayFirst != monthFirst)
        return dayFirst > monthFirst ? DateOrder::DayMonth : DateOrder::MonthDay;
    return fallback;
}

DecimalMark detectDecimalMark(const QStringList &values, DecimalMark fallback) {
    int point = 0, comma = 0;
    static const QRegularExpression decimals(QStringLiteral("([.,])(\\d{1,2}|\\d{4,})\\D*$"));
    for (const QString &v : values) {
        const qsizetype p = v.lastIndexOf(QLatin1Char('.')), c = v.lastIndexOf(QLatin1Char(','));
        if (p >= 0 && c >= 0) {
            (p > c ? point : comma) += 1;
        } else if (const auto m = decimals.match(v); m.hasMatch()) {
            (m.captured(1) == QLatin1String(".") ? point : comma) += 1;
        }
    }
    if (point != comma)
        return point > comma ? DecimalMark::Point : DecimalMark::Comma;
    return fallback;
}

DateOrder localeDateOrder() {
    const QString f = QLocale().dateFormat(QLocale::ShortFormat);
    return f.indexOf(QLatin1Char('d')) < f.indexOf(QLatin1Char('M')) ? DateOrder::DayMonth
                                                                     : DateOrder::MonthDay;
}

DecimalMark localeDecimalMark() {
    return QLocale().decimalPoint() == QLatin1String(",") ? DecimalMark::Comma : DecimalMark::Point;
}

QDate parseDate(const QString &raw, DateOrder order, const QDate &today) {
    const QString t = raw.trimmed();
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})[-/.](\\d{1,2})[-/.](\\d{1,2})(?:[ T].*)?$"));
    if (const auto m = iso.match(t); m.hasMatch())
        return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    int p[3];
    int yearDigits = 0;
    if (numericParts(t, p, &yearDigits)) {
        const int year = fullYear(p[2], yearDigits, today);
        return order == DateOrder::DayMonth ? QDate(year, p[1], p[0]) : QDate(year, p[0], p[1]);
    }
    return wordDate(t, today);
}

std::optional<double> parseAmount(const QString &raw, DecimalMark mark) {
    static const QRegularExpression currency(
        QStringLiteral("^\\s*(?:[$€£]|EUR|USD|CHF|GBP|US\\$)?\\s*(-?)\\s*(?:[$€£]|EUR|USD|CHF|"
                       "GBP|US\\$)?\\s*([0-9][0-9.,'\\s\\x{00A0}\\x{202F}]*)\\s*(?:[$€£]|EUR|USD|"
                       "CHF|GBP|,-|\\.-)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = currency.match(raw);
    if (!m.hasMatch())
        return std::nullopt;
    QString n = m.captured(2);
    const QChar decimal = mark == DecimalMark::Comma ? QLatin1Char(',') : QLatin1Char('.');
    const QChar group = mark == DecimalMark::Comma ? QLatin1Char('.') : QLatin1Char(',');
    n.remove(group);
    n.remove(QLatin1Char('\''));
    n.remove(QRegularExpression(QStringLiteral("[\\s\\x{00A0}\\x{202F}]")));
    if (n.count(decimal) > 1)
        return std::nullopt;
    n.replace(decimal, QLatin1Char('.'));
    bool ok = false;
    double v = n.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    v = std::round(v * 100.0) / 100.0;
    return m.captured(1).isEmpty() ? v : -v;
}

std::optional<bool> parseYesNo(const QString &text) {
    static const QStringList yes{"yes", "y",   "true", "1",  "x",    "ja",
                                 "j",   "oui", "o",    "si", "wahr", "vrai"};
    static const QStringList no{"no", "n", "false", "0", "nein", "non", "falsch", "faux"};
    const QString t = foldText(text);
    if (yes.contains(t))
        return true;
    if (no.contains(t))
        return false;
    return std::nullopt;
}

namespace {

QString matchUncached(const QString &value, const QStringList &choices) {
    // Suffixes a list adds to its entries ("HO Gauge") and typists leave off or misspell.
    static const QStringList suffixes{QStringLiteral("gauge"), QStringLiteral("guage"),
                                      QStringLiteral("scale"), QStringLiteral("spur")};
    const auto bare = [](QString f) {
        for (const QString &s : suffixes)
            if (f.size() > s.size() && (f.endsWith(s) || f.startsWith(s)))
                return f.endsWith(s) ? f.chopped(s.size()) : f.mid(s.size());
        return f;
    };
    // German sheets write the gauge H0 with a zero.
    const auto letterO = [](QString f) { return f.replace(QLatin1Char('0'), QLatin1Char('o')); };
    const QString v = foldText(value);
    if (v.isEmpty())
        return {};
    QStringList folded;
    for (const QString &c : choices)
        folded.append(foldText(c));
    for (qsizetype i = 0; i < choices.size(); ++i)
        if (folded[i] == v)
            return choices[i];
    const QString vb = bare(v);
    for (qsizetype i = 0; i < choices.size(); ++i)
        if (bare(folded[i]) == vb)
            return choices[i];
    for (qsizetype i = 0; i < choices.size(); ++i)
        if (letterO(bare(folded[i])) == letterO(vb))
            return choices[i];
    return {};
}

} // namespace

QString matchChoice(const QString &value, const QStringList &choices) {
    // A sheet repeats its makers and gauges thousands of times: each value is matched once
    // per list (lists are told apart by their content).
    thread_local QHash<size_t, QHash<QString, QString>> known;
    if (known.size() > 64)
        known.clear();
    QHash<QString, QString> &forList = known[qHash(choices)];
    if (forList.size() > 20000)
        forList.clear();
    const auto it = forList.constFind(value);
    if (it != forList.constEnd())
        return *it;
    const QString match = matchUncached(value, choices);
    forList.insert(value, match);
    return match;
}

} // namespace exchange

#include "trains/collection/CollectionModel.h"

#include "platform/LocaleText.h"

#include <QDate>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace collection {

namespace {

// Record set column of each view column.
constexpr int kSource[CollectionModel::colCount] = {
    bcKind,   bcItemId, bcManufacturer, bcRailLine, bcType,     bcNumber,    bcGauge, bcCurve,
    bcColour, bcFrom,   bcCost,         bcValue,    bcAcquired, bcCondition, bcBox};

// The text columns finding looks in.
constexpr int kSearched[] = {bcItemId, bcManufacturer, bcRailLine, bcType,      bcNumber, bcGauge,
                             bcCurve,  bcColour,       bcFrom,     bcCondition, bcNotes};

// Stands between columns in the folded text, so that no word can match across two columns.
constexpr char kColumnBreak = '\x1f';

constexpr double kNoAmount = std::numeric_limits<double>::quiet_NaN();

QString amountText(double v) {
    return std::isnan(v) ? QString() : platform::moneyText(v);
}

// A stored date ("yyyy-MM-dd", perhaps with a time) as its Julian day; 0 when it is none.
qint64 storedDay(QByteArrayView text) {
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return 0;
    const auto number = [&](int from, int length) {
        int v = 0;
        for (int i = from; i < from + length; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            v = v * 10 + (text[i] - '0');
        }
        return v;
    };
    const QDate d(number(0, 4), number(5, 2), number(8, 2));
    return d.isValid() ? d.toJulianDay() : 0;
}

// Finds texts kept as std::string by a std::string_view, without copying it.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

} // namespace

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

namespace {
// The natural order of two folded texts: digit runs by value, other bytes as they are.
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
} // namespace

int naturalCompare(QStringView a, QStringView b) {
    const QByteArray fa = foldText(a), fb = foldText(b);
    return naturalCompareFolded(std::string_view(fa.constData(), std::size_t(fa.size())),
                                std::string_view(fb.constData(), std::size_t(fb.size())));
}

CollectionModel::CollectionModel(QObject *parent) : QAbstractTableModel(parent) {}

// Folded cell texts for one load: ASCII is folded as it is copied; any other text is folded
// once however many rows hold it (a maker or a condition repeats thousands of times).
class CollectionModel::Folder {
  public:
    explicit Folder(const engine::Recordset &rows) : rows_(rows) {}

    // The cell's text as UTF-8, read in place where the set holds it as text.
    QByteArrayView bytes(qsizetype row, int column) {
        QByteArrayView v;
        if (rows_.utf8At(row, column, &v))
            return v;
        scratch_ = rows_.isNullAt(row, column) ? QByteArray() : rows_.textAt(row, column).toUtf8();
        return scratch_;
    }

    // Appends the folded text; a column break in a text becomes a blank.
    void append(QByteArray &out, QByteArrayView text) {
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

  private:
    const QByteArray &foldedOnce(QByteArrayView text) {
        const std::string_view key(text.data(), std::size_t(text.size()));
        auto it = seen_.find(key);
        if (it == seen_.end()) {
            QByteArray f = foldText(QString::fromUtf8(text));
            f.replace(kColumnBreak, ' ');
            it = seen_.emplace(std::string(key), std::move(f)).first;
        }
        return it->second;
    }

    const engine::Recordset &rows_;
    QByteArray scratch_;
    std::unordered_map<std::string, QByteArray, TextHash, std::equal_to<>> seen_;
};

void CollectionModel::load(std::shared_ptr<engine::Recordset> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    extraByRow_.clear();
    lastItem_.clear();
    lastSource_ = -1;
    info_.clear();
    folded_.clear();
    conditions_.clear();
    const qsizetype n = rows_ ? rows_->RecordCount() : 0;
    info_.reserve(std::size_t(n));
    folded_.reserve(n * 80);
    if (n > 0) {
        Folder folder(*rows_);
        QByteArray kindNames[5];
        for (int k = 0; k < 5; ++k)
            kindNames[k] = foldText(kindViewName(ItemKind(k)));
        // Conditions that differ only in case or accents are one condition, shown as first
        // spelt.
        std::unordered_map<std::string, quint16, TextHash, std::equal_to<>> conditionIndex;
        const auto amount = [this](qsizetype r, int column) {
            return rows_->isNullAt(r, column) ? kNoAmount : rows_->valueAt(r, column).toDouble();
        };
        for (qsizetype r = 0; r < n; ++r) {
            RowInfo info{};
            info.kind = quint8(std::clamp(int(rows_->valueAt(r, bcKind).toLongLong()), 0, 4));
            info.cost = amount(r, bcCost);
            info.value = amount(r, bcValue);
            info.acquired = storedDay(folder.bytes(r, bcAcquired));
            info.foldStart = quint32(folded_.size());
            folded_ += kindNames[info.kind];
            for (int c : kSearched) {
                folded_ += kColumnBreak;
                const qsizetype from = folded_.size();
                const QByteArrayView text = folder.bytes(r, c);
                folder.append(folded_, text);
                if (c != bcCondition)
                    continue;
                const std::string_view key(folded_.constData() + from,
                                           std::size_t(folded_.size() - from));
                auto it = conditionIndex.find(key);
                if (it == conditionIndex.end()) {
                    it = conditionIndex.emplace(std::string(key), quint16(conditions_.size())).first;
                    conditions_ << QString::fromUtf8(text);
                }
                info.condition = it->second;
            }
            info.foldEnd = quint32(folded_.size());
            info_.push_back(info);
        }
    }
    order_.resize(info_.size());
    for (std::size_t i = 0; i < order_.size(); ++i)
        order_[i] = int(i);
    sortOrder();
    applyFilter(false);
    endResetModel();
}

std::string_view CollectionModel::searchedText(const RowInfo &r, int column) const {
    // The folded line holds the kind name, then each searched column after a column break.
    const auto at = std::find(std::begin(kSearched), std::end(kSearched), kSource[column]);
    const std::string_view line(folded_.constData() + r.foldStart, r.foldEnd - r.foldStart);
    std::size_t from = 0;
    for (auto i = std::begin(kSearched); i <= at; ++i)
        from = line.find(kColumnBreak, from) + 1;
    const std::size_t to = line.find(kColumnBreak, from);
    return line.substr(from, to == std::string_view::npos ? line.size() - from : to - from);
}

bool CollectionModel::matches(const RowInfo &r) const {
    if (kindFilter_ >= 0 && r.kind != kindFilter_)
        return false;
    if (conditionFilter_ >= 0 && r.condition != conditionFilter_)
        return false;
    const std::string_view text(folded_.constData() + r.foldStart, r.foldEnd - r.foldStart);
    const std::size_t source = std::size_t(&r - info_.data());
    const std::string_view extra =
        source < extraByRow_.size()
            ? std::string_view(extraByRow_[source].constData(),
                               std::size_t(extraByRow_[source].size()))
            : std::string_view();
    for (const QByteArray &w : words_) {
        const std::string_view word(w.constData(), std::size_t(w.size()));
        if (text.find(word) == std::string_view::npos &&
            extra.find(word) == std::string_view::npos)
            return false;
    }
    return true;
}

void CollectionModel::setExtraText(const QHash<QString, QString> &byItemId) {
    extraByRow_.clear();
    if (!byItemId.isEmpty() && rows_) {
        extraByRow_.resize(info_.size());
        for (std::size_t r = 0; r < info_.size(); ++r) {
            const auto it = byItemId.constFind(rows_->textAt(qsizetype(r), bcItemId));
            if (it != byItemId.constEnd())
                extraByRow_[r] = foldText(*it);
        }
    }
    beginResetModel();
    applyFilter(false);
    endResetModel();
}

void CollectionModel::applyFilter(bool narrowing) {
    std::vector<int> next;
    const std::vector<int> &from = narrowing ? shown_ : order_;
    next.reserve(from.size());
    Totals t;
    for (int r : from) {
        const RowInfo &info = info_[std::size_t(r)];
        if (!matches(info))
            continue;
        next.push_back(r);
        if (!std::isnan(info.cost))
            t.cost += info.cost;
        if (!std::isnan(info.value))
            t.value += info.value;
        if (!std::isnan(info.cost) && !std::isnan(info.value)) {
            t.pairedCost += info.cost;
            t.pairedValue += info.value;
        }
    }
    t.count = qsizetype(next.size());
    shown_ = std::move(next);
    totals_ = t;
}

void CollectionModel::setFilter(const QString &text, int kind, int condition) {
    const QByteArray query = foldText(text.simplified());
    // A query that only grows the last one (the next keystroke) can only narrow what is shown:
    // every word of it holds a word of the last one.
    const bool narrowing = kind == kindFilter_ && condition == conditionFilter_ &&
                           query.startsWith(query_) && !query_.isEmpty();
    if (query == query_ && kind == kindFilter_ && condition == conditionFilter_)
        return;
    query_ = query;
    kindFilter_ = kind;
    conditionFilter_ = condition;
    words_.clear();
    for (const QByteArray &w : query.split(' '))
        if (!w.isEmpty())
            words_.push_back(w);
    beginResetModel();
    applyFilter(narrowing);
    endResetModel();
}

void CollectionModel::sortOrder() {
    const int column = sortColumn_;
    const bool descending = sortDirection_ == Qt::DescendingOrder;
    const std::size_t n = info_.size();
    // Each row's key sits beside its row number in one array, so that sorting reads memory in
    // order instead of jumping to the row data on every comparison. Ties keep the stored order
    // whatever the direction.
    const auto sortBy = [&](auto key, auto less) {
        using Key = decltype(key(0));
        std::vector<std::pair<Key, int>> keyed(n);
        for (std::size_t r = 0; r < n; ++r)
            keyed[r] = {key(r), int(r)};
        std::stable_sort(keyed.begin(), keyed.end(), [&](const auto &a, const auto &b) {
            return descending ? less(b.first, a.first) : less(a.first, b.first);
        });
        for (std::size_t i = 0; i < n; ++i)
            order_[i] = keyed[i].second;
    };
    if (column == colCost || column == colValue) {
        // Amounts by value; an item without one comes first going up.
        const bool cost = column == colCost;
        sortBy([&](std::size_t r) { return cost ? info_[r].cost : info_[r].value; },
               [](double x, double y) {
                   if (std::isnan(x) || std::isnan(y))
                       return std::isnan(x) && !std::isnan(y);
                   return x < y;
               });
    } else if (column == colAcquired) {
        sortBy([&](std::size_t r) { return info_[r].acquired; },
               [](qint64 x, qint64 y) { return x < y; });
    } else if (column == colKind) {
        sortBy([&](std::size_t r) { return int(info_[r].kind); },
               [](int x, int y) { return x < y; });
    } else {
        // Searched columns are already folded, in the find's text; the others are folded once
        // into one buffer, so the comparisons only read bytes.
        const bool searched = std::find(std::begin(kSearched), std::end(kSearched),
                                        kSource[column]) != std::end(kSearched);
        QByteArray keys;
        std::vector<std::pair<quint32, quint32>> spans(searched ? 0 : n);
        if (!searched) {
            Folder folder(*rows_);
            for (std::size_t r = 0; r < n; ++r) {
                const auto start = quint32(keys.size());
                folder.append(keys, folder.bytes(qsizetype(r), kSource[column]));
                spans[r] = {start, quint32(keys.size()) - start};
            }
        }
        const auto key = [&](std::size_t r) {
            return searched ? searchedText(info_[r], column)
                            : std::string_view(keys.constData() + spans[r].first, spans[r].second);
        };
        const auto naturalLess = [](std::string_view x, std::string_view y) {
            return naturalCompareFolded(x, y) < 0;
        };
        // Item numbers are nearly all different: they are sorted as they stand.
        std::unordered_set<std::string_view> sample;
        const std::size_t step = std::max<std::size_t>(1, n / 512);
        for (std::size_t r = 0; r < n; r += step)
            sample.insert(key(r));
        if (sample.size() * 4 > n / step) {
            sortBy(key, naturalLess);
            return;
        }
        // Most columns repeat few texts (makers, gauges): each distinct text is ranked once,
        // then the rows are placed by rank in one pass, keeping the stored order among equals.
        std::unordered_map<std::string_view, int> distinctIndex;
        std::vector<std::string_view> distinct;
        std::vector<int> distinctOfRow(n);
        for (std::size_t r = 0; r < n; ++r) {
            const std::string_view k = key(r);
            const auto [it, fresh] = distinctIndex.try_emplace(k, int(distinct.size()));
            if (fresh)
                distinct.push_back(k);
            distinctOfRow[r] = it->second;
        }
        std::vector<int> byText(distinct.size());
        std::iota(byText.begin(), byText.end(), 0);
        std::sort(byText.begin(), byText.end(), [&](int a, int b) {
            return naturalLess(distinct[std::size_t(a)], distinct[std::size_t(b)]);
        });
        std::vector<int> rank(distinct.size());
        int ranks = 0;
        for (std::size_t i = 0; i < byText.size(); ++i) {
            if (i > 0 && naturalCompareFolded(distinct[std::size_t(byText[i - 1])],
                                              distinct[std::size_t(byText[i])]) != 0)
                ++ranks;
            rank[std::size_t(byText[i])] = ranks;
        }
        if (descending)
            for (int &k : rank)
                k = ranks - k;
        std::vector<std::size_t> start(std::size_t(ranks) + 2, 0);
        for (std::size_t r = 0; r < n; ++r)
            ++start[std::size_t(rank[std::size_t(distinctOfRow[r])]) + 1];
        for (std::size_t k = 1; k < start.size(); ++k)
            start[k] += start[k - 1];
        for (std::size_t r = 0; r < n; ++r)
            order_[start[std::size_t(rank[std::size_t(distinctOfRow[r])])]++] = int(r);
    }
}

void CollectionModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= colCount)
        return;
    beginResetModel();
    sortColumn_ = column;
    sortDirection_ = order;
    sortOrder();
    applyFilter(false);
    endResetModel();
}

int CollectionModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(shown_.size());
}

int CollectionModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : colCount;
}

QString CollectionModel::displayText(int source, int column) const {
    const RowInfo &info = info_[std::size_t(source)];
    switch (column) {
    case colKind:
        return kindViewName(ItemKind(info.kind));
    case colCost:
        return amountText(info.cost);
    case colValue:
        return amountText(info.value);
    case colAcquired:
        return info.acquired ? platform::shortDate(QDate::fromJulianDay(info.acquired)) : QString();
    default:
        break;
    }
    rows_->moveTo(source);
    return rows_->text(kSource[column]);
}

QString CollectionModel::cellText(int row, int column) const {
    if (row < 0 || row >= int(shown_.size()) || column < 0 || column >= colCount)
        return {};
    return displayText(shown_[std::size_t(row)], column);
}

QVariant CollectionModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= int(shown_.size()))
        return {};
    if (role == Qt::DisplayRole)
        return displayText(shown_[std::size_t(index.row())], index.column());
    if (role == Qt::TextAlignmentRole && (index.column() == colCost || index.column() == colValue))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant CollectionModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const headers[colCount] = {
        QT_TR_NOOP("Kind"),          QT_TR_NOOP("ID"),        QT_TR_NOOP("Manufacturer"),
        QT_TR_NOOP("Rail Line"),     QT_TR_NOOP("Type"),      QT_TR_NOOP("Number"),
        QT_TR_NOOP("Gauge"),         QT_TR_NOOP("Curve"),     QT_TR_NOOP("Colour"),
        QT_TR_NOOP("Acquired From"), QT_TR_NOOP("Cost"),      QT_TR_NOOP("Value"),
        QT_TR_NOOP("Acquired"),      QT_TR_NOOP("Condition"), QT_TR_NOOP("Box")};
    return section >= 0 && section < colCount ? tr(headers[section]) : QVariant();
}

QList<ItemKind> CollectionModel::kindsPresent() const {
    bool seen[5] = {};
    for (const RowInfo &r : info_)
        if (r.kind < 5)
            seen[r.kind] = true;
    QList<ItemKind> out;
    for (int k = 0; k < 5; ++k)
        if (seen[k])
            out << ItemKind(k);
    return out;
}

qint64 CollectionModel::rowId(int row) const {
    if (row < 0 || row >= int(shown_.size()))
        return 0;
    rows_->moveTo(shown_[std::size_t(row)]);
    return rows_->Fields(bcId).toLongLong();
}

QString CollectionModel::itemId(int row) const {
    return cellText(row, colId);
}

ItemKind CollectionModel::kind(int row) const {
    return row >= 0 && row < int(shown_.size())
               ? ItemKind(info_[std::size_t(shown_[std::size_t(row)])].kind)
               : ItemKind::Car;
}

int CollectionModel::rowOfItem(const QString &itemId) const {
    if (itemId.isEmpty() || !rows_)
        return -1;
    // The view asks for its chosen item after every keystroke: remember where it is stored.
    if (itemId.compare(lastItem_, Qt::CaseInsensitive) != 0) {
        lastItem_ = itemId;
        lastSource_ = -1;
        for (qsizetype r = 0; r < qsizetype(info_.size()); ++r) {
            rows_->moveTo(r);
            if (rows_->text(bcItemId).compare(itemId, Qt::CaseInsensitive) == 0) {
                lastSource_ = int(r);
                break;
            }
        }
    }
    if (lastSource_ < 0)
        return -1;
    const auto at = std::find(shown_.begin(), shown_.end(), lastSource_);
    return at == shown_.end() ? -1 : int(at - shown_.begin());
}

} // namespace collection

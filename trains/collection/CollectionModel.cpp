#include "trains/collection/CollectionModel.h"

#include "trains/collection/CollectionFold.h"

#include "platform/LocaleText.h"

#include <QDate>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace collection {

using detail::kColumnBreak;
using detail::kSearched;
using detail::kSource;
using detail::viewOf;

namespace {

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

} // namespace

CollectionModel::CollectionModel(QObject *parent) : QAbstractTableModel(parent) {}

void CollectionModel::load(std::shared_ptr<engine::Recordset> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    extraByRow_.clear();
    own_.clear();
    yearAgo_.clear();
    idToSource_.clear();
    lastItem_.clear();
    lastSource_ = -1;
    info_.clear();
    folded_.clear();
    conditions_.clear();
    const qsizetype n = rows_ ? rows_->RecordCount() : 0;
    info_.reserve(std::size_t(n));
    folded_.reserve(n * 80);
    if (n > 0) {
        detail::CellFolder folder(*rows_);
        QByteArray kindNames[5];
        for (int k = 0; k < 5; ++k)
            kindNames[k] = foldText(kindViewName(ItemKind(k)));
        // Conditions that differ only in case or accents are one condition, shown as first
        // spelt.
        std::unordered_map<std::string, quint16, detail::TextHash, std::equal_to<>> conditionAt;
        const auto amount = [this](qsizetype r, int column) {
            return rows_->isNullAt(r, column) ? kNoAmount : rows_->valueAt(r, column).toDouble();
        };
        for (qsizetype r = 0; r < n; ++r) {
            RowInfo info{};
            info.kind = quint8(std::clamp(int(rows_->valueAt(r, bcKind).toLongLong()), 0, 4));
            info.cost = amount(r, bcCost);
            info.value = amount(r, bcValue);
            info.acquired = storedDay(folder.bytes(r, bcAcquired));
            info.incomplete = rows_->valueAt(r, bcIncomplete).toInt() != 0;
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
                auto it = conditionAt.find(key);
                if (it == conditionAt.end()) {
                    it = conditionAt.emplace(std::string(key), quint16(conditions_.size())).first;
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

int CollectionModel::sourceOfId(qint64 id) const {
    const auto at =
        std::lower_bound(idToSource_.begin(), idToSource_.end(), std::pair<qint64, int>(id, -1));
    return at != idToSource_.end() && at->first == id ? at->second : -1;
}

void CollectionModel::setRecords(const Records &records) {
    beginResetModel();
    fields_ = records.fields;
    own_.assign(std::size_t(fields_.size()), {});
    extraByRow_.clear();
    yearAgo_.clear();
    const auto filled = [](const std::shared_ptr<engine::Recordset> &rs) {
        return rs && rs->RecordCount() > 0;
    };
    const std::size_t n = info_.size();
    if (rows_ && (filled(records.fieldValues) || filled(records.yearAgo))) {
        // Stored order is nearly always the ID's order: sorting it then costs one pass.
        idToSource_.resize(n);
        for (std::size_t r = 0; r < n; ++r)
            idToSource_[r] = {rows_->valueAt(qsizetype(r), bcId).toLongLong(), int(r)};
        if (!std::is_sorted(idToSource_.begin(), idToSource_.end()))
            std::sort(idToSource_.begin(), idToSource_.end());
    }
    if (filled(records.fieldValues)) {
        const engine::Recordset &v = *records.fieldValues;
        extraByRow_.resize(n);
        for (qsizetype i = 0; i < v.RecordCount(); ++i) {
            const int source = sourceOfId(v.valueAt(i, 0).toLongLong());
            const qint64 fieldId = v.valueAt(i, 1).toLongLong();
            const auto field = std::find_if(fields_.begin(), fields_.end(),
                                            [&](const OwnField &f) { return f.id == fieldId; });
            if (source < 0 || field == fields_.end())
                continue;
            const QString text = v.textAt(i, 2);
            std::vector<QString> &column = own_[std::size_t(field - fields_.begin())];
            if (column.empty())
                column.resize(n);
            column[std::size_t(source)] = text;
            QByteArray &extra = extraByRow_[std::size_t(source)];
            extra += kColumnBreak + foldText(text);
        }
    }
    if (filled(records.yearAgo)) {
        yearAgo_.assign(n, kNoAmount);
        const engine::Recordset &a = *records.yearAgo;
        for (qsizetype i = 0; i < a.RecordCount(); ++i)
            if (const int source = sourceOfId(a.valueAt(i, 0).toLongLong());
                source >= 0 && !a.isNullAt(i, 1))
                yearAgo_[std::size_t(source)] = a.valueAt(i, 1).toDouble();
    }
    if (sortColumn_ >= colYearAgo)
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
    if (filter_.kind >= 0 && r.kind != filter_.kind)
        return false;
    if (filter_.condition >= 0 && r.condition != filter_.condition)
        return false;
    if (filter_.incompleteOnly && !r.incomplete)
        return false;
    const std::size_t source = std::size_t(&r - info_.data());
    if (filter_.field >= 0) {
        const std::vector<QString> &column = own_.at(std::size_t(filter_.field));
        if (column.empty() || column[source].isEmpty())
            return false;
        if (!fieldQuery_.isEmpty() && !foldText(column[source]).contains(fieldQuery_))
            return false;
    }
    const std::string_view text(folded_.constData() + r.foldStart, r.foldEnd - r.foldStart);
    const std::string_view extra =
        source < extraByRow_.size() ? viewOf(extraByRow_[source]) : std::string_view();
    for (const QByteArray &w : words_) {
        const std::string_view word = viewOf(w);
        if (text.find(word) == std::string_view::npos && extra.find(word) == std::string_view::npos)
            return false;
    }
    return true;
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

void CollectionModel::setFilter(const Filter &filter) {
    Filter f = filter;
    if (f.field >= fields_.size())
        f.field = -1;
    const QByteArray query = foldText(f.text.simplified());
    // A query that only grows the last one (the next keystroke) can only narrow what is shown:
    // every word of it holds a word of the last one.
    Filter same = f;
    same.text = filter_.text;
    const bool narrowing = same == filter_ && query.startsWith(query_) && !query_.isEmpty();
    if (query == query_ && same == filter_)
        return;
    query_ = query;
    fieldQuery_ = foldText(f.fieldText.simplified());
    filter_ = f;
    words_.clear();
    for (const QByteArray &w : query.split(' '))
        if (!w.isEmpty())
            words_.push_back(w);
    beginResetModel();
    applyFilter(narrowing);
    endResetModel();
}

void CollectionModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= columnCount())
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
    return parent.isValid() ? 0 : colCount + int(fields_.size());
}

double CollectionModel::yearAgo(std::size_t source) const {
    return source < yearAgo_.size() ? yearAgo_[source] : kNoAmount;
}

double CollectionModel::change(std::size_t source) const {
    // Unknown (NaN) when either value is: never -100% for a value left blank; no change can
    // be told from nothing.
    const double then = yearAgo(source);
    return then == 0 ? kNoAmount : (info_[source].value - then) / then * 100.0;
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
    case colYearAgo:
        return amountText(yearAgo(std::size_t(source)));
    case colChange: {
        const double c = change(std::size_t(source));
        const QLocale locale;
        return std::isnan(c) ? QString()
                             : (c > 0 ? QStringLiteral("+") : QString()) +
                                   locale.toString(c, 'f', 1) + locale.percent();
    }
    default:
        break;
    }
    if (column >= colCount) {
        const std::vector<QString> &values = own_.at(std::size_t(column - colCount));
        return values.empty() ? QString() : values[std::size_t(source)];
    }
    rows_->moveTo(source);
    return rows_->text(kSource[column]);
}

QString CollectionModel::cellText(int row, int column) const {
    if (row < 0 || row >= int(shown_.size()) || column < 0 || column >= columnCount())
        return {};
    return displayText(shown_[std::size_t(row)], column);
}

QVariant CollectionModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= int(shown_.size()))
        return {};
    if (role == Qt::DisplayRole)
        return displayText(shown_[std::size_t(index.row())], index.column());
    const int c = index.column();
    if (role == Qt::TextAlignmentRole &&
        (c == colCost || c == colValue || c == colYearAgo || c == colChange))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant CollectionModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const headers[colCount] = {QT_TR_NOOP("Kind"),
                                                  QT_TR_NOOP("ID"),
                                                  QT_TR_NOOP("Manufacturer"),
                                                  QT_TR_NOOP("Rail Line"),
                                                  QT_TR_NOOP("Type"),
                                                  QT_TR_NOOP("Number"),
                                                  QT_TR_NOOP("Gauge"),
                                                  QT_TR_NOOP("Curve"),
                                                  QT_TR_NOOP("Colour"),
                                                  QT_TR_NOOP("Acquired From"),
                                                  QT_TR_NOOP("Cost"),
                                                  QT_TR_NOOP("Value"),
                                                  QT_TR_NOOP("Acquired"),
                                                  QT_TR_NOOP("Condition"),
                                                  QT_TR_NOOP("Box"),
                                                  QT_TR_NOOP("Value Year Ago"),
                                                  QT_TR_NOOP("Change in a Year")};
    if (section >= colCount && section < columnCount())
        return fields_[section - colCount].name;
    return section >= 0 && section < colCount ? tr(headers[section]) : QVariant();
}

QString CollectionModel::columnKey(int column) const {
    static const char *const keys[colCount] = {
        "Kind",     "ID",        "Manufacturer", "RailLine", "Type",  "Number",
        "Gauge",    "Curve",     "Colour",       "From",     "Cost",  "Value",
        "Acquired", "Condition", "Box",          "YearAgo",  "Change"};
    if (column >= colCount && column < columnCount())
        return QStringLiteral("field:%1").arg(fields_[column - colCount].id);
    return column >= 0 && column < colCount ? QLatin1String(keys[column]) : QString();
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

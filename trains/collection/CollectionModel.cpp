#include "trains/collection/CollectionModel.h"

#include "platform/LocaleText.h"

#include <QByteArrayView>
#include <QDate>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace collection {

namespace {

// Record set column of each view column.
constexpr int kSource[CollectionModel::colCount] = {
    bcKind, bcItemId, bcManufacturer, bcRailLine, bcType, bcNumber, bcGauge, bcCurve,
    bcColour, bcFrom, bcCost, bcValue, bcAcquired, bcCondition, bcBox};

// The text columns finding looks in.
constexpr int kSearched[] = {bcItemId, bcManufacturer, bcRailLine, bcType, bcNumber, bcGauge,
                             bcCurve,  bcColour,       bcFrom,     bcCondition};

// Stands between columns in the folded text, so that no word can match across two columns.
constexpr char kColumnBreak = '\x1f';

constexpr double kNoAmount = std::numeric_limits<double>::quiet_NaN();

QString amountText(double v) {
    return std::isnan(v) ? QString() : QLocale().toString(v, 'f', 2);
}

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
        for (char& c : out)
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
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const QChar ca = a[i], cb = b[j];
        if (ca.isDigit() && cb.isDigit()) {
            // Compare the two numbers by value: skip leading zeros, then the longer run is the
            // larger, then the first differing digit decides.
            qsizetype ea = i, eb = j;
            while (ea < a.size() && a[ea].isDigit())
                ++ea;
            while (eb < b.size() && b[eb].isDigit())
                ++eb;
            qsizetype sa = i, sb = j;
            while (sa < ea - 1 && a[sa] == u'0')
                ++sa;
            while (sb < eb - 1 && b[sb] == u'0')
                ++sb;
            if (ea - sa != eb - sb)
                return ea - sa < eb - sb ? -1 : 1;
            for (; sa < ea; ++sa, ++sb)
                if (a[sa] != b[sb])
                    return a[sa] < b[sb] ? -1 : 1;
            i = ea;
            j = eb;
            continue;
        }
        const char16_t fa = ca.toCaseFolded().unicode(), fb = cb.toCaseFolded().unicode();
        if (fa != fb)
            return fa < fb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

CollectionModel::CollectionModel(QObject* parent) : QAbstractTableModel(parent) {}

void CollectionModel::load(std::shared_ptr<engine::Recordset> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    info_.clear();
    folded_.clear();
    conditions_.clear();
    const qsizetype n = rows_ ? rows_->RecordCount() : 0;
    info_.reserve(std::size_t(n));
    folded_.reserve(n * 96);
    QHash<QByteArray, quint16> conditionIndex;
    QString line;
    const auto amount = [this](int column) {
        return rows_->isNull(column) ? kNoAmount : rows_->Fields(column).toDouble();
    };
    for (qsizetype r = 0; r < n; ++r) {
        rows_->moveTo(r);
        RowInfo info{};
        info.kind = quint8(rows_->Fields(bcKind).toInt());
        info.cost = amount(bcCost);
        info.value = amount(bcValue);
        const QString acquired = rows_->text(bcAcquired);
        const QDate d = QDate::fromString(acquired.left(10), Qt::ISODate);
        info.acquired = d.isValid() ? d.toJulianDay() : 0;

        const QString condition = rows_->text(bcCondition);
        const QByteArray conditionKey = foldText(condition);
        auto it = conditionIndex.constFind(conditionKey);
        if (it == conditionIndex.cend()) {
            it = conditionIndex.insert(conditionKey, quint16(conditions_.size()));
            conditions_ << condition;
        }
        info.condition = *it;

        line.clear();
        line += kindName(Kind(info.kind));
        for (int c : kSearched) {
            line += QLatin1Char(kColumnBreak);
            rows_->appendTextTo(c, line);
        }
        info.foldStart = quint32(folded_.size());
        folded_ += foldText(line);
        info.foldEnd = quint32(folded_.size());
        info_.push_back(info);
    }
    order_.resize(info_.size());
    for (std::size_t i = 0; i < order_.size(); ++i)
        order_[i] = int(i);
    sortOrder();
    applyFilter(false);
    endResetModel();
}

bool CollectionModel::matches(const RowInfo& r) const {
    if (kindFilter_ >= 0 && r.kind != kindFilter_)
        return false;
    if (conditionFilter_ >= 0 && r.condition != conditionFilter_)
        return false;
    const QByteArrayView text(folded_.constData() + r.foldStart, r.foldEnd - r.foldStart);
    for (const QByteArray& w : words_)
        if (text.indexOf(w) < 0)
            return false;
    return true;
}

void CollectionModel::applyFilter(bool narrowing) {
    std::vector<int> next;
    const std::vector<int>& from = narrowing ? shown_ : order_;
    next.reserve(from.size());
    Totals t;
    for (int r : from) {
        const RowInfo& info = info_[std::size_t(r)];
        if (!matches(info))
            continue;
        next.push_back(r);
        if (!std::isnan(info.cost))
            t.cost += info.cost;
        if (!std::isnan(info.value))
            t.value += info.value;
    }
    t.count = qsizetype(next.size());
    shown_ = std::move(next);
    totals_ = t;
}

void CollectionModel::setFilter(const QString& text, int kind, int condition) {
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
    for (const QByteArray& w : query.split(' '))
        if (!w.isEmpty())
            words_.push_back(w);
    beginResetModel();
    applyFilter(narrowing);
    endResetModel();
}

void CollectionModel::sortOrder() {
    const int column = sortColumn_;
    const bool descending = sortDirection_ == Qt::DescendingOrder;
    // Ties keep the stored order whatever the direction.
    const auto finish = [&](auto less) {
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
            return descending ? less(b, a) : less(a, b);
        });
    };
    std::sort(order_.begin(), order_.end());
    if (column == colCost || column == colValue) {
        // Amounts by value; an item without one comes first going up.
        const bool cost = column == colCost;
        finish([&](int a, int b) {
            const double x = cost ? info_[std::size_t(a)].cost : info_[std::size_t(a)].value;
            const double y = cost ? info_[std::size_t(b)].cost : info_[std::size_t(b)].value;
            if (std::isnan(x) || std::isnan(y))
                return std::isnan(x) && !std::isnan(y);
            return x < y;
        });
    } else if (column == colAcquired) {
        finish([&](int a, int b) {
            return info_[std::size_t(a)].acquired < info_[std::size_t(b)].acquired;
        });
    } else if (column == colKind) {
        finish([&](int a, int b) { return info_[std::size_t(a)].kind < info_[std::size_t(b)].kind; });
    } else {
        std::vector<QString> keys(info_.size());
        for (std::size_t r = 0; r < info_.size(); ++r) {
            rows_->moveTo(qsizetype(r));
            keys[r] = rows_->text(kSource[column]);
        }
        finish([&](int a, int b) {
            return naturalCompare(keys[std::size_t(a)], keys[std::size_t(b)]) < 0;
        });
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

int CollectionModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(shown_.size());
}

int CollectionModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : colCount;
}

QString CollectionModel::displayText(int source, int column) const {
    const RowInfo& info = info_[std::size_t(source)];
    switch (column) {
    case colKind: return kindName(Kind(info.kind));
    case colCost: return amountText(info.cost);
    case colValue: return amountText(info.value);
    case colAcquired:
        return info.acquired ? platform::shortDate(QDate::fromJulianDay(info.acquired)) : QString();
    default: break;
    }
    rows_->moveTo(source);
    return rows_->text(kSource[column]);
}

QString CollectionModel::cellText(int row, int column) const {
    if (row < 0 || row >= int(shown_.size()) || column < 0 || column >= colCount)
        return {};
    return displayText(shown_[std::size_t(row)], column);
}

QVariant CollectionModel::data(const QModelIndex& index, int role) const {
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
    static const char* const headers[colCount] = {
        QT_TR_NOOP("Kind"),      QT_TR_NOOP("ID"),       QT_TR_NOOP("Manufacturer"),
        QT_TR_NOOP("Rail Line"), QT_TR_NOOP("Type"),     QT_TR_NOOP("Number"),
        QT_TR_NOOP("Gauge"),     QT_TR_NOOP("Curve"),    QT_TR_NOOP("Colour"),
        QT_TR_NOOP("Acquired From"), QT_TR_NOOP("Cost"), QT_TR_NOOP("Value"),
        QT_TR_NOOP("Acquired"),  QT_TR_NOOP("Condition"), QT_TR_NOOP("Box")};
    return section >= 0 && section < colCount ? tr(headers[section]) : QVariant();
}

QList<Kind> CollectionModel::kindsPresent() const {
    bool seen[5] = {};
    for (const RowInfo& r : info_)
        if (r.kind < 5)
            seen[r.kind] = true;
    QList<Kind> out;
    for (int k = 0; k < 5; ++k)
        if (seen[k])
            out << Kind(k);
    return out;
}

qint64 CollectionModel::rowId(int row) const {
    if (row < 0 || row >= int(shown_.size()))
        return 0;
    rows_->moveTo(shown_[std::size_t(row)]);
    return rows_->Fields(bcId).toLongLong();
}

QString CollectionModel::itemId(int row) const { return cellText(row, colId); }

Kind CollectionModel::kind(int row) const {
    return row >= 0 && row < int(shown_.size()) ? Kind(info_[std::size_t(shown_[std::size_t(row)])].kind)
                                                : Kind::Car;
}

int CollectionModel::rowOfItem(const QString& itemId) const {
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        rows_->moveTo(shown_[i]);
        if (rows_->text(bcItemId).compare(itemId, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

} // namespace collection

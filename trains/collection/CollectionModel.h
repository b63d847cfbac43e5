#pragma once
// The rows of the collection view: every item of every kind, kept as the record set it came
// in (one packed buffer) plus, per row, the amounts, the date and a folded search text (lower
// case, accents stripped, columns apart). Finding and sorting work on a vector of row numbers,
// so a keystroke over 300,000 items touches no widget and copies no text. After the designed
// columns come the value a year ago, its change, and one column per field of the collector's.
#include "trains/collection/CollectionData.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QStringList>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace collection {

// Text as finding compares it: lower case, accents dropped ("Züge" -> "zuge"), UTF-8.
QByteArray foldText(QStringView text);
// Natural order: digit runs compare by their value (CL-2 before CL-10), the rest by the
// folded text. Negative, zero or positive like strcmp.
int naturalCompare(QStringView a, QStringView b);

class CollectionModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column {
        colKind,
        colId,
        colManufacturer,
        colRailLine,
        colType,
        colNumber,
        colGauge,
        colCurve,
        colColour,
        colFrom,
        colCost,
        colValue,
        colAcquired,
        colCondition,
        colBox,
        colYearAgo, // the value as the history knew it a year before today
        colChange,  // from then to now, in percent
        colCount    // the fields of the collector's follow
    };
    // What the shown rows add up to.
    struct Totals {
        qsizetype count = 0;
        double cost = 0;
        double value = 0;
        // Cost and value of the rows that have both: the change in value is measured on these.
        double pairedCost = 0;
        double pairedValue = 0;
    };
    // Which rows show: every word of `text` found in some column (or field value), of the kind
    // (-1 for all) and the condition (-1 for all, else an index into conditions()), only the
    // incomplete ones when asked, and with a value in the field at `field` (-1: any) holding
    // `fieldText` (empty: any value).
    struct Filter {
        QString text;
        int kind = -1;
        int condition = -1;
        bool incompleteOnly = false;
        int field = -1;
        QString fieldText;
        bool operator==(const Filter &) const = default;
    };
    struct OwnField {
        qint64 id = 0;
        QString name;
    };
    // What the collector's records add to the rows, as the store reads them.
    struct Records {
        QList<OwnField> fields;
        std::shared_ptr<engine::Recordset> fieldValues; // ID, FieldID, Value
        std::shared_ptr<engine::Recordset> yearAgo;     // ID, Amount
    };

    explicit CollectionModel(QObject *parent = nullptr);

    // Replaces every row with the rows of CollectionData::browseRows(); the find, filters and
    // sort stay as they were. The records of the last load are dropped until setRecords().
    void load(std::shared_ptr<engine::Recordset> rows);
    // The fields (their columns follow the fixed ones), their values (found by the find too)
    // and the values of a year ago.
    void setRecords(const Records &records);
    void setFilter(const Filter &filter);
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    // A name for a column that stays when fields come and go ("Cost", "field:3").
    QString columnKey(int column) const;
    const QList<OwnField> &ownFields() const { return fields_; }

    Totals totals() const { return totals_; }
    qsizetype totalRows() const { return qsizetype(info_.size()); }
    // The kinds that have rows, in kind order, and the conditions met (first spelling kept).
    QList<ItemKind> kindsPresent() const;
    const QStringList &conditions() const { return conditions_; }

    qint64 rowId(int row) const;   // tblMain.ID of a shown row
    QString itemId(int row) const; // its item number
    ItemKind kind(int row) const;
    int rowOfItem(const QString &itemId) const; // -1 when not shown
    QString cellText(int row, int column) const;

  private:
    struct RowInfo {
        double cost;     // NaN for Null
        double value;    // NaN for Null
        qint64 acquired; // Julian day; 0 for none
        quint32 foldStart;
        quint32 foldEnd;
        quint16 condition;
        quint8 kind;
        bool incomplete;
    };
    // A searched column's folded text within the row's folded line.
    std::string_view searchedText(const RowInfo &r, int column) const;
    void applyFilter(bool narrowing);
    void sortOrder();
    void sortByText(const std::function<std::string_view(std::size_t)> &key);
    bool matches(const RowInfo &r) const;
    QString displayText(int source, int column) const;
    double yearAgo(std::size_t source) const;
    double change(std::size_t source) const;
    int sourceOfId(qint64 id) const;

    mutable std::shared_ptr<engine::Recordset> rows_;
    std::vector<RowInfo> info_;
    QByteArray folded_;
    QStringList conditions_;
    std::vector<int> order_; // every row in sort order
    std::vector<int> shown_; // the rows that pass, in sort order
    std::vector<QByteArray> words_;
    std::vector<QByteArray> extraByRow_; // folded field values, by stored row; may be empty
    QList<OwnField> fields_;
    std::vector<std::vector<QString>> own_;          // by field, then stored row; may be empty
    std::vector<double> yearAgo_;                    // by stored row; empty when none is known
    std::vector<std::pair<qint64, int>> idToSource_; // sorted by ID
    Filter filter_;
    QByteArray query_;
    QByteArray fieldQuery_;
    int sortColumn_ = colId;
    Qt::SortOrder sortDirection_ = Qt::AscendingOrder;
    Totals totals_;
    mutable QString lastItem_;
    mutable int lastSource_ = -1;
};

} // namespace collection

#pragma once
// The rows of the collection view: every item of every kind, kept as the record set it came
// in (one packed buffer) plus, per row, the amounts, the date and a folded search text (lower
// case, accents stripped, columns apart). Finding and sorting work on a vector of row numbers,
// so a keystroke over 300,000 items touches no widget and copies no text.
#include "trains/collection/CollectionData.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QByteArray>
#include <QStringList>
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
        colCount
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

    explicit CollectionModel(QObject *parent = nullptr);

    // Replaces every row with the rows of CollectionData::browseRows(); the find, filters and
    // sort stay as they were.
    void load(std::shared_ptr<engine::Recordset> rows);

    // Shows the rows where every word of `text` is found in some column, of the kind (-1 for
    // all) and the condition (-1 for all, else an index into conditions()).
    void setFilter(const QString &text, int kind, int condition);
    // Text the find searches beside the listed columns (the collector's own fields), by item
    // number; read again after every load.
    void setExtraText(const QHash<QString, QString> &byItemId);
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

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
    };
    class Folder;
    // A searched column's folded text within the row's folded line.
    std::string_view searchedText(const RowInfo &r, int column) const;
    void applyFilter(bool narrowing);
    void sortOrder();
    bool matches(const RowInfo &r) const;
    QString displayText(int source, int column) const;

    mutable std::shared_ptr<engine::Recordset> rows_;
    std::vector<RowInfo> info_;
    QByteArray folded_;
    QStringList conditions_;
    std::vector<int> order_; // every row in sort order
    std::vector<int> shown_; // the rows that pass, in sort order
    std::vector<QByteArray> words_;
    std::vector<QByteArray> extraByRow_; // folded, by stored row; empty when there is none
    QByteArray query_;
    int kindFilter_ = -1;
    int conditionFilter_ = -1;
    int sortColumn_ = colId;
    Qt::SortOrder sortDirection_ = Qt::AscendingOrder;
    Totals totals_;
    mutable QString lastItem_;
    mutable int lastSource_ = -1;
};

} // namespace collection

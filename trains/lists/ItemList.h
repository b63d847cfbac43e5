#pragma once
// The list views of the editing and deletion forms: one row per stored item, a key and a text
// per column. A list filled from the store keeps the store's record set and reads the cells it
// shows from it (no second copy of 100,000 rows); rows sort by the text shown, with one
// direction per list that flips on every header click. Every row is one line: a line break in
// a cell shows as a mark.
#include "rails/engine/Recordset.h"

#include <QAbstractTableModel>
#include <QList>
#include <QTreeView>
#include <memory>
#include <vector>

struct ListColumn {
    QString header;
    Qt::Alignment alignment = Qt::AlignLeft;
    int widthTwips = 1440;
};

enum class CellFormat {
    Text,  // as stored; a Null is an empty cell
    Money, // "###,#0.#0"
    Date,  // the short date form
};

// The money pattern of the list columns.
inline const QString kListMoneyPattern = QStringLiteral("###,#0.#0");

// Where a list column's text comes from: a column of the record set and its format.
struct CellSource {
    int field = 0;
    CellFormat format = CellFormat::Text;
};

class ItemListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit ItemListModel(QList<ListColumn> columns, QObject *parent = nullptr);
    ~ItemListModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    const QList<ListColumn> &columns() const { return columns_; }

    // Filling: rows added between beginFill and endFill appear together.
    void beginFill();
    void addRow(const QString &key, const QStringList &cells);
    // Lists every row of the record set in its order. The list takes the rows over (the set
    // is left closed and empty); column i shows sources[i], the key is the field `keyField`.
    // The locale's number and date formats are taken once, here. Raises an error when a
    // source names no column of the set or the set holds more rows than a view can show.
    void setRecords(engine::Recordset &&rs, std::vector<CellSource> sources, int keyField);
    void endFill();
    void clear();

    QString key(int row) const;
    // A cell's text as listed (line breaks kept; the view shows them as a mark).
    QString cell(int row, int column) const;
    QStringList rowCells(int row) const;

    // Orders the rows by the text of the column (case-insensitive, stable).
    void sortByText(int column, Qt::SortOrder order);

  private:
    class Formats;
    QString cellOf(qsizetype record, int column) const;
    qsizetype record(int row) const;
    void setOwnRecords();

    QList<ListColumn> columns_;
    engine::Recordset records_;
    std::vector<CellSource> sources_;
    int keyField_ = 0;
    bool ownRows_ = false;             // rows came through addRow
    std::vector<qsizetype> order_;     // list row -> record
    std::unique_ptr<Formats> formats_; // set up once per fill
    bool filling_ = false;
};

class ItemListView : public QTreeView {
    Q_OBJECT
  public:
    explicit ItemListView(QList<ListColumn> columns, QWidget *parent = nullptr);

    ItemListModel *listModel() const { return model_; }
    // The direction the next header click will NOT use: ascending when the list opens.
    Qt::SortOrder sortOrder() const { return order_; }
    // Flips the direction and sorts by the column, as a header click does.
    void sortByHeader(int column);
    // The row last chosen, or -1.
    int chosenRow() const;

  signals:
    // The user chose a row, by mouse or keyboard.
    void rowChosen(int row);

  protected:
    void mousePressEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;

  private:
    ItemListModel *model_;
    Qt::SortOrder order_ = Qt::AscendingOrder;
    bool changedByThisPress_ = false;
    bool focusing_ = false;
};

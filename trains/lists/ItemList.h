#pragma once
// The list views of the editing and deletion forms: one row per stored item, a key and a text
// per column. The cells of a row are kept in one string, so 100,000 rows cost little and open
// at once; rows sort by the text shown, with one direction per list that flips on every
// header click.
#include <QAbstractTableModel>
#include <QList>
#include <QTreeView>
#include <vector>

struct ListColumn {
    QString header;
    Qt::Alignment alignment = Qt::AlignLeft;
    int widthTwips = 1440;
};

class ItemListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ItemListModel(QList<ListColumn> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    const QList<ListColumn>& columns() const { return columns_; }

    // Filling: rows added between beginFill and endFill appear together.
    void beginFill();
    void addRow(const QString& key, const QStringList& cells);
    // The same with the cells already written one after the other: ends[i] is where cell i
    // ends in `packed`.
    void addRow(const QString& key, QStringView packed, const std::vector<int>& ends);
    void endFill();
    void clear();

    QString key(int row) const;
    QString cell(int row, int column) const;
    QStringList rowCells(int row) const;

    // Orders the rows by the text of the column (case-insensitive, stable).
    void sortByText(int column, Qt::SortOrder order);

private:
    struct Row {
        QString key;
        QString text;               // every cell, one after the other
        std::vector<int> ends;      // end offset of each cell in text
    };
    QStringView cellView(const Row& r, int column) const;
    void appendRow(Row&& r);

    QList<ListColumn> columns_;
    std::vector<Row> rows_;
    bool filling_ = false;
};

class ItemListView : public QTreeView {
    Q_OBJECT
public:
    explicit ItemListView(QList<ListColumn> columns, QWidget* parent = nullptr);

    ItemListModel* listModel() const { return model_; }
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
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

private:
    ItemListModel* model_;
    Qt::SortOrder order_ = Qt::AscendingOrder;
    bool changedByThisPress_ = false;
    bool focusing_ = false;
};

#include "trains/lists/ItemList.h"

#include "platform/Error.h"
#include "platform/Pointer.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

ItemListModel::ItemListModel(QList<ListColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

int ItemListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int ItemListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QStringView ItemListModel::cellView(const Row& r, int column) const {
    if (column < 0 || column >= int(r.ends.size()))
        return {};
    const int begin = column == 0 ? 0 : r.ends[std::size_t(column) - 1];
    return QStringView(r.text).mid(begin, r.ends[std::size_t(column)] - begin);
}

QVariant ItemListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return cellView(rows_[std::size_t(index.row())], index.column()).toString();
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columns_[index.column()].alignment | Qt::AlignVCenter);
    return {};
}

QVariant ItemListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || section < 0 || section >= columns_.size())
        return {};
    if (role == Qt::DisplayRole)
        return columns_[section].header;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(columns_[section].alignment | Qt::AlignVCenter);
    return {};
}

void ItemListModel::beginFill() {
    if (!filling_) {
        beginResetModel();
        filling_ = true;
    }
}

void ItemListModel::addRow(const QString& key, const QStringList& cells) {
    QString text;
    std::vector<int> ends;
    ends.reserve(std::size_t(cells.size()));
    qsizetype length = 0;
    for (const QString& c : cells)
        length += c.size();
    text.reserve(length);
    for (const QString& c : cells) {
        text += c;
        ends.push_back(int(text.size()));
    }
    appendRow(Row{key, std::move(text), std::move(ends)});
}

void ItemListModel::addRow(const QString& key, QStringView packed, const std::vector<int>& ends) {
    appendRow(Row{key, packed.toString(), ends});
}

void ItemListModel::appendRow(Row&& r) {
    if (filling_) {
        rows_.push_back(std::move(r));
        return;
    }
    const int at = int(rows_.size());
    beginInsertRows({}, at, at);
    rows_.push_back(std::move(r));
    endInsertRows();
}

void ItemListModel::endFill() {
    if (filling_) {
        filling_ = false;
        endResetModel();
    }
}

void ItemListModel::clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

QString ItemListModel::key(int row) const {
    return row >= 0 && row < int(rows_.size()) ? rows_[std::size_t(row)].key : QString();
}

QString ItemListModel::cell(int row, int column) const {
    if (row < 0 || row >= int(rows_.size()))
        return {};
    return cellView(rows_[std::size_t(row)], column).toString();
}

QStringList ItemListModel::rowCells(int row) const {
    QStringList out;
    for (int c = 0; c < columns_.size(); ++c)
        out << cell(row, c);
    return out;
}

void ItemListModel::sortByText(int column, Qt::SortOrder order) {
    // Each row's cell is case-folded once into one buffer, so the comparisons of a 100,000-row
    // sort read adjacent memory instead of following every row's own storage.
    struct Entry {
        qsizetype offset;
        qsizetype length;
        std::size_t row;
    };
    QString folded;
    std::vector<Entry> entries;
    entries.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const QString cellText = cellView(rows_[i], column).toString().toCaseFolded();
        entries.push_back({folded.size(), cellText.size(), i});
        folded += cellText;
    }
    const QChar* base = folded.constData();
    auto view = [base](const Entry& e) { return QStringView(base + e.offset, e.length); };
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        const int c = view(a).compare(view(b), Qt::CaseSensitive);
        return order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (const Entry& e : entries)
        sorted.push_back(std::move(rows_[e.row]));
    beginResetModel();
    rows_ = std::move(sorted);
    endResetModel();
}

ItemListView::ItemListView(QList<ListColumn> columns, QWidget* parent)
    : QTreeView(parent), model_(new ItemListModel(std::move(columns), this)) {
    setModel(model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    for (int c = 0; c < model_->columns().size(); ++c)
        setColumnWidth(c, model_->columns()[c].widthTwips / 15);

    connect(header(), &QHeaderView::sectionClicked, this, &ItemListView::sortByHeader);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid() || focusing_)
                    return;
                changedByThisPress_ = true;
                emit rowChosen(current.row());
            });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        // A click on the row that is already current still chooses it again.
        if (index.isValid() && !changedByThisPress_)
            emit rowChosen(index.row());
        changedByThisPress_ = false;
    });
}

void ItemListView::mousePressEvent(QMouseEvent* e) {
    changedByThisPress_ = false;
    QTreeView::mousePressEvent(e);
}

void ItemListView::focusInEvent(QFocusEvent* e) {
    // Entering the list by keyboard must not choose its first row for the user: a form would
    // show (and offer to delete) an item nobody picked. The first arrow key chooses the first
    // row instead.
    const bool hadCurrent = currentIndex().isValid();
    focusing_ = true;
    QTreeView::focusInEvent(e);
    focusing_ = false;
    if (!hadCurrent && currentIndex().isValid())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void ItemListView::keyPressEvent(QKeyEvent* e) {
    // Enter chooses the current row again, or the first row when none is current yet.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        const QModelIndex current = currentIndex();
        if (current.isValid())
            emit rowChosen(current.row());
        else if (model_->rowCount() > 0)
            setCurrentIndex(model_->index(0, 0));
        return;
    }
    QTreeView::keyPressEvent(e);
}

void ItemListView::sortByHeader(int column) {
    platform::setScreenPointer(platform::Pointer::Wait);
    order_ = order_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    platform::resumeNext([&] { model_->sortByText(column, order_); });
    platform::setScreenPointer(platform::Pointer::Default);
}

int ItemListView::chosenRow() const {
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() : -1;
}

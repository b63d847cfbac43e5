#include "trains/lists/ItemList.h"

#include "platform/Error.h"
#include "platform/LocaleText.h"
#include "platform/Pointer.h"

#include <QApplication>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>

namespace {

// The classic "Out of memory": more rows than a view can address.
constexpr int kErrOutOfMemory = 7;

// What a line break in a cell shows as, so that every row stays one line high.
const QString kLineBreakMark = QStringLiteral("\u23CE");

bool isLineBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

// One line of text: each line break (CR LF counts as one) becomes `mark`.
QString oneLine(QString text, const QString &mark) {
    if (std::none_of(text.cbegin(), text.cend(), isLineBreak))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineBreak(text[i])) {
            out += text[i];
            continue;
        }
        if (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
            ++i;
        out += mark;
    }
    return out;
}

// Appends an ASCII text case-folded (its folding is its lower case); false, and nothing
// appended, for a text with anything else. Takes UTF-16 units or UTF-8 bytes.
template <class Unit> bool appendFoldedAscii(std::u16string &out, const Unit *text, qsizetype n) {
    const std::size_t at = out.size();
    out.resize(at + std::size_t(n));
    char16_t *d = out.data() + at;
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = char16_t(std::make_unsigned_t<Unit>(text[i]));
        if (c >= 0x80) {
            out.resize(at);
            return false;
        }
        *d++ = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    }
    return true;
}

// Appends the case-folded form of a text: a text with more than ASCII goes through QString's
// full folding.
void appendFolded(std::u16string &out, QStringView text) {
    if (appendFoldedAscii(out, text.utf16(), text.size()))
        return;
    const QString f = text.toString().toCaseFolded();
    out.append(reinterpret_cast<const char16_t *>(f.utf16()), std::size_t(f.size()));
}

// Paints a cell as the style does (panel, selection, focus), then its one line of text with a
// single text call: the general item painter lays every cell out as a wrapped paragraph first,
// which made up most of a form's first paint.
class OneLineDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = std::move(opt.text);
        opt.text = QString();
        const QWidget *widget = opt.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        if (text.isEmpty())
            return;
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget)
                               .adjusted(margin, 0, -margin, 0);
        const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : !(opt.state & QStyle::State_Active)
                                               ? QPalette::Inactive
                                               : QPalette::Normal;
        painter->save();
        painter->setFont(opt.font);
        painter->setPen(opt.palette.color(group, opt.state & QStyle::State_Selected
                                                     ? QPalette::HighlightedText
                                                     : QPalette::Text));
        painter->drawText(room, int(opt.displayAlignment) | Qt::TextSingleLine,
                          opt.fontMetrics.elidedText(text, opt.textElideMode, room.width()));
        painter->restore();
    }
};

} // namespace

// The locale's formats, taken once per fill: amounts in the list's money pattern, stored dates
// in the short date form (each distinct stored date converted once; a collection holds many
// items bought on the same day).
class ItemListModel::Formats {
  public:
    Formats() : dateFormat_(platform::shortDateFormat()), money_(kListMoneyPattern, locale_) {}

    QString money(const QVariant &v) const {
        bool ok = false;
        const double amount = v.toDouble(&ok);
        return ok ? money_(amount) : v.toString();
    }

    QString date(const QString &stored) const {
        auto it = dates_.constFind(stored);
        if (it == dates_.constEnd()) {
            const QDate d = platform::dateFromStorage(stored);
            it = dates_.insert(stored, d.isValid() ? locale_.toString(d, dateFormat_) : stored);
        }
        return *it;
    }

  private:
    QLocale locale_;
    QString dateFormat_;
    platform::NumberFormat money_;
    mutable QHash<QString, QString> dates_;
};

ItemListModel::ItemListModel(QList<ListColumn> columns, QObject *parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {}

ItemListModel::~ItemListModel() = default;

int ItemListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(order_.size());
}

int ItemListModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

qsizetype ItemListModel::record(int row) const {
    return order_[std::size_t(row)];
}

QString ItemListModel::cellOf(qsizetype rec, int column) const {
    if (column < 0 || std::size_t(column) >= sources_.size())
        return {};
    const CellSource &s = sources_[std::size_t(column)];
    if (records_.isNullAt(rec, s.field))
        return {};
    switch (s.format) {
    case CellFormat::Text:
        break;
    case CellFormat::Money:
        return formats_->money(records_.valueAt(rec, s.field));
    case CellFormat::Date:
        return formats_->date(records_.textAt(rec, s.field));
    }
    return records_.textAt(rec, s.field);
}

QVariant ItemListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return oneLine(cellOf(record(index.row()), index.column()), kLineBreakMark);
    if (role == Qt::AccessibleTextRole)
        return oneLine(cellOf(record(index.row()), index.column()), QStringLiteral(" "));
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

void ItemListModel::setOwnRecords() {
    // Rows added one by one are kept as the key followed by every cell's text.
    QStringList names{QStringLiteral("key")};
    sources_.clear();
    for (int c = 0; c < columns_.size(); ++c) {
        names << QString::number(c);
        sources_.push_back({c + 1, CellFormat::Text});
    }
    records_ = engine::Recordset();
    records_.setColumns(std::move(names));
    records_.finish();
    keyField_ = 0;
    ownRows_ = true;
    order_.clear();
    formats_ = std::make_unique<Formats>();
}

void ItemListModel::addRow(const QString &key, const QStringList &cells) {
    if (!ownRows_) {
        if (!order_.empty())
            throw std::logic_error("rows added to a list filled from a record set");
        setOwnRecords();
    }
    const int at = rowCount();
    if (!filling_)
        beginInsertRows({}, at, at);
    auto text = [this](const QString &s) {
        const QByteArray utf8 = s.toUtf8();
        records_.appendText(utf8.constData(), utf8.size());
    };
    text(key);
    for (int c = 0; c < columns_.size(); ++c)
        text(cells.value(c));
    records_.endRow();
    order_.push_back(records_.RecordCount() - 1);
    if (!filling_)
        endInsertRows();
}

void ItemListModel::setRecords(engine::Recordset &&rs, std::vector<CellSource> sources,
                               int keyField) {
    for (const CellSource &s : sources)
        if (s.field < 0 || s.field >= rs.fieldCount())
            throw platform::Error(platform::ErrItemNotFound,
                                  QStringLiteral("Item cannot be found in the collection "
                                                 "corresponding to the requested name or "
                                                 "ordinal."));
    if (rs.RecordCount() > std::numeric_limits<int>::max())
        throw platform::Error(kErrOutOfMemory, QStringLiteral("Out of memory"));
    const bool reset = !filling_;
    if (reset)
        beginResetModel();
    records_ = std::move(rs);
    sources_ = std::move(sources);
    keyField_ = keyField;
    ownRows_ = false;
    formats_ = std::make_unique<Formats>();
    order_.resize(std::size_t(records_.RecordCount()));
    order_.shrink_to_fit();
    std::iota(order_.begin(), order_.end(), qsizetype(0));
    if (reset)
        endResetModel();
}

void ItemListModel::endFill() {
    if (filling_) {
        filling_ = false;
        if (ownRows_)
            records_.finish();
        endResetModel();
    }
}

void ItemListModel::clear() {
    beginResetModel();
    records_ = engine::Recordset();
    sources_.clear();
    order_ = {};
    ownRows_ = false;
    formats_.reset();
    endResetModel();
}

QString ItemListModel::key(int row) const {
    return row >= 0 && row < rowCount() ? records_.textAt(record(row), keyField_) : QString();
}

QString ItemListModel::cell(int row, int column) const {
    if (row < 0 || row >= rowCount())
        return {};
    return cellOf(record(row), column);
}

QStringList ItemListModel::rowCells(int row) const {
    QStringList out;
    for (int c = 0; c < columns_.size(); ++c)
        out << cell(row, c);
    return out;
}

namespace {

// One row of a sort by text: the first eight folded characters packed into two numbers, where
// its folded text lies in the shared buffer, and its place in the list before the sort.
struct Entry {
    std::uint64_t head[2];
    qsizetype offset;
    qsizetype length;
    qsizetype position;
};

// Orders the rows by their folded texts; equal texts keep their order.
void orderByText(std::vector<Entry> &entries, const std::u16string &folded, bool ascending) {
    const char16_t *base = folded.data();
    for (Entry &e : entries)
        for (qsizetype i = 0; i < 8; ++i)
            e.head[i / 4] = e.head[i / 4] << 16 | (i < e.length ? base[e.offset + i] : 0u);
    auto text = [base](const Entry &e) { return QStringView(base + e.offset, e.length); };
    auto byHead = [ascending](const Entry &a, const Entry &b) {
        if (a.head[0] != b.head[0])
            return ascending == (a.head[0] < b.head[0]);
        if (a.head[1] != b.head[1])
            return ascending == (a.head[1] < b.head[1]);
        return a.position < b.position;
    };
    std::sort(entries.begin(), entries.end(), byHead);
    for (auto run = entries.begin(); run != entries.end();) {
        auto next = run + 1;
        bool allEqual = true;
        while (next != entries.end() && next->head[0] == run->head[0] &&
               next->head[1] == run->head[1]) {
            allEqual = allEqual && text(*next) == text(*run);
            ++next;
        }
        if (!allEqual)
            std::sort(run, next, [&](const Entry &a, const Entry &b) {
                const int c = text(a).compare(text(b), Qt::CaseSensitive);
                return c != 0 ? ascending == (c < 0) : a.position < b.position;
            });
        run = next;
    }
}

} // namespace

void ItemListModel::sortByText(int column, Qt::SortOrder order) {
    // Each row's cell is case-folded once into one buffer. Rows are ordered first by their first
    // eight characters, packed into two numbers; only rows that share those are compared as
    // texts, and a run of equal texts (one maker on thousands of rows) is seen in one pass.
    // Equal texts keep their current order.
    std::u16string folded;
    std::vector<Entry> entries;
    entries.reserve(order_.size());
    const CellSource *source = column >= 0 && std::size_t(column) < sources_.size()
                                   ? &sources_[std::size_t(column)]
                                   : nullptr;
    // A text with more than ASCII is folded once, however many rows hold it.
    std::unordered_map<std::string_view, std::pair<std::size_t, std::size_t>> foldedBefore;
    // The cells are read in the order they are stored, whatever order the list shows: after
    // an earlier sort, reading them in the list's order would jump across the whole set.
    std::vector<qsizetype> positionOf(order_.size());
    for (std::size_t i = 0; i < order_.size(); ++i)
        positionOf[std::size_t(order_[i])] = qsizetype(i);
    for (qsizetype rec = 0; rec < qsizetype(positionOf.size()); ++rec) {
        const std::size_t at = folded.size();
        QByteArrayView utf8;
        if (source && source->format == CellFormat::Text &&
            records_.utf8At(rec, source->field, &utf8)) {
            if (!appendFoldedAscii(folded, utf8.data(), utf8.size())) {
                auto [it, fresh] = foldedBefore.try_emplace(
                    std::string_view(utf8.data(), std::size_t(utf8.size())));
                if (fresh) {
                    appendFolded(folded, QStringView(QString::fromUtf8(utf8)));
                    it->second = {at, folded.size() - at};
                } else {
                    folded.append(folded, it->second.first, it->second.second);
                }
            }
        } else {
            appendFolded(folded, QStringView(cellOf(rec, column)));
        }
        entries.push_back(
            {{0, 0}, qsizetype(at), qsizetype(folded.size() - at), positionOf[std::size_t(rec)]});
    }
    orderByText(entries, folded, order == Qt::AscendingOrder);
    std::vector<qsizetype> sorted(order_.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        sorted[i] = order_[std::size_t(entries[i].position)];
    beginResetModel();
    order_ = std::move(sorted);
    endResetModel();
}

ItemListView::ItemListView(QList<ListColumn> columns, QWidget *parent)
    : QTreeView(parent), model_(new ItemListModel(std::move(columns), this)) {
    setModel(model_);
    setItemDelegate(new OneLineDelegate(this));
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
            [this](const QModelIndex &current) {
                if (!current.isValid() || focusing_)
                    return;
                changedByThisPress_ = true;
                emit rowChosen(current.row());
            });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
        // A click on the row that is already current still chooses it again.
        if (index.isValid() && !changedByThisPress_)
            emit rowChosen(index.row());
        changedByThisPress_ = false;
    });
}

void ItemListView::mousePressEvent(QMouseEvent *e) {
    changedByThisPress_ = false;
    QTreeView::mousePressEvent(e);
}

void ItemListView::focusInEvent(QFocusEvent *e) {
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

void ItemListView::keyPressEvent(QKeyEvent *e) {
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

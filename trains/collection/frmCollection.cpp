#include "trains/collection/frmCollection.h"

#include "rails/records/Records.h"
#include "trains/CollectionEvents.h"
#include "trains/collection/CollectionModel.h"
#include "trains/collection/ExportDialog.h"
#include "trains/collection/ItemDetails.h"
#include "trains/collection/frmCollectionColumns.h"
#include "trains/modGlobal.h"
#include "trains/reports/InventoryDialog.h"

#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

namespace collection {

void frmCollection::showError(const QString &what, const platform::Error &e) {
    platform::setScreenPointer(platform::Pointer::Default);
    platform::MsgBox(what + platform::vbCrLf + platform::vbCrLf + e.Description(),
                     platform::critical(), kAppTitle);
}

frmCollection::frmCollection(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmCollection"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Browse Collection"));
    model_ = new CollectionModel(this);
    buildControls();
    connect(&CollectionEvents::instance(), &CollectionEvents::changed, this,
            &frmCollection::reloadSoon);
    reload();
}

void frmCollection::buildControls() {
    QLayout *filters = buildFilters(); // first, so that Tab goes from the find to the list
    // A table, not a tree: resetting it after a keystroke costs nothing per row.
    lvCollection = new QTableView(this);
    lvCollection->setObjectName(QStringLiteral("lvCollection"));
    lvCollection->setAccessibleName(tr("Collection"));
    lvCollection->setModel(model_);
    lvCollection->setShowGrid(false);
    lvCollection->setWordWrap(false);
    lvCollection->verticalHeader()->hide();
    lvCollection->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvCollection->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    lvCollection->horizontalHeader()->setHighlightSections(false);
    lvCollection->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvCollection->setSelectionMode(QAbstractItemView::SingleSelection);
    lvCollection->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvCollection->horizontalHeader()->setSortIndicator(CollectionModel::colId, Qt::AscendingOrder);
    lvCollection->horizontalHeader()->setSortIndicatorShown(true);
    lvCollection->setSortingEnabled(true);
    lvCollection->installEventFilter(this);
    // Tab goes on to the next control, as everywhere else; arrows move in the table.
    lvCollection->setTabKeyNavigation(false);
    setUpColumns(lvCollection->horizontalHeader());
    // The value history is read when a column of it is first shown, not for every Browse.
    connect(lvCollection->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int oldSize, int) {
                if (!pastRead_ && oldSize == 0 &&
                    (column == CollectionModel::colYearAgo || column == CollectionModel::colChange))
                    readRecords();
            });

    lblTotals = new QLabel(this);
    lblTotals->setObjectName(QStringLiteral("lblTotals"));
    lblTotals->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Long totals of a large collection wrap instead of widening the view.
    lblTotals->setWordWrap(true);

    auto *left = new QWidget(this);
    auto *leftBox = new QVBoxLayout(left);
    leftBox->setContentsMargins(0, 0, 0, 0);
    leftBox->addLayout(filters);
    leftBox->addWidget(lvCollection, 1);
    leftBox->addWidget(lblTotals);

    auto *split = new QSplitter(this);
    split->addWidget(left);
    split->addWidget(buildPane());
    split->setStretchFactor(0, 5);
    split->setStretchFactor(1, 2);
    split->setSizes({5000, 2000});
    auto *box = new QVBoxLayout(this);
    box->addWidget(split);
    resize(1100, 600);
    connectControls();
    showChosen();
}

QWidget *frmCollection::buildPane() {
    txtDetail = new QTextBrowser(this);
    txtDetail->setObjectName(QStringLiteral("txtDetail"));
    txtDetail->setAccessibleName(tr("Item details"));
    lstPhotos = new QListWidget(this);
    lstPhotos->setObjectName(QStringLiteral("lstPhotos"));
    lstPhotos->setAccessibleName(tr("Photos"));
    lstPhotos->setViewMode(QListView::IconMode);
    lstPhotos->setIconSize(QSize(96, 96));
    lstPhotos->setResizeMode(QListView::Adjust);
    lstPhotos->setMovement(QListView::Static);
    lstPhotos->setFixedHeight(130);

    const auto button = [this](const QString &caption, const char *name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    cmdEdit = button(tr("&Edit..."), "cmdEdit");
    cmdOpenCard = button(tr("Open &Card…"), "cmdOpenCard");
    cmdOpenCard->setToolTip(tr("The item's card (Ctrl+Enter)"));
    cmdAddPhotos = button(tr("Add &Photos..."), "cmdAddPhotos");
    cmdRemovePhoto = button(tr("&Remove Photo"), "cmdRemovePhoto");
    cmdViewPhoto = button(tr("&View Photo..."), "cmdViewPhoto");
    cmdPrintShown = button(tr("Print &What's Shown..."), "cmdPrintShown");
    cmdExportShown = button(tr("E&xport What's Shown..."), "cmdExportShown");
    cmdExportShown->setToolTip(tr("The items on show, in their order, as a CSV file"));

    // The photo buttons two by two, so that the view fits the main window at its smallest
    // without scrolling.
    auto *right = new QWidget(this);
    auto *rightBox = new QVBoxLayout(right);
    rightBox->setContentsMargins(0, 0, 0, 0);
    rightBox->addWidget(txtDetail, 1);
    rightBox->addWidget(lstPhotos);
    auto *buttons = new QGridLayout;
    buttons->addWidget(cmdAddPhotos, 0, 0);
    buttons->addWidget(cmdRemovePhoto, 0, 1);
    buttons->addWidget(cmdViewPhoto, 1, 0);
    buttons->addWidget(cmdEdit, 1, 1);
    buttons->addWidget(cmdOpenCard, 2, 0);
    buttons->addWidget(cmdPrintShown, 2, 1);
    buttons->addWidget(cmdExportShown, 3, 1);
    rightBox->addLayout(buttons);
    return right;
}

void frmCollection::connectControls() {
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        // The chosen item stays chosen when it is still shown after a find, sort or reload.
        const int row = model_->rowOfItem(chosenItem_);
        if (row >= 0) {
            const QSignalBlocker block(lvCollection->selectionModel());
            lvCollection->setCurrentIndex(model_->index(row, 0));
        } else if (!chosenItem_.isEmpty()) {
            // An item the find or a filter hides is no longer chosen: nothing acts on it.
            chosenItem_.clear();
            chosenId_ = 0;
            showChosen();
        }
        updateTotals();
    });
    connect(lvCollection->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                chosenItem_ = current.isValid() ? model_->itemId(current.row()) : QString();
                chosenId_ = current.isValid() ? model_->rowId(current.row()) : 0;
                showChosen();
            });
    connect(lvCollection, &QAbstractItemView::doubleClicked, this, &frmCollection::cmdEdit_Click);
    connect(lstPhotos, &QListWidget::itemDoubleClicked, this, &frmCollection::cmdViewPhoto_Click);
    connect(lstPhotos, &QListWidget::currentRowChanged, this, [this](int row) {
        cmdRemovePhoto->setEnabled(row >= 0);
        cmdViewPhoto->setEnabled(row >= 0);
    });
    connect(cmdEdit, &QPushButton::clicked, this, &frmCollection::cmdEdit_Click);
    connect(cmdOpenCard, &QPushButton::clicked, this, &frmCollection::cmdOpenCard_Click);
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto *card = new QShortcut(QKeySequence(Qt::CTRL | key), this);
        card->setContext(Qt::WidgetWithChildrenShortcut);
        connect(card, &QShortcut::activated, this, &frmCollection::cmdOpenCard_Click);
    }
    connect(cmdAddPhotos, &QPushButton::clicked, this, &frmCollection::cmdAddPhotos_Click);
    connect(cmdRemovePhoto, &QPushButton::clicked, this, &frmCollection::cmdRemovePhoto_Click);
    connect(cmdViewPhoto, &QPushButton::clicked, this, &frmCollection::cmdViewPhoto_Click);
    connect(cmdPrintShown, &QPushButton::clicked, this, &frmCollection::cmdPrintShown_Click);
    connect(cmdExportShown, &QPushButton::clicked, this, &frmCollection::cmdExportShown_Click);
}

void frmCollection::reload() {
    platform::setScreenPointer(platform::Pointer::Wait);
    std::shared_ptr<engine::Recordset> rows;
    const bool ok = platform::trap(
        [&] { rows = data_.browseRows(); },
        [](const platform::Error &e) { showError(tr("The collection could not be read."), e); });
    if (ok) {
        model_->load(rows);
        readRecords();
        fillFilterLists();
        // The chosen item may have been changed or deleted meanwhile.
        const int row = model_->rowOfItem(chosenItem_);
        if (row < 0) {
            chosenItem_.clear();
            chosenId_ = 0;
        }
        showChosen();
    }
    platform::setScreenPointer(platform::Pointer::Default);
}

void frmCollection::readRecords() {
    // The collector's fields and the values of a year ago; a file without them has none.
    const QHeaderView *header = lvCollection->horizontalHeader();
    pastRead_ = !header->isSectionHidden(CollectionModel::colYearAgo) ||
                !header->isSectionHidden(CollectionModel::colChange);
    CollectionModel::Records records;
    platform::trap(
        [&] {
            records::Store store(data_.databasePath());
            for (const records::Field &f : store.fields())
                records.fields.append({f.id, f.name});
            records.fieldValues = store.fieldValueRows();
            if (pastRead_)
                records.yearAgo = store.valuesAsOf(platform::now().date().addYears(-1));
        },
        [](const platform::Error &) {});
    model_->setRecords(records);
    applyColumns(lvCollection->horizontalHeader());
}

void frmCollection::reloadSoon() {
    // Several writes in a row (or a form's own refresh) read the collection only once.
    if (reloadPending_)
        return;
    reloadPending_ = true;
    QTimer::singleShot(0, this, [this] {
        reloadPending_ = false;
        reload();
    });
}

void frmCollection::updateTotals() {
    const CollectionModel::Totals t = model_->totals();
    const QLocale locale;
    QString change = QStringLiteral("-");
    // An item without a value (or a cost) has no change to count, not one of -100%.
    if (t.pairedCost != 0) {
        const double percent = (t.pairedValue - t.pairedCost) / t.pairedCost * 100.0;
        change = (percent > 0 ? QStringLiteral("+") : QString()) +
                 locale.toString(percent, 'f', 1) + locale.percent();
    }
    lblTotals->setText(tr("%1 of %2 items    Original cost: %3    Current value: %4    Change: %5")
                           .arg(locale.toString(qlonglong(t.count)),
                                locale.toString(qlonglong(model_->totalRows())),
                                platform::moneyText(t.cost), platform::moneyText(t.value), change));
}

int frmCollection::chosenRow() const {
    const QModelIndex i = lvCollection->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void frmCollection::showChosen() {
    const bool chosen = !chosenItem_.isEmpty();
    std::shared_ptr<engine::Recordset> rs;
    if (chosen)
        platform::resumeNext([&] { rs = data_.item(chosenId_); });
    if (!rs || rs->isEOF()) {
        showDetail(tr("<p>Choose an item in the list to see all its fields, notes and "
                      "photos.</p>"));
        cmdEdit->setEnabled(false);
        cmdOpenCard->setEnabled(false);
        cmdAddPhotos->setEnabled(false);
        lstPhotos->clear();
        cmdRemovePhoto->setEnabled(false);
        cmdViewPhoto->setEnabled(false);
        return;
    }
    ItemDetails details = itemDetails(*rs);
    addOwnRecords(details, data_.databasePath());
    const ItemKind kind = details.kind;
    showDetail(detailHtml(details));
    cmdEdit->setEnabled(kind == ItemKind::Car || kind == ItemKind::Loco || kind == ItemKind::Set);
    cmdAddPhotos->setEnabled(true);
    cmdOpenCard->setEnabled(true);
    showPhotos();
}

void frmCollection::showDetail(const QString &html) {
    txtDetail->setHtml(html);
    // The pane's text as a screen reader reads it: the accessible text of a read-only browser
    // is not offered by every platform bridge, its description is.
    txtDetail->setAccessibleDescription(txtDetail->toPlainText());
}

void frmCollection::cmdEdit_Click() {
    if (chosenItem_.isEmpty() || !cmdEdit->isEnabled())
        return;
    emit editRequested(model_->kind(chosenRow()), chosenItem_);
}

QList<qint64> frmCollection::shownIds() const {
    // The items on show, in the order shown: the find, the filters and the sort decide.
    QList<qint64> ids;
    ids.reserve(model_->rowCount());
    for (int r = 0; r < model_->rowCount(); ++r)
        ids.append(model_->rowId(r));
    return ids;
}

void frmCollection::cmdPrintShown_Click() {
    reports::InventoryOptions shown;
    shown.rowIds = shownIds();
    if (shown.rowIds.isEmpty())
        return;
    reports::printInventory(this, shown, false);
}

void frmCollection::cmdExportShown_Click() {
    exportWhatIsShown(this, shownIds());
}

void frmCollection::cmdOpenCard_Click() {
    if (!chosenItem_.isEmpty() && cmdOpenCard->isEnabled())
        emit cardRequested(chosenItem_);
}

QString frmCollection::neighbourOf(const QString &itemId, int step) const {
    const int row = model_->rowOfItem(itemId);
    if (row < 0 || row + step < 0 || row + step >= model_->rowCount())
        return {};
    return model_->itemId(row + step);
}

void frmCollection::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (area_)
        return;
    for (QWidget *w = parentWidget(); w; w = w->parentWidget())
        if (auto *mdi = qobject_cast<QMdiArea *>(w)) {
            area_ = mdi->viewport();
            area_->installEventFilter(this);
            return;
        }
}

bool frmCollection::eventFilter(QObject *watched, QEvent *event) {
    if (watched == area_ && event->type() == QEvent::Resize) {
        // A Browse that fills the main window's client area keeps filling it as it grows.
        const auto *resize = static_cast<QResizeEvent *>(event);
        auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget());
        if (sub && sub->geometry() == QRect(QPoint(0, 0), resize->oldSize()))
            sub->setGeometry(QRect(QPoint(0, 0), resize->size()));
    }
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched == txtFind && key->key() == Qt::Key_Escape && !txtFind->text().isEmpty()) {
            txtFind->clear();
            return true;
        }
        if (watched == txtFind && key->key() == Qt::Key_Down) {
            // From the find box straight into the list.
            lvCollection->setFocus();
            if (!lvCollection->currentIndex().isValid() && model_->rowCount() > 0)
                lvCollection->setCurrentIndex(model_->index(0, 0));
            return true;
        }
        if (watched == lvCollection && !(key->modifiers() & Qt::ControlModifier) &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            cmdEdit_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace collection

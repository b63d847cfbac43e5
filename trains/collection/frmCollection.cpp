#include "trains/collection/frmCollection.h"

#include "trains/CollectionEvents.h"
#include "trains/collection/CollectionModel.h"
#include "trains/collection/PhotoImport.h"
#include "trains/collection/PhotoViewer.h"
#include "trains/modGlobal.h"
#include "rails/records/Records.h"

#include "platform/Error.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"

#include <QComboBox>
#include <QDate>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QTimer>
#include <QTableView>
#include <QVBoxLayout>

namespace collection {

namespace {
frmCollection::FileAsker &fileAsker() {
    static frmCollection::FileAsker asker;
    return asker;
}

void showError(const QString &what, const platform::Error &e) {
    platform::setScreenPointer(platform::Pointer::Default);
    platform::MsgBox(what + platform::vbCrLf + platform::vbCrLf + e.Description(),
                     platform::critical(), kAppTitle);
}

QString amount(const QVariant &v) {
    return v.isNull() ? QString() : QLocale().toString(v.toDouble(), 'f', 2);
}
} // namespace

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
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setClearButtonEnabled(true);
    txtFind->setPlaceholderText(tr("Words to find in any column"));
    txtFind->installEventFilter(this);
    auto *lblFind = new QLabel(tr("&Find:"), this);
    lblFind->setBuddy(txtFind);
    cboKind = new QComboBox(this);
    cboKind->setObjectName(QStringLiteral("cboKind"));
    auto *lblKind = new QLabel(tr("&Kind:"), this);
    lblKind->setBuddy(cboKind);
    cboCondition = new QComboBox(this);
    cboCondition->setObjectName(QStringLiteral("cboCondition"));
    auto *lblCondition = new QLabel(tr("C&ondition:"), this);
    lblCondition->setBuddy(cboCondition);

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
    const int widths[CollectionModel::colCount] = {95, 70,  110, 120, 100, 70, 80, 70,
                                                   80, 110, 75,  75,  80,  80, 40};
    for (int c = 0; c < CollectionModel::colCount; ++c)
        lvCollection->setColumnWidth(c, widths[c]);

    lblTotals = new QLabel(this);
    lblTotals->setObjectName(QStringLiteral("lblTotals"));
    lblTotals->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Long totals of a large collection wrap instead of widening the view.
    lblTotals->setWordWrap(true);

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

    // Find above the two filters, and the photo buttons two by two, so that the view fits
    // the main window at its smallest without scrolling.
    auto *find = new QHBoxLayout;
    find->addWidget(lblFind);
    find->addWidget(txtFind, 1);
    auto *filters = new QHBoxLayout;
    filters->addWidget(lblKind);
    filters->addWidget(cboKind, 1);
    filters->addWidget(lblCondition);
    filters->addWidget(cboCondition, 1);

    auto *left = new QWidget(this);
    auto *leftBox = new QVBoxLayout(left);
    leftBox->setContentsMargins(0, 0, 0, 0);
    leftBox->addLayout(find);
    leftBox->addLayout(filters);
    leftBox->addWidget(lvCollection, 1);
    leftBox->addWidget(lblTotals);

    auto *right = new QWidget(this);
    auto *rightBox = new QVBoxLayout(right);
    rightBox->setContentsMargins(0, 0, 0, 0);
    rightBox->addWidget(txtDetail, 1);
    rightBox->addWidget(lstPhotos);
    auto *photoButtons = new QGridLayout;
    photoButtons->addWidget(cmdAddPhotos, 0, 0);
    photoButtons->addWidget(cmdRemovePhoto, 0, 1);
    photoButtons->addWidget(cmdViewPhoto, 1, 0);
    photoButtons->addWidget(cmdEdit, 1, 1);
    photoButtons->addWidget(cmdOpenCard, 2, 0);
    rightBox->addLayout(photoButtons);

    auto *split = new QSplitter(this);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto *box = new QVBoxLayout(this);
    box->addWidget(split);
    resize(1100, 600);

    connect(txtFind, &QLineEdit::textChanged, this, &frmCollection::applyFilter);
    connect(cboKind, &QComboBox::currentIndexChanged, this, &frmCollection::applyFilter);
    connect(cboCondition, &QComboBox::currentIndexChanged, this, &frmCollection::applyFilter);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        // The chosen item stays chosen when it is still shown after a find, sort or reload.
        const int row = model_->rowOfItem(chosenItem_);
        if (row >= 0) {
            const QSignalBlocker block(lvCollection->selectionModel());
            lvCollection->setCurrentIndex(model_->index(row, 0));
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
    showChosen();
}

void frmCollection::reload() {
    platform::setScreenPointer(platform::Pointer::Wait);
    std::shared_ptr<engine::Recordset> rows;
    const bool ok = platform::trap(
        [&] { rows = data_.browseRows(); },
        [](const platform::Error &e) { showError(tr("The collection could not be read."), e); });
    if (ok) {
        model_->load(rows);
        // The collector's own fields are found too; a file without them finds none.
        platform::trap(
            [&] {
                model_->setExtraText(records::Store(data_.databasePath()).fieldTextByItem());
            },
            [](const platform::Error &) {});
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

void frmCollection::fillFilterLists() {
    const QSignalBlocker blockKind(cboKind);
    const QSignalBlocker blockCondition(cboCondition);
    const int kind = cboKind->currentData().isValid() ? cboKind->currentData().toInt() : -1;
    const QString condition =
        cboCondition->currentIndex() > 0 ? cboCondition->currentText() : QString();
    cboKind->clear();
    cboKind->addItem(tr("All kinds"), -1);
    for (Kind k : model_->kindsPresent())
        cboKind->addItem(kindName(k), int(k));
    cboKind->setCurrentIndex(std::max(0, cboKind->findData(kind)));
    cboCondition->clear();
    cboCondition->addItem(tr("All conditions"), -1);
    QStringList conditions = model_->conditions();
    for (qsizetype i = 0; i < conditions.size(); ++i)
        cboCondition->addItem(conditions[i].isEmpty() ? tr("(none)") : conditions[i], int(i));
    const int found = condition.isEmpty() ? 0 : cboCondition->findText(condition);
    cboCondition->setCurrentIndex(std::max(0, found));
    // The row indexes of the conditions may have changed with the reload.
    model_->setFilter(txtFind->text(), cboKind->currentData().toInt(),
                      cboCondition->currentData().toInt());
    updateTotals();
}

void frmCollection::applyFilter() {
    model_->setFilter(txtFind->text(), cboKind->currentData().toInt(),
                      cboCondition->currentData().toInt());
}

void frmCollection::updateTotals() {
    const CollectionModel::Totals t = model_->totals();
    const QLocale locale;
    QString change = QStringLiteral("-");
    if (t.cost != 0) {
        const double percent = (t.value - t.cost) / t.cost * 100.0;
        change = (percent > 0 ? QStringLiteral("+") : QString()) +
                 locale.toString(percent, 'f', 1) + locale.percent();
    }
    lblTotals->setText(tr("%1 of %2 items    Original cost: %3    Current value: %4    Change: %5")
                           .arg(locale.toString(qlonglong(t.count)),
                                locale.toString(qlonglong(model_->totalRows())),
                                locale.toString(t.cost, 'f', 2), locale.toString(t.value, 'f', 2),
                                change));
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
        txtDetail->setHtml(tr("<p>Choose an item in the list to see all its fields, notes and "
                              "photos.</p>"));
        cmdEdit->setEnabled(false);
        cmdOpenCard->setEnabled(false);
        cmdAddPhotos->setEnabled(false);
        lstPhotos->clear();
        cmdRemovePhoto->setEnabled(false);
        cmdViewPhoto->setEnabled(false);
        return;
    }
    const Kind kind = Kind(rs->Fields(QStringLiteral("KindCode")).toInt());
    const auto text = [&](const char *column) {
        return rs->Fields(QLatin1String(column)).toString().toHtmlEscaped();
    };
    const auto date = [&](const char *column) {
        const QDate d =
            QDate::fromString(rs->Fields(QLatin1String(column)).toString().left(10), Qt::ISODate);
        return d.isValid() ? platform::shortDate(d) : QString();
    };
    const bool isSet = kind == Kind::Set;
    const QList<std::pair<QString, QString>> fields = {
        {tr("Item"), text("ItemID")},
        {tr("Kind"), kindName(kind)},
        {tr("Manufacturer"), text("Manufacturer")},
        {tr("Rail Line"), text("RailLine")},
        {tr("Type"), text("CarType")},
        {tr("Number"), text(isSet ? "SetNumber" : "CarNumber")},
        {tr("Gauge"), text("Gauge")},
        {tr("Minimum Curve"), text("Curve")},
        {tr("Colour"),
         rs->isNull(rs->fieldIndex(QStringLiteral("CarColor"))) ? text("Color") : text("CarColor")},
        {tr("Acquired From"), text("AccquiredFrom")},
        {tr("Original Cost"), amount(rs->Fields(QStringLiteral("OriginalCost")))},
        {tr("Current Value"), amount(rs->Fields(QStringLiteral("CurrentValue")))},
        {tr("Date Acquired"), date("DateAccquired")},
        {tr("Condition"), text("Condition")},
        {tr("Box Included"), text("Box")},
        {tr("Added"), date("DateAdd")},
        {tr("Changed"), date("DateMod")},
    };
    QString html = QStringLiteral("<table cellspacing=\"2\">");
    for (const auto &[caption, value] : fields)
        html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(caption, value);
    html += QStringLiteral("</table><p><b>%1</b></p><p style=\"white-space:pre-wrap\">%2</p>")
                .arg(tr("Notes"), text("Notes"));
    txtDetail->setHtml(html);
    cmdEdit->setEnabled(kind == Kind::Car || kind == Kind::Loco || kind == Kind::Set);
    cmdAddPhotos->setEnabled(true);
    cmdOpenCard->setEnabled(true);
    showPhotos();
}

void frmCollection::showPhotos() {
    lstPhotos->clear();
    QList<PhotoInfo> photos;
    platform::trap(
        [&] { photos = data_.photos(chosenItem_); },
        [](const platform::Error &e) { showError(tr("The photos could not be read."), e); });
    for (const PhotoInfo &p : photos) {
        QPixmap thumb;
        thumb.loadFromData(p.thumb, "JPEG");
        auto *item = new QListWidgetItem(QIcon(thumb), p.caption, lstPhotos);
        item->setData(Qt::UserRole, p.photoId);
        item->setToolTip(p.caption);
    }
    cmdRemovePhoto->setEnabled(false);
    cmdViewPhoto->setEnabled(false);
    if (lstPhotos->count() > 0)
        lstPhotos->setCurrentRow(0);
}

void frmCollection::cmdEdit_Click() {
    if (chosenItem_.isEmpty() || !cmdEdit->isEnabled())
        return;
    emit editRequested(model_->kind(chosenRow()), chosenItem_);
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

void frmCollection::setPhotoFileAsker(FileAsker asker) {
    fileAsker() = std::move(asker);
}

void frmCollection::cmdAddPhotos_Click() {
    if (chosenItem_.isEmpty())
        return;
    const QStringList paths =
        fileAsker()
            ? fileAsker()(this)
            : QFileDialog::getOpenFileNames(this, tr("Add Photos"), QString(), photoFileFilter());
    if (!paths.isEmpty())
        addPhotoFiles(paths);
}

int frmCollection::addPhotoFiles(const QStringList &paths) {
    int stored = 0;
    for (const QString &path : paths) {
        platform::setScreenPointer(platform::Pointer::Wait);
        const PreparedPhoto photo = preparePhoto(path);
        platform::setScreenPointer(platform::Pointer::Default);
        if (!photo.error.isEmpty()) {
            platform::MsgBox(photo.error, platform::exclamation(), kAppTitle);
            continue;
        }
        platform::trap(
            [&] {
                data_.addPhoto(chosenItem_, photo.image, photo.thumb, QString());
                ++stored;
            },
            [&](const platform::Error &e) {
                showError(tr("The photo %1 could not be stored.").arg(path), e);
            });
    }
    showPhotos();
    if (stored > 0)
        lstPhotos->setCurrentRow(lstPhotos->count() - 1);
    return stored;
}

void frmCollection::cmdRemovePhoto_Click() {
    QListWidgetItem *item = lstPhotos->currentItem();
    if (!item)
        return;
    const auto answer = platform::MsgBox(
        tr("Remove the chosen photo of %1 from the collection? ").arg(chosenItem_),
        {platform::MsgIcon::Question, platform::MsgButtons::YesNo, platform::MsgDefault::Button2},
        kAppTitle);
    if (answer != platform::MsgResult::Yes)
        return;
    platform::trap(
        [&] { data_.removePhoto(item->data(Qt::UserRole).toLongLong()); },
        [](const platform::Error &e) { showError(tr("The photo could not be removed."), e); });
    showPhotos();
}

void frmCollection::cmdViewPhoto_Click() {
    if (lstPhotos->count() == 0)
        return;
    PhotoViewer viewer(data_, chosenItem_, std::max(0, lstPhotos->currentRow()), this);
    viewer.exec();
    showPhotos();
}

bool frmCollection::eventFilter(QObject *watched, QEvent *event) {
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

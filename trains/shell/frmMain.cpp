#include "trains/shell/frmMain.h"

#include "trains/shell/CollectionCheck.h"
#include "trains/collection/frmCollection.h"
#include "trains/items/EditItemForm.h"
#include "trains/reports/InventoryDialog.h"
#include "trains/reports/ReportSettings.h"
#include "trains/reports/ValueSummary.h"
#include "trains/collection/BackupDialogs.h"
#include "trains/collection/ExportDialog.h"
#include "trains/collection/CsvImportDialog.h"
#include "trains/shell/frmAbout.h"
#include "trains/modGlobal.h"

#include "platform/Clipboard.h"
#include "platform/Error.h"
#include "platform/Help.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"
#include "platform/Shell.h"

#include <QAction>
#include <QCloseEvent>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QToolBar>
#include <algorithm>
#include <vector>

using platform::Error;
using platform::resumeNext;

const QString frmMain::kProductWebPage = QStringLiteral("https://www.orvanne.example/quillon/");

namespace {

struct Entry {
    const char* name; // empty for a separator
    const char* caption;
    bool hidden;
    void (frmMain::*command)();
};

struct Menu {
    const char* name;
    const char* caption;
    std::vector<Entry> entries;
};

constexpr Entry separator(bool hidden = false) { return {"", "", hidden, nullptr}; }

// Entries marked hidden are neither visible nor enabled, and nothing makes them so; the hidden
// separators keep the visible menus free of doubled or trailing lines.
const Menu kMenus[] = {
    {"mnuAdd", "&Add",
     {{"mnuAddNewLoco", "Add New Locomotive", false, &frmMain::mnuAddNewLoco_Click},
      separator(),
      {"mnuAddNewCar", "Add New Rolling Stock", false, &frmMain::mnuAddNewCar_Click},
      separator(),
      {"mnuAddNewSet", "Add New Train Set", false, &frmMain::mnuAddNewSet_Click},
      separator(),
      {"mnuAddNewTrack", "Add New Track", true, nullptr},
      separator(true),
      {"mnuAddNewAccessory", "Add New Accessory", true, nullptr},
      separator(true),
      {"mnuAddExit", "eXit", false, &frmMain::mnuAddExit_Click}}},
    {"mnuEdit", "&Edit",
     {{"mnuEditLoco", "Edit Locomotive Record", false, &frmMain::mnuEditLoco_Click},
      separator(),
      {"mnuEditCar", "Edit Rolling Stock Record", false, &frmMain::mnuEditCar_Click},
      separator(),
      {"mnuEditTrainSet", "Edit Train Set Record", false, &frmMain::mnuEditTrainSet_Click},
      separator(),
      {"mnuEditTrack", "Edit Track Record", true, nullptr},
      separator(true),
      {"mnuEditAccessory", "Edit Accessory Record", true, nullptr},
      separator(true),
      {"mnuEditProfile", "Edit Owner Profile", false, &frmMain::mnuEditProfile_Click}}},
    {"mnuUtils", "&Utils",
     {{"mnuUtilDeleteLoco", "Delete Locomotive Record", false, &frmMain::mnuUtilDeleteLoco_Click},
      separator(),
      {"mnuUtilDeleteCar", "Delete Rolling Stock Record", false,
       &frmMain::mnuUtilDeleteCar_Click},
      separator(),
      {"mnuUtilDeleteSet", "Delete Train Set Record", false, &frmMain::mnuUtilDeleteSet_Click},
      separator(true),
      {"mnuUtilDeleteTrack", "Delete Track Record", true, nullptr},
      separator(true),
      {"mnuUtilDeleteAccessory", "Delete Accessory Record", true, nullptr}}},
    {"mnuReportS", "&Reports",
     {{"mnuReportLoco", "Locomotive Report", false, &frmMain::mnuReportLoco_Click},
      separator(),
      {"mnuReportCar", "Rolling Stock Report", false, &frmMain::mnuReportCar_Click},
      separator(),
      {"mnuReportSet", "Train Set Report", false, &frmMain::mnuReportSet_Click},
      separator(true),
      {"mnuReportTrack", "Track Report", true, nullptr},
      separator(true),
      {"mnuReportAccessory", "Accessory Report", true, nullptr}}},
    {"mnuCollection", "&Collection",
     {{"mnuCollectionBrowse", "&Browse Collection", false, &frmMain::mnuCollectionBrowse_Click},
      {"mnuCollectionSummary", "&Value Summary Report", false,
       &frmMain::mnuCollectionSummary_Click},
      {"mnuCollectionInventory", "Collection &Inventory…", false,
       &frmMain::mnuCollectionInventory_Click},
      {"mnuCollectionCurrency", "Currency and &Paper…", false,
       &frmMain::mnuCollectionCurrency_Click},
      separator(),
      {"mnuCollectionBackup", "Back &Up Collection…", false, &frmMain::mnuCollectionBackup_Click},
      {"mnuCollectionRestore", "&Restore From Backup…", false,
       &frmMain::mnuCollectionRestore_Click},
      {"mnuCollectionExport", "&Export to CSV…", false, &frmMain::mnuCollectionExport_Click},
      {"mnuCollectionImport", "I&mport from CSV…", false, &frmMain::mnuCollectionImport_Click},
      separator(),
      {"mnuCollectionChoiceLists", "Choice &Lists…", false,
       &frmMain::mnuCollectionChoiceLists_Click},
      {"mnuCollectionFields", "&Fields…", false, &frmMain::mnuCollectionFields_Click},
      {"mnuCollectionDeleted", "&Deleted Items…", false, &frmMain::mnuCollectionDeleted_Click}}},
    {"mnuWindows", "&Windows",
     {{"mnuWindowCascade", "Cascade", false, &frmMain::mnuWindowCascade_Click},
      separator(),
      {"mnuWindowV", "Tile Vertically", false, &frmMain::mnuWindowV_Click},
      separator(),
      {"mnuWindowH", "Tile Horizontally", false, &frmMain::mnuWindowH_Click},
      separator(),
      {"mnuWindowArrangeIcons", "Arrange Icons", false, &frmMain::mnuWindowArrangeIcons_Click}}},
    {"mnuHelp", "&Help",
     {{"mnuHelpShowHelp", "Quillon Help", false, &frmMain::mnuHelpShowHelp_Click},
      separator(),
      {"mnuHelpCheckUpdates", "Check For Updates", false, &frmMain::mnuHelpCheckUpdates_Click},
      separator(),
      {"mnuHelpAbout", "About Quillon", false, &frmMain::mnuHelpAbout_Click}}},
};

// The messages of the record checks and report commands.
namespace msg {
const QString editLoco = QStringLiteral("No Locomotive records were found to edit! ");
const QString editCar = QStringLiteral("No Rolling Stock records were found to edit! ");
const QString editSet = QStringLiteral("No Train Set records were found to edit! ");
const QString editProfile = QStringLiteral("No Owner Profile was found to edit! ");
const QString deleteLoco = QStringLiteral("No Locomotive records were found to delete! ");
const QString deleteCar = QStringLiteral("No Rolling Stock records were found to delete! ");
const QString deleteSet = QStringLiteral("No Train Set records were found to delete! ");
const QString reportLoco = QStringLiteral("No Locomotive records were found! ");
const QString reportCar = QStringLiteral("No Rolling Stock records were found! ");
const QString reportSet = QStringLiteral("No Train Set records were found! ");
} // namespace msg

const QString kRegister = QStringLiteral("regsvr32.exe /s rails.dll");

// Client area of 12225 by 7905 twips: the designed size, and the smallest the window gets.
constexpr QSize kDesignedClient(12225 / 15, 7905 / 15);
const QString kGeometryKey = QStringLiteral("mainWindow/geometry");

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent), mdi_(new QMdiArea) {
    setObjectName(QStringLiteral("frmMain"));
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    // The task forms are larger than the first client area: scroll bars reach what is beyond.
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    buildMenus();
    if (auto* browse = findChild<QAction*>(QStringLiteral("mnuCollectionBrowse")))
        browse->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    addKeys();
    mdi_->setMinimumSize(kDesignedClient);
    resize(kDesignedClient + QSize(0, menuBar()->sizeHint().height()));
    placeOnScreen();
}

void frmMain::placeOnScreen() {
    // The size and place the user left the window in, when there is one.
    if (restoreGeometry(QSettings().value(kGeometryKey).toByteArray()))
        return;
    // Otherwise room for the largest task form in its child window, so that it opens whole.
    const int frame = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const QSize extra = size() - mdi_->size() + QSize(2 * frame + mdi_->frameWidth() * 2,
                                                      titleBar + frame + mdi_->frameWidth() * 2);
    const QSize wanted = largestTaskFormSize() + extra;
    // The window manager's frame around the window takes some of the screen's free area too.
    const QSize room = screen()->availableGeometry().size() - QSize(16, 48);
    resize(size().expandedTo(wanted.boundedTo(room)));
}

namespace {
// Ctrl+F4, and the desktop's own key for closing a document where it has another one.
QList<QKeySequence> closeWindowKeys() {
    QList<QKeySequence> keys{QKeySequence(Qt::CTRL | Qt::Key_F4)};
    for (const QKeySequence& k : QKeySequence::keyBindings(QKeySequence::Close))
        if (!keys.contains(k))
            keys << k;
    return keys;
}
} // namespace

void frmMain::addKeys() {
    // Keys beside the designed menus, whose entries carry none.
    auto* help = new QAction(this);
    help->setObjectName(QStringLiteral("keyHelp"));
    help->setShortcut(QKeySequence(Qt::Key_F1));
    connect(help, &QAction::triggered, this, &frmMain::mnuHelpShowHelp_Click);
    auto* closeWindow = new QAction(this);
    closeWindow->setObjectName(QStringLiteral("keyCloseWindow"));
    closeWindow->setShortcuts(closeWindowKeys());
    connect(closeWindow, &QAction::triggered, this, [this] {
        if (QMdiSubWindow* sub = mdi_->currentSubWindow())
            sub->close();
    });
    addActions({help, closeWindow});
}

QString frmMain::taskHeading(const QMdiSubWindow* sub) {
    const QWidget* form = sub ? sub->widget() : nullptr;
    if (!form)
        return QString();
    if (!form->accessibleName().isEmpty())
        return form->accessibleName();
    // Reports have no heading of their own; their caption, less the program's name, is one.
    QString caption = form->windowTitle();
    const QString programPart = kAppTitle + QStringLiteral("  -  ");
    if (caption.startsWith(programPart))
        caption.remove(0, programPart.size());
    return caption;
}

void frmMain::listTaskWindows(QMenu* menu) {
    for (QAction* a : std::as_const(windowEntries_)) {
        menu->removeAction(a);
        a->deleteLater();
    }
    windowEntries_.clear();
    QList<QMdiSubWindow*> open;
    for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::CreationOrder))
        if (!sub->isHidden() && sub->widget())
            open << sub;
    if (open.isEmpty())
        return;
    windowEntries_ << menu->addSeparator();
    for (QMdiSubWindow* sub : open) {
        QString heading = taskHeading(sub);
        QAction* a = menu->addAction(heading.replace(QLatin1Char('&'), QStringLiteral("&&")));
        a->setCheckable(true);
        a->setChecked(sub == mdi_->currentSubWindow());
        connect(a, &QAction::triggered, this, [this, window = QPointer<QMdiSubWindow>(sub)] {
            if (!window)
                return;
            if (window->isMinimized())
                window->showNormal();
            mdi_->setActiveSubWindow(window);
        });
        windowEntries_ << a;
    }
}

void frmMain::buildMenus() {
    for (const Menu& m : kMenus) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(m.caption));
        menu->setObjectName(QLatin1String(m.name));
        if (qstrcmp(m.name, "mnuWindows") == 0)
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { listTaskWindows(menu); });
        menu->menuAction()->setObjectName(QLatin1String(m.name));
        for (const Entry& e : m.entries) {
            QAction* a = nullptr;
            if (!*e.name) {
                a = menu->addSeparator();
            } else {
                a = menu->addAction(QString::fromUtf8(e.caption));
                a->setObjectName(QLatin1String(e.name));
                if (e.command)
                    connect(a, &QAction::triggered, this, [this, c = e.command] { (this->*c)(); });
            }
            if (e.hidden) {
                a->setVisible(false);
                a->setEnabled(false);
            }
        }
    }
}

void frmMain::Form_Load() {
    platform::setScreenPointer(platform::Pointer::Arrow);
    const std::function<void()> steps[] = {
        [] { platform::clearClipboard(); },
        [this] { setWindowTitle(AppCaption()); },
        [] { NewRails(); },
        [] { platform::setScreenPointer(platform::Pointer::Arrow); },
        [] { reports::loadReportSettings(); },
    };
    for (const auto& step : steps) {
        platform::trap(step, [](const Error& e) {
            // The store library may not be registered yet: register it in the background and
            // try once more. An error here ends the load and goes to whoever loaded the window.
            if (e.Number() == platform::ErrObjectNotSet || e.Number() == platform::ErrClassNotCreated)
                resumeNext([] { platform::Shell(kRegister, platform::WindowStyle::Hide); });
            NewRails();
        });
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
    // The child windows close first, then the program ends. An edit form with changes asks
    // whether to drop them; when the user keeps them, the program goes on.
    mdi_->closeAllSubWindows();
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (!sub->isHidden()) {
            event->ignore();
            return;
        }
    QSettings().setValue(kGeometryKey, saveGeometry());
    event->accept();
    ShutDown();
}

QMdiSubWindow* frmMain::childWindow(const QString& objectName) const {
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (sub->widget() && sub->widget()->objectName() == objectName)
            return sub;
    return nullptr;
}

void frmMain::addChild(QWidget* form) {
    QMdiSubWindow* sub = mdi_->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Each child window's own menu answers Ctrl+F4 too; with two windows open the key would be
    // ambiguous and close none. The main window's key closes the active one instead.
    if (QMenu* own = sub->systemMenu())
        for (QAction* a : own->actions())
            for (const QKeySequence& k : closeWindowKeys())
                if (a->shortcuts().contains(k))
                    a->setShortcuts({});
    // A form of fixed size gets a fixed border: no maximise button, no resizing.
    if (form->minimumSize() == form->maximumSize()) {
        sub->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
        sub->adjustSize();
        sub->setFixedSize(sub->size());
    } else {
        // Tiling or dragging never squeezes the form below what its controls need.
        sub->setMinimumSize(sub->minimumSizeHint());
    }
    form->show();
    sub->show();
}

void frmMain::openForm(FormId id) {
    if (QMdiSubWindow* open = childWindow(QLatin1String(formName(id)))) {
        if (open->isMinimized())
            open->showNormal();
        mdi_->setActiveSubWindow(open);
        return;
    }
    QWidget* form = createForm(id);
    if (!form)
        return;
    addChild(form);
}

bool frmMain::recordCheck(Refresh refresh, const QString& message) {
    setCursor(Qt::WaitCursor);
    bool empty = true;
    // The presence query is silent: a query that failed returns no record set at all, while
    // an empty collection returns an open one without rows. The first error this call left
    // on the store's connection says why it failed.
    qsizetype errorsBefore = 0;
    resumeNext([&] {
        if (const auto& c = Rails().conDataBase)
            errorsBefore = c->Errors().size();
    });
    resumeNext([] { rsRecords = std::make_shared<engine::Recordset>(); });
    resumeNext([refresh] { rsRecords = (Rails().*refresh)(); });
    const bool failed = !rsRecords;
    resumeNext([&] { empty = !rsRecords || (rsRecords->isEOF() && rsRecords->isBOF()); });
    CloseRecordset();
    unsetCursor();
    if (failed) {
        Error reason(platform::ErrObjectNotSet,
                     QStringLiteral("Object variable or With block variable not set"));
        resumeNext([&] {
            if (const auto& c = Rails().conDataBase)
                reason = c->Errors().value(errorsBefore, reason);
        });
        ShowCollectionNotReadable(reason);
        return false;
    }
    if (empty)
        platform::MsgBox(message, platform::exclamation(), kAppTitle);
    return !empty;
}

void frmMain::runReport(ItemKind id, Refresh refresh, const QString& message) {
    if (!recordCheck(refresh, message))
        return;
    resumeNext([&] {
        // A report already shown is unloaded, so the new run is built from fresh rows.
        if (QMdiSubWindow* old = childWindow(QLatin1String(reportName(id)))) {
            old->close();
            delete old;
        }
        if (QWidget* report = createReport(id)) {
            if (report->objectName().isEmpty())
                report->setObjectName(QLatin1String(reportName(id)));
            addChild(report);
        }
    });
    resumeNext([this] { mdi_->cascadeSubWindows(); });
    // A report opens over the whole client area; cascading sizes windows by their own wish, so
    // this comes after it.
    resumeNext([this, id] {
        if (QMdiSubWindow* sub = childWindow(QLatin1String(reportName(id))))
            fitToClientArea(sub);
    });
    unsetCursor();
}

void frmMain::fitToClientArea(QMdiSubWindow* sub) {
    QWidget* report = sub->widget();
    if (!report)
        return;
    // Every toolbar button is to show: the window needs room for the toolbar's whole width.
    const auto* bar = report->findChild<QToolBar*>();
    const int frame = sub->width() - report->width();
    const auto shortBy = [&] {
        const int needed = std::max(sub->minimumSizeHint().width(),
                                    bar ? bar->sizeHint().width() + frame : 0);
        return needed - roomBeside(sub).width();
    };
    // The main window widens for it as far as the screen allows.
    if (shortBy() > 0 && windowState() == Qt::WindowNoState) {
        const int room = screen()->availableGeometry().right() - frameGeometry().right();
        resize(width() + std::clamp(room, 0, shortBy()), height());
        layout()->activate(); // the client area takes the new width now, not at the next paint
    }
    // Still too narrow: the buttons show by their pictures (captions stay as tips) rather than
    // the last ones hiding behind a "more" arrow.
    if (shortBy() > 0)
        for (QToolBar* b : report->findChildren<QToolBar*>())
            b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const QSize area = roomBeside(sub);
    sub->setMinimumSize(sub->minimumSizeHint().boundedTo(area));
    sub->setGeometry(QRect(QPoint(0, 0), area));
}

QSize frmMain::roomBeside(const QMdiSubWindow* sub) const {
    // The client area less the scroll bars that the other windows will call for.
    QSize room = mdi_->contentsRect().size();
    QRect others;
    for (const QMdiSubWindow* w : mdi_->subWindowList())
        if (w != sub && !w->isHidden() && !w->isMinimized())
            others |= w->geometry();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    bool right = false, below = false;
    for (int pass = 0; pass < 2; ++pass) { // one bar's room can call for the other
        if (!below && others.bottom() >= room.height()) {
            below = true;
            room.rwidth() -= bar;
        }
        if (!right && others.right() >= room.width()) {
            right = true;
            room.rheight() -= bar;
        }
    }
    return room;
}

void frmMain::mnuAddExit_Click() { close(); }

void frmMain::mnuAddNewLoco_Click() {
    resumeNext([this] { openForm(FormId::AddLoco); });
    mnuWindowCascade_Click();
}
void frmMain::mnuAddNewCar_Click() {
    resumeNext([this] { openForm(FormId::AddCar); });
    mnuWindowCascade_Click();
}
void frmMain::mnuAddNewSet_Click() {
    resumeNext([this] { openForm(FormId::AddSet); });
    mnuWindowCascade_Click();
}

#define RECORD_CHECK_COMMAND(handler, refresh, message, form)                                 \
    void frmMain::handler() {                                                                  \
        if (!recordCheck(&dllRails::refresh, message))                                         \
            return;                                                                            \
        resumeNext([this] { openForm(form); });                                                \
        mnuWindowCascade_Click();                                                              \
    }
RECORD_CHECK_COMMAND(mnuEditLoco_Click, RefreshLocos, msg::editLoco, FormId::EditLoco)
RECORD_CHECK_COMMAND(mnuEditCar_Click, RefreshCars, msg::editCar, FormId::EditCar)
RECORD_CHECK_COMMAND(mnuEditTrainSet_Click, RefreshSets, msg::editSet, FormId::EditSet)
RECORD_CHECK_COMMAND(mnuEditProfile_Click, RefreshOwner, msg::editProfile, FormId::EditOwner)
RECORD_CHECK_COMMAND(mnuUtilDeleteLoco_Click, RefreshLocos, msg::deleteLoco, FormId::DeleteLoco)
RECORD_CHECK_COMMAND(mnuUtilDeleteCar_Click, RefreshCars, msg::deleteCar, FormId::DeleteCar)
RECORD_CHECK_COMMAND(mnuUtilDeleteSet_Click, RefreshSets, msg::deleteSet, FormId::DeleteSet)
#undef RECORD_CHECK_COMMAND

void frmMain::mnuReportLoco_Click() {
    runReport(ItemKind::Loco, &dllRails::RefreshLocos, msg::reportLoco);
}
void frmMain::mnuReportCar_Click() {
    runReport(ItemKind::Car, &dllRails::RefreshCars, msg::reportCar);
}
void frmMain::mnuReportSet_Click() {
    runReport(ItemKind::Set, &dllRails::RefreshSets, msg::reportSet);
}

void frmMain::mnuCollectionBrowse_Click() {
    if (QMdiSubWindow* open = childWindow(QStringLiteral("frmCollection"))) {
        open->showNormal();
        mdi_->setActiveSubWindow(open);
        return;
    }
    auto* view = new collection::frmCollection;
    // Edit opens the item's own edit form with its row chosen.
    connect(view, &collection::frmCollection::editRequested, this,
            [this](ItemKind kind, const QString& itemId) {
                const FormId id = kind == ItemKind::Loco  ? FormId::EditLoco
                                  : kind == ItemKind::Set ? FormId::EditSet
                                                                  : FormId::EditCar;
                resumeNext([&] { openForm(id); });
                if (QMdiSubWindow* sub = childWindow(QLatin1String(formName(id))))
                    if (auto* form = qobject_cast<items::EditItemForm*>(sub->widget()))
                        form->chooseItem(itemId);
            });
    connect(view, &collection::frmCollection::cardRequested, this,
            [this, view](const QString& itemId) { openItemCard(view, itemId); });
    addChild(view);
    // The list wants all the room there is.
    view->parentWidget()->setGeometry(mdi_->viewport()->rect());
}

void frmMain::mnuCollectionSummary_Click() {
    resumeNext([this] {
        if (QMdiSubWindow* old = childWindow(QStringLiteral("rptValueSummary"))) {
            old->close();
            delete old;
        }
        if (QWidget* report = reports::RunValueSummary()) {
            addChild(report);
            // Like the designed reports: over the whole client area, every button showing.
            if (auto* sub = qobject_cast<QMdiSubWindow*>(report->parentWidget()))
                fitToClientArea(sub);
        }
    });
}

void frmMain::mnuWindowCascade_Click() {
    resumeNext([this] { mdi_->cascadeSubWindows(); });
}

void frmMain::tileSideBySide(bool sideBySide) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::CreationOrder))
        if (sub->isVisible() && !sub->isMinimized())
            windows << sub;
    if (windows.isEmpty())
        return;
    const QRect area = mdi_->viewport()->rect();
    const int n = int(windows.size());
    // A window that needs more than its share keeps its size and pushes the next one along;
    // the area scrolls to what lies beyond.
    QPoint at = area.topLeft();
    for (int i = 0; i < n; ++i) {
        windows[i]->showNormal();
        const QSize share = sideBySide ? QSize(area.width() / n, area.height())
                                       : QSize(area.width(), area.height() / n);
        const QRect r(at, share.expandedTo(windows[i]->minimumSize()));
        windows[i]->setGeometry(r);
        if (sideBySide)
            at.rx() += r.width();
        else
            at.ry() += r.height();
    }
}

void frmMain::mnuWindowV_Click() {
    resumeNext([this] { tileSideBySide(true); });
}

void frmMain::mnuWindowH_Click() {
    resumeNext([this] { tileSideBySide(false); });
}

void frmMain::mnuWindowArrangeIcons_Click() {
    resumeNext([this] {
        // Minimised child windows line up from the bottom left, row above row.
        const QRect area = mdi_->viewport()->rect();
        int x = area.left();
        int y = area.bottom();
        for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::CreationOrder)) {
            if (!sub->isMinimized())
                continue;
            const QSize s = sub->size();
            if (x > area.left() && x + s.width() > area.right()) {
                x = area.left();
                y -= s.height();
            }
            sub->move(x, y - s.height() + 1);
            x += s.width();
        }
    });
}

void frmMain::mnuHelpShowHelp_Click() {
    resumeNext([] { platform::ShowHelp(ProgramFolder() + QStringLiteral("/help/quillon.qhc")); });
}

void frmMain::mnuHelpCheckUpdates_Click() {
    resumeNext([] {
        QString command = GetRegistryString(QStringLiteral("htmlfile\\shell\\open\\command"),
                                            QString(), true, false, false, false, false, false,
                                            false, false);
        command += QLatin1Char(' ') + kProductWebPage;
        platform::Shell(command, platform::WindowStyle::NormalFocus);
    });
}

void frmMain::mnuHelpAbout_Click() {
    resumeNext([this] {
        frmAbout about(this);
        about.exec();
    });
}

void frmMain::mnuCollectionBackup_Click() { collection::backUpCollection(this); }
void frmMain::mnuCollectionRestore_Click() { collection::restoreFromBackup(this, mdi_); }
void frmMain::mnuCollectionExport_Click() {
    auto* dialog = new collection::ExportDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}
void frmMain::mnuCollectionImport_Click() { collection::importFromCsv(this); }

void frmMain::mnuCollectionInventory_Click() { reports::printInventory(this, {}, true); }

void frmMain::mnuCollectionCurrency_Click() {
    reports::ReportSettingsDialog dialog(this);
    dialog.exec();
}

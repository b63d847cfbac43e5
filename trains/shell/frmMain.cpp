// The main window: its load and close, the child windows it holds, and the commands of the
// designed menus. The menu table is in MenuTable.cpp, the Collection menu's commands in
// CollectionMenu.cpp, the placing of child windows in WindowLayout.cpp.
#include "trains/shell/frmMain.h"

#include "trains/modGlobal.h"
#include "trains/reports/ReportSettings.h"
#include "trains/shell/CollectionCheck.h"
#include "trains/shell/frmAbout.h"

#include "platform/Clipboard.h"
#include "platform/Error.h"
#include "platform/Help.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"
#include "platform/Shell.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStyle>

using platform::Error;
using platform::resumeNext;

const QString frmMain::kProductWebPage = QStringLiteral("https://www.orvanne.example/quillon/");

namespace {

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

frmMain::frmMain(QWidget *parent) : QMainWindow(parent), mdi_(new QMdiArea) {
    setObjectName(QStringLiteral("frmMain"));
    mdi_->setObjectName(QStringLiteral("mdiArea"));
    // The task forms are larger than the first client area: scroll bars reach what is beyond.
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdi_);
    buildMenus();
    if (auto *browse = findChild<QAction *>(QStringLiteral("mnuCollectionBrowse")))
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
    const QSize extra =
        size() - mdi_->size() +
        QSize(2 * frame + mdi_->frameWidth() * 2, titleBar + frame + mdi_->frameWidth() * 2);
    const QSize wanted = largestTaskFormSize() + extra;
    // The window manager's frame around the window takes some of the screen's free area too.
    const QSize room = screen()->availableGeometry().size() - QSize(16, 48);
    resize(size().expandedTo(wanted.boundedTo(room)));
}

namespace {
// Ctrl+F4, and the desktop's own key for closing a document where it has another one.
QList<QKeySequence> closeWindowKeys() {
    QList<QKeySequence> keys{QKeySequence(Qt::CTRL | Qt::Key_F4)};
    for (const QKeySequence &k : QKeySequence::keyBindings(QKeySequence::Close))
        if (!keys.contains(k))
            keys << k;
    return keys;
}
} // namespace

void frmMain::addKeys() {
    // Keys beside the designed menus, whose entries carry none.
    auto *help = new QAction(this);
    help->setObjectName(QStringLiteral("keyHelp"));
    help->setShortcut(QKeySequence(Qt::Key_F1));
    connect(help, &QAction::triggered, this, &frmMain::mnuHelpShowHelp_Click);
    auto *closeWindow = new QAction(this);
    closeWindow->setObjectName(QStringLiteral("keyCloseWindow"));
    closeWindow->setShortcuts(closeWindowKeys());
    connect(closeWindow, &QAction::triggered, this, [this] {
        if (QMdiSubWindow *sub = mdi_->currentSubWindow())
            sub->close();
    });
    addActions({help, closeWindow});
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
    for (const auto &step : steps) {
        platform::trap(step, [](const Error &e) {
            // The store library may not be registered yet: register it in the background and
            // try once more. An error here ends the load and goes to whoever loaded the window.
            if (e.Number() == platform::ErrObjectNotSet ||
                e.Number() == platform::ErrClassNotCreated)
                resumeNext([] { platform::Shell(kRegister, platform::WindowStyle::Hide); });
            NewRails();
        });
    }
}

void frmMain::closeEvent(QCloseEvent *event) {
    // The child windows close first, then the program ends. An edit form with changes asks
    // whether to drop them; when the user keeps them, the program goes on.
    mdi_->closeAllSubWindows();
    for (QMdiSubWindow *sub : mdi_->subWindowList())
        if (!sub->isHidden()) {
            event->ignore();
            return;
        }
    QSettings().setValue(kGeometryKey, saveGeometry());
    event->accept();
    ShutDown();
}

QMdiSubWindow *frmMain::childWindow(const QString &objectName) const {
    for (QMdiSubWindow *sub : mdi_->subWindowList())
        if (sub->widget() && sub->widget()->objectName() == objectName)
            return sub;
    return nullptr;
}

void frmMain::addChild(QWidget *form) {
    QMdiSubWindow *sub = mdi_->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Each child window's own menu answers Ctrl+F4 too; with two windows open the key would be
    // ambiguous and close none. The main window's key closes the active one instead.
    if (QMenu *own = sub->systemMenu())
        for (QAction *a : own->actions())
            for (const QKeySequence &k : closeWindowKeys())
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
    if (QMdiSubWindow *open = childWindow(QLatin1String(formName(id)))) {
        if (open->isMinimized())
            open->showNormal();
        mdi_->setActiveSubWindow(open);
        return;
    }
    QWidget *form = createForm(id);
    if (!form)
        return;
    addChild(form);
}

bool frmMain::recordCheck(Refresh refresh, const QString &message) {
    setCursor(Qt::WaitCursor);
    bool empty = true;
    // The presence query is silent: a query that failed returns no record set at all, while
    // an empty collection returns an open one without rows. The first error this call left
    // on the store's connection says why it failed.
    qsizetype errorsBefore = 0;
    resumeNext([&] {
        if (const auto &c = Rails().conDataBase)
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
            if (const auto &c = Rails().conDataBase)
                reason = c->Errors().value(errorsBefore, reason);
        });
        ShowCollectionNotReadable(reason);
        return false;
    }
    if (empty)
        platform::MsgBox(message, platform::exclamation(), kAppTitle);
    return !empty;
}

void frmMain::runReport(ItemKind id, Refresh refresh, const QString &message) {
    if (!recordCheck(refresh, message))
        return;
    resumeNext([&] {
        // A report already shown is unloaded, so the new run is built from fresh rows.
        if (QMdiSubWindow *old = childWindow(QLatin1String(reportName(id)))) {
            old->close();
            delete old;
        }
        if (QWidget *report = createReport(id)) {
            if (report->objectName().isEmpty())
                report->setObjectName(QLatin1String(reportName(id)));
            addChild(report);
        }
    });
    resumeNext([this] { mdi_->cascadeSubWindows(); });
    // A report opens over the whole client area; cascading sizes windows by their own wish, so
    // this comes after it.
    resumeNext([this, id] {
        if (QMdiSubWindow *sub = childWindow(QLatin1String(reportName(id))))
            fitToClientArea(sub);
    });
    unsetCursor();
}

void frmMain::mnuAddExit_Click() {
    close();
}

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

#define RECORD_CHECK_COMMAND(handler, refresh, message, form)                                      \
    void frmMain::handler() {                                                                      \
        if (!recordCheck(&dllRails::refresh, message))                                             \
            return;                                                                                \
        resumeNext([this] { openForm(form); });                                                    \
        mnuWindowCascade_Click();                                                                  \
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

void frmMain::mnuHelpShowHelp_Click() {
    resumeNext([] { platform::ShowHelp(ProgramFolder() + QStringLiteral("/help/quillon.qhc")); });
}

void frmMain::mnuHelpCheckUpdates_Click() {
    resumeNext([] {
        QString command =
            GetRegistryString(QStringLiteral("htmlfile\\shell\\open\\command"), QString(), true,
                              false, false, false, false, false, false, false);
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

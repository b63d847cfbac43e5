#include "trains/shell/frmMain.h"

#include "trains/shell/CollectionCheck.h"
#include "trains/collection/frmCollection.h"
#include "trains/items/EditItemForm.h"
#include "trains/reports/ValueSummary.h"
#include "trains/collection/BackupDialogs.h"
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
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
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
     {{"mnuCollectionBrowse", "Browse Collection", false, &frmMain::mnuCollectionBrowse_Click},
      {"mnuCollectionSummary", "Value Summary Report", false,
       &frmMain::mnuCollectionSummary_Click},
      separator(),
      {"mnuCollectionBackup", "Back Up Collection…", false, &frmMain::mnuCollectionBackup_Click},
      {"mnuCollectionRestore", "Restore From Backup…", false, &frmMain::mnuCollectionRestore_Click},
      {"mnuCollectionExport", "Export to CSV…", false, &frmMain::mnuCollectionExport_Click},
      {"mnuCollectionImport", "Import from CSV…", false, &frmMain::mnuCollectionImport_Click}}},
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
    // Client area of 12225 by 7905 twips below the menu bar.
    resize(12225 / 15, 7905 / 15 + menuBar()->sizeHint().height());
}

void frmMain::buildMenus() {
    for (const Menu& m : kMenus) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(m.caption));
        menu->setObjectName(QLatin1String(m.name));
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
    // The child windows close first, then the program ends; nothing is asked.
    mdi_->closeAllSubWindows();
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
    // A form of fixed size gets a fixed border: no maximise button, no resizing.
    if (form->minimumSize() == form->maximumSize()) {
        sub->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                            Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
        sub->adjustSize();
        sub->setFixedSize(sub->size());
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

void frmMain::runReport(ReportId id, Refresh refresh, const QString& message) {
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
    unsetCursor();
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
    runReport(ReportId::Locos, &dllRails::RefreshLocos, msg::reportLoco);
}
void frmMain::mnuReportCar_Click() {
    runReport(ReportId::Cars, &dllRails::RefreshCars, msg::reportCar);
}
void frmMain::mnuReportSet_Click() {
    runReport(ReportId::Sets, &dllRails::RefreshSets, msg::reportSet);
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
            [this](collection::Kind kind, const QString& itemId) {
                const FormId id = kind == collection::Kind::Loco  ? FormId::EditLoco
                                  : kind == collection::Kind::Set ? FormId::EditSet
                                                                  : FormId::EditCar;
                resumeNext([&] { openForm(id); });
                if (QMdiSubWindow* sub = childWindow(QLatin1String(formName(id))))
                    if (auto* form = qobject_cast<items::EditItemForm*>(sub->widget()))
                        form->chooseItem(itemId);
            });
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
        if (QWidget* report = reports::RunValueSummary())
            addChild(report);
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
    for (int i = 0; i < n; ++i) {
        windows[i]->showNormal();
        QRect r;
        if (sideBySide) {
            const int w = area.width() / n;
            r = QRect(area.left() + i * w, area.top(), w, area.height());
        } else {
            const int h = area.height() / n;
            r = QRect(area.left(), area.top() + i * h, area.width(), h);
        }
        windows[i]->setGeometry(r);
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

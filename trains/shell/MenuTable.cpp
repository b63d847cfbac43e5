// The main window's menu bar: the designed menus and the added Collection menu as one table,
// and the open task windows listed below the Windows menu's designed entries.
#include "trains/shell/frmMain.h"

#include "trains/modGlobal.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <vector>

namespace {

struct Entry {
    const char *name; // empty for a separator
    const char *caption;
    bool hidden;
    void (frmMain::*command)();
};

struct Menu {
    const char *name;
    const char *caption;
    std::vector<Entry> entries;
};

constexpr Entry separator(bool hidden = false) {
    return {"", "", hidden, nullptr};
}

// Entries marked hidden are neither visible nor enabled, and nothing makes them so; the hidden
// separators keep the visible menus free of doubled or trailing lines.
const Menu kMenus[] = {
    {"mnuAdd",
     "&Add",
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
    {"mnuEdit",
     "&Edit",
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
    {"mnuUtils",
     "&Utils",
     {{"mnuUtilDeleteLoco", "Delete Locomotive Record", false, &frmMain::mnuUtilDeleteLoco_Click},
      separator(),
      {"mnuUtilDeleteCar", "Delete Rolling Stock Record", false, &frmMain::mnuUtilDeleteCar_Click},
      separator(),
      {"mnuUtilDeleteSet", "Delete Train Set Record", false, &frmMain::mnuUtilDeleteSet_Click},
      separator(true),
      {"mnuUtilDeleteTrack", "Delete Track Record", true, nullptr},
      separator(true),
      {"mnuUtilDeleteAccessory", "Delete Accessory Record", true, nullptr}}},
    {"mnuReportS",
     "&Reports",
     {{"mnuReportLoco", "Locomotive Report", false, &frmMain::mnuReportLoco_Click},
      separator(),
      {"mnuReportCar", "Rolling Stock Report", false, &frmMain::mnuReportCar_Click},
      separator(),
      {"mnuReportSet", "Train Set Report", false, &frmMain::mnuReportSet_Click},
      separator(true),
      {"mnuReportTrack", "Track Report", true, nullptr},
      separator(true),
      {"mnuReportAccessory", "Accessory Report", true, nullptr}}},
    {"mnuCollection",
     "&Collection",
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
    {"mnuWindows",
     "&Windows",
     {{"mnuWindowCascade", "Cascade", false, &frmMain::mnuWindowCascade_Click},
      separator(),
      {"mnuWindowV", "Tile Vertically", false, &frmMain::mnuWindowV_Click},
      separator(),
      {"mnuWindowH", "Tile Horizontally", false, &frmMain::mnuWindowH_Click},
      separator(),
      {"mnuWindowArrangeIcons", "Arrange Icons", false, &frmMain::mnuWindowArrangeIcons_Click}}},
    {"mnuHelp",
     "&Help",
     {{"mnuHelpShowHelp", "Quillon Help", false, &frmMain::mnuHelpShowHelp_Click},
      separator(),
      {"mnuHelpCheckUpdates", "Check For Updates", false, &frmMain::mnuHelpCheckUpdates_Click},
      separator(),
      {"mnuHelpAbout", "About Quillon", false, &frmMain::mnuHelpAbout_Click}}},
};

} // namespace

QString frmMain::taskHeading(const QMdiSubWindow *sub) {
    const QWidget *form = sub ? sub->widget() : nullptr;
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

void frmMain::listTaskWindows(QMenu *menu) {
    for (QAction *a : std::as_const(windowEntries_)) {
        menu->removeAction(a);
        a->deleteLater();
    }
    windowEntries_.clear();
    QList<QMdiSubWindow *> open;
    for (QMdiSubWindow *sub : mdi_->subWindowList(QMdiArea::CreationOrder))
        if (!sub->isHidden() && sub->widget())
            open << sub;
    if (open.isEmpty())
        return;
    windowEntries_ << menu->addSeparator();
    for (QMdiSubWindow *sub : open) {
        QString heading = taskHeading(sub);
        QAction *a = menu->addAction(heading.replace(QLatin1Char('&'), QStringLiteral("&&")));
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
    for (const Menu &m : kMenus) {
        QMenu *menu = menuBar()->addMenu(QString::fromLatin1(m.caption));
        menu->setObjectName(QLatin1String(m.name));
        if (qstrcmp(m.name, "mnuWindows") == 0)
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { listTaskWindows(menu); });
        menu->menuAction()->setObjectName(QLatin1String(m.name));
        for (const Entry &e : m.entries) {
            QAction *a = nullptr;
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

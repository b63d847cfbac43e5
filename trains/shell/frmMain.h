#pragma once
// The program's one top-level window: a multiple-document window whose menus reach every task.
// Its load creates the first store object; closing it ends the program.
#include "rails/dllRails.h"
#include "trains/Forms.h"

#include <QMainWindow>
#include <functional>

namespace collection {
class frmCollection;
}
class QMdiArea;
class QMenu;
class QMdiSubWindow;

class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmMain(QWidget *parent = nullptr);

    void Form_Load();
    QMdiArea *mdiArea() const { return mdi_; }
    // The child window holding the open form or report of that object name, if any.
    QMdiSubWindow *childWindow(const QString &objectName) const;

    // Menu commands.
    void mnuAddExit_Click();
    void mnuAddNewLoco_Click();
    void mnuAddNewCar_Click();
    void mnuAddNewSet_Click();
    void mnuEditLoco_Click();
    void mnuEditCar_Click();
    void mnuEditTrainSet_Click();
    void mnuEditProfile_Click();
    void mnuUtilDeleteLoco_Click();
    void mnuUtilDeleteCar_Click();
    void mnuUtilDeleteSet_Click();
    void mnuReportLoco_Click();
    void mnuReportCar_Click();
    void mnuReportSet_Click();
    void mnuCollectionBrowse_Click();
    void mnuCollectionSummary_Click();
    void mnuCollectionBackup_Click();
    void mnuCollectionRestore_Click();
    void mnuCollectionExport_Click();
    void mnuCollectionImport_Click();
    void mnuCollectionInventory_Click();
    void mnuCollectionCurrency_Click();
    void mnuCollectionChoiceLists_Click();
    void mnuCollectionFields_Click();
    void mnuCollectionDeleted_Click();
    void mnuWindowCascade_Click();
    void mnuWindowV_Click();
    void mnuWindowH_Click();
    void mnuWindowArrangeIcons_Click();
    void mnuHelpShowHelp_Click();
    void mnuHelpCheckUpdates_Click();
    void mnuHelpAbout_Click();

    // The product's web page, opened by Check For Updates.
    static const QString kProductWebPage;

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    using Refresh = RecordsetPtr (dllRails::*)();
    void buildMenus();
    // True when the refresh finds rows; otherwise shows the message.
    bool recordCheck(Refresh refresh, const QString &message);
    void openForm(FormId id);
    void runReport(ItemKind id, Refresh refresh, const QString &message);
    void addChild(QWidget *form);
    void tileSideBySide(bool sideBySide);
    void placeOnScreen();
    // Spreads a report's window over the client area with its whole toolbar in view.
    void fitToClientArea(QMdiSubWindow *sub);
    QSize roomBeside(const QMdiSubWindow *sub) const;
    void addKeys();
    void openRecordsWindow(const QString &name, const std::function<QWidget *()> &make);
    void openItemCard(collection::frmCollection *view, const QString &itemId);
    // How a task window is listed in the Windows menu: its form's heading.
    static QString taskHeading(const QMdiSubWindow *sub);
    // The open task windows below the designed entries of the Windows menu.
    void listTaskWindows(QMenu *menu);

    QMdiArea *mdi_;
    QList<QAction *> windowEntries_;
};

#pragma once
// The Collection menu's file commands: Back Up Collection…, Restore From Backup… and Export
// to CSV…. Each asks for a file, runs the work in the background and says what happened.
#include <QDialog>

class QComboBox;
class QMdiArea;
class QWidget;

namespace collection {

// The collection file the store uses.
QString collectionPath();

void backUpCollection(QWidget *parent);
// Closes the task windows in `tasks` before the file is replaced.
void restoreFromBackup(QWidget *parent, QMdiArea *tasks);

// Export to CSV…: which items, then where.
class ExportDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ExportDialog(QWidget *parent = nullptr);
    QComboBox *cboKind = nullptr;

    void cmdExport_Click();
};

} // namespace collection

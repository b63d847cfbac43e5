#pragma once
// Import from CSV…: reads and checks the chosen file, shows how many rows are ready and every
// problem row with its line and reason, and writes the ready rows only when asked.
#include "rails/exchange/ItemExchange.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace collection {

class CsvImportDialog : public QDialog {
    Q_OBJECT
  public:
    CsvImportDialog(const QString &file, QWidget *parent = nullptr);

    // Reads and checks the file with the chosen kind; false (after a message) when the file
    // cannot be read at all.
    bool preview();
    void cmdImport_Click();

    QComboBox *cboKind = nullptr;
    QLabel *lblSummary = nullptr;
    QListWidget *lstProblems = nullptr;
    QPushButton *cmdImport = nullptr;

  private:
    QString file_;
    exchange::ImportPlan plan_;
};

// The menu command: asks for a file and opens the preview.
void importFromCsv(QWidget *parent);

} // namespace collection

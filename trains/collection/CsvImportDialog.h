#pragma once
// Import from CSV…: reads and checks the chosen file and shows what an import would do: the
// field each column goes to (a drop-down per column, remembered for the same headers), the
// formats read from the file (delimiter, date order, decimal mark; each changeable), the first
// rows with their dates in long form, and every refused, incomplete or repeated row. The rows
// are written only when asked, after a question when rows would be skipped.
#include "rails/exchange/ItemExchange.h"

#include <QDialog>

class QComboBox;
class QFormLayout;
class QLabel;
class QPushButton;
class QTableWidget;

namespace collection {

class CsvImportDialog : public QDialog {
    Q_OBJECT
  public:
    CsvImportDialog(const QString &file, QWidget *parent = nullptr);

    // Reads and checks the file with the choices shown; false (after a message) when the file
    // cannot be read at all.
    bool preview();
    void cmdImport_Click();
    void cmdSaveProblems_Click();

    QComboBox *cboKind = nullptr;
    QComboBox *cboDelimiter = nullptr;
    QComboBox *cboDateOrder = nullptr;
    QComboBox *cboDecimal = nullptr;
    QComboBox *cboDuplicates = nullptr;
    QComboBox *cboExisting = nullptr;
    QTableWidget *tblMapping = nullptr;
    QTableWidget *tblSample = nullptr;
    QTableWidget *tblProblems = nullptr;
    QLabel *lblSummary = nullptr;
    QPushButton *cmdImport = nullptr;
    QPushButton *cmdSaveProblems = nullptr;

    const exchange::ImportPlan &plan() const { return plan_; }

  private:
    QFormLayout *buildChoices();
    exchange::ImportOptions options() const;
    void showPlan();
    void showMapping();
    void columnChosen(int column, int target);
    void rememberMapping() const;

    QString file_;
    exchange::ImportPlan plan_;
    std::optional<exchange::Mapping> mapping_; // once the file's header is known
    bool settled_ = false;                     // the format choices show the plan's
};

// The menu command: asks for a file and opens the preview.
void importFromCsv(QWidget *parent);

} // namespace collection

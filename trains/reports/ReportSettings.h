#pragma once
// The currency sign and the paper the user chose for every amount shown and every report and
// PDF made, kept between runs; by default both follow the locale.
#include <QDialog>

class QComboBox;
class QLineEdit;

namespace reports {

// Reads the choices kept from the last run into the program (at start-up).
void loadReportSettings();

// The paper list: the locale's, A4, US Letter; the current choice selected.
QComboBox *makePaperList(QWidget *parent);

// Collection > Currency and Paper…
class ReportSettingsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ReportSettingsDialog(QWidget *parent = nullptr);
    QLineEdit *txtCurrency = nullptr; // empty for the locale's sign
    QComboBox *cboPaper = nullptr;

    // Applies and keeps the choices on show.
    void cmdOK_Click();
};

} // namespace reports

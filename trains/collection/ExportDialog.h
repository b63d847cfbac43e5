#pragma once
// Export to CSV…: which items, then where; the work runs in the background.
#include <QDialog>

class QComboBox;

namespace collection {

class ExportDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ExportDialog(QWidget *parent = nullptr);
    QComboBox *cboKind = nullptr;

    void cmdExport_Click();
};

} // namespace collection

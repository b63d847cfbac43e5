#pragma once
// Export to CSV…: which items, which fields (remembered), plain or for a spreadsheet in this
// locale, then where; the work runs in the background. Given item IDs (what Browse shows), it
// writes exactly those items.
#include <QDialog>
#include <QList>

class QComboBox;
class QListWidget;

namespace collection {

class ExportDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ExportDialog(QWidget *parent = nullptr, const QList<qint64> &shown = {});
    QComboBox *cboKind = nullptr;
    QComboBox *cboFormat = nullptr;
    QListWidget *lstFields = nullptr; // checked fields are written

    void cmdExport_Click();

  private:
    QList<qint64> shown_;
};

// "Export What's Shown…": the export of the items whose IDs are given, in the order given.
void exportWhatIsShown(QWidget *parent, const QList<qint64> &itemIds);

} // namespace collection

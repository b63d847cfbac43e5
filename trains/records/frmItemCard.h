#pragma once
// The item card, opened from Browse: one item whole. Every designed field (read here, edited
// in the designed edit form), the collector's own fields (edited here), the value with its
// date and source, the history of cost and value, photos and notes; Previous and Next walk
// through the items Browse shows.
#include "rails/records/Records.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QDateEdit;
class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;
class QTreeWidget;

namespace records {

class frmItemCard : public QWidget {
    Q_OBJECT
  public:
    // Gives the item `step` places after (or before) the one named, among those Browse shows;
    // empty when there is none.
    using Neighbour = std::function<QString(const QString &itemId, int step)>;

    frmItemCard(const QString &itemId, Neighbour neighbour, QWidget *parent = nullptr);

    QString itemId() const { return itemId_; }
    // Shows another item; unsaved changes are asked about first. False when the user stays.
    bool showItem(const QString &itemId);
    // Writes the fields and the value; false (with a message) when one is not valid.
    bool cmdSave_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();

    QLabel *lblDesigned = nullptr;
    QList<QWidget *> extraEditors; // one per field of fields()
    QLineEdit *txtValue = nullptr;
    QDateEdit *datValuation = nullptr;
    QComboBox *cboSource = nullptr;
    QTreeWidget *lvHistory = nullptr;
    QListWidget *lstPhotos = nullptr;
    QTextBrowser *txtNotes = nullptr;
    QPushButton *cmdPrevious = nullptr;
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdClose = nullptr;

  private:
    void arrange(QWidget *extraBox, QWidget *valueBox);
    void buildExtraEditors();
    void load();
    bool changed() const;
    QString editorText(int index) const;
    void setEditorText(int index, const QString &stored);
    void markClean();

    Store store_;
    QString itemId_;
    Neighbour neighbour_;
    QList<Field> fields_;
    QFormLayout *extraForm_ = nullptr;
    QStringList cleanState_;
};

} // namespace records

#pragma once
// Collection > Fields…: the collector's own item fields (Catalogue No. and Storage Location
// are there from the start). Fields are added with a type, renamed, and removed after a
// question that says how many items hold a value.
#include "rails/records/Records.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace records {

class frmFields : public QWidget {
    Q_OBJECT
  public:
    explicit frmFields(QWidget *parent = nullptr);

    void cmdAdd_Click();
    void cmdRename_Click();
    void cmdRemove_Click();

    QTreeWidget *lvFields = nullptr;
    QLineEdit *txtName = nullptr;
    QComboBox *cboType = nullptr;
    QLineEdit *txtChoices = nullptr; // a choice field's choices, separated by ";"
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdRename = nullptr;
    QPushButton *cmdRemove = nullptr;
    QPushButton *cmdClose = nullptr;

  private:
    void fill(qint64 choose = 0);
    qint64 chosenField() const;

    Store store_;
};

} // namespace records

#pragma once
// The form that enters one new item of a kind. frmAddCar, frmAddLoco and frmAddSet are this
// form with their kind's table.
#include "trains/items/ItemKinds.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace items {

class ItemFieldSet;

class AddItemForm : public QWidget {
    Q_OBJECT
  public:
    AddItemForm(ItemKind kind, QWidget *parent = nullptr);

    ItemFieldSet *fields() const { return fields_; }

    QLabel *Label25 = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdClear = nullptr;
    QPushButton *cmdExit = nullptr;

  public slots:
    void cmdSave_Click();
    void cmdClear_Click();
    void cmdExit_Click();

  private:
    void Form_Load();
    void loadPicture();
    bool CheckFields();
    // The new item number; empty when the store could not tell the largest row number.
    QString MakeItemID();

    const ItemKindInfo &kind_;
    ItemFieldSet *fields_ = nullptr;
};

} // namespace items

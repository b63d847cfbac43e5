#pragma once
// The form that enters one new item of a kind. frmAddCar, frmAddLoco and frmAddSet are this
// form with their kind's table.
#include "trains/DiscardQuestion.h"
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

  protected:
    // Typed entries not yet saved are dropped only when the user agrees.
    void closeEvent(QCloseEvent *event) override;

  private:
    void Form_Load();
    void loadPicture();
    bool CheckFields();
    // The new item number; empty when the store could not tell the largest row number.
    QString MakeItemID();

    const ItemKindInfo &kind_;
    ItemFieldSet *fields_ = nullptr;
    TypedSinceKept typed_;
};

} // namespace items

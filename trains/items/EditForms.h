#pragma once
// The three edit forms the main window opens.
#include "trains/items/EditItemForm.h"

class frmEditCar : public items::EditItemForm {
    Q_OBJECT
  public:
    explicit frmEditCar(QWidget *parent = nullptr) : EditItemForm(ItemKind::Car, parent) {}
};

class frmEditLoco : public items::EditItemForm {
    Q_OBJECT
  public:
    explicit frmEditLoco(QWidget *parent = nullptr) : EditItemForm(ItemKind::Loco, parent) {}
};

class frmEditSet : public items::EditItemForm {
    Q_OBJECT
  public:
    explicit frmEditSet(QWidget *parent = nullptr) : EditItemForm(ItemKind::Set, parent) {}
};

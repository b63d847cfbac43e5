#pragma once
// The three add forms the main window opens.
#include "trains/items/AddItemForm.h"

class frmAddCar : public items::AddItemForm {
    Q_OBJECT
  public:
    explicit frmAddCar(QWidget *parent = nullptr) : AddItemForm(ItemKind::Car, parent) {}
};

class frmAddLoco : public items::AddItemForm {
    Q_OBJECT
  public:
    explicit frmAddLoco(QWidget *parent = nullptr) : AddItemForm(ItemKind::Loco, parent) {}
};

class frmAddSet : public items::AddItemForm {
    Q_OBJECT
  public:
    explicit frmAddSet(QWidget *parent = nullptr) : AddItemForm(ItemKind::Set, parent) {}
};

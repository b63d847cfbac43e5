#pragma once
// The three deletion forms the main window opens; each passes its kind to DeleteForm.
#include "trains/delete/DeleteForm.h"

class frmDeletecar : public DeleteForm {
    Q_OBJECT
  public:
    explicit frmDeletecar(QWidget *parent = nullptr)
        : DeleteForm(deleteKind(ItemKind::Car), parent) {}
};

class frmDeleteLoco : public DeleteForm {
    Q_OBJECT
  public:
    explicit frmDeleteLoco(QWidget *parent = nullptr)
        : DeleteForm(deleteKind(ItemKind::Loco), parent) {}
};

class frmDeleteSet : public DeleteForm {
    Q_OBJECT
  public:
    explicit frmDeleteSet(QWidget *parent = nullptr)
        : DeleteForm(deleteKind(ItemKind::Set), parent) {}
};

#pragma once
// The owner profile entry form, shown once, modally and without a border, when no profile is
// stored. Save with a valid profile hides it and start-up goes on; Exit ends the program.
#include "trains/owner/OwnerFields.h"

#include <QDialog>

class frmAddOwner : public QDialog {
    Q_OBJECT
  public:
    explicit frmAddOwner(QWidget *parent = nullptr);

    void cmdSave_Click();
    void cmdExit_Click();

    owner::OwnerFields fields;

  public slots:
    // The form has no close box and no way out but its two buttons: Escape does nothing.
    void reject() override {}

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    void Form_Load();
    void Form_Unload();
};

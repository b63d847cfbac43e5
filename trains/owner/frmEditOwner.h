#pragma once
// The owner profile editing form, a child window of the main window: shows the stored profile
// and saves changes to it.
#include "trains/owner/OwnerFields.h"

#include <QWidget>

class frmEditOwner : public QWidget {
    Q_OBJECT
  public:
    explicit frmEditOwner(QWidget *parent = nullptr);

    void cmdSave_Click();
    void cmdExit_Click();

    owner::OwnerFields fields;

  protected:
    // Typed changes not yet saved are dropped only when the user agrees.
    void closeEvent(QCloseEvent *event) override;

  private:
    void Form_Load();
    void LoadProfile();
};

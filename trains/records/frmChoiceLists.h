#pragma once
// Collection > Choice Lists…: the entries of the item forms' drop-down lists. The designed
// entries come first, in their designed order, and cannot be changed; the collector's own
// follow alphabetically and can be added, renamed (the items holding the old text follow)
// and hidden (items keep their text).
#include "rails/records/Records.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace records {

class frmChoiceLists : public QWidget {
    Q_OBJECT
  public:
    explicit frmChoiceLists(QWidget *parent = nullptr);

    void cboList_Click();
    void cmdAdd_Click();
    void cmdRename_Click();
    void cmdHide_Click();

    QComboBox *cboList = nullptr;
    QListWidget *lstEntries = nullptr;
    QLineEdit *txtEntry = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdRename = nullptr;
    QPushButton *cmdHide = nullptr;
    QPushButton *cmdClose = nullptr;

  private:
    void fill(qint64 choose = 0);
    void updateButtons();
    qint64 chosenChoice() const; // 0 for a designed entry or none

    Store store_;
};

} // namespace records

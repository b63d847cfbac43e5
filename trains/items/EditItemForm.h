#pragma once
// The form that changes stored items of a kind: a list of every item of the kind, the field
// set below it, and a save that rewrites the chosen item. frmEditCar, frmEditLoco and
// frmEditSet are this form with their kind's table.
#include "trains/items/ItemKinds.h"

#include <QWidget>

class ItemListView;
class QLabel;
class QPushButton;

namespace items {

class ItemFieldSet;

class EditItemForm : public QWidget {
    Q_OBJECT
  public:
    EditItemForm(ItemKind kind, QWidget *parent = nullptr);
    // The room the kind's form asks for, worked out without reading the store.
    static QSize sizeNeeded(ItemKind kind);

    ItemFieldSet *fields() const { return fields_; }
    ItemListView *list() const { return list_; }

    QLabel *Label25 = nullptr;
    // Item number of the row last chosen; empty while no row is chosen. Never shown.
    QLabel *lblID = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdClear = nullptr;
    QPushButton *cmdExit = nullptr;

    // Chooses the listed row of that item number as a click would; false when it is not listed.
    bool chooseItem(const QString &itemId);

  public slots:
    void cmdSave_Click();
    void cmdClear_Click();
    void cmdExit_Click();

  protected:
    void closeEvent(QCloseEvent *event) override;

  private:
    EditItemForm(ItemKind kind, QWidget *parent, bool load);
    void Form_Load();
    // Fills the list from the store (LoadCars, LoadLocos or LoadSets).
    void LoadList();
    void rowChosen(int row);
    bool CheckFields();
    void setRowChosen(const QString &itemId);
    // True when nothing differs from the chosen item as it was shown or saved, or when the user
    // agrees to drop the changes.
    bool changesMayGo();
    // Makes the chosen item's row current again after the user kept the changes.
    void backToChosenRow();

    const ItemKindInfo &kind_;
    ItemFieldSet *fields_ = nullptr;
    ItemListView *list_ = nullptr;
    QStringList chosenValues_; // the fields as the chosen item was last shown or saved
    bool returning_ = false;   // the list is going back to the chosen row
};

} // namespace items

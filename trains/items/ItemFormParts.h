#pragma once
// Pieces the add and edit forms of items share beyond the field set: the heading, the row of
// buttons, and closing the form together with the window that holds it.
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace items {

class ItemFieldSet;

// Save, Clear (with its tool tip) and eXit, with their access keys.
struct ItemFormButtons {
    QPushButton *save;
    QPushButton *clear;
    QPushButton *exit;
};
ItemFormButtons makeItemFormButtons(QWidget *form);

// Lays out an item form: the heading, the list when there is one, the field set with the notes
// on its right, and the buttons at the bottom right; the tab order follows the same path.
void layoutItemForm(QWidget *form, QLabel *heading, QWidget *list, ItemFieldSet *fields,
                    const ItemFormButtons &buttons);

// The heading across the top of an item form (Label25).
QLabel *makeHeading(QWidget *form, const QString &text);
// One of the Save / Clear / Exit buttons.
QPushButton *makeButton(QWidget *form, const QString &text, const char *name);
// Closes the form: the child window holding it in the main window, or the form itself.
void closeItemForm(QWidget *form);

} // namespace items

#pragma once
// Pieces the add and edit forms of items share beyond the field set: the heading, the row of
// buttons, and closing the form together with the window that holds it.
#include <QPushButton>
#include <QString>

class QLabel;
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

// Makes the buttons of an add or edit form, keeps them in the form's cmdSave, cmdClear and
// cmdExit and connects each to the form's click handler.
template <class Form> ItemFormButtons addItemFormButtons(Form *form) {
    const ItemFormButtons b = makeItemFormButtons(form);
    form->cmdSave = b.save;
    form->cmdClear = b.clear;
    form->cmdExit = b.exit;
    QObject::connect(b.save, &QPushButton::clicked, form, &Form::cmdSave_Click);
    QObject::connect(b.clear, &QPushButton::clicked, form, &Form::cmdClear_Click);
    QObject::connect(b.exit, &QPushButton::clicked, form, &Form::cmdExit_Click);
    return b;
}

// The start of every item form: its object name, deletion when it closes, and its heading
// (Label25), which is returned.
QLabel *startItemForm(QWidget *form, const char *name, const QString &heading);
// What every item form does when it loads: the caption, a fresh store object, and today in the
// date box.
void loadItemForm(QWidget *form, ItemFieldSet *fields);

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

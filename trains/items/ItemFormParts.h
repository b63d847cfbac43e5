#pragma once
// Pieces the add and edit forms of items share beyond the field set: the heading, the row of
// buttons, and closing the form together with the window that holds it.
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace items {

// The heading across the top of an item form (Label25).
QLabel *makeHeading(QWidget *form, const QString &text);
// One of the Save / Clear / Exit buttons.
QPushButton *makeButton(QWidget *form, const QString &text, const char *name);
// Closes the form: the child window holding it in the main window, or the form itself.
void closeItemForm(QWidget *form);

} // namespace items

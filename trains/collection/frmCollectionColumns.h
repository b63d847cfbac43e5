#pragma once
// Which of Browse's columns show and in what order: chosen from the header's context menu,
// moved by dragging, and remembered for the next Browse by the columns' keys, so that the
// collector's fields coming and going leave the choice of the others as it was.
class QHeaderView;
class QMenu;
class QWidget;

namespace collection {

// Makes the columns movable, offers the context menu, shows the remembered choice (or the
// default set) and keeps the choice remembered from now on.
void setUpColumns(QHeaderView *header);
// Shows the remembered choice again after the model's columns changed (a field added or
// removed); does nothing when they are the ones it last showed.
void applyColumns(QHeaderView *header);
// The header's context menu: one checkable entry per column, and the default set.
QMenu *columnMenu(QHeaderView *header, QWidget *parent);
// Item, kind, maker, type, number, gauge, condition, cost and value, in that order.
void showDefaultColumns(QHeaderView *header);

} // namespace collection

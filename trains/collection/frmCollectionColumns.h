#pragma once
// Which of Browse's columns show and in what order: chosen from the header's context menu,
// moved by dragging, and remembered for the next Browse.
class QHeaderView;
class QMenu;
class QWidget;

namespace collection {

// Sets the widths, restores the remembered choice (or the default set) and keeps the choice
// remembered from now on.
void setUpColumns(QHeaderView *header);
// The header's context menu: one checkable entry per column, and the default set.
QMenu *columnMenu(QHeaderView *header, QWidget *parent);
// Item, kind, maker, type, number, gauge, condition, cost and value, in that order.
void showDefaultColumns(QHeaderView *header);

} // namespace collection

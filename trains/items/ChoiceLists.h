#pragma once
// The fixed choice lists of the item field set. Nothing adds to them at run time.
#include <QStringList>

namespace items {

const QStringList &manufacturers(); // list A
// Car types: the add form and the edit form show the same 46 items in slightly different
// orders, and each keeps its own.
const QStringList &carTypesAddOrder();  // list B as the add form shows it
const QStringList &carTypesEditOrder(); // list B as the edit form shows it
const QStringList &locomotiveTypes();   // list C
const QStringList &gauges();            // list D
const QStringList &minimumCurves();     // list E
const QStringList &conditions();        // list F

} // namespace items

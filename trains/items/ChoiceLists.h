#pragma once
// The choice lists of the item field set: the designed entries, fixed, and after them the
// collector's own entries from the collection file.
#include <QList>
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

// One drop-down list the collector can add entries to: the key its entries are stored under,
// its caption, its designed entries, and the item column (of which kinds) that holds it.
struct ChoiceListInfo {
    QString key;
    QString caption;
    QStringList designed;
    QString column;
    QStringList kindFlags; // empty: every kind
};
const QList<ChoiceListInfo> &choiceListInfos();
// The key of the item form's drop-down `combo` (0 maker ... 4 condition) offering `types`.
QString choiceListKey(int combo, const QStringList &types);
// What a drop-down offers: the designed entries in their order, then the collector's visible
// entries alphabetically (those a designed entry already holds left out). When the
// collection cannot be read, the designed entries alone.
QStringList offeredEntries(const QString &key, const QStringList &designed);

} // namespace items

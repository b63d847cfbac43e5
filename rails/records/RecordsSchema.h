#pragma once
// The collector's own records beside the designed tables: entries of their own in the choice
// lists, fields of their own and their values, the date and source of each item's value, the
// history of cost and value, and deleted items kept until they are brought back or removed.
// Triggers on tblMain keep them in step whatever changes an item (a form, the card, an
// import, a script through railsdb or a bare SQL statement).
#include <QStringList>

namespace records {

// CREATE ... IF NOT EXISTS statements (and the two ready-made fields, added once), applied
// with the other schema additions in one transaction.
const QStringList &schemaStatements();

// The tables these statements add, for code that copies a collection table by table.
const QStringList &tables();

} // namespace records

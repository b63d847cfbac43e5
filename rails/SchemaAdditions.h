#pragma once
// What this build adds to a collection file beside the designed tables (new tables, indexes
// and triggers), and the file's identity: PRAGMA application_id says the file is a Quillon
// collection, PRAGMA user_version which additions it holds. The designed tables are never
// altered.
//
// Adding to the collection file: write a function returning your SchemaAddition list in your
// own file, declare it below, and append it in schemaAdditions() (SchemaAdditions.cpp). Give
// each addition the next free version number; name in `tables` every table whose rows are the
// user's data, so that a restore carries them into the rebuilt file (nothing else of a
// restored file comes along).
#include "rails/engine/Connection.h"

#include <QStringList>
#include <vector>

namespace rails {

// "Quil" in ASCII: the application_id every collection file carries.
inline constexpr qint32 kApplicationId = 0x5175696C;

struct SchemaAddition {
    int version = 0;        // the file's user_version once this addition is in it
    QStringList statements; // CREATE ... IF NOT EXISTS, run in order in one transaction
    QStringList tables;     // tables created here whose rows a restore carries over
};

// The additions of the store's photos and list indexes.
std::vector<SchemaAddition> photoAndListAdditions();
// The collector's own records: choice-list entries, fields, valuations, history, deleted items.
std::vector<SchemaAddition> recordsAdditions();

// Every addition this build knows, in order of version.
const std::vector<SchemaAddition> &schemaAdditions();
// The version of a file holding every addition of this build.
int schemaVersion();
// The designed tables and every addition's tables: what a restore copies, row by row.
QStringList restoredTables();
// The designed tables' CREATE statements (resources/schema.sql), as one SQL script.
const char *designedSchema();

// Brings an open collection up to this build: each addition newer than the file's
// user_version runs in its own short transaction that also sets the file's version and
// identity. A file made by another program (another application_id) is refused and left as
// it is. Raises platform::Error (and rolls back the addition at hand) when one fails.
void applySchemaAdditions(engine::Connection &c);

} // namespace rails

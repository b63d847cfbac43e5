#pragma once
// What this build adds to a collection file beside the designed tables: new tables, indexes
// and triggers. Every statement is CREATE ... IF NOT EXISTS, so a file made by an earlier
// build gains them on its first open and a current file is left as it is. The designed
// tables are never altered.
#include "rails/engine/Connection.h"

#include <QStringList>

namespace rails {

const QStringList& schemaAdditions();

// Runs every addition in one short transaction on an open connection; raises
// platform::Error (and rolls back) when one fails.
void applySchemaAdditions(engine::Connection& c);

} // namespace rails

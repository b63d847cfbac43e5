#pragma once
// The program writes whole files under a temporary name beside their final place
// (".rails.trk.Ab12Cd.tmp") and renames them when complete. An operation removes its own
// temporary on success, failure and cancel; a crash or a kill leaves one behind, and the next
// start removes it.
#include <QString>

namespace exchange {

// Removes, in the collection's folder and its backups folder, the temporaries the program
// names as its own (".NAME.XXXXXX.tmp" and SQLite's journals of them) that no operation has
// touched for `quietSeconds` (a railsdb run may be writing one right now). Files of any other
// name are never touched. Returns how many were removed.
int removeStaleTemporaries(const QString &db, int quietSeconds = 600);

} // namespace exchange

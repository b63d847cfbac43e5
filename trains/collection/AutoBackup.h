#pragma once
// The automatic backups written at start-up into zerizori/backups/: one a day at most, the
// newest ten kept. The copy runs on a worker thread after the main window shows, so the
// start-up does not wait for it.
#include <QString>

namespace collection {

// Starts a backup when the newest automatic one is a day old or older; returns at once. A
// failure is written to the error log and otherwise goes unnoticed.
void startAutomaticBackup();
// Waits until a backup started here has finished (tests; the program does not wait).
void waitForAutomaticBackup();
// The newest automatic backup of the collection, or an empty text when there is none.
QString newestAutomaticBackup();

} // namespace collection

#pragma once
// The daily automatic copies written at start-up into zerizori/backups/: one a day at most and
// none while the collection is unchanged; a spread of days, weeks and months is kept. The copy
// runs on a worker thread after the main window shows, so the start-up does not wait for it.
#include <QString>

namespace collection {

// Starts a backup when the newest daily copy is a day old or older, or stamped later than
// now (the clock was set back); returns at once. A
// failure is written to the error log and otherwise goes unnoticed.
void startAutomaticBackup();
// Waits until a backup started here has finished (tests; the program does not wait).
void waitForAutomaticBackup();
// The newest automatic backup of the collection, or an empty text when there is none.
QString newestAutomaticBackup();

} // namespace collection

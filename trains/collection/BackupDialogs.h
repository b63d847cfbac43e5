#pragma once
// The Collection menu's file commands: Back Up Collection… and Restore From Backup…. Each asks for
// a file, runs the work in the background and says what happened.
#include <QDialog>

class QMdiArea;
class QWidget;

namespace collection {

// The collection file the store uses.
QString collectionPath();

void backUpCollection(QWidget *parent);
// Closes the task windows in `tasks` before the file is replaced.
void restoreFromBackup(QWidget *parent, QMdiArea *tasks);

} // namespace collection

#pragma once
// Whether another copy of the program is already running from the same program folder.
#include <QString>
#include <functional>

namespace platform {

// Takes the folder's instance lock when it is free and keeps it until the process ends;
// true when another process holds it.
bool PrevInstance(const QString &programFolder);
// Where the lock for a program folder lives.
QString instanceLockPath(const QString &programFolder);
// Gives up every instance lock this process holds (before the process ends at once).
void releaseInstanceLocks();

} // namespace platform

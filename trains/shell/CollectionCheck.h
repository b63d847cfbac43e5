#pragma once
// Start-up's check of the collection file (the store judges the file) and the boxes it shows:
// a file that is damaged or held by another program must not look like a first use, and
// nothing is ever written to a damaged file.
#include "rails/collection/FileCheck.h"

#include <QString>
#include <functional>

// The text of the box shown for a damaged file. `newestBackup` names a backup the user can
// restore; empty when none is known.
QString DamagedCollectionMessage(const QString &path, const QString &reason,
                                 const QString &newestBackup);

// Finds the newest backup of a collection file (empty when none). Start-up asks it only for a
// damaged file, to name that backup in the box.
using NewestBackupFinder = std::function<QString(const QString &collectionPath)>;
void SetNewestBackupFinder(NewestBackupFinder finder);

// Start-up's check of the collection file: shows the box for a damaged, busy or unreadable
// file (Retry checks again) and returns false when the program must end. On a sound file it
// brings the file's schema additions up to date; a failure there is reported and start-up
// goes on.
bool CollectionReadyAtStart(const QString &path);

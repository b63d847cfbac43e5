#pragma once
// The collection file's state at start-up, before anything reads or writes it: a file that is
// damaged or held by another program must not look like a first use, and nothing is ever
// written to a damaged file.
#include "platform/Error.h"

#include <QString>
#include <functional>

enum class CollectionState {
    Sound,      // readable, passes SQLite's quick check and holds tblMain and tblOwner
    Damaged,    // not a database, another program's file, fails the check, or lacks a designed
                // table
    Busy,       // still locked by another program after the store's usual wait
    Unreadable, // cannot be opened or read for another reason (permissions, I/O)
};

struct CollectionCheckResult {
    CollectionState state = CollectionState::Sound;
    QString reason; // what SQLite or the check said; empty when sound
};

// Opens the file read-only in effect (nothing is written) and checks it.
CollectionCheckResult CheckCollectionFile(const QString& path);

// The text of the box shown for a damaged file. `newestBackup` names a backup the user can
// restore; empty when none is known.
QString DamagedCollectionMessage(const QString& path, const QString& reason,
                                 const QString& newestBackup);

// Finds the newest backup of a collection file (empty when none). Start-up asks it only for a
// damaged file, to name that backup in the box.
using NewestBackupFinder = std::function<QString(const QString& collectionPath)>;
void SetNewestBackupFinder(NewestBackupFinder finder);

// Start-up's check of the collection file: shows the box for a damaged, busy or unreadable
// file (Retry checks again) and returns false when the program must end. On a sound file it
// brings the file's schema additions up to date; a failure there is reported and start-up
// goes on.
bool CollectionReadyAtStart(const QString& path);

// Tells the user that the collection could not be read just now and why (another program
// holding it is the usual reason); the command that asked opens nothing.
void ShowCollectionNotReadable(const platform::Error& e);

#pragma once
// The collection file's state, judged before anything reads or writes it: a file that is
// damaged or held by another program must not look like a first use, and the check never
// writes to the file it judges.
#include <QString>

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

// Opens the file read-only and checks it.
CollectionCheckResult CheckCollectionFile(const QString &path);

// The state an engine error number (SQLite's extended result code) stands for.
CollectionState CollectionStateOf(int errorNumber);

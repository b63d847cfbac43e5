#pragma once
// Every file the program or railsdb writes (an export, a backup, a report's PDF, a list of
// problem rows) is first held against the collection: no path, symbolic link or hard link may
// lead a write onto the collection file or one of SQLite's journal files beside it.
#include <QString>

namespace exchange {

// Raises platform::Error (path or file access) when `target` names a folder, a device or a
// pipe (a whole file is renamed over its target, which would replace them), or names the
// collection `db` or its -wal, -shm or -journal file by any path: files that exist are
// compared by device and inode, and a name that does not exist yet (a journal between two
// sessions) is compared by its folder's device and inode and its file name after following
// symbolic links.
void refuseCollectionTarget(const QString &db, const QString &target);

} // namespace exchange

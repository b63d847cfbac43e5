#pragma once
// The collection file as a whole: is a file a collection, a consistent copy of it made while
// it is in use, putting a copy back in its place, and the automatic copies kept beside it.
// Failures raise platform::Error with a description a collector can act on; nothing is
// changed by an operation that fails.
#include <QDateTime>
#include <QString>
#include <functional>

namespace exchange {

// Called now and then during long work with what is done out of the whole; returning false
// stops the work, which then raises platform::Error number ErrUserInterrupt and changes
// nothing.
using Progress = std::function<bool(qint64 done, qint64 total)>;
inline constexpr int ErrUserInterrupt = 18;

struct CollectionInfo {
    bool ok = false;
    QString reason;     // why the file is not a usable collection (empty when ok)
    qint64 items = 0;   // rows of tblMain
    QDateTime modified; // the file's last change
};

// Looks at a file without changing it: a SQLite file holding tblMain and tblOwner with their
// columns, passing SQLite's integrity check.
CollectionInfo checkCollection(const QString &path);

// Copies the collection with SQLite's online backup API (consistent while others read and
// write it) into `dest` through a temporary file that is checked and then renamed, so `dest`
// is either the old file or a whole new copy. Returns the number of items copied.
qint64 backupCollection(const QString &db, const QString &dest, const Progress &progress = {});

// Replaces the collection at `db` by the collection `source`. The source must be a whole
// collection and not the live file itself. The current file is first kept as an automatic
// backup (when it can be read); the replacement is a rename, so a crash leaves either the old
// or the new collection. Returns the number of items now in the collection.
qint64 restoreCollection(const QString &db, const QString &source);

// Automatic backups live in the folder "backups" beside the collection file.
QString automaticBackupFolder(const QString &db);
// The newest automatic backup, or an empty text when there is none.
QString newestAutomaticBackup(const QString &db);
// True when the newest automatic backup is a day old or older at `now` (or there is none).
bool automaticBackupDue(const QString &db, const QDateTime &now);
// Writes an automatic backup named after `now` and keeps the newest `keep`; returns its path.
QString writeAutomaticBackup(const QString &db, const QDateTime &now, int keep = 10);

} // namespace exchange

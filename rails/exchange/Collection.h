#pragma once
// The collection file as a whole: is a file a collection, a consistent copy of it made while
// it is in use, putting a copy back in its place, and the automatic copies kept beside it.
// Failures raise platform::Error with a description a collector can act on; nothing is
// changed by an operation that fails.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
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
    // What the file holds beyond the program's own schema, which a restore does not carry
    // over ("2 triggers", "1 view", "1 other table", "3 other indexes"); empty for a file the
    // program made.
    QStringList notCarried;
};

// Looks at a file without changing it: a SQLite file that is no other program's, holding
// tblMain and tblOwner with their columns, made by this version or an earlier one and
// passing SQLite's integrity check.
CollectionInfo checkCollection(const QString &path);

// Copies the collection inside one read transaction (consistent, and finished however often
// others write meanwhile) into `dest` through a temporary file that is checked and then
// renamed, so `dest` is either the old file or a whole new copy. Returns the items copied.
qint64 backupCollection(const QString &db, const QString &dest, const Progress &progress = {});

// Replaces the collection at `db` by the rows of the collection `source`: a new file is built
// from the program's own schema and the rows of the known tables are copied into it, checked
// value by value; nothing else of the source comes along. The live file is held exclusively
// from the moment it is kept as a pre-restore copy until the new file has taken its name, and
// no journal of the old file is left to be applied to the new one. A restore that is refused
// writes nothing. Returns the number of items now in the collection.
qint64 restoreCollection(const QString &db, const QString &source);

// Automatic copies live in the folder "backups" beside the collection file: daily copies
// (auto-<stamp>.trk) with a spread kept (the last 7 days, 4 weeks and 12 months that have
// one), and copies taken before each restore (pre-restore-<stamp>.trk) and import
// (pre-import-<stamp>.trk), the newest 10 of each kept. A copy is not written when the
// collection is unchanged since the newest copy of its kind; the copy holding the most items
// of a kind is never removed; only files the program named and that carry its identity are
// ever removed.
QString automaticBackupFolder(const QString &db);
// The newest automatic copy of any kind, or an empty text when there is none.
QString newestAutomaticBackup(const QString &db);
// True when there is no daily copy, the newest is a day old or older at `now`, or it is
// stamped later than `now` (the clock was set back).
bool automaticBackupDue(const QString &db, const QDateTime &now);
// Writes the daily copy named after `now` unless the collection is unchanged, then rotates the
// daily copies; returns the copy that holds the collection as it is now.
QString writeAutomaticBackup(const QString &db, const QDateTime &now);
// Removes what a copy or a restore cut off by a crash left: hidden temporary files with the
// names they give, beside the collection and among the automatic copies, an hour old or older
// at `now`. Nothing else is touched.
void removeStaleTemporaries(const QString &db, const QDateTime &now);
// The copy the CSV import takes before it writes: call it right before the import's
// transaction; a failure raises and the import must not go on.
QString writePreImportBackup(const QString &db, const QDateTime &now);

// Creates an empty collection at `path` from the designed tables' `schema` script, with this
// build's additions and identity. Refuses an existing file (or link); a failure leaves no file.
void createCollection(const QString &path, const QByteArray &schema);

} // namespace exchange

#pragma once
// Pieces the backup, restore and automatic-copy code share: one raw SQLite handle closed on
// every path out, and the file steps that make a copy whole before it takes its name.
#include "rails/exchange/Collection.h"

#include "rails/engine/Connection.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>

namespace exchange::detail {

// Opens a collection file for the program's own file work. Another program's lock is waited
// for up to `busyMs`; a file that cannot be opened raises "<file> cannot be opened: why".
void openCollectionFile(engine::Connection &c, const QString &path, engine::OpenMode mode,
                        int busyMs = 5000);
// Every row's first column of a statement, as text.
QStringList column(engine::Connection &db, const QString &sql);
// The rows of PRAGMA integrity_check; {"ok"} for a sound file.
QStringList integrityRows(engine::Connection &db);
qint64 countItems(engine::Connection &db);
// A digest of every row of the tables a restore carries: two files with the same digest hold
// the same collection, whatever their pages look like.
QByteArray contentDigest(engine::Connection &db);

// Raises when the file at `db` is another program's, not a collection to copy.
void refuseForeignFile(const QString &db);
bool sameFile(const QString &a, const QString &b);
// Gives the whole file at `temp` the name `dest` in one step, durably; `failure` says what
// could not be done ("Cannot write %1").
void renameIntoPlace(const QString &temp, const QString &dest, const QString &failure);
// A unique hidden name beside `final` for a file that becomes `final` once whole.
QString temporaryName(const QString &final);
// Removes a copy that did not become whole, with any journal SQLite left beside it.
void discardTemporary(const QString &temp);
// Makes a file that becomes `final` once whole: `make(temp)` is given a free hidden name beside
// `final` with no file there yet (SQLite creates it) and gives the finished file its name;
// when `make` fails, the temporary file and its journal are removed. Returns what `make` does.
template <class Make> auto throughTemporary(const QString &final, Make make) {
    const QString temp = temporaryName(final);
    try {
        QFile::remove(temp);
        return make(temp);
    } catch (...) {
        discardTemporary(temp);
        throw;
    }
}
// Copies the open database `from` into the new file `to` inside one read transaction of
// `from`, so writers elsewhere cannot make it start over; verifies the copy, gives it the
// program's identity and returns its items.
qint64 copyInto(engine::Connection &from, const QString &to, const Progress &progress);

} // namespace exchange::detail

namespace exchange::detail {

inline const QString kDailyPrefix = QStringLiteral("auto-");
inline const QString kPreRestorePrefix = QStringLiteral("pre-restore-");
inline const QString kPreImportPrefix = QStringLiteral("pre-import-");

// Writes an automatic copy of the kind `prefix` named after `now` unless the newest copy of
// that kind holds the same rows (`current` is contentDigest() of the collection now), then
// rotates that kind, never removing a file in `protect`. `fill(temp)` makes the whole copy at
// the new file `temp`. Returns the copy that holds the collection as it is now.
QString keepAutomaticCopy(const QString &db, const QString &prefix, const QDateTime &now,
                          const QByteArray &current,
                          const std::function<qint64(const QString &temp)> &fill,
                          const QStringList &protect = {});

} // namespace exchange::detail

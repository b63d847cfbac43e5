#pragma once
// Pieces the backup, restore and automatic-copy code share: one raw SQLite handle closed on
// every path out, and the file steps that make a copy whole before it takes its name.
#include "rails/exchange/Collection.h"

#include <QByteArray>
#include <QStringList>

struct sqlite3;
struct sqlite3_stmt;

namespace exchange::detail {

class Db {
  public:
    Db(const QString &path, int flags);
    ~Db();
    Db(const Db &) = delete;
    Db &operator=(const Db &) = delete;
    sqlite3 *get() const { return db_; }

    // Every row's first column as text; raises on failure.
    QStringList column(const char *sql) const;
    void exec(const char *sql) const;
    // Prepares one statement; the caller finalizes it. Raises on failure.
    sqlite3_stmt *prepare(const QByteArray &sql) const;
    [[noreturn]] void fail() const;

  private:
    sqlite3 *db_ = nullptr;
};

// The rows of PRAGMA integrity_check; {"ok"} for a sound file.
QStringList integrityRows(const Db &db);
qint64 countItems(const Db &db);
// A digest of every row of the tables a restore carries: two files with the same digest hold
// the same collection, whatever their pages look like.
QByteArray contentDigest(const Db &db);

bool sameFile(const QString &a, const QString &b);
// Gives the whole file at `temp` the name `dest` in one step, durably; `failure` says what
// could not be done ("Cannot write %1").
void renameIntoPlace(const QString &temp, const QString &dest, const QString &failure);
// A unique hidden name beside `final` for a file that becomes `final` once whole.
QString temporaryName(const QString &final);
// Removes a copy that did not become whole, with any journal SQLite left beside it.
void discardTemporary(const QString &temp);
// Copies the open database `from` into the new file `to` inside one read transaction of
// `from`, so writers elsewhere cannot make it start over; verifies the copy, gives it the
// program's identity and returns its items.
qint64 copyInto(const Db &from, const QString &to, const Progress &progress);

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

#include "rails/exchange/Collection.h"
#include "rails/exchange/SafeTarget.h"

#include "platform/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace exchange {

namespace {

using platform::Error;

const QString kAutoPrefix = QStringLiteral("auto-");
const QString kAutoSuffix = QStringLiteral(".trk");
const QString kAutoStamp = QStringLiteral("yyyyMMdd-HHmmss");

// One raw SQLite handle, closed on every path out.
class Db {
  public:
    Db(const QString &path, int flags) {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, flags, nullptr);
        if (rc != SQLITE_OK) {
            const QString msg = db_ ? QString::fromUtf8(sqlite3_errmsg(db_))
                                    : QString::fromUtf8(sqlite3_errstr(rc));
            sqlite3_close_v2(db_);
            db_ = nullptr;
            throw Error(
                rc,
                QStringLiteral("%1 cannot be opened: %2").arg(QDir::toNativeSeparators(path), msg));
        }
        sqlite3_extended_result_codes(db_, 1);
        sqlite3_busy_timeout(db_, 5000);
    }
    ~Db() { sqlite3_close_v2(db_); }
    Db(const Db &) = delete;
    Db &operator=(const Db &) = delete;
    sqlite3 *get() const { return db_; }

    // Every row's first column as text; raises on failure.
    QStringList column(const char *sql) const {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db_, sql, -1, &st, nullptr) != SQLITE_OK)
            fail();
        QStringList out;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            out.append(
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))));
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            fail();
        return out;
    }
    void exec(const char *sql) const {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail();
    }
    [[noreturn]] void fail() const {
        throw Error(sqlite3_extended_errcode(db_), QString::fromUtf8(sqlite3_errmsg(db_)));
    }

  private:
    sqlite3 *db_ = nullptr;
};

const QStringList &mainColumns() {
    static const QStringList c{
        "ID",        "ItemID",        "Manufacturer", "RailLine",     "CarType",
        "CarNumber", "SetNumber",     "Gauge",        "Curve",        "CarColor",
        "Color",     "AccquiredFrom", "OriginalCost", "CurrentValue", "DateAccquired",
        "DateAdd",   "DateMod",       "FullSet",      "Car",          "Loco",
        "Track",     "Accessory",     "Condition",    "Box",          "Notes"};
    return c;
}
const QStringList &ownerColumns() {
    static const QStringList c{"OwnerID", "LName", "FName",    "Address", "City",   "State",
                               "Zip",     "Email", "FullName", "DateAdd", "DateMod"};
    return c;
}

QString missingColumns(const Db &db, const char *table, const QStringList &wanted) {
    const QStringList have = db.column(QStringLiteral("SELECT name FROM pragma_table_info('%1')")
                                           .arg(QLatin1String(table))
                                           .toUtf8());
    QSet<QString> lower;
    for (const QString &h : have)
        lower.insert(h.toLower());
    if (lower.isEmpty())
        return QStringLiteral("it has no table %1").arg(QLatin1String(table));
    QStringList missing;
    for (const QString &w : wanted)
        if (!lower.contains(w.toLower()))
            missing.append(w);
    if (missing.isEmpty())
        return {};
    return QStringLiteral("its table %1 lacks the column(s) %2")
        .arg(QLatin1String(table), missing.join(QStringLiteral(", ")));
}

bool sameFile(const QString &a, const QString &b) {
    struct stat sa {
    }, sb{};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Makes a rename in `folder` survive a power cut, not only a crash.
void syncFolder(const QString &folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Gives the whole file at `temp` the name `dest` in one step, durably; `failure` says what
// could not be done ("Cannot write %1").
void renameIntoPlace(const QString &temp, const QString &dest, const QString &failure) {
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(dest).constData()) != 0)
        throw Error(platform::ErrPathFileAccess,
                    failure.arg(QDir::toNativeSeparators(dest)) + QStringLiteral(": ") +
                        QString::fromLocal8Bit(strerror(errno)));
    syncFolder(QFileInfo(dest).absolutePath());
}

// A unique name in `folder` for a file that becomes `final` once whole.
QString temporaryName(const QString &final) {
    QTemporaryFile t(QFileInfo(final).absolutePath() + QStringLiteral("/.") +
                     QFileInfo(final).fileName() + QStringLiteral(".XXXXXX.tmp"));
    t.setAutoRemove(false);
    if (!t.open())
        throw Error(
            platform::ErrPathFileAccess,
            QStringLiteral("Cannot write in the folder %1: %2")
                .arg(QDir::toNativeSeparators(QFileInfo(final).absolutePath()), t.errorString()));
    const QString name = t.fileName();
    t.close();
    return name;
}

// Removes a copy that did not become whole, with any journal SQLite left beside it.
void discardTemporary(const QString &temp) {
    QFile::remove(temp);
    QFile::remove(temp + QStringLiteral("-journal"));
}

qint64 countItems(const Db &db) {
    return db.column("SELECT COUNT(*) FROM tblMain").value(0).toLongLong();
}

// Copies the database `from` (open) into a new file `to`, verifies it and returns its items.
qint64 copyInto(const Db &from, const QString &to, const Progress &progress) {
    Db dest(to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3_backup *b = sqlite3_backup_init(dest.get(), "main", from.get(), "main");
    if (!b)
        dest.fail();
    int rc;
    bool cancelled = false;
    // Small steps let others write between them and the caller show progress.
    while ((rc = sqlite3_backup_step(b, 256)) == SQLITE_OK || rc == SQLITE_BUSY ||
           rc == SQLITE_LOCKED) {
        if (rc != SQLITE_OK)
            sqlite3_sleep(20);
        if (progress && !progress(sqlite3_backup_pagecount(b) - sqlite3_backup_remaining(b),
                                  sqlite3_backup_pagecount(b))) {
            cancelled = true;
            break;
        }
    }
    sqlite3_backup_finish(b);
    if (cancelled)
        throw Error(ErrUserInterrupt, QStringLiteral("The backup was cancelled."));
    if (rc != SQLITE_DONE) {
        if ((rc & 0xff) == SQLITE_FULL)
            throw Error(rc, QStringLiteral("The disk is full: %1 could not be written.")
                                .arg(QDir::toNativeSeparators(to)));
        if ((rc & 0xff) == SQLITE_IOERR)
            throw Error(rc, QStringLiteral("%1 could not be written (%2): the disk may be full "
                                           "or failing.")
                                .arg(QDir::toNativeSeparators(to),
                                     QString::fromUtf8(sqlite3_errstr(rc))));
        throw Error(rc, QString::fromUtf8(sqlite3_errstr(rc)));
    }
    const QStringList check = dest.column("PRAGMA integrity_check");
    if (check != QStringList{QStringLiteral("ok")})
        throw Error(SQLITE_CORRUPT,
                    QStringLiteral("The copy failed its integrity check: %1").arg(check.value(0)));
    return countItems(dest);
}

// Copies `db` into `dest` through a temporary file renamed when whole.
qint64 copyThroughTemporary(const QString &db, const QString &dest, const Progress &progress) {
    Db source(db, SQLITE_OPEN_READONLY);
    const QString temp = temporaryName(dest);
    try {
        QFile::remove(temp); // SQLite creates the file itself
        const qint64 items = copyInto(source, temp, progress);
        renameIntoPlace(temp, dest, QStringLiteral("Cannot write %1"));
        return items;
    } catch (...) {
        discardTemporary(temp);
        throw;
    }
}

QStringList automaticBackups(const QString &db) {
    QDir d(automaticBackupFolder(db));
    QStringList names =
        d.entryList({kAutoPrefix + QLatin1Char('*') + kAutoSuffix}, QDir::Files, QDir::Name);
    QStringList out;
    for (const QString &n : names)
        if (QDateTime::fromString(n.mid(kAutoPrefix.size(), kAutoStamp.size()), kAutoStamp)
                .isValid())
            out.append(d.filePath(n));
    return out; // oldest first: the stamp sorts by time
}

} // namespace

CollectionInfo checkCollection(const QString &path) {
    CollectionInfo info;
    const QFileInfo fi(path);
    if (!fi.exists()) {
        info.reason = QStringLiteral("%1 does not exist.").arg(QDir::toNativeSeparators(path));
        return info;
    }
    if (!fi.isFile()) {
        info.reason = QStringLiteral("%1 is not a file.").arg(QDir::toNativeSeparators(path));
        return info;
    }
    info.modified = fi.lastModified();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        info.reason = QStringLiteral("%1 cannot be read: %2")
                          .arg(QDir::toNativeSeparators(path), f.errorString());
        return info;
    }
    if (!f.read(16).startsWith("SQLite format 3")) {
        info.reason = QStringLiteral("%1 is not a Quillon collection (it is not a database file).")
                          .arg(QDir::toNativeSeparators(path));
        return info;
    }
    f.close();
    try {
        Db db(path, SQLITE_OPEN_READONLY);
        QString why = missingColumns(db, "tblMain", mainColumns());
        if (why.isEmpty())
            why = missingColumns(db, "tblOwner", ownerColumns());
        if (!why.isEmpty()) {
            info.reason = QStringLiteral("%1 is not a Quillon collection: %2.")
                              .arg(QDir::toNativeSeparators(path), why);
            return info;
        }
        const QStringList check = db.column("PRAGMA integrity_check");
        if (check != QStringList{QStringLiteral("ok")}) {
            info.reason = QStringLiteral("%1 is damaged (integrity check: %2).")
                              .arg(QDir::toNativeSeparators(path), check.value(0));
            return info;
        }
        info.items = countItems(db);
        info.ok = true;
    } catch (const Error &e) {
        info.reason = QStringLiteral("%1 cannot be read as a collection: %2")
                          .arg(QDir::toNativeSeparators(path), e.Description());
    }
    return info;
}

qint64 backupCollection(const QString &db, const QString &dest, const Progress &progress) {
    refuseCollectionTarget(db, dest);
    if (!QFileInfo(db).isFile())
        throw Error(
            platform::ErrFileNotFound,
            QStringLiteral("The collection %1 does not exist.").arg(QDir::toNativeSeparators(db)));
    if (sameFile(db, dest))
        throw Error(platform::ErrPathFileAccess,
                    QStringLiteral("A backup cannot be written over the collection itself."));
    if (QFileInfo(dest).isDir())
        throw Error(platform::ErrPathFileAccess,
                    QStringLiteral("%1 is a folder; choose a file name.")
                        .arg(QDir::toNativeSeparators(dest)));
    return copyThroughTemporary(db, dest, progress);
}

qint64 restoreCollection(const QString &db, const QString &source) {
    if (sameFile(db, source) ||
        QFileInfo(db).absoluteFilePath() == QFileInfo(source).absoluteFilePath())
        throw Error(platform::ErrPathFileAccess,
                    QStringLiteral("%1 is the collection in use; choose a backup file.")
                        .arg(QDir::toNativeSeparators(source)));
    const CollectionInfo info = checkCollection(source);
    if (!info.ok)
        throw Error(platform::ErrPathFileAccess,
                    info.reason + QStringLiteral(" The collection was not changed."));

    // Keep what is there now; a damaged file is kept as it is, byte for byte.
    if (QFileInfo(db).isFile()) {
        const QDateTime now = QDateTime::currentDateTime();
        try {
            writeAutomaticBackup(db, now, 10);
        } catch (const Error &) {
            QDir().mkpath(automaticBackupFolder(db));
            const QString raw = automaticBackupFolder(db) + QStringLiteral("/before-restore-") +
                                now.toString(kAutoStamp) + kAutoSuffix;
            if (!QFile::copy(db, raw))
                throw Error(platform::ErrPathFileAccess,
                            QStringLiteral("The current collection could not be kept before the "
                                           "restore; nothing was changed."));
        }
    }

    Db src(source, SQLITE_OPEN_READONLY);
    const QString temp = temporaryName(db);
    try {
        QFile::remove(temp);
        const qint64 items = copyInto(src, temp, {});
        // Hold the live file exclusively while it is replaced: a crashed writer's journal is
        // rolled back first (it must not be played into the new file) and nobody writes
        // between the check and the rename.
        std::unique_ptr<Db> lock;
        if (QFileInfo(db).isFile()) {
            try {
                lock = std::make_unique<Db>(db, SQLITE_OPEN_READWRITE);
                lock->exec("BEGIN EXCLUSIVE");
            } catch (const Error &e) {
                if ((e.Number() & 0xff) == SQLITE_BUSY || (e.Number() & 0xff) == SQLITE_LOCKED)
                    throw Error(e.Number(), QStringLiteral("The collection is in use by another "
                                                           "program; nothing was changed."));
                lock.reset(); // a damaged file is replaced as it is
            }
        }
        renameIntoPlace(temp, db, QStringLiteral("Cannot replace %1"));
        return items;
    } catch (...) {
        discardTemporary(temp);
        throw;
    }
}

QString automaticBackupFolder(const QString &db) {
    return QFileInfo(db).absolutePath() + QStringLiteral("/backups");
}

QString newestAutomaticBackup(const QString &db) {
    const QStringList all = automaticBackups(db);
    return all.isEmpty() ? QString() : all.last();
}

bool automaticBackupDue(const QString &db, const QDateTime &now) {
    const QString newest = newestAutomaticBackup(db);
    if (newest.isEmpty())
        return true;
    const QDateTime made = QDateTime::fromString(
        QFileInfo(newest).fileName().mid(kAutoPrefix.size(), kAutoStamp.size()), kAutoStamp);
    return made.secsTo(now) >= 24 * 60 * 60 || made > now;
}

QString writeAutomaticBackup(const QString &db, const QDateTime &now, int keep) {
    const QString folder = automaticBackupFolder(db);
    if (!QDir().mkpath(folder))
        throw Error(
            platform::ErrPathFileAccess,
            QStringLiteral("Cannot create the folder %1.").arg(QDir::toNativeSeparators(folder)));
    QString dest = folder + QLatin1Char('/') + kAutoPrefix + now.toString(kAutoStamp) + kAutoSuffix;
    copyThroughTemporary(db, dest, {});
    QStringList all = automaticBackups(db);
    while (all.size() > keep)
        QFile::remove(all.takeFirst());
    return dest;
}

} // namespace exchange

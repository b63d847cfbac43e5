#include "rails/exchange/CollectionFile.h"

#include "rails/SchemaAdditions.h"

#include "platform/Error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace exchange::detail {

using platform::Error;

Db::Db(const QString &path, int flags) {
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString msg =
            db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
        const int code = db_ ? sqlite3_extended_errcode(db_) : rc;
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw Error(
            code,
            QStringLiteral("%1 cannot be opened: %2").arg(QDir::toNativeSeparators(path), msg));
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, 5000);
}

Db::~Db() {
    sqlite3_close_v2(db_);
}

QStringList Db::column(const char *sql) const {
    sqlite3_stmt *st = prepare(sql);
    QStringList out;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        out.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))));
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        fail();
    return out;
}

void Db::exec(const char *sql) const {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail();
}

sqlite3_stmt *Db::prepare(const QByteArray &sql) const {
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK)
        fail();
    return st;
}

void Db::fail() const {
    throw Error(sqlite3_extended_errcode(db_), QString::fromUtf8(sqlite3_errmsg(db_)));
}

QStringList integrityRows(const Db &db) {
    return db.column("PRAGMA integrity_check");
}

qint64 countItems(const Db &db) {
    return db.column("SELECT COUNT(*) FROM tblMain").value(0).toLongLong();
}

QByteArray contentDigest(const Db &db) {
    QCryptographicHash h(QCryptographicHash::Sha256);
    const QStringList present =
        db.column("SELECT lower(name) FROM sqlite_master WHERE type = 'table'");
    for (const QString &table : rails::restoredTables()) {
        if (!present.contains(table.toLower()))
            continue;
        h.addData(table.toUtf8());
        sqlite3_stmt *st = db.prepare("SELECT * FROM \"" + table.toUtf8() + "\" ORDER BY rowid");
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const char type = char(sqlite3_column_type(st, c));
                const auto *bytes = static_cast<const char *>(sqlite3_column_blob(st, c));
                const int n = sqlite3_column_bytes(st, c);
                h.addData(QByteArrayView(&type, 1));
                h.addData(QByteArrayView(reinterpret_cast<const char *>(&n), sizeof n));
                if (n > 0)
                    h.addData(QByteArrayView(bytes, n));
            }
        }
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            db.fail();
    }
    return h.result();
}

bool sameFile(const QString &a, const QString &b) {
    struct stat sa {
    }, sb{};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

namespace {
// Makes a rename in `folder` survive a power cut, not only a crash.
void syncFolder(const QString &folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
} // namespace

void renameIntoPlace(const QString &temp, const QString &dest, const QString &failure) {
    if (::rename(QFile::encodeName(temp).constData(), QFile::encodeName(dest).constData()) != 0)
        throw Error(platform::ErrPathFileAccess, failure.arg(QDir::toNativeSeparators(dest)) +
                                                     QStringLiteral(": ") +
                                                     QString::fromLocal8Bit(strerror(errno)));
    syncFolder(QFileInfo(dest).absolutePath());
}

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

void discardTemporary(const QString &temp) {
    QFile::remove(temp);
    QFile::remove(temp + QStringLiteral("-journal"));
}

namespace {

[[noreturn]] void copyFailed(int rc, const QString &to) {
    if ((rc & 0xff) == SQLITE_FULL)
        throw Error(rc, QStringLiteral("The disk is full: %1 could not be written.")
                            .arg(QDir::toNativeSeparators(to)));
    if ((rc & 0xff) == SQLITE_IOERR)
        throw Error(rc,
                    QStringLiteral("%1 could not be written (%2): the disk may be full "
                                   "or failing.")
                        .arg(QDir::toNativeSeparators(to), QString::fromUtf8(sqlite3_errstr(rc))));
    throw Error(rc, QString::fromUtf8(sqlite3_errstr(rc)));
}

// Holds one read transaction on a database for as long as it lives: what it reads is one
// moment of the file, whatever others write meanwhile.
struct ReadTransaction {
    const Db &db;
    explicit ReadTransaction(const Db &d) : db(d) {
        db.exec("BEGIN");
        db.column("SELECT COUNT(*) FROM sqlite_master"); // takes the read lock now
    }
    ~ReadTransaction() { sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr); }
};

} // namespace

qint64 copyInto(const Db &from, const QString &to, const Progress &progress) {
    const ReadTransaction snapshot(from);
    Db dest(to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3_backup *b = sqlite3_backup_init(dest.get(), "main", from.get(), "main");
    if (!b)
        dest.fail();
    int rc;
    bool cancelled = false;
    // Steps only let the caller show progress: the read transaction keeps the source still.
    while ((rc = sqlite3_backup_step(b, 1024)) == SQLITE_OK || rc == SQLITE_BUSY ||
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
    if (rc != SQLITE_DONE)
        copyFailed(rc, to);
    // A copy of a file another program left in WAL mode is put back in the program's own
    // journal mode; the copy carries the program's identity.
    const QByteArray stamp = "PRAGMA journal_mode = DELETE; PRAGMA application_id = " +
                             QByteArray::number(rails::kApplicationId);
    if (sqlite3_exec(dest.get(), stamp.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        copyFailed(sqlite3_extended_errcode(dest.get()), to);
    const QStringList check = integrityRows(dest);
    if (check != QStringList{QStringLiteral("ok")})
        throw Error(SQLITE_CORRUPT,
                    QStringLiteral("The copy failed its integrity check: %1").arg(check.value(0)));
    return countItems(dest);
}

} // namespace exchange::detail

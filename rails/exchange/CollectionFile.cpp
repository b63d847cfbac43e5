#include "rails/exchange/CollectionFile.h"
#include "rails/exchange/FileIdentity.h"

#include "rails/SchemaAdditions.h"

#include "platform/Error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace exchange::detail {

using platform::Error;

void openCollectionFile(engine::Connection &c, const QString &path, engine::OpenMode mode,
                        int busyMs) {
    c.busyTimeoutMs = busyMs;
    try {
        c.openFile(path, mode);
    } catch (const Error &e) {
        throw Error(e.Number(), QStringLiteral("%1 cannot be opened: %2")
                                    .arg(QDir::toNativeSeparators(path), e.Description()));
    }
}

QStringList column(engine::Connection &db, const QString &sql) {
    engine::Statement st(db, sql.toUtf8());
    QStringList out;
    while (st.step())
        out.append(st.text(0));
    return out;
}

QStringList integrityRows(engine::Connection &db) {
    return column(db, QStringLiteral("PRAGMA integrity_check"));
}

qint64 countItems(engine::Connection &db) {
    return column(db, QStringLiteral("SELECT COUNT(*) FROM tblMain")).value(0).toLongLong();
}

QByteArray contentDigest(engine::Connection &db) {
    QCryptographicHash h(QCryptographicHash::Sha256);
    const QStringList present =
        column(db, QStringLiteral("SELECT lower(name) FROM sqlite_master WHERE type = 'table'"));
    for (const QString &table : rails::restoredTables()) {
        if (!present.contains(table.toLower()))
            continue;
        h.addData(table.toUtf8());
        engine::Statement st(db, "SELECT * FROM \"" + table.toUtf8() + "\" ORDER BY rowid");
        while (st.step()) {
            for (int c = 0; c < st.columnCount(); ++c) {
                const char type = char(st.type(c));
                const QByteArrayView bytes = st.blob(c);
                const int n = int(bytes.size());
                h.addData(QByteArrayView(&type, 1));
                h.addData(QByteArrayView(reinterpret_cast<const char *>(&n), sizeof n));
                if (n > 0)
                    h.addData(bytes);
            }
        }
    }
    return h.result();
}

void refuseForeignFile(const QString &db) {
    if (readFileIdentity(db).foreign())
        throw Error(platform::ErrPathFileAccess,
                    QStringLiteral("%1 is another program's file, not a Quillon collection.")
                        .arg(QDir::toNativeSeparators(db)));
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
        throw Error(rc, QStringLiteral("%1 could not be written (%2): the disk may be full "
                                       "or failing.")
                            .arg(QDir::toNativeSeparators(to), engine::Connection::resultText(rc)));
    throw Error(rc, engine::Connection::resultText(rc));
}

// Holds one read transaction on a database for as long as it lives: what it reads is one
// moment of the file, whatever others write meanwhile.
struct ReadTransaction {
    engine::Connection &db;
    explicit ReadTransaction(engine::Connection &d) : db(d) {
        db.BeginTrans();
        column(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_master")); // takes the read lock
    }
    ~ReadTransaction() {
        try {
            db.RollbackTrans();
        } catch (const Error &) {
            // nothing was written: a failed rollback leaves nothing behind
        }
    }
};

} // namespace

qint64 copyInto(engine::Connection &from, const QString &to, const Progress &progress) {
    const ReadTransaction snapshot(from);
    engine::Connection dest;
    openCollectionFile(dest, to, engine::OpenMode::Create);
    // The online backup is SQLite's own service; the engine does not wrap it.
    sqlite3_backup *b = sqlite3_backup_init(dest.handle(), "main", from.handle(), "main");
    if (!b)
        dest.raiseLastError();
    int rc;
    bool cancelled = false;
    // Steps only let the caller show progress: the read transaction keeps the source still.
    while ((rc = sqlite3_backup_step(b, 1024)) == SQLITE_OK || rc == SQLITE_BUSY ||
           rc == SQLITE_LOCKED) {
        if (rc != SQLITE_OK)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
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
    try {
        dest.executeScript(stamp);
    } catch (const Error &e) {
        copyFailed(e.Number(), to);
    }
    const QStringList check = integrityRows(dest);
    if (check != QStringList{QStringLiteral("ok")})
        throw Error(SQLITE_CORRUPT,
                    QStringLiteral("The copy failed its integrity check: %1").arg(check.value(0)));
    return countItems(dest);
}

} // namespace exchange::detail

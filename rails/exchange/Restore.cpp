// Putting a backup in the collection's place: a new file built from the program's own schema
// takes the known tables' rows of the backup, checked value by value, and then the live
// file's name in one rename while the live file is held exclusively.
#include "rails/exchange/Collection.h"
#include "rails/exchange/CollectionFile.h"
#include "rails/exchange/FileIdentity.h"

#include "rails/SchemaAdditions.h"
#include "rails/engine/Connection.h"

#include "platform/Clock.h"
#include "platform/Error.h"

#include <QByteArrayView>
#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <memory>
#include <sqlite3.h>

namespace exchange {

namespace {

using detail::Db;
using platform::Error;

constexpr double kMaxAmount = 9999999.99; // what the forms and the import accept
constexpr int kMaxText = 64 * 1024;

struct Column {
    QString name;
    QString type; // declared type in the program's schema: TEXT, REAL, INTEGER, BLOB
};

QList<Column> columnsOf(const Db &db, const QString &table) {
    sqlite3_stmt *st = db.prepare("SELECT name, upper(type) FROM pragma_table_info(?)");
    const QByteArray t = table.toUtf8();
    sqlite3_bind_text(st, 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
    QList<Column> out;
    while (sqlite3_step(st) == SQLITE_ROW)
        out.append({QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))),
                    QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1)))});
    sqlite3_finalize(st);
    return out;
}

// Why a stored value cannot go into a column of the program's schema; empty when it can.
QString badValue(sqlite3_value *v, const QString &table, const Column &c) {
    const int type = sqlite3_value_type(v);
    if (type == SQLITE_NULL)
        return {};
    if (c.type.startsWith(u"TEXT")) {
        if (type != SQLITE_TEXT)
            return QStringLiteral("is not text");
        const auto *p = reinterpret_cast<const char *>(sqlite3_value_text(v));
        const int n = sqlite3_value_bytes(v);
        if (table != u"tblPhoto" && n > kMaxText)
            return QStringLiteral("is longer than %1 characters").arg(kMaxText);
        if (!QByteArrayView(p, n).isValidUtf8())
            return QStringLiteral("is not valid UTF-8 text");
        return {};
    }
    if (c.type.startsWith(u"REAL") || c.type.startsWith(u"INTEGER")) {
        if (type != SQLITE_INTEGER && (type != SQLITE_FLOAT || c.type.startsWith(u"INTEGER")))
            return QStringLiteral("is not a number");
        const double d = sqlite3_value_double(v);
        if (!std::isfinite(d))
            return QStringLiteral("is not a finite number");
        const bool amount =
            table == u"tblMain" && (c.name.compare(u"OriginalCost", Qt::CaseInsensitive) == 0 ||
                                    c.name.compare(u"CurrentValue", Qt::CaseInsensitive) == 0);
        if (amount && (d < 0 || d > kMaxAmount))
            return QStringLiteral("is not an amount from 0 to 9,999,999.99");
        return {};
    }
    if (c.type.startsWith(u"BLOB") && type != SQLITE_BLOB)
        return QStringLiteral("is not binary data");
    return {};
}

// Copies one table's rows, named column by named column, checking every value.
void copyTable(const Db &from, const Db &to, const QString &table) {
    const QList<Column> theirs = columnsOf(from, table);
    QList<Column> cols;
    for (const Column &c : columnsOf(to, table))
        for (const Column &t : theirs)
            if (t.name.compare(c.name, Qt::CaseInsensitive) == 0)
                cols.append(c);
    if (cols.isEmpty())
        return; // a file from before the table existed
    QByteArray names, marks;
    for (const Column &c : cols) {
        names += (names.isEmpty() ? "\"" : ", \"") + c.name.toUtf8() + '"';
        marks += marks.isEmpty() ? "?" : ", ?";
    }
    const QByteArray quoted = '"' + table.toUtf8() + '"';
    sqlite3_stmt *read =
        from.prepare("SELECT rowid, " + names + " FROM " + quoted + " ORDER BY rowid");
    sqlite3_stmt *write = nullptr;
    try {
        write = to.prepare("INSERT INTO " + quoted + " (" + names + ") VALUES (" + marks + ")");
        int rc;
        while ((rc = sqlite3_step(read)) == SQLITE_ROW) {
            for (int i = 0; i < cols.size(); ++i) {
                sqlite3_value *v = sqlite3_column_value(read, i + 1);
                const QString why = badValue(v, table, cols[i]);
                if (!why.isEmpty())
                    throw Error(SQLITE_CONSTRAINT,
                                QStringLiteral("In the backup, %1 of row %2 of %3 %4.")
                                    .arg(cols[i].name)
                                    .arg(sqlite3_column_int64(read, 0))
                                    .arg(table, why));
                sqlite3_bind_value(write, i + 1, v);
            }
            if (sqlite3_step(write) != SQLITE_DONE)
                throw Error(sqlite3_extended_errcode(to.get()),
                            QStringLiteral("In the backup, row %1 of %2 cannot be restored: %3.")
                                .arg(sqlite3_column_int64(read, 0))
                                .arg(table, QString::fromUtf8(sqlite3_errmsg(to.get()))));
            sqlite3_reset(write);
        }
        if (rc != SQLITE_DONE)
            from.fail();
    } catch (...) {
        sqlite3_finalize(read);
        sqlite3_finalize(write);
        throw;
    }
    sqlite3_finalize(read);
    sqlite3_finalize(write);
}

// Numbers given by AUTOINCREMENT are never given again after the restore either.
void copySequence(const Db &from, const Db &to) {
    if (from.column("SELECT name FROM sqlite_master WHERE name = 'sqlite_sequence'").isEmpty())
        return;
    sqlite3_stmt *read = from.prepare("SELECT name, seq FROM sqlite_sequence");
    sqlite3_stmt *update =
        to.prepare("UPDATE sqlite_sequence SET seq = max(seq, ?1) WHERE name = ?2");
    sqlite3_stmt *insert =
        to.prepare("INSERT INTO sqlite_sequence (name, seq) SELECT ?2, ?1 "
                   "WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = ?2) "
                   "AND EXISTS (SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?2)");
    while (sqlite3_step(read) == SQLITE_ROW) {
        for (sqlite3_stmt *st : {update, insert}) {
            sqlite3_bind_value(st, 1, sqlite3_column_value(read, 1));
            sqlite3_bind_value(st, 2, sqlite3_column_value(read, 0));
            sqlite3_step(st);
            sqlite3_reset(st);
        }
    }
    for (sqlite3_stmt *st : {read, update, insert})
        sqlite3_finalize(st);
}

// Builds the new collection at `temp` from the program's schema and the rows of `source`.
qint64 rebuild(const QString &source, const QString &temp) {
    {
        const Db to(temp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        to.exec("PRAGMA journal_mode = DELETE");
        to.exec(rails::designedSchema());
        // The additions' tables first, their triggers and indexes after the rows: a trigger
        // must not act on rows that are only being carried over.
        for (const rails::SchemaAddition &a : rails::schemaAdditions())
            for (const QString &s : a.statements)
                if (s.simplified().startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive))
                    to.exec(s.toUtf8().constData());
        const Db from(source, SQLITE_OPEN_READONLY);
        from.exec("BEGIN");
        to.exec("BEGIN");
        for (const QString &table : rails::restoredTables())
            copyTable(from, to, table);
        copySequence(from, to);
        to.exec("COMMIT");
        from.exec("ROLLBACK");
    }
    engine::Connection c;
    c.ConnectionString = QStringLiteral("Provider=SQLite;Data Source=%1;").arg(temp);
    c.Open();
    rails::applySchemaAdditions(c);
    c.Close();
    const Db made(temp, SQLITE_OPEN_READWRITE);
    const QStringList check = detail::integrityRows(made);
    if (check != QStringList{QStringLiteral("ok")})
        throw Error(SQLITE_CORRUPT, QStringLiteral("The restored file failed its integrity "
                                                   "check: %1")
                                        .arg(check.value(0)));
    return detail::countItems(made);
}

} // namespace

namespace {

bool busy(int code) {
    return (code & 0xff) == SQLITE_BUSY || (code & 0xff) == SQLITE_LOCKED;
}

[[noreturn]] void inUse(int code) {
    throw Error(code, QStringLiteral("The collection is in use by another program; nothing was "
                                     "changed."));
}

// The live file held exclusively: a crashed writer's journal or a WAL left by another
// program is played into the old file or rolled back first (never into the new one), the
// file is put in the program's own journal mode, and nobody reads or writes it until the
// new file has its name. `lock` stays empty for a file SQLite cannot open at all.
std::unique_ptr<Db> holdLiveFile(const QString &db) {
    std::unique_ptr<Db> lock;
    try {
        lock = std::make_unique<Db>(db, SQLITE_OPEN_READWRITE);
        sqlite3_busy_timeout(lock->get(), 2000);
        // Closing after a failure must not fold a WAL into a file found damaged: both are
        // kept aside as they are.
        sqlite3_db_config(lock->get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
        if (lock->column("PRAGMA journal_mode").value(0).compare(u"wal", Qt::CaseInsensitive) ==
                0 &&
            lock->column("PRAGMA journal_mode = DELETE")
                    .value(0)
                    .compare(u"wal", Qt::CaseInsensitive) == 0)
            inUse(SQLITE_BUSY); // others still have it open in WAL mode
        lock->exec("BEGIN EXCLUSIVE");
        lock->column("SELECT COUNT(*) FROM sqlite_master");
    } catch (const Error &e) {
        if (busy(e.Number()))
            inUse(e.Number());
        lock.reset(); // a damaged file is replaced as it is, and kept as it is
    }
    return lock;
}

const char *const kJournals[] = {"-journal", "-wal", "-shm"};

// Keeps the live file before it is replaced: a verified copy of a sound file, unless the
// newest pre-restore copy holds the same rows; a damaged file byte for byte, with whatever
// journals lie beside it. Returns the copy's path.
QString keepLiveFile(const QString &db, const Db *lock, const QDateTime &now,
                     const QString &source) {
    if (lock) {
        return detail::keepAutomaticCopy(
            db, detail::kPreRestorePrefix, now, detail::contentDigest(*lock),
            [&](const QString &temp) {
                // Under the exclusive lock with nothing pending, the file's bytes are the
                // whole collection.
                if (!QFile::copy(db, temp))
                    throw Error(platform::ErrPathFileAccess,
                                QStringLiteral("The current collection could not be kept before "
                                               "the restore; nothing was changed."));
                const Db copy(temp, SQLITE_OPEN_READWRITE);
                copy.exec(QByteArray("PRAGMA application_id = " +
                                     QByteArray::number(rails::kApplicationId))
                              .constData());
                if (detail::integrityRows(copy) != QStringList{QStringLiteral("ok")})
                    throw Error(SQLITE_CORRUPT, QStringLiteral("The copy of the current "
                                                               "collection failed its integrity "
                                                               "check; nothing was changed."));
                return detail::countItems(copy);
            },
            {source});
    }
    const QString folder = automaticBackupFolder(db);
    QDir().mkpath(folder);
    const QString raw = folder + QStringLiteral("/damaged-") +
                        now.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".trk");
    const QString temp = detail::temporaryName(raw);
    QFile::remove(temp);
    if (!QFile::copy(db, temp) || QFileInfo::exists(raw) ||
        ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(raw).constData()) != 0) {
        QFile::remove(temp);
        throw Error(platform::ErrPathFileAccess,
                    QStringLiteral("The current collection could not be kept before the "
                                   "restore; nothing was changed."));
    }
    return raw;
}

// Moves the old file's journals beside its kept copy: none of them may meet the new file.
void moveJournalsAside(const QString &db, const QString &kept) {
    for (const char *j : kJournals) {
        const QString journal = db + QLatin1String(j);
        if (QFileInfo::exists(journal) &&
            ::rename(QFile::encodeName(journal).constData(),
                     QFile::encodeName(kept + QLatin1String(j)).constData()) != 0 &&
            !QFile::remove(journal))
            throw Error(platform::ErrPathFileAccess,
                        QStringLiteral("%1 cannot be moved aside; nothing was changed.")
                            .arg(QDir::toNativeSeparators(journal)));
    }
}

} // namespace

qint64 restoreCollection(const QString &db, const QString &source) {
    if (detail::sameFile(db, source) ||
        QFileInfo(db).absoluteFilePath() == QFileInfo(source).absoluteFilePath())
        throw Error(platform::ErrPathFileAccess,
                    QStringLiteral("%1 is the collection in use; choose a backup file.")
                        .arg(QDir::toNativeSeparators(source)));
    const CollectionInfo info = checkCollection(source);
    if (!info.ok)
        throw Error(platform::ErrPathFileAccess,
                    info.reason + QStringLiteral(" The collection was not changed."));
    const bool live = QFileInfo(db).isFile();
    if (live && readFileIdentity(db).foreign())
        throw Error(platform::ErrPathFileAccess,
                    QStringLiteral("%1 is another program's file; it was not replaced.")
                        .arg(QDir::toNativeSeparators(db)));

    const QString temp = detail::temporaryName(db);
    try {
        QFile::remove(temp); // SQLite creates the file itself
        const qint64 items = rebuild(source, temp);
        std::unique_ptr<Db> lock;
        QString kept;
        if (live) {
            lock = holdLiveFile(db);
            try {
                kept = keepLiveFile(db, lock.get(), platform::now(), source);
            } catch (const Error &e) {
                // Damage found only while reading it: kept byte for byte, still held.
                const int code = e.Number() & 0xff;
                if (!lock || (code != SQLITE_CORRUPT && code != SQLITE_NOTADB))
                    throw;
                kept = keepLiveFile(db, nullptr, platform::now(), source);
            }
            moveJournalsAside(db, kept);
        }
        detail::renameIntoPlace(temp, db, QStringLiteral("Cannot replace %1"));
        return items;
    } catch (...) {
        detail::discardTemporary(temp);
        throw;
    }
}

} // namespace exchange

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
#include <sqlite3.h> // result codes

namespace exchange {

namespace {

using engine::Connection;
using engine::Statement;
using platform::Error;

constexpr double kMaxAmount = 9999999.99; // what the forms and the import accept
constexpr int kMaxText = 64 * 1024;

struct Column {
    QString name;
    QString type; // declared type in the program's schema: TEXT, REAL, INTEGER, BLOB
};

QList<Column> columnsOf(Connection &db, const QString &table) {
    Statement st(db, "SELECT name, upper(type) FROM pragma_table_info(?)");
    st.bindText(1, table);
    QList<Column> out;
    while (st.step())
        out.append({st.text(0), st.text(1)});
    return out;
}

// Why a stored value cannot go into a column of the program's schema; empty when it can.
// The value is column `at` of the current row of `read`.
QString badValue(const Statement &read, int at, const QString &table, const Column &c) {
    const Statement::ColumnType type = read.type(at);
    if (type == Statement::Null)
        return {};
    if (c.type.startsWith(u"TEXT")) {
        if (type != Statement::Text)
            return QStringLiteral("is not text");
        const QByteArrayView text = read.bytes(at);
        if (table != u"tblPhoto" && text.size() > kMaxText)
            return QStringLiteral("is longer than %1 characters").arg(kMaxText);
        if (!text.isValidUtf8())
            return QStringLiteral("is not valid UTF-8 text");
        return {};
    }
    if (c.type.startsWith(u"REAL") || c.type.startsWith(u"INTEGER")) {
        if (type != Statement::Integer &&
            (type != Statement::Real || c.type.startsWith(u"INTEGER")))
            return QStringLiteral("is not a number");
        const double d = read.real(at);
        if (!std::isfinite(d))
            return QStringLiteral("is not a finite number");
        const bool amount =
            table == u"tblMain" && (c.name.compare(u"OriginalCost", Qt::CaseInsensitive) == 0 ||
                                    c.name.compare(u"CurrentValue", Qt::CaseInsensitive) == 0);
        if (amount && (d < 0 || d > kMaxAmount))
            return QStringLiteral("is not an amount from 0 to 9,999,999.99");
        return {};
    }
    if (c.type.startsWith(u"BLOB") && type != Statement::Blob)
        return QStringLiteral("is not binary data");
    return {};
}

// Copies one table's rows, named column by named column, checking every value.
void copyTable(Connection &from, Connection &to, const QString &table) {
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
    Statement read(from, "SELECT rowid, " + names + " FROM " + quoted + " ORDER BY rowid");
    Statement write(to, "INSERT INTO " + quoted + " (" + names + ") VALUES (" + marks + ")");
    while (read.step()) {
        for (int i = 0; i < cols.size(); ++i) {
            const QString why = badValue(read, i + 1, table, cols[i]);
            if (!why.isEmpty())
                throw Error(SQLITE_CONSTRAINT,
                            QStringLiteral("In the backup, %1 of row %2 of %3 %4.")
                                .arg(cols[i].name)
                                .arg(read.integer(0))
                                .arg(table, why));
            write.bindColumn(i + 1, read, i + 1);
        }
        try {
            write.run();
        } catch (const Error &e) {
            throw Error(e.Number(),
                        QStringLiteral("In the backup, row %1 of %2 cannot be restored: "
                                       "%3.")
                            .arg(read.integer(0))
                            .arg(table, e.Description()));
        }
        write.reset();
    }
}

// Numbers given by AUTOINCREMENT are never given again after the restore either.
void copySequence(Connection &from, Connection &to) {
    if (detail::column(from, QStringLiteral("SELECT name FROM sqlite_master WHERE name = "
                                            "'sqlite_sequence'"))
            .isEmpty())
        return;
    Statement read(from, "SELECT name, seq FROM sqlite_sequence");
    Statement update(to, "UPDATE sqlite_sequence SET seq = max(seq, ?1) WHERE name = ?2");
    Statement insert(to,
                     "INSERT INTO sqlite_sequence (name, seq) SELECT ?2, ?1 "
                     "WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = ?2) "
                     "AND EXISTS (SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?2)");
    while (read.step()) {
        for (Statement *st : {&update, &insert}) {
            st->bindColumn(1, read, 1);
            st->bindColumn(2, read, 0);
            st->run();
            st->reset();
        }
    }
}

// Builds the new collection at `temp` from the program's schema and the rows of `source`.
qint64 rebuild(const QString &source, const QString &temp) {
    {
        Connection to;
        detail::openCollectionFile(to, temp, engine::OpenMode::Create);
        to.executeScript("PRAGMA journal_mode = DELETE");
        to.executeScript(rails::designedSchema());
        // The additions' tables first, their triggers and indexes after the rows: a trigger
        // must not act on rows that are only being carried over.
        for (const rails::SchemaAddition &a : rails::schemaAdditions())
            for (const QString &s : a.statements)
                if (s.simplified().startsWith(QLatin1String("CREATE TABLE"), Qt::CaseInsensitive))
                    to.executeScript(s.toUtf8());
        Connection from;
        detail::openCollectionFile(from, source, engine::OpenMode::ReadOnly);
        from.BeginTrans();
        to.BeginTrans();
        for (const QString &table : rails::restoredTables())
            copyTable(from, to, table);
        copySequence(from, to);
        to.CommitTrans();
        from.RollbackTrans();
    }
    Connection made;
    detail::openCollectionFile(made, temp, engine::OpenMode::ReadWrite);
    rails::applySchemaAdditions(made);
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
std::unique_ptr<Connection> holdLiveFile(const QString &db) {
    std::unique_ptr<Connection> lock;
    try {
        lock = std::make_unique<Connection>();
        detail::openCollectionFile(*lock, db, engine::OpenMode::ReadWrite, 2000);
        // Closing after a failure must not fold a WAL into a file found damaged: both are
        // kept aside as they are.
        lock->keepLogOnClose();
        const auto mode = [&](const char *sql) {
            return detail::column(*lock, QLatin1String(sql)).value(0);
        };
        if (mode("PRAGMA journal_mode").compare(u"wal", Qt::CaseInsensitive) == 0 &&
            mode("PRAGMA journal_mode = DELETE").compare(u"wal", Qt::CaseInsensitive) == 0)
            inUse(SQLITE_BUSY); // others still have it open in WAL mode
        lock->executeScript("BEGIN EXCLUSIVE");
        detail::column(*lock, QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
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
QString keepLiveFile(const QString &db, Connection *lock, const QDateTime &now,
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
                Connection copy;
                detail::openCollectionFile(copy, temp, engine::OpenMode::ReadWrite);
                copy.executeScript("PRAGMA application_id = " +
                                   QByteArray::number(rails::kApplicationId));
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
    return detail::throughTemporary(raw, [&](const QString &temp) {
        if (!QFile::copy(db, temp) || QFileInfo::exists(raw) ||
            ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(raw).constData()) != 0)
            throw Error(platform::ErrPathFileAccess,
                        QStringLiteral("The current collection could not be kept before the "
                                       "restore; nothing was changed."));
        return raw;
    });
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

    return detail::throughTemporary(db, [&](const QString &temp) {
        const qint64 items = rebuild(source, temp);
        std::unique_ptr<Connection> lock;
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
    });
}

} // namespace exchange

#include "rails/collection/FileCheck.h"

#include "rails/engine/Connection.h"
#include "rails/exchange/FileIdentity.h"

#include <QFile>
#include <QStringList>
#include <sqlite3.h>

namespace {

// An open read-only handle, closed whatever happens.
struct ReadOnlyFile {
    sqlite3 *db = nullptr;
    ~ReadOnlyFile() { sqlite3_close_v2(db); }

    CollectionCheckResult failed(int rc) const {
        const int code = db ? sqlite3_extended_errcode(db) : rc;
        return {CollectionStateOf(code),
                QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc))};
    }

    // The first column of every row the statement gives.
    int collect(const char *sql, QStringList &out) const {
        sqlite3_stmt *st = nullptr;
        int r = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        if (r == SQLITE_OK) {
            while ((r = sqlite3_step(st)) == SQLITE_ROW)
                out << QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        }
        sqlite3_finalize(st);
        return r == SQLITE_DONE ? SQLITE_OK : r;
    }
};

CollectionCheckResult designedTablesPresent(const QStringList &tables) {
    QStringList missing;
    for (const QString &t : {QStringLiteral("tblMain"), QStringLiteral("tblOwner")})
        if (!tables.contains(t, Qt::CaseInsensitive))
            missing << t;
    if (!missing.isEmpty())
        return {CollectionState::Damaged,
                QStringLiteral("the table %1 is missing")
                    .arg(missing.join(QStringLiteral(" and the table ")))};
    return {};
}

} // namespace

CollectionState CollectionStateOf(int errorNumber) {
    switch (errorNumber & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return CollectionState::Busy;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
    case SQLITE_EMPTY:
        return CollectionState::Damaged;
    default:
        return CollectionState::Unreadable;
    }
}

CollectionCheckResult CheckCollectionFile(const QString &path) {
    // Another program's database is not opened at all, whatever tables it holds.
    if (exchange::readFileIdentity(path).foreign())
        return {CollectionState::Damaged, QStringLiteral("the file belongs to another program")};
    // Read-only: the check itself can never write to the file it judges.
    ReadOnlyFile f;
    int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &f.db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK)
        return f.failed(rc);
    sqlite3_extended_result_codes(f.db, 1);
    sqlite3_busy_timeout(f.db, engine::Connection().busyTimeoutMs);

    // quick_check reads every page but skips the index cross-checks of integrity_check: it
    // finds a truncated or overwritten file at a fraction of the cost.
    QStringList rows;
    if ((rc = f.collect("PRAGMA quick_check", rows)) != SQLITE_OK)
        return f.failed(rc);
    if (rows.value(0).compare(QLatin1String("ok"), Qt::CaseInsensitive) != 0)
        return {CollectionState::Damaged,
                rows.isEmpty() ? QStringLiteral("the check gave no answer") : rows.first()};
    QStringList tables;
    if ((rc = f.collect("SELECT name FROM sqlite_master WHERE type = 'table'", tables)) !=
        SQLITE_OK)
        return f.failed(rc);
    return designedTablesPresent(tables);
}

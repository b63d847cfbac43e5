#include "rails/collection/FileCheck.h"

#include "platform/Error.h"
#include "rails/engine/Connection.h"
#include "rails/engine/Statement.h"
#include "rails/exchange/FileIdentity.h"

#include <QStringList>
#include <sqlite3.h>

namespace {

// The first column of every row the statement gives.
QStringList firstColumn(engine::Connection &c, const char *sql) {
    QStringList out;
    engine::Statement st(c, sql);
    while (st.step())
        out << st.text(0);
    return out;
}

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
    try {
        engine::Connection c;
        c.openFile(path, engine::OpenMode::ReadOnly);
        // quick_check reads every page but skips the index cross-checks of integrity_check: it
        // finds a truncated or overwritten file at a fraction of the cost.
        const QStringList rows = firstColumn(c, "PRAGMA quick_check");
        if (rows.value(0).compare(QLatin1String("ok"), Qt::CaseInsensitive) != 0)
            return {CollectionState::Damaged,
                    rows.isEmpty() ? QStringLiteral("the check gave no answer") : rows.first()};
        return designedTablesPresent(
            firstColumn(c, "SELECT name FROM sqlite_master WHERE type = 'table'"));
    } catch (const platform::Error &e) {
        return {CollectionStateOf(e.Number()), e.Description()};
    }
}

#include "trains/shell/CollectionCheck.h"

#include "trains/modGlobal.h"

#include "platform/Error.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"
#include "rails/ErrorLog.h"
#include "rails/SchemaAdditions.h"
#include "rails/engine/Connection.h"
#include "rails/exchange/FileIdentity.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>

using platform::Error;
using platform::vbCrLf;

namespace {

NewestBackupFinder &backupFinder() {
    static NewestBackupFinder f;
    return f;
}

void openConnection(engine::Connection &c, const QString &path) {
    c.ConnectionString = QStringLiteral("Provider=SQLite;Data Source=") + path + QLatin1Char(';');
    c.Open();
}

CollectionState stateOf(int code) {
    switch (code & 0xff) {
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

QString quotedPath(const QString &path) {
    return QDir::toNativeSeparators(path);
}

const QString kHelpPage = QStringLiteral("\"Your Data and Backups\" in Quillon Help");

} // namespace

CollectionCheckResult CheckCollectionFile(const QString &path) {
    // Another program's database is not opened at all, whatever tables it holds.
    if (exchange::readFileIdentity(path).foreign())
        return {CollectionState::Damaged, QStringLiteral("the file belongs to another program")};
    // Read-only: the check itself can never write to the file it judges.
    sqlite3 *db = nullptr;
    const struct Closer {
        sqlite3 *&db;
        ~Closer() { sqlite3_close_v2(db); }
    } closer{db};
    const auto failed = [&](int rc) {
        const int code = db ? sqlite3_extended_errcode(db) : rc;
        return CollectionCheckResult{
            stateOf(code), QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc))};
    };
    int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK)
        return failed(rc);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, engine::Connection().busyTimeoutMs);

    // quick_check reads every page but skips the index cross-checks of integrity_check: it
    // finds a truncated or overwritten file at a fraction of the cost.
    QStringList rows;
    QStringList tables;
    const auto collect = [&](const char *sql, QStringList &out) {
        sqlite3_stmt *st = nullptr;
        int r = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        if (r == SQLITE_OK) {
            while ((r = sqlite3_step(st)) == SQLITE_ROW)
                out << QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        }
        sqlite3_finalize(st);
        return r == SQLITE_DONE ? SQLITE_OK : r;
    };
    if ((rc = collect("PRAGMA quick_check", rows)) != SQLITE_OK)
        return failed(rc);
    if (rows.value(0).compare(QLatin1String("ok"), Qt::CaseInsensitive) != 0)
        return {CollectionState::Damaged,
                rows.isEmpty() ? QStringLiteral("the check gave no answer") : rows.first()};
    if ((rc = collect("SELECT name FROM sqlite_master WHERE type = 'table'", tables)) != SQLITE_OK)
        return failed(rc);
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

QString DamagedCollectionMessage(const QString &path, const QString &reason,
                                 const QString &newestBackup) {
    QString text = QStringLiteral("The collection file") + vbCrLf + quotedPath(path) + vbCrLf +
                   QStringLiteral("is damaged and cannot be used (") + reason +
                   QStringLiteral(").") + vbCrLf + vbCrLf +
                   QStringLiteral("Nothing was changed in it.") + vbCrLf + vbCrLf;
    if (!newestBackup.isEmpty())
        text += QStringLiteral("The newest backup is ") + quotedPath(newestBackup) +
                QLatin1Char('.') + vbCrLf;
    text += QStringLiteral("To restore a backup, copy it over zerizori/rails.trk in the program "
                           "folder while Quillon is closed, then start Quillon again. ") +
            kHelpPage + QStringLiteral(" explains each step.");
    return text;
}

void SetNewestBackupFinder(NewestBackupFinder finder) {
    backupFinder() = std::move(finder);
}

namespace {

// A failure here leaves the file as it was (the additions roll back) and the designed tables
// still work, so it is reported the way the store reports a failed operation and start-up
// goes on.
void applyAdditions(const QString &path) {
    engine::Connection c;
    platform::trap(
        [&] {
            openConnection(c, path);
            rails::applySchemaAdditions(c);
            c.Close();
        },
        [&](const Error &e) {
            platform::resumeNext([&] {
                if (c.State() == engine::Connection::adStateOpen)
                    c.Close();
            });
            const QString name = QStringLiteral("ApplySchemaAdditions");
            rails::writeErrorLog(ProgramFolder(), name + QStringLiteral(" - DLL Function"), e,
                                 rails::LogEntryKind::Operation);
            platform::setScreenPointer(platform::Pointer::Default);
            platform::MsgBox(QStringLiteral("ERROR # ") + QString::number(e.Number()) + vbCrLf +
                                 vbCrLf + e.Description() + vbCrLf +
                                 QStringLiteral("In the Dynamic Link Library") + vbCrLf +
                                 QStringLiteral("Function: ") + name,
                             platform::critical(), QStringLiteral("Vuziz"));
        });
}

} // namespace

bool CollectionReadyAtStart(const QString &path) {
    for (;;) {
        platform::setScreenPointer(platform::Pointer::Wait);
        const CollectionCheckResult r = CheckCollectionFile(path);
        platform::setScreenPointer(platform::Pointer::Default);
        switch (r.state) {
        case CollectionState::Sound:
            applyAdditions(path);
            return true;
        case CollectionState::Damaged: {
            QString backup;
            if (backupFinder())
                platform::resumeNext([&] { backup = backupFinder()(path); });
            platform::MsgBox(DamagedCollectionMessage(path, r.reason, backup), platform::critical(),
                             QStringLiteral(" ERROR - DATABASE DAMAGED"));
            return false;
        }
        case CollectionState::Busy: {
            const auto answer = platform::MsgBox(
                QStringLiteral("The collection file") + vbCrLf + quotedPath(path) + vbCrLf +
                    QStringLiteral("is in use by another program (") + r.reason +
                    QStringLiteral(").") + vbCrLf + vbCrLf +
                    QStringLiteral("Close that program and choose Retry, or choose Cancel to end "
                                   "Quillon. Nothing was changed."),
                {platform::MsgIcon::Exclamation, platform::MsgButtons::RetryCancel,
                 platform::MsgDefault::Button1},
                QStringLiteral(" COLLECTION IN USE"));
            if (answer == platform::MsgResult::Retry)
                continue;
            return false;
        }
        case CollectionState::Unreadable:
            platform::MsgBox(QStringLiteral("The collection file") + vbCrLf + quotedPath(path) +
                                 vbCrLf + QStringLiteral("cannot be read (") + r.reason +
                                 QStringLiteral(").") + vbCrLf + vbCrLf +
                                 QStringLiteral("Nothing was changed in it. Check that it can "
                                                "be read and written by you, then start "
                                                "Quillon again."),
                             platform::critical(), QStringLiteral(" ERROR - DATABASE UNREADABLE"));
            return false;
        }
    }
}

void ShowCollectionNotReadable(const platform::Error &e) {
    const QString reason = stateOf(e.Number()) == CollectionState::Busy
                               ? QStringLiteral("it is in use by another program")
                               : e.Description();
    platform::setScreenPointer(platform::Pointer::Default);
    platform::MsgBox(QStringLiteral("The collection could not be read right now: ") + reason +
                         QStringLiteral(".") + vbCrLf + vbCrLf +
                         QStringLiteral("Nothing was opened. Try again in a moment."),
                     platform::exclamation(), kAppTitle);
}

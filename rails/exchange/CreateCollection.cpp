// A new, empty collection file: the designed tables from a schema script, then this build's
// additions and identity. An existing file is never opened for writing.
#include "rails/exchange/Collection.h"

#include "rails/SchemaAdditions.h"
#include "rails/engine/Connection.h"

#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace exchange {

void createCollection(const QString &path, const QByteArray &schema) {
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        throw platform::Error(platform::ErrPathFileAccess,
                              QStringLiteral("%1 exists; left unchanged").arg(path));
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE,
                        nullptr) != SQLITE_OK) {
        const QString why =
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
        sqlite3_close(db);
        throw platform::Error(platform::ErrPathFileAccess,
                              QStringLiteral("cannot create %1: %2").arg(path, why));
    }
    // From here on the file is ours: a failure removes it again.
    const QByteArray script = "BEGIN;\n" + schema + "\nCOMMIT;";
    char *message = nullptr;
    const bool made = sqlite3_exec(db, script.constData(), nullptr, nullptr, &message) == SQLITE_OK;
    const QString why = QString::fromUtf8(message ? message : "schema failed");
    sqlite3_free(message);
    sqlite3_close(db);
    try {
        if (!made)
            throw platform::Error(platform::ErrPathFileAccess, why);
        engine::Connection c;
        c.ConnectionString = QStringLiteral("Provider=SQLite;Data Source=%1;").arg(path);
        c.Open();
        rails::applySchemaAdditions(c);
        c.Close();
    } catch (const platform::Error &) {
        QFile::remove(path);
        throw;
    }
}

} // namespace exchange

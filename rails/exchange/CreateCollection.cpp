// A new, empty collection file: the designed tables from a schema script, then this build's
// additions and identity. An existing file is never opened for writing.
#include "rails/exchange/Collection.h"

#include "rails/SchemaAdditions.h"
#include "rails/engine/Connection.h"

#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>

namespace exchange {

void createCollection(const QString &path, const QByteArray &schema) {
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        throw platform::Error(platform::ErrPathFileAccess,
                              QStringLiteral("%1 exists; left unchanged").arg(path));
    engine::Connection c;
    try {
        c.openFile(path, engine::OpenMode::CreateNew);
    } catch (const platform::Error &e) {
        throw platform::Error(platform::ErrPathFileAccess,
                              QStringLiteral("cannot create %1: %2").arg(path, e.Description()));
    }
    // From here on the file is ours: a failure removes it again.
    try {
        try {
            c.executeScript("BEGIN;\n" + schema + "\nCOMMIT;");
        } catch (const platform::Error &e) {
            throw platform::Error(platform::ErrPathFileAccess, e.Description());
        }
        rails::applySchemaAdditions(c);
        c.Close();
    } catch (const platform::Error &) {
        if (c.State() == engine::Connection::adStateOpen)
            c.Close();
        QFile::remove(path);
        throw;
    }
}

} // namespace exchange

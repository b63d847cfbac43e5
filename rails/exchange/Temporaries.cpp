#include "rails/exchange/Temporaries.h"
#include "rails/exchange/Collection.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace exchange {

int removeStaleTemporaries(const QString &db, int quietSeconds) {
    // ".<final name>.<six letters or digits>.tmp", as QTemporaryFile fills in the pattern,
    // with the journals SQLite may have left beside it.
    static const QRegularExpression own(
        QStringLiteral("^\\..+\\.[A-Za-z0-9]{6}\\.tmp(-journal|-wal|-shm)?$"));
    const QDateTime quietSince = QDateTime::currentDateTimeUtc().addSecs(-quietSeconds);
    const QString folder = QFileInfo(db).absolutePath();
    int removed = 0;
    for (const QString &where : {folder, automaticBackupFolder(db)}) {
        const QFileInfoList found =
            QDir(where).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
        for (const QFileInfo &f : found)
            if (own.match(f.fileName()).hasMatch() && f.lastModified().toUTC() < quietSince &&
                QFile::remove(f.absoluteFilePath()))
                ++removed;
    }
    return removed;
}

} // namespace exchange

#include "rails/exchange/SafeTarget.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <optional>
#include <sys/stat.h>
#include <utility>

namespace exchange {

namespace {

using Identity = std::pair<dev_t, ino_t>;

std::optional<Identity> identity(const QString &path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return Identity{st.st_dev, st.st_ino};
}

// Where a write to `path` lands: the symbolic links along the way followed (a link may point
// at a name that does not exist yet), as the folder that will hold the file and its name.
std::pair<QString, QString> landingPlace(const QString &path) {
    QFileInfo info(path);
    for (int hops = 0; info.isSymLink() && hops < 40; ++hops)
        info.setFile(info.symLinkTarget());
    return {info.absolutePath(), info.fileName()};
}

const char *const kJournalSuffixes[] = {"", "-wal", "-shm", "-journal"};

[[noreturn]] void refuse(const QString &target) {
    throw platform::Error(
        platform::ErrPathFileAccess,
        QStringLiteral("Cannot write %1: it is the collection in use or one of its journal "
                       "files, and nothing is ever written over the collection itself. Choose "
                       "another file name.")
            .arg(QDir::toNativeSeparators(target)));
}

} // namespace

void refuseCollectionTarget(const QString &db, const QString &target) {
    if (QFileInfo(target).isDir())
        throw platform::Error(platform::ErrPathFileAccess,
                              QStringLiteral("%1 is a folder; choose a file name.")
                                  .arg(QDir::toNativeSeparators(target)));
    // A file is written under a temporary name and renamed over its target: over a device or
    // a pipe that would replace the device (as root even /dev/full), not write to it.
    struct stat st {};
    if (::stat(QFile::encodeName(target).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        throw platform::Error(platform::ErrPathFileAccess,
                              QStringLiteral("Cannot write %1: it is a device or a pipe, not a "
                                             "file. Choose a file name.")
                                  .arg(QDir::toNativeSeparators(target)));
    const auto [dbFolder, dbName] = landingPlace(db);
    const auto [targetFolder, targetName] = landingPlace(target);
    const std::optional<Identity> written = identity(target);
    const std::optional<Identity> folder = identity(dbFolder);
    const bool sameFolder = folder && folder == identity(targetFolder);
    for (const char *suffix : kJournalSuffixes) {
        const QString name = dbName + QLatin1String(suffix);
        if (written && written == identity(dbFolder + QLatin1Char('/') + name))
            refuse(target);
        if (sameFolder && targetName == name)
            refuse(target);
    }
}

} // namespace exchange

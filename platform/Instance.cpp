#include "platform/Instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <memory>

namespace platform {

namespace {
QHash<QString, std::shared_ptr<QLockFile>> &held() {
    static QHash<QString, std::shared_ptr<QLockFile>> locks;
    return locks;
}

QString key(const QString &folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) : canonical;
}
} // namespace

QString instanceLockPath(const QString &programFolder) {
    const QByteArray hash =
        QCryptographicHash::hash(key(programFolder).toUtf8(), QCryptographicHash::Sha1).toHex();
    return QDir::tempPath() + QStringLiteral("/quillon-") + QString::fromLatin1(hash.left(16)) +
           QStringLiteral(".lock");
}

bool PrevInstance(const QString &programFolder) {
    const QString k = key(programFolder);
    if (held().contains(k))
        return false; // this process is the running instance
    auto lock = std::make_shared<QLockFile>(instanceLockPath(programFolder));
    // A running instance holds its lock however long it runs; a lock left by a process that
    // died is still recognised (its process is gone) and taken over.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return lock->error() == QLockFile::LockFailedError;
    held().insert(k, lock);
    return false;
}

void releaseInstanceLocks() {
    for (const auto &l : std::as_const(held()))
        l->unlock();
    held().clear();
}

} // namespace platform

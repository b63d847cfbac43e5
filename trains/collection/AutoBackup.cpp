#include "trains/collection/AutoBackup.h"

#include "trains/collection/BackupDialogs.h"

#include "rails/ErrorLog.h"
#include "rails/dllRails.h"
#include "rails/exchange/Collection.h"

#include "platform/Clock.h"
#include "platform/Error.h"

#include <QFileInfo>
#include <QThread>
#include <memory>

namespace collection {

namespace {
// Waits for a running copy when the program ends normally rather than cutting it off.
struct Worker {
    std::unique_ptr<QThread> thread;
    ~Worker() {
        if (thread)
            thread->wait();
    }
};
std::unique_ptr<QThread> &worker() {
    static Worker w;
    return w.thread;
}
} // namespace

void startAutomaticBackup() {
    waitForAutomaticBackup();
    const QString db = collectionPath();
    const QDateTime now = platform::now();
    if (!QFileInfo(db).isFile())
        return;
    platform::resumeNext([&] { exchange::removeStaleTemporaries(db, now); });
    if (!exchange::automaticBackupDue(db, now))
        return;
    const QString folder = railsLibraryFolder();
    worker().reset(QThread::create([db, now, folder] {
        platform::trap([&] { exchange::writeAutomaticBackup(db, now); },
                       [&](const platform::Error &e) {
                           rails::writeErrorLog(folder, QStringLiteral("Automatic Backup"), e,
                                                rails::LogEntryKind::Operation);
                       });
    }));
    worker()->start(QThread::LowPriority);
}

void waitForAutomaticBackup() {
    if (worker())
        worker()->wait();
}

QString newestAutomaticBackup() {
    return exchange::newestAutomaticBackup(collectionPath());
}

} // namespace collection

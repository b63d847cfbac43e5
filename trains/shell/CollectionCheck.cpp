#include "trains/shell/CollectionCheck.h"

#include "trains/modGlobal.h"

#include "platform/Error.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"
#include "rails/ErrorLog.h"
#include "rails/SchemaAdditions.h"
#include "rails/engine/Connection.h"

#include <QDir>

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

QString quotedPath(const QString &path) {
    return QDir::toNativeSeparators(path);
}

const QString kHelpPage = QStringLiteral("\"Your Data and Backups\" in Quillon Help");

} // namespace

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
            platform::MsgBox(platform::errorBoxText(e,
                                                    QStringLiteral("In the Dynamic Link Library"),
                                                    QStringLiteral("Function: ") + name),
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

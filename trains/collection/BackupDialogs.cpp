#include "trains/collection/BackupDialogs.h"

#include "trains/collection/BackgroundWork.h"
#include "trains/collection/FileChooser.h"

#include "rails/dllRails.h"
#include "rails/exchange/ItemExchange.h"

#include "platform/Clock.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace collection {

namespace {

using platform::MsgBox;
using platform::vbCrLf;

const QString kBackupTitle = QStringLiteral("Back Up Collection");
const QString kRestoreTitle = QStringLiteral("Restore From Backup");
const QString kCollectionFilter = QStringLiteral("Quillon collections (*.trk);;All files (*)");

} // namespace

QString collectionPath() {
    return railsLibraryFolder() + QStringLiteral("/zerizori/rails.trk");
}

void backUpCollection(QWidget *parent) {
    const QString suggested = documentsFolder() + QStringLiteral("/Quillon backup ") +
                              platform::now().toString(QStringLiteral("yyyy-MM-dd HHmm")) +
                              QStringLiteral(".trk");
    const QString dest = chooseFile(parent, {true, kBackupTitle, suggested, kCollectionFilter});
    if (dest.isEmpty())
        return;
    qint64 items = 0;
    const WorkResult r = runInBackground(
        parent, QStringLiteral("Backing up the collection…"), [&](const exchange::Progress &p) {
            items = exchange::backupCollection(collectionPath(), dest, p);
        });
    if (!r.ok)
        return reportFailure(r, kBackupTitle);
    reportDone(QStringLiteral("The collection was backed up to") + vbCrLf +
                   QDir::toNativeSeparators(dest) + vbCrLf + vbCrLf +
                   QStringLiteral("The backup holds ") + itemCount(items) +
                   QStringLiteral(" and passed its integrity check."),
               kBackupTitle);
}

void restoreFromBackup(QWidget *parent, QMdiArea *tasks) {
    const QString db = collectionPath();
    const QString autoFolder = exchange::automaticBackupFolder(db);
    const QString source =
        chooseFile(parent, {false, kRestoreTitle,
                            QFileInfo::exists(autoFolder) ? autoFolder : documentsFolder(),
                            kCollectionFilter});
    if (source.isEmpty())
        return;
    exchange::CollectionInfo backup, current;
    const WorkResult checked = runInBackground(parent, QStringLiteral("Checking the backup…"),
                                               [&](const exchange::Progress &) {
                                                   backup = exchange::checkCollection(source);
                                                   current = exchange::checkCollection(db);
                                               });
    if (!checked.ok)
        return reportFailure(checked, kRestoreTitle);
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(db).canonicalFilePath()) {
        MsgBox(QStringLiteral("This file is the collection in use; choose a backup file.") +
                   vbCrLf + vbCrLf + QStringLiteral("Nothing was changed."),
               platform::critical(), kRestoreTitle);
        return;
    }
    if (!backup.ok) {
        MsgBox(backup.reason + vbCrLf + vbCrLf + QStringLiteral("Nothing was changed."),
               platform::critical(), kRestoreTitle);
        return;
    }
    const QString now =
        current.ok ? QStringLiteral("the current collection (%1)").arg(itemCount(current.items))
                   : QStringLiteral("the current collection (damaged)");
    const QString question =
        QStringLiteral("Replace %1 with the backup of %2 (%3)?")
            .arg(now, QLocale::c().toString(backup.modified.date(), QStringLiteral("d MMM yyyy")),
                 itemCount(backup.items));
    // A file that holds more than Quillon's own tables, triggers and indexes (something
    // added by hand or by another program) is restored without it; the collector is told.
    const QString leftBehind =
        backup.notCarried.isEmpty()
            ? QString()
            : vbCrLf + vbCrLf + QStringLiteral("The backup also holds ") +
                  backup.notCarried.join(QStringLiteral(", ")) +
                  QStringLiteral(" that Quillon did not make; they are not restored.");
    const auto answer = MsgBox(
        question + leftBehind + vbCrLf + vbCrLf +
            QStringLiteral("The current collection is kept as an automatic backup first, "
                           "and open windows close."),
        {platform::MsgIcon::Question, platform::MsgButtons::YesNo, platform::MsgDefault::Button2},
        kRestoreTitle);
    if (answer != platform::MsgResult::Yes)
        return;
    if (tasks) {
        tasks->closeAllSubWindows();
        if (!tasks->subWindowList().isEmpty()) {
            MsgBox(QStringLiteral("Close the open windows first.") + vbCrLf + vbCrLf +
                       QStringLiteral("Nothing was changed."),
                   platform::exclamation(), kRestoreTitle);
            return;
        }
    }
    qint64 items = 0;
    const WorkResult r = runInBackground(
        parent, QStringLiteral("Restoring the collection…"),
        [&](const exchange::Progress &) { items = exchange::restoreCollection(db, source); });
    if (!r.ok)
        return reportFailure(r, kRestoreTitle);
    reportDone(QStringLiteral("The collection was restored; it holds ") + itemCount(items) +
                   QStringLiteral(".") + vbCrLf + vbCrLf +
                   QStringLiteral("The former collection was kept in") + vbCrLf +
                   QDir::toNativeSeparators(autoFolder),
               kRestoreTitle);
}

} // namespace collection

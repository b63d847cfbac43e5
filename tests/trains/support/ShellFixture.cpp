#include "tests/trains/support/ShellFixture.h"

#include "trains/modGlobal.h"

#include "platform/Pointer.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

namespace testing {

QString builtProgramFolder() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../Quillon"));
}

void copyProgramResources(const QString &folder) {
    const QString from = builtProgramFolder();
    for (const char *sub : {"images", "text", "help"}) {
        QDir(folder).mkpath(QLatin1String(sub));
        QDirIterator it(from + QLatin1Char('/') + QLatin1String(sub), QDir::Files);
        while (it.hasNext()) {
            const QFileInfo f(it.next());
            QFile::copy(f.filePath(), folder + QLatin1Char('/') + QLatin1String(sub) +
                                          QLatin1Char('/') + f.fileName());
        }
    }
}

void resetProgramState() {
    CloseRecordset();
    objRails.reset();
    strOwnerName.clear();
    // Deleting a window deletes its menus, dialogs and drop-down lists too: only windows of
    // their own are deleted here (a drop-down's list deleted before its box would leave the box
    // pointing at nothing), and by guarded pointers.
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (!w->parentWidget())
            windows << w;
    for (const auto &w : windows)
        delete w.data();
    platform::setScreenPointer(platform::Pointer::Default);
}

} // namespace testing

#include "trains/modGlobal.h"
#include "rails/BlankTrim.h"

#include "platform/Error.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"
#include "rails/collection/FileCheck.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

std::shared_ptr<dllRails> objRails;
RecordsetPtr rsRecords;
QString strOwnerName;

namespace {
QString &folderOverride() {
    static QString f;
    return f;
}

} // namespace

QString AppCaption() {
    return kAppTitle + QStringLiteral("  -  ") + QString::number(QUILLON_VERSION_MAJOR) +
           QLatin1Char('.') + QString::number(QUILLON_VERSION_MINOR);
}

QString ProgramFolder() {
    if (!folderOverride().isEmpty())
        return folderOverride();
    return QCoreApplication::applicationDirPath();
}

void SetProgramFolder(const QString &folder) {
    folderOverride() = folder;
    setRailsLibraryFolder(folder);
}

void CloseRecordset() {
    platform::resumeNext([] {
        if (rsRecords && rsRecords->State() == engine::Recordset::adStateOpen)
            rsRecords->Close();
    });
    rsRecords.reset();
}

void TrimTextBoxes(QWidget *form) {
    if (!form)
        return;
    const auto children = form->findChildren<QWidget *>();
    for (QWidget *w : children) {
        platform::resumeNext([w] {
            if (auto *rt = qobject_cast<QTextEdit *>(w)) {
                const QString t = rt->toPlainText();
                const QString trimmed = trimBlanks(t);
                if (trimmed != t)
                    rt->setPlainText(trimmed);
            } else if (auto *pt = qobject_cast<QPlainTextEdit *>(w)) {
                const QString t = pt->toPlainText();
                const QString trimmed = trimBlanks(t);
                if (trimmed != t)
                    pt->setPlainText(trimmed);
            } else if (auto *tb = qobject_cast<QLineEdit *>(w)) {
                // The line edit inside an editable combo box or a date picker is not a text box.
                if (qobject_cast<QLineEdit *>(w) && w->parentWidget() &&
                    w->parentWidget()->inherits("QAbstractSpinBox"))
                    return;
                if (w->parentWidget() && w->parentWidget()->inherits("QComboBox"))
                    return;
                const QString trimmed = trimBlanks(tb->text());
                if (trimmed != tb->text())
                    tb->setText(trimmed);
            }
        });
    }
}

void NewRails() {
    objRails = std::make_shared<dllRails>();
}

void ShowCollectionNotReadable(const platform::Error &e) {
    const QString reason = CollectionStateOf(e.Number()) == CollectionState::Busy
                               ? QStringLiteral("it is in use by another program")
                               : e.Description();
    platform::setScreenPointer(platform::Pointer::Default);
    platform::MsgBox(QStringLiteral("The collection could not be read right now: ") + reason +
                         QStringLiteral(".") + platform::vbCrLf + platform::vbCrLf +
                         QStringLiteral("Nothing was opened. Try again in a moment."),
                     platform::exclamation(), kAppTitle);
}

#include "trains/shell/modMain.h"

#include "rails/exchange/Temporaries.h"
#include "trains/collection/AutoBackup.h"
#include "trains/modGlobal.h"
#include "trains/owner/frmAddOwner.h"
#include "trains/records/frmDeletedItems.h"
#include "trains/shell/CollectionCheck.h"
#include "trains/shell/frmMain.h"
#include "trains/shell/frmSplash.h"

#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/Exit.h"
#include "platform/Help.h"
#include "platform/Instance.h"
#include "platform/LogFile.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"
#include "platform/Shell.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

using platform::Error;
using platform::MsgBox;
using platform::Pointer;
using platform::resumeNext;
using platform::setScreenPointer;
using platform::vbCrLf;

namespace {

const QString kProcedure = QStringLiteral("SubMain Load Procedure");
const QString kRuleHyphens = QLatin1Char('%') + QString(51, QLatin1Char('-')) + QLatin1Char('%');
const QString kRuleBlanks = QLatin1Char('%') + QString(51, QLatin1Char(' ')) + QLatin1Char('%');

QPointer<frmMain> &mainForm() {
    static QPointer<frmMain> f;
    return f;
}

// The entry form stays loaded, hidden, after a successful save until the program ends.
QPointer<frmAddOwner> &ownerForm() {
    static QPointer<frmAddOwner> f;
    return f;
}

void StartupError(const Error &e) {
    setScreenPointer(Pointer::Wait);
    // A log that cannot be written does not keep the message from being shown.
    WriteStartupErrorLog(e);
    setScreenPointer(Pointer::Default);
    const QString prompt = QStringLiteral("ERROR #") + QString::number(e.Number()) + vbCrLf +
                           vbCrLf + e.Description() + vbCrLf +
                           QStringLiteral("In the: ModMain code module") + vbCrLf +
                           QStringLiteral("Procedure: ") + kProcedure;
    MsgBox(prompt, platform::critical(), kAppTitle);
}

} // namespace

frmMain *MainForm() {
    return mainForm();
}

bool WriteStartupErrorLog(const Error &e) {
    const int n = e.Number();
    const QString number = n < 0 ? QString::number(n) : QLatin1Char(' ') + QString::number(n);
    const QStringList banner{kRuleHyphens, QStringLiteral("           Quillon - Error Log"),
                             kRuleHyphens};
    const QStringList entry{
        kRuleBlanks,
        platform::logRecordLine(platform::now(), QStringLiteral("Error:") + number),
        kProcedure,
        QStringLiteral("---"),
        e.Description(),
        kRuleHyphens};
    return platform::appendLogBlock(ProgramFolder() + QStringLiteral("/error.log"), banner, entry);
}

bool DatabaseExists() {
    bool exists = true;
    resumeNext([] { setScreenPointer(Pointer::Wait); });
    resumeNext([] {
        const QString folder = ProgramFolder();
        if (QFileInfo(QDir::currentPath()) != QFileInfo(folder))
            QDir::setCurrent(folder);
    });
    resumeNext([&] {
        exists = QFileInfo(ProgramFolder() + QStringLiteral("/zerizori/rails.trk")).isFile();
    });
    resumeNext([] { setScreenPointer(Pointer::Arrow); });
    return exists;
}

void CheckOwnerProfile() {
    bool empty = true;
    resumeNext([] { rsRecords = std::make_shared<engine::Recordset>(); });
    resumeNext([] { rsRecords = Rails().LoadOwner(); });
    resumeNext([&] { empty = !rsRecords || (rsRecords->isEOF() && rsRecords->isBOF()); });
    if (empty) {
        resumeNext([] {
            delete ownerForm();
            ownerForm() = new frmAddOwner;
            // Returns when a save hides the form, or when Exit has ended the program.
            ownerForm()->exec();
        });
    } else {
        resumeNext([] { strOwnerName = rsRecords->Fields(QStringLiteral("FullName")).toString(); });
        CloseRecordset();
        resumeNext([] { setScreenPointer(Pointer::Default); });
    }
    CloseRecordset();
}

void RunStartupSteps(const QList<std::function<void()>> &steps) {
    for (const auto &step : steps) {
        if (platform::exitRequested())
            return;
        bool stop = false;
        platform::trap(step, [&](const Error &e) {
            if (e.Number() == platform::ErrFileNotFound ||
                e.Number() == platform::ErrPathFileAccess) {
                setScreenPointer(Pointer::Default);
                return;
            }
            StartupError(e);
            stop = true;
        });
        if (stop) {
            // Nothing is shown any more, but a loaded main window would keep the program
            // alive: it ends here.
            ShutDown();
            return;
        }
    }
}

void Main() {
    resumeNext([] { setScreenPointer(Pointer::Wait); });
    resumeNext(
        [] { platform::setAppHelpFile(ProgramFolder() + QStringLiteral("/help/quillon.qhc")); });
    resumeNext([] { platform::clearClipboard(); });
    bool another = false;
    resumeNext([&] { another = platform::PrevInstance(ProgramFolder()); });
    if (another) {
        setScreenPointer(Pointer::Default);
        MsgBox(kAppTitle + QStringLiteral(" is already running on this computer! "),
               platform::exclamation(), kAppTitle);
        platform::exitProcess(0);
        return;
    }
    // Whole-file operations that a crash interrupted left their temporaries behind.
    resumeNext([] {
        exchange::removeStaleTemporaries(ProgramFolder() + QStringLiteral("/zerizori/rails.trk"));
    });
    // Registers the store library silently at every start; where the platform has no such
    // command, the start fails and that goes unnoticed.
    resumeNext([] {
        platform::Shell(QStringLiteral("regsvr32.exe /s rails.dll"), platform::WindowStyle::Hide);
    });

    // A damaged collection's message names the newest automatic backup to restore.
    SetNewestBackupFinder([](const QString &) { return collection::newestAutomaticBackup(); });
    bool found = true;
    QPointer<frmSplash> splash;
    RunStartupSteps({
        [&] { found = DatabaseExists(); },
        [&] {
            if (found) {
                const QString file = ProgramFolder() + QStringLiteral("/zerizori/rails.trk");
                if (!CollectionReadyAtStart(file)) {
                    ShutDown();
                    return;
                }
                delete mainForm();
                mainForm() = new frmMain;
                mainForm()->Form_Load();
                return;
            }
            setScreenPointer(Pointer::Default);
            MsgBox(QStringLiteral("Database Not Found.") + vbCrLf + vbCrLf +
                       QStringLiteral("The database must reside in the folder where it was "
                                      "originally installed."),
                   platform::critical(), QStringLiteral(" ERROR - DATABASE NOT FOUND"));
            ShutDown();
        },
        [] { CheckOwnerProfile(); },
        [&] {
            splash = new frmSplash;
            splash->Form_Load();
        },
        [&] {
            setScreenPointer(Pointer::Wait);
            delete splash;
            setScreenPointer(Pointer::Default);
        },
        [] {
            if (!mainForm())
                throw Error(platform::ErrObjectNotSet,
                            QStringLiteral("Object variable or With block variable not set"));
            mainForm()->show();
        },
        [] { records::RemoveOldDeletedItems(); },
        [] { collection::startAutomaticBackup(); },
    });
    delete splash;
}

// Start-up: database check, owner profile on first use, splash, main window, second instance,
// and the start-up error handler with its log entry.
#include "tests/support/TestSupport.h"
#include "tests/trains/support/ShellDoubles.h"
#include "tests/trains/support/ShellFixture.h"

#include "trains/modGlobal.h"
#include "trains/owner/frmAddOwner.h"
#include "trains/shell/frmMain.h"
#include "trains/shell/frmSplash.h"
#include "trains/shell/modMain.h"

#include "platform/Clipboard.h"
#include "platform/Exit.h"
#include "platform/Help.h"
#include "platform/Instance.h"
#include "platform/LocaleText.h"

#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QLockFile>
#include <QPushButton>
#include <QTest>
#include <sqlite3.h>

using namespace testing;
using platform::MsgIcon;

namespace {
void fillProfile(frmAddOwner *f, const QStringList &texts) {
    for (int i = 0; i < texts.size(); ++i)
        f->fields.txtBox[i]->setText(texts[i]);
}

const QStringList kAnn{"Lee", "Ann",   "1 Depot Road",   "Springfield",
                       "IL",  "62701", "ann@example.org"};
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ProgramFolder> pf;
    std::unique_ptr<ScriptedMsgBox> boxes;
    std::unique_ptr<FakeShell> shell;
    std::unique_ptr<ExitRecorder> exits;
    std::unique_ptr<RunningClock> clock;

    void storeProfile() {
        pf->exec("INSERT INTO tblOwner (OwnerID,LName,FName,Address,City,State,Zip,Email,FullName,"
                 "DateAdd) VALUES ('O-1','Lee','Ann','1 Depot Road','Springfield','IL','62701',"
                 "'','Ann Lee','2026-03-01 10:00:00')");
    }

  private slots:
    void init() {
        pf = std::make_unique<testing::ProgramFolder>();
        SetProgramFolder(pf->path());
        copyProgramResources(pf->path());
        boxes = std::make_unique<ScriptedMsgBox>();
        shell = std::make_unique<FakeShell>();
        exits = std::make_unique<ExitRecorder>();
        clock = std::make_unique<RunningClock>();
    }
    void cleanup() {
        resetProgramState();
        clock.reset();
        exits.reset();
        shell.reset();
        boxes.reset();
        SetProgramFolder(QString());
        pf.reset();
    }

    void withProfileGoesStraightToTheMainWindow() {
        storeProfile();
        QGuiApplication::clipboard()->setText(QStringLiteral("left over"));
        QDir::setCurrent(QDir::tempPath());
        Main();
        QVERIFY(MainForm());
        QVERIFY(MainForm()->isVisible());
        QCOMPARE(MainForm()->windowTitle(), QString("Quillon  -  2.0"));
        QCOMPARE(strOwnerName, QString("Ann Lee"));
        QCOMPARE(exits->exits, 0);
        QCOMPARE(boxes->boxes().size(), 0);
        QVERIFY(objRails);
        QVERIFY(!rsRecords);
        // The report data source finds the database relative to the program folder.
        QCOMPARE(QFileInfo(QDir::currentPath()), QFileInfo(pf->path()));
        QCOMPARE(platform::appHelpFile(), pf->path() + "/help/quillon.qhc");
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
        // The splash played its eight pauses of the clock's seconds, then went away.
        QVERIFY(QApplication::topLevelWidgets().count() > 0);
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<frmSplash *>(w));
        QVERIFY(clock->now() >= QDateTime(QDate(2026, 3, 14), QTime(9, 27, 1)));
        QVERIFY(clock->now() < QDateTime(QDate(2026, 3, 14), QTime(9, 27, 3)));
        // The store library's registration is started hidden, without waiting.
        QCOMPARE(shell->calls.size(), 1);
        QCOMPARE(shell->calls[0].commandLine, QString("regsvr32.exe /s rails.dll"));
        QCOMPARE(shell->calls[0].style, platform::WindowStyle::Hide);
    }

    void aFailedRegistrationGoesUnnoticed() {
        storeProfile();
        shell->fail = true;
        Main();
        QVERIFY(MainForm() && MainForm()->isVisible());
        QCOMPARE(boxes->boxes().size(), 0);
    }

    void firstUseSavesTheProfileBeforeTheSplash() {
        bool splashSeenBeforeSave = false;
        bool mainShownBeforeSave = true;
        whenModal<frmAddOwner>([&](frmAddOwner *f) {
            for (QWidget *w : QApplication::topLevelWidgets())
                splashSeenBeforeSave |= qobject_cast<frmSplash *>(w) != nullptr;
            mainShownBeforeSave = MainForm() && MainForm()->isVisible();
            QVERIFY(f->windowFlags() & Qt::FramelessWindowHint);
            fillProfile(f, kAnn);
            boxes->answer(platform::MsgResult::OK);
            f->fields.cmdSave->click();
        });
        Main();
        QVERIFY(!splashSeenBeforeSave);
        QVERIFY(!mainShownBeforeSave);
        QCOMPARE(boxes->boxes().size(), 1);
        QCOMPARE(boxes->boxes()[0].prompt, QString("Profile Information Saved! "));
        QCOMPARE(boxes->boxes()[0].title, QString("Record Saved Successfully"));
        QCOMPARE(boxes->boxes()[0].icon, MsgIcon::Exclamation);
        QVERIFY(MainForm() && MainForm()->isVisible());
        QCOMPARE(strOwnerName, QString("Ann Lee"));
        QCOMPARE(pf->scalar("SELECT FullName FROM tblOwner").toString(), QString("Ann Lee"));
        QCOMPARE(pf->scalar("SELECT OwnerID FROM tblOwner").toString(), QString("O-1"));
        // The entry form is only hidden after its save.
        frmAddOwner *entry = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *f = qobject_cast<frmAddOwner *>(w))
                entry = f;
        QVERIFY(entry);
        QVERIFY(!entry->isVisible());
        QCOMPARE(exits->exits, 0);
    }

    void exitAtFirstStartEndsAndTheNextStartAsksAgain() {
        whenModal<frmAddOwner>([this](frmAddOwner *f) {
            f->fields.txtBox[0]->setText(QStringLiteral("Lee"));
            boxes->answer(platform::MsgResult::Yes); // drop the typed name
            f->fields.cmdExit->click();
        });
        Main();
        QCOMPARE(exits->exits, 1);
        QVERIFY(!MainForm() || !MainForm()->isVisible());
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblOwner").toInt(), 0);
        QCOMPARE(boxes->boxes().size(), 1);
        QCOMPARE(boxes->boxes()[0].prompt, QString("Discard the owner profile you have typed? "));
        boxes->clear();

        // The next start.
        resetProgramState();
        exits = std::make_unique<ExitRecorder>();
        bool askedAgain = false;
        whenModal<frmAddOwner>([&](frmAddOwner *f) {
            askedAgain = true;
            fillProfile(f, kAnn);
            boxes->answer(platform::MsgResult::OK);
            f->fields.cmdSave->click();
        });
        Main();
        QVERIFY(askedAgain);
        QVERIFY(MainForm() && MainForm()->isVisible());
        QCOMPARE(exits->exits, 0);
    }

    void missingDatabaseEndsTheProgram() {
        QVERIFY(QFile::remove(pf->databasePath()));
        boxes->answer(platform::MsgResult::OK);
        Main();
        QCOMPARE(boxes->boxes().size(), 1);
        const auto &b = boxes->boxes()[0];
        QCOMPARE(b.prompt, QString("Database Not Found.\r\n\r\nThe database must reside in the "
                                   "folder where it was originally installed."));
        QCOMPARE(b.title, QString(" ERROR - DATABASE NOT FOUND"));
        QCOMPARE(b.icon, MsgIcon::Critical);
        QCOMPARE(b.buttons, platform::MsgButtons::OK);
        QCOMPARE(exits->exits, 1);
        QVERIFY(!MainForm());
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY(!w->isVisible());
    }

    // A file that is not a sound collection ends the program with a box that names it and
    // tells how to restore a backup; the file is left byte for byte as it was.
    void damagedCollectionEndsTheProgram_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("title");
        QTest::newRow("missing") << "missing"
                                 << " ERROR - DATABASE NOT FOUND";
        QTest::newRow("truncated") << "truncated"
                                   << " ERROR - DATABASE DAMAGED";
        QTest::newRow("zero bytes") << "zero"
                                    << " ERROR - DATABASE DAMAGED";
        QTest::newRow("garbage") << "garbage"
                                 << " ERROR - DATABASE DAMAGED";
        QTest::newRow("no owner table") << "table"
                                        << " ERROR - DATABASE DAMAGED";
        // The tables are all there; only quick_check's rows tell of the damage.
        QTest::newRow("smashed page") << "smashed"
                                      << " ERROR - DATABASE DAMAGED";
        QTest::newRow("another program's file") << "foreign"
                                                << " ERROR - DATABASE DAMAGED";
    }
    void damagedCollectionEndsTheProgram() {
        QFETCH(QString, damage);
        QFETCH(QString, title);
        storeProfile();
        QString sql = QStringLiteral("BEGIN;");
        for (int i = 1; i <= 400; ++i)
            sql += QStringLiteral("INSERT INTO tblMain (ItemID, Car, Notes) "
                                  "VALUES ('CL-%1', 'YES', '%2');")
                       .arg(i)
                       .arg(QString(200, QLatin1Char('n')));
        pf->exec(sql + QStringLiteral("COMMIT;"));
        if (damage == "table")
            pf->exec("DROP TABLE tblOwner");
        if (damage == "foreign")
            pf->exec("PRAGMA application_id = 1234");
        QFile file(pf->databasePath());
        if (damage == "missing") {
            QVERIFY(file.remove());
        } else if (damage != "table" && damage != "foreign") {
            QVERIFY(file.open(QIODevice::ReadWrite));
            const QByteArray whole = file.readAll();
            if (damage == "smashed") {
                QVERIFY(whole.size() > 12 * 4096);
                QVERIFY(file.seek(10 * 4096 + 12)); // the cell pointers of a page of items
                file.write(QByteArray(28, '\x5A'));
            } else if (damage == "truncated")
                QVERIFY(file.resize(whole.size() * 2 / 3));
            else if (damage == "zero")
                QVERIFY(file.resize(0));
            else {
                QVERIFY(file.resize(0));
                file.write(QByteArray("A shopping list, not a collection.\n").repeated(200));
            }
            file.close();
        }
        const auto bytes = [&] {
            QFile f(pf->databasePath());
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("absent");
        };
        const QByteArray before = bytes();
        const QStringList filesBefore = QDir(pf->path() + "/zerizori").entryList(QDir::Files);

        Main();
        QCOMPARE(boxes->boxes().size(), 1);
        const auto &b = boxes->boxes()[0];
        QCOMPARE(b.title, title);
        QCOMPARE(b.icon, MsgIcon::Critical);
        QCOMPARE(b.buttons, platform::MsgButtons::OK);
        QCOMPARE(exits->exits, 1);
        QVERIFY(!MainForm());
        if (damage != "missing") {
            QVERIFY2(b.prompt.contains(QDir::toNativeSeparators(pf->databasePath())),
                     qPrintable(b.prompt));
            QVERIFY(b.prompt.contains("is damaged"));
            QVERIFY(b.prompt.contains("Nothing was changed in it."));
            QVERIFY(b.prompt.contains("copy it over zerizori/rails.trk"));
            QVERIFY(b.prompt.contains("Quillon Help"));
        }
        QVERIFY(bytes() == before);
        QCOMPARE(QDir(pf->path() + "/zerizori").entryList(QDir::Files), filesBefore);
        QVERIFY(pf->readLog().isEmpty());
    }

    // Another program holds the collection: start-up waits the store's two seconds, then asks;
    // Retry after the other program let go goes on to the main window, Cancel ends.
    void busyCollectionAsksRetryOrCancel_data() {
        QTest::addColumn<bool>("retry");
        QTest::newRow("retry") << true;
        QTest::newRow("cancel") << false;
    }
    void busyCollectionAsksRetryOrCancel() {
        QFETCH(bool, retry);
        storeProfile();
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(pf->databasePath()).constData(), &other),
                 SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        boxes->onShow = [&](const platform::MsgRequest &) {
            if (retry)
                sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
        };
        boxes->answer(retry ? platform::MsgResult::Retry : platform::MsgResult::Cancel);
        Main();
        sqlite3_close(other);
        QCOMPARE(boxes->boxes().size(), 1);
        const auto &b = boxes->boxes()[0];
        QVERIFY2(b.prompt.contains("is in use by another program"), qPrintable(b.prompt));
        QVERIFY(b.prompt.contains(QDir::toNativeSeparators(pf->databasePath())));
        QCOMPARE(b.buttons, platform::MsgButtons::RetryCancel);
        QCOMPARE(b.icon, MsgIcon::Exclamation);
        QCOMPARE(exits->exits, retry ? 0 : 1);
        QCOMPARE(MainForm() && MainForm()->isVisible(), retry);
        // The profile was read, not asked for again: a busy file is not a first use.
        QCOMPARE(strOwnerName, retry ? QString("Ann Lee") : QString());
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblOwner").toInt(), 1);
    }

    // This build's additions cannot go into the file: the store's failure box and log entry,
    // the file's version as it was, and start-up goes on with the designed tables.
    void failedAdditionsAreReportedAndStartupGoesOn() {
        storeProfile();
        pf->exec("CREATE INDEX tblPhoto ON tblMain (Notes)");
        pf->exec("PRAGMA user_version = 0");
        boxes->answer(platform::MsgResult::OK);
        Main();
        QCOMPARE(boxes->boxes().size(), 1);
        const auto &b = boxes->boxes()[0];
        QVERIFY2(b.prompt.startsWith("ERROR # 1\r\n\r\n"), qPrintable(b.prompt));
        QVERIFY(b.prompt.endsWith(
            "tblPhoto\r\nIn the Dynamic Link Library\r\nFunction: ApplySchemaAdditions"));
        QCOMPARE(b.title, QString("Vuziz"));
        QCOMPARE(b.icon, MsgIcon::Critical);
        QVERIFY(MainForm() && MainForm()->isVisible());
        QCOMPARE(pf->scalar("PRAGMA user_version").toInt(), 0);
        QVERIFY(pf->readLog().contains("ApplySchemaAdditions - DLL Function"));
    }

    void secondInstanceIsRefused() {
        // Another process holds the program folder's instance lock.
        QLockFile other(platform::instanceLockPath(pf->path()));
        QVERIFY(other.tryLock(0));
        QGuiApplication::clipboard()->setText(QStringLiteral("left over"));
        storeProfile();
        Main();
        QCOMPARE(boxes->boxes().size(), 1);
        QCOMPARE(boxes->boxes()[0].prompt,
                 QString("Quillon is already running on this computer! "));
        QCOMPARE(boxes->boxes()[0].title, QString("Quillon"));
        QCOMPARE(boxes->boxes()[0].icon, MsgIcon::Exclamation);
        QCOMPARE(exits->exits, 1);
        QVERIFY(!MainForm());
        QVERIFY(shell->calls.isEmpty());
        // The clipboard is cleared before the test for another instance.
        QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
    }

    void databaseExistsMakesTheProgramFolderCurrent() {
        QDir::setCurrent(QDir::rootPath());
        QVERIFY(DatabaseExists());
        QCOMPARE(QFileInfo(QDir::currentPath()), QFileInfo(pf->path()));
        QFile::remove(pf->databasePath());
        QVERIFY(!DatabaseExists());
    }

    void startupErrors_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("skipped");
        QTest::addColumn<QString>("recordError");
        QTest::newRow("file not found") << 53 << true << "";
        QTest::newRow("path or file access") << 75 << true << "";
        QTest::newRow("type mismatch") << 13 << false << "Error: 13";
        QTest::newRow("negative") << -2147467259 << false << "Error:-2147467259";
    }
    void startupErrors() {
        QFETCH(int, number);
        QFETCH(bool, skipped);
        QFETCH(QString, recordError);
        QStringList ran;
        boxes->answer(platform::MsgResult::OK);
        RunStartupSteps({[&] { ran << "one"; },
                         [&] { throw platform::Error(number, QStringLiteral("Something broke")); },
                         [&] { ran << "three"; }});
        if (skipped) {
            QCOMPARE(ran, QStringList({"one", "three"}));
            QCOMPARE(boxes->boxes().size(), 0);
            QVERIFY(!QFile::exists(pf->logPath()));
            QCOMPARE(exits->exits, 0);
            return;
        }
        QCOMPARE(ran, QStringList({"one"}));
        QCOMPARE(exits->exits, 1);
        QCOMPARE(boxes->boxes().size(), 1);
        QCOMPARE(boxes->boxes()[0].prompt,
                 QString("ERROR #%1\r\n\r\nSomething broke\r\nIn the: ModMain code module\r\n"
                         "Procedure: SubMain Load Procedure")
                     .arg(number));
        QCOMPARE(boxes->boxes()[0].icon, MsgIcon::Critical);
        QCOMPARE(boxes->boxes()[0].title, QString("Quillon"));

        const QString hyphens = "%" + QString(51, '-') + "%";
        const QString blanks = "%" + QString(51, ' ') + "%";
        QStringList lines = pf->readLog().split("\r\n");
        QCOMPARE(lines.size(), 10); // nine lines and the empty text after the last line end
        QCOMPARE(lines[0], hyphens);
        QCOMPARE(lines[1], QString("           Quillon - Error Log"));
        QCOMPARE(lines[2], hyphens);
        QCOMPARE(lines[3], blanks);
        QVERIFY2(lines[4].endsWith(recordError), qPrintable(lines[4]));
        QVERIFY(lines[4].startsWith(platform::shortDate(QDate(2026, 3, 14))));
        QCOMPARE(lines[5], QString("SubMain Load Procedure"));
        QCOMPARE(lines[6], QString("---"));
        QCOMPARE(lines[7], QString("Something broke"));
        QCOMPARE(lines[8], hyphens);

        // A later entry is appended without the banner.
        exits = std::make_unique<ExitRecorder>();
        boxes->answer(platform::MsgResult::OK);
        RunStartupSteps({[] { throw platform::Error(5, QStringLiteral("Again")); }});
        lines = pf->readLog().split("\r\n");
        QCOMPARE(lines.size(), 16);
        QCOMPARE(lines[9], blanks);
        QVERIFY(lines[10].endsWith("Error: 5"));
        QCOMPARE(lines[13], QString("Again"));
        QCOMPARE(lines[14], hyphens);
    }

    void anUnwritableLogStillShowsTheError() {
        QVERIFY(QDir(pf->path()).mkdir("error.log")); // a folder where the file should be
        boxes->answer(platform::MsgResult::OK);
        RunStartupSteps({[] { throw platform::Error(7, QStringLiteral("Out of memory")); }});
        QCOMPARE(boxes->boxes().size(), 1);
        QVERIFY(boxes->boxes()[0].prompt.startsWith("ERROR #7\r\n\r\nOut of memory"));
        QCOMPARE(exits->exits, 1);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_shell_startup.moc"

// The splash screen and the About box with its system information button.
#include "tests/support/TestSupport.h"
#include "tests/trains/support/ShellDoubles.h"
#include "tests/trains/support/ShellFixture.h"

#include "trains/modGlobal.h"
#include "trains/shell/frmAbout.h"
#include "trains/shell/frmSplash.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>

using namespace testing;
using namespace platform;

namespace {
const QString kMsInfo = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QString kLocation = "SOFTWARE\\Microsoft\\Shared Tools Location";
} // namespace

class TestAboutSplash : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ProgramFolder> pf;
    std::unique_ptr<ScriptedMsgBox> boxes;
    std::unique_ptr<FakeShell> shell;
    std::shared_ptr<FakeRegistry> registry;

  private slots:
    void init() {
        pf = std::make_unique<testing::ProgramFolder>();
        SetProgramFolder(pf->path());
        boxes = std::make_unique<ScriptedMsgBox>();
        shell = std::make_unique<FakeShell>();
        registry = FakeRegistry::install();
    }
    void cleanup() {
        QCOMPARE(boxes->unexpected(), 0);
        setRegistryBackend(nullptr);
        registry.reset();
        shell.reset();
        boxes.reset();
        resetProgramState();
        SetProgramFolder(QString());
        pf.reset();
    }

    void splashRunsItsBar_data() {
        QTest::addColumn<bool>("picture");
        QTest::newRow("with picture") << true;
        QTest::newRow("without picture") << false;
    }
    void splashRunsItsBar() {
        QFETCH(bool, picture);
        if (picture)
            copyProgramResources(pf->path());
        RunningClock clock(20, QDateTime(QDate(2026, 3, 14), QTime(9, 0, 0)));
        frmSplash splash;
        QSignalSpy values(splash.proBar, &QProgressBar::valueChanged);
        splash.Form_Load();
        QVERIFY(splash.isVisible());
        QCOMPARE(splash.size(), QSize(486, 273));
        QCOMPARE(splash.proBar->minimum(), 0);
        QCOMPARE(splash.proBar->maximum(), 16);
        QCOMPARE(splash.proBar->value(), 16);
        QList<int> seen;
        for (const auto &v : values)
            seen << v[0].toInt();
        QCOMPARE(seen, QList<int>({0, 2, 4, 6, 8, 10, 12, 14, 16}));
        // Eight pauses until the clock's next whole second: eight seconds from a whole second.
        QVERIFY2(clock.now() >= QDateTime(QDate(2026, 3, 14), QTime(9, 0, 8)) &&
                     clock.now() < QDateTime(QDate(2026, 3, 14), QTime(9, 0, 9)),
                 qPrintable(clock.now().toString()));
        QCOMPARE(splash.lblVersion->text(), QString("2.0"));
        QCOMPARE(splash.lblProductName->text(), QString("Quillon"));
        QCOMPARE(splash.lblCompanyProduct->text(), QString("Orvanne Software"));
        QCOMPARE(splash.lblCompany->text(), QString("Orvanne Software and Web Design"));
        QCOMPARE(splash.Label1->text(), QString("Initializing..."));
        QCOMPARE(splash.Image1->pixmap().isNull(), !picture);
        if (picture)
            QCOMPARE(splash.Image1->pixmap().size(), QSize(160, 100));
    }

    void aboutBoxShowsVersionAndText() {
        copyProgramResources(pf->path());
        frmAbout about;
        QCOMPARE(about.windowTitle(), QString("About Quillon"));
        QCOMPARE(about.lblVersion->text(), QString("v2.0"));
        QCOMPARE(about.lblTitle->text(), QString("Quillon"));
        QCOMPARE(about.cmdOK->text(), QString("&OK"));
        QCOMPARE(about.cmdSysInfo->text(), QString("&System Info..."));
        QCOMPARE(about.size(), QSize(325, 188));
        const QString text = about.rtBox->toPlainText();
        QVERIFY2(text.startsWith("Quillon\n"), qPrintable(text));
        QVERIFY(text.contains(QString::fromUtf8("Copyright © 2026 Orvanne Software — all rights")));
        QVERIFY(about.rtBox->isReadOnly());
    }

    void aboutBoxWithoutItsTextOpensEmpty() {
        QVERIFY(!QFile::exists(pf->path() + "/text/About.rtf"));
        frmAbout about;
        QVERIFY(about.rtBox->toPlainText().isEmpty());
        QCOMPARE(about.lblVersion->text(), QString("v2.0"));
        QDir(pf->path()).mkpath("text");
        QFile f(pf->path() + "/text/About.rtf");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\x00\x01 not rich text", 16);
        f.close();
        frmAbout unreadable;
        QVERIFY(unreadable.rtBox->toPlainText().isEmpty());
    }

    void systemInformation_data() {
        QTest::addColumn<QString>("pathValue");   // empty: not registered
        QTest::addColumn<QString>("folderValue"); // empty: not registered
        QTest::addColumn<bool>("programInFolder");
        QTest::addColumn<bool>("startFails");
        QTest::addColumn<QString>("started"); // empty: the unavailable message
        QTest::newRow("registered path") << "/usr/bin/hardinfo"
                                         << "" << false << false << "/usr/bin/hardinfo";
        QTest::newRow("path with blanks")
            << "/opt/System Info/hardinfo"
            << "" << false << false << "\"/opt/System Info/hardinfo\"";
        QTest::newRow("folder with the program")
            << ""
            << "<folder>" << true << false << "<folder>/MSINFO32.EXE";
        QTest::newRow("folder with separator")
            << ""
            << "<folder>/" << true << false << "<folder>/MSINFO32.EXE";
        QTest::newRow("folder without the program") << ""
                                                    << "<folder>" << false << false << "";
        QTest::newRow("nothing registered") << ""
                                            << "" << false << false << "";
        QTest::newRow("cannot start") << "/usr/bin/hardinfo"
                                      << "" << false << true << "";
    }
    void systemInformation() {
        QFETCH(QString, pathValue);
        QFETCH(QString, folderValue);
        QFETCH(bool, programInFolder);
        QFETCH(bool, startFails);
        QFETCH(QString, started);
        const QString folder = pf->path() + "/tools";
        QDir().mkpath(folder);
        folderValue.replace("<folder>", folder);
        started.replace("<folder>", folder);
        if (!pathValue.isEmpty())
            registry->setText(HKEY_LOCAL_MACHINE, kMsInfo, "PATH", pathValue);
        if (!folderValue.isEmpty())
            registry->setText(HKEY_LOCAL_MACHINE, kLocation, "MSINFO", folderValue);
        if (programInFolder) {
            QFile f(folder + "/MSINFO32.EXE");
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        shell->fail = startFails;
        if (started.isEmpty())
            boxes->answer(MsgResult::OK);
        frmAbout about;
        about.cmdSysInfo->click();
        if (started.isEmpty()) {
            QCOMPARE(boxes->boxes().size(), 1);
            QCOMPARE(boxes->boxes()[0].prompt,
                     QString("System Information Is Unavailable At This Time"));
            QCOMPARE(boxes->boxes()[0].icon, MsgIcon::None);
            QCOMPARE(boxes->boxes()[0].buttons, MsgButtons::OK);
            QCOMPARE(boxes->boxes()[0].title, QString("Quillon"));
        } else {
            QCOMPARE(boxes->boxes().size(), 0);
            QCOMPARE(shell->calls.size(), 1);
            QCOMPARE(shell->calls[0].commandLine, started);
            QCOMPARE(shell->calls[0].style, WindowStyle::NormalFocus);
        }
    }

    void getKeyValue_data() {
        QTest::addColumn<int>("kind"); // 0 text, 1 double word, 2 other type, 3 missing
        QTest::addColumn<bool>("read");
        QTest::addColumn<QString>("value");
        QTest::newRow("text") << 0 << true << "C:\\Tools";
        QTest::newRow("double word") << 1 << true << "305419896";
        QTest::newRow("other type keeps the caller's text") << 2 << true << "before";
        QTest::newRow("missing") << 3 << false << "";
    }
    void getKeyValue() {
        QFETCH(int, kind);
        QFETCH(bool, read);
        QFETCH(QString, value);
        registry->addKey(HKEY_LOCAL_MACHINE, "K");
        if (kind == 0)
            registry->setText(HKEY_LOCAL_MACHINE, "K", "V", "C:\\Tools");
        if (kind == 1)
            registry->setValue(HKEY_LOCAL_MACHINE, "K", "V", RegistryValue::dword(0x12345678));
        if (kind == 2)
            registry->setValue(HKEY_LOCAL_MACHINE, "K", "V", {3, QByteArray("\x01\x02", 2)});
        frmAbout about;
        std::uint32_t root = HKEY_LOCAL_MACHINE;
        QString out = "before";
        QCOMPARE(about.GetKeyValue(root, "K", "V", out), read);
        QCOMPARE(out, value);
    }
};

QTEST_MAIN(TestAboutSplash)
#include "tst_shell_about_splash.moc"

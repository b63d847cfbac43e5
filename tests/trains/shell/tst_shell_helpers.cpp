// Shared helpers of the program shell: registry reading, waiting, ending the program, the
// desktop registry's answers, the instance lock, starting programs and the RTF reader.
#include "tests/support/TestSupport.h"
#include "tests/trains/support/ShellDoubles.h"

#include "trains/modGlobal.h"
#include "trains/shell/RtfReader.h"

#include "platform/DesktopRegistry.h"
#include "platform/Exit.h"
#include "platform/Instance.h"
#include "platform/Pointer.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

using namespace testing;
using namespace platform;

namespace {
QString readString(const QString &key, const QString &name, bool separator = false) {
    return GetRegistryString(key, name, false, false, false, false, true, false, false, separator);
}

void makeProgram(const QString &path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.close();
    QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

// The text and character format at a position of the document.
QTextCharFormat formatAt(QTextDocument &doc, const QString &word) {
    QTextCursor c = doc.find(word);
    return c.isNull() ? QTextCharFormat() : c.charFormat();
}
} // namespace

class TestHelpers : public QObject {
    Q_OBJECT
  private slots:
    void rootKeyFromFlags_data() {
        QTest::addColumn<QList<bool>>("flags");
        QTest::addColumn<uint>("root");
        QTest::newRow("none") << QList<bool>{false, false, false, false, false, false, false} << 0u;
        QTest::newRow("first and third")
            << QList<bool>{true, false, true, false, false, false, false}
            << uint(HKEY_CLASSES_ROOT);
        QTest::newRow("config") << QList<bool>{false, true, false, false, false, false, false}
                                << uint(HKEY_CURRENT_CONFIG);
        QTest::newRow("user") << QList<bool>{false, false, true, false, false, false, true}
                              << uint(HKEY_CURRENT_USER);
        QTest::newRow("dyn") << QList<bool>{false, false, false, true, true, false, false}
                             << uint(HKEY_DYN_DATA);
        QTest::newRow("machine") << QList<bool>{false, false, false, false, true, true, false}
                                 << uint(HKEY_LOCAL_MACHINE);
        QTest::newRow("perf") << QList<bool>{false, false, false, false, false, true, true}
                              << uint(HKEY_PERFORMANCE_DATA);
        QTest::newRow("users") << QList<bool>{false, false, false, false, false, false, true}
                               << uint(HKEY_USERS);
    }
    void rootKeyFromFlags() {
        QFETCH(QList<bool>, flags);
        QFETCH(uint, root);
        QCOMPARE(uint(RootKeyFromFlags(flags[0], flags[1], flags[2], flags[3], flags[4], flags[5],
                                       flags[6])),
                 root);
    }

    void registryString_data() {
        QTest::addColumn<QString>("stored"); // "<missing>" for no value
        QTest::addColumn<bool>("separator");
        QTest::addColumn<QString>("result");
        QTest::newRow("plain") << "C:\\Tools" << false << "C:\\Tools";
        QTest::newRow("blanks trimmed") << "  C:\\Tools  " << false << "C:\\Tools";
        QTest::newRow("separator added") << "C:\\Tools" << true << "C:\\Tools\\";
        QTest::newRow("separator kept") << "C:\\Tools\\" << true << "C:\\Tools\\";
        QTest::newRow("missing value") << "<missing>" << true << "";
        QTest::newRow("254 characters fit") << QString(254, 'x') << false << QString(254, 'x');
        QTest::newRow("255 characters do not") << QString(255, 'x') << false << "";
        QTest::newRow("empty") << "" << false << "";
    }
    void registryString() {
        QFETCH(QString, stored);
        QFETCH(bool, separator);
        QFETCH(QString, result);
        auto reg = FakeRegistry::install();
        reg->addKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon");
        if (stored != "<missing>")
            reg->setText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quillon", "Folder", stored);
        QCOMPARE(readString("SOFTWARE\\Quillon", "Folder", separator), result);
        setRegistryBackend(nullptr);
    }

    void registryStringOfAMissingKeyOrRoot() {
        auto reg = FakeRegistry::install();
        reg->setText(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\command", "",
                     "\"/usr/bin/xdg-open\"");
        QCOMPARE(readString("SOFTWARE\\Nowhere", "x"), QString());
        // The right key under another root is not found.
        QCOMPARE(readString("htmlfile\\shell\\open\\command", ""), QString());
        QCOMPARE(GetRegistryString("htmlfile\\shell\\open\\command", "", false, false, false, false,
                                   false, false, false, false),
                 QString());
        QCOMPARE(GetRegistryString("HTMLFILE\\Shell\\Open\\Command", "", true, false, false, false,
                                   false, false, false, false),
                 QString("\"/usr/bin/xdg-open\""));
        setRegistryBackend(nullptr);
    }

    void registryCallsKeepTheirRules() {
        auto reg = FakeRegistry::install();
        reg->setText(HKEY_CURRENT_USER, "A", "v", "abc");
        HKEY key = 0;
        QCOMPARE(RegOpenKeyEx(HKEY_CURRENT_USER, "a", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        char small[3] = {'?', '?', '?'};
        std::uint32_t size = 3;
        QCOMPARE(RegQueryValueEx(key, "v", nullptr, small, &size), ERROR_MORE_DATA);
        QCOMPARE(size, 4u);
        QCOMPARE(small[0], '?'); // the buffer is left alone
        QCOMPARE(RegCloseKey(key), ERROR_SUCCESS);
        QCOMPARE(RegCloseKey(key), ERROR_INVALID_HANDLE);
        QCOMPARE(RegOpenKeyEx(0, "A", 0, KEY_ALL_ACCESS, &key), ERROR_INVALID_HANDLE);
        setRegistryBackend(nullptr);
    }

    void desktopRegistryFindsPrograms() {
        QTemporaryDir onPath, usual, empty;
        makeProgram(onPath.path() + "/xdg-open");
        makeProgram(usual.path() + "/hardinfo");
        // Found by the search path.
        DesktopRegistry byPath(onPath.path() + ":" + empty.path(), {});
        auto browser = byPath.value(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\command", "");
        QVERIFY(browser);
        QCOMPARE(browser->data, ("\"" + onPath.path() + "/xdg-open\"").toLocal8Bit() + '\0');
        QVERIFY(!byPath.hasKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"));
        // Found in a usual folder.
        DesktopRegistry byFolder(empty.path(), {usual.path()});
        auto info =
            byFolder.value(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH");
        QVERIFY(info);
        QCOMPARE(info->data, (usual.path() + "/hardinfo").toLocal8Bit() + '\0');
        QVERIFY(!byFolder.hasKey(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\command"));
        // Not found anywhere; a file that is not executable does not count.
        QFile plain(empty.path() + "/kinfocenter");
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        DesktopRegistry nowhere(empty.path(), {empty.path()});
        QVERIFY(!nowhere.value(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                               "PATH"));
        QVERIFY(!nowhere.hasKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"));
        QVERIFY(!nowhere.value(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\command", ""));
    }

    void pauseWaitsForWholeSeconds_data() {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QTime>("earliest");
        QTest::addColumn<QTime>("latest");
        // It returns at the first look at the clock after the whole seconds have passed.
        QTest::newRow("0 from a whole second")
            << 0 << QTime(9, 0, 0) << QTime(9, 0, 1) << QTime(9, 0, 1, 999);
        QTest::newRow("0 late in a second")
            << 0 << QTime(9, 0, 0, 900) << QTime(9, 0, 1) << QTime(9, 0, 1, 999);
        QTest::newRow("2") << 2 << QTime(9, 0, 0) << QTime(9, 0, 3) << QTime(9, 0, 3, 999);
        QTest::newRow("2 late in a second")
            << 2 << QTime(9, 0, 0, 700) << QTime(9, 0, 3) << QTime(9, 0, 3, 999);
        QTest::newRow("negative") << -1 << QTime(9, 0, 0) << QTime(9, 0, 0) << QTime(9, 0, 0);
    }
    void pauseWaitsForWholeSeconds() {
        QFETCH(int, seconds);
        QFETCH(QTime, start);
        QFETCH(QTime, earliest);
        QFETCH(QTime, latest);
        RunningClock clock(5, QDateTime(QDate(2026, 3, 14), start));
        bool eventRan = false;
        QTimer::singleShot(0, [&] { eventRan = true; });
        QVERIFY(Pause(qint16(seconds)));
        const QTime end = clock.now().time();
        QVERIFY2(end >= earliest && end <= latest, qPrintable(end.toString("HH:mm:ss.zzz")));
        if (seconds >= 0)
            QVERIFY(eventRan); // window events run while it waits
    }

    void shutDownReleasesAndEnds() {
        testing::ProgramFolder pf;
        SetProgramFolder(pf.path());
        ExitRecorder exits;
        NewRails();
        rsRecords = Rails().RefreshOwner();
        bool reportsReleased = false;
        SetReportRelease([&] { reportsReleased = true; });
        QDir::setCurrent(QDir::rootPath());
        setScreenPointer(Pointer::Wait);
        ShutDown();
        QCOMPARE(exits.exits, 1);
        QVERIFY(exitRequested());
        QVERIFY(reportsReleased);
        QVERIFY(!objRails);
        QVERIFY(!rsRecords);
        QCOMPARE(QFileInfo(QDir::currentPath()), QFileInfo(pf.path()));
        QCOMPARE(screenPointer(), Pointer::Default);
        SetReportRelease({});
        SetProgramFolder(QString());
    }

    void railsWithoutAStoreObjectRaises91() {
        objRails.reset();
        bool raised = false;
        trap([] { Rails(); }, [&](const Error &e) { raised = e.Number() == ErrObjectNotSet; });
        QVERIFY(raised);
    }

    void instanceLock() {
        QTemporaryDir folder;
        QLockFile other(instanceLockPath(folder.path()));
        QVERIFY(other.tryLock(0));
        QVERIFY(PrevInstance(folder.path()));
        other.unlock();
        QVERIFY(!PrevInstance(folder.path()));
        // This process now holds it: asking again is not another instance.
        QVERIFY(!PrevInstance(folder.path() + "/"));
        QLockFile third(instanceLockPath(folder.path()));
        QVERIFY(!third.tryLock(0));
        releaseInstanceLocks();
        QVERIFY(third.tryLock(0));
    }

    void shellStartsOrRaises53() {
        bool raised = false;
        trap([] { Shell("/nonexistent/regsvr32.exe /s rails.dll", WindowStyle::Hide); },
             [&](const Error &e) { raised = e.Number() == ErrFileNotFound; });
        QVERIFY(raised);
        raised = false;
        trap([] { Shell(" ", WindowStyle::NormalFocus); },
             [&](const Error &e) { raised = e.Number() == ErrFileNotFound; });
        QVERIFY(raised);
        QVERIFY(Shell("true", WindowStyle::Hide) > 0);
    }

    void rtfReader() {
        QTextDocument doc;
        const QByteArray rtf =
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Verdana;}{\\f1 Courier New;}}\r\n"
            "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
            "{\\info{\\title Hidden title}}{\\*\\generator Writer;}\r\n"
            "\\pard\\qc\\fs32\\b Heading\\b0\\par\r\n"
            "\\pard\\fs24 plain \\i slanted\\i0  \\ul under\\ulnone  {\\cf1 red} \\cf2 "
            "blue\\cf0\\par\r\n"
            "caf\\'e9 \\u8212? dash \\{braces\\} back\\\\slash \\f1 mono\\par\r\n"
            "\\par\r\n"
            "last\\line line\\par}";
        QVERIFY(readRtf(rtf, &doc));
        QCOMPARE(doc.blockCount(), 5);
        QCOMPARE(doc.findBlockByNumber(0).text(), QString("Heading"));
        QCOMPARE(doc.findBlockByNumber(0).blockFormat().alignment(), Qt::AlignHCenter);
        QCOMPARE(doc.findBlockByNumber(1).text(), QString("plain slanted under red blue"));
        QCOMPARE(doc.findBlockByNumber(1).blockFormat().alignment(), Qt::AlignLeft);
        QCOMPARE(doc.findBlockByNumber(2).text(),
                 QString::fromUtf8("café — dash {braces} back\\slash mono"));
        QCOMPARE(doc.findBlockByNumber(3).text(), QString());
        QCOMPARE(doc.findBlockByNumber(4).text(),
                 QString("last") + QChar(QChar::LineSeparator) + "line");
        QVERIFY(!doc.toPlainText().contains("Hidden"));
        QVERIFY(!doc.toPlainText().contains("Writer"));
        QVERIFY(!doc.toPlainText().contains("Verdana"));

        QCOMPARE(formatAt(doc, "Heading").fontWeight(), int(QFont::Bold));
        QCOMPARE(formatAt(doc, "Heading").fontPointSize(), 16.0);
        QCOMPARE(formatAt(doc, "plain").fontWeight(), int(QFont::Normal));
        QCOMPARE(formatAt(doc, "plain").fontPointSize(), 12.0);
        QVERIFY(formatAt(doc, "slanted").fontItalic());
        QVERIFY(!formatAt(doc, "plain").fontItalic());
        QVERIFY(formatAt(doc, "under").fontUnderline());
        QCOMPARE(formatAt(doc, "red").foreground().color(), QColor(255, 0, 0));
        QCOMPARE(formatAt(doc, "blue").foreground().color(), QColor(0, 0, 255));
        QCOMPARE(formatAt(doc, "plain").foreground().style(), Qt::NoBrush);
        QCOMPARE(formatAt(doc, "mono").fontFamilies().toStringList(), QStringList({"Courier New"}));
    }

    void rtfReaderRefusesOtherText() {
        QTextDocument doc;
        doc.setPlainText("old");
        QVERIFY(!readRtf("plain text, not rich", &doc));
        QVERIFY(doc.isEmpty());
        QVERIFY(!loadRtfFile("/nonexistent/About.rtf", &doc));
        QVERIFY(doc.isEmpty());
        // Broken input ends quietly.
        QVERIFY(readRtf("{\\rtf1 unclosed {\\b group \\'4", &doc));
        QVERIFY(readRtf("{\\rtf1 }}}} extra \\u-4064? \\uc0\\u65 A}", &doc));
        QCOMPARE(doc.toPlainText(), QString(" extra ") + QChar(0xF020) + " AA");
    }
};

QTEST_MAIN(TestHelpers)
#include "tst_shell_helpers.moc"

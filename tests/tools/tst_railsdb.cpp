// The command-line tool: creates a database the plain sqlite3 shell opens and never touches a
// file that already exists; checks, backs up, restores, exports and imports with exit codes
// scripts can rely on.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>
#include <QTemporaryDir>
#include <QTest>
#include <sqlite3.h>

class TestRailsDb : public QObject {
    Q_OBJECT

    static QString shell(const QString& db, const QString& sql) {
        QProcess p;
        p.start("sqlite3", {db, sql});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    struct Run {
        int code;
        QString out;
        QString err;
    };
    static Run railsdb(const QStringList& args, const QString& folder = {}) {
        QProcess p;
        if (!folder.isEmpty())
            p.setWorkingDirectory(folder);
        p.start(RAILSDB, args);
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    static QByteArray bytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // A collection of `items` rows with some bulk, made through the tool itself.
    static QString collection(const QString& path, int items) {
        if (QProcess::execute(RAILSDB, {path}) != 0)
            qFatal("railsdb could not create %s", qPrintable(path));
        if (items > 0)
            shell(path, QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < %1) "
                            "INSERT INTO tblMain (ItemID, Car, Notes) SELECT 'CL-'||i, 'YES', hex(randomblob(150)) FROM n;")
                        .arg(items));
        return path;
    }

private slots:
    void createsOnceAndRefusesExistingFiles() {
        QTemporaryDir dir;
        const QString db = dir.path() + "/rails.trk";
        QCOMPARE(QProcess::execute(RAILSDB, {db}), 0);
        QStringList tables = shell(db, ".tables").split(QRegularExpression("\\s+"));
        tables.sort(); // the shell lists them in columns
        QCOMPARE(tables, QStringList({"tblChoice", "tblDeletedFieldValue", "tblDeletedHistory", "tblDeletedMain", "tblDeletedPhoto", "tblField", "tblFieldValue", "tblMain", "tblOwner", "tblPhoto", "tblValuation", "tblValueHistory"}));
        // Text columns ignore case; ItemID is unique; ID is never reused.
        QCOMPARE(shell(db, "INSERT INTO tblMain (ItemID, Car) VALUES ('CL-1','yes'); SELECT COUNT(*) FROM tblMain WHERE Car = 'YES';"), QString("1"));
        shell(db, "INSERT INTO tblMain (ItemID) VALUES ('cl-1');"); // refused: same number
        QCOMPARE(shell(db, "SELECT COUNT(*) FROM tblMain;"), QString("1"));
        QCOMPARE(shell(db, "DELETE FROM tblMain; INSERT INTO tblMain (ItemID) VALUES ('CL-2'); SELECT ID FROM tblMain;"), QString("2"));

        QFile f(db);
        const qint64 size = f.size();
        QVERIFY(QProcess::execute(RAILSDB, {db}) != 0);
        QCOMPARE(f.size(), size);
        QCOMPARE(shell(db, "SELECT ItemID FROM tblMain;"), QString("CL-2"));

        QFile other(dir.path() + "/notes.txt");
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("keep me");
        other.close();
        QVERIFY(QProcess::execute(RAILSDB, {other.fileName()}) != 0);
        QVERIFY(other.open(QIODevice::ReadOnly));
        QCOMPARE(other.readAll(), QByteArray("keep me"));
    }

    void helpDescribesEachCommandAndCreatesNothing_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("--help") << QStringList{"--help"};
        QTest::newRow("-h") << QStringList{"-h"};
        QTest::newRow("after a command") << QStringList{"import", "x.trk", "y.csv", "--help"};
    }
    void helpDescribesEachCommandAndCreatesNothing() {
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        const Run r = railsdb(args, dir.path());
        QCOMPARE(r.code, 0);
        for (const char* command : {"railsdb PATH", "check DB", "backup DB DEST", "restore DB SRC", "export DB FILE", "import DB FILE", "--dry-run", "--skip-bad"})
            QVERIFY2(r.out.contains(command), command);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }

    void exitStatusSaysWhatHappened_data() {
        // {DB}: a collection, {TEXT}: a text file, {DIR}: the folder. Braced, because a
        // temporary folder's random name may itself hold "DB" or "DIR".
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing") << QStringList{} << 2 << "missing PATH";
        QTest::newRow("check") << QStringList{"check", "{DB}"} << 0 << "holding 2 item(s)";
        QTest::newRow("check a text file") << QStringList{"check", "{TEXT}"} << 1 << "not a Quillon collection";
        QTest::newRow("check nothing") << QStringList{"check", "{DIR}/none.trk"} << 1 << "does not exist";
        QTest::newRow("check too much") << QStringList{"check", "{DB}", "{DB}"} << 2 << "check takes DB";
        QTest::newRow("backup") << QStringList{"backup", "{DB}", "{DIR}/copy.trk"} << 0 << "2 item(s) backed up";
        QTest::newRow("backup to no folder") << QStringList{"backup", "{DB}", "{DIR}/none/copy.trk"} << 1 << "Cannot write";
        QTest::newRow("restore a text file") << QStringList{"restore", "{DB}", "{TEXT}"} << 1 << "not a Quillon collection";
        QTest::newRow("restore itself") << QStringList{"restore", "{DB}", "{DB}"} << 1 << "collection in use";
        QTest::newRow("export") << QStringList{"export", "{DB}", "{DIR}/out.csv", "--kind", "cars"} << 0 << "2 item(s) exported";
        QTest::newRow("export unknown kind") << QStringList{"export", "{DB}", "{DIR}/out.csv", "--kind", "trams"} << 2 << "unknown kind";
        QTest::newRow("export a text file") << QStringList{"export", "{TEXT}", "{DIR}/out.csv"} << 1 << "not a Quillon collection";
        QTest::newRow("import a database") << QStringList{"import", "{DB}", "{DB}"} << 1 << "not a text file";
        QTest::newRow("import unknown option") << QStringList{"import", "{DB}", "{TEXT}", "--force"} << 2 << "unknown option";
    }
    void exitStatusSaysWhatHappened() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString db = collection(dir.path() + "/rails.trk", 2);
        QFile text(dir.path() + "/notes.txt");
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("Manufacturer,Rail Line\n");
        text.close();
        const QByteArray before = bytes(db);
        for (QString& a : args)
            a.replace("{DIR}", dir.path()).replace("{TEXT}", text.fileName()).replace("{DB}", db);
        const Run r = railsdb(args);
        QCOMPARE(r.code, code);
        QVERIFY2((code ? r.err : r.out).contains(message), qPrintable(r.out + r.err));
        QCOMPARE(bytes(db), before);
    }

    void importWritesNothingOnAProblemOrADryRun() {
        QTemporaryDir dir;
        const QString db = collection(dir.path() + "/rails.trk", 0);
        const QString csv = dir.path() + "/in.csv";
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Manufacturer,Rail Line,Type,Number,Gauge,Curve,Color,From,Price,Date\n"
                "Lionel,PRR,Box,1,O,O-31,Red,Me,12.50,2020-01-01\n"
                "Lionel,PRR,Box,2,O,O-31,Red,Me,a lot,2020-01-01\n");
        f.close();
        const QByteArray before = bytes(db);
        Run r = railsdb({"import", db, csv, "--kind", "cars"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(csv + ":3: Original Cost \"a lot\" is not an amount"), qPrintable(r.err));
        QCOMPARE(bytes(db), before);
        r = railsdb({"import", db, csv, "--kind", "cars", "--skip-bad", "--dry-run"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains("1 row(s) ready, 1 with problems"));
        QCOMPARE(bytes(db), before);
        r = railsdb({"import", db, csv, "--skip-bad"});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains("no Kind column"));
        r = railsdb({"import", db, csv, "--kind", "cars", "--skip-bad"});
        QCOMPARE(r.code, 0);
        QCOMPARE(shell(db, "SELECT ItemID||' '||CarNumber||' '||OriginalCost FROM tblMain;"), QString("CL-1 1 12.5"));
    }

    // A restore killed at any moment leaves the old or the new collection, whole.
    void restoreKilledAtRandomMomentsLeavesAWholeCollection() {
        QTemporaryDir dir;
        const QString db = collection(dir.path() + "/rails.trk", 20000);
        const QString a = collection(dir.path() + "/a.trk", 20000);
        const QString b = collection(dir.path() + "/b.trk", 30000);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(railsdb({"restore", db, b}).code, 0);
        const qint64 full = std::max<qint64>(timer.elapsed(), 5);
        int killedMidway = 0;
        for (int i = 0; i < 40; ++i) {
            QProcess p;
            p.start(RAILSDB, {"restore", db, i % 2 ? b : a});
            QVERIFY(p.waitForStarted());
            QThread::msleep(QRandomGenerator::global()->bounded(int(full * 12 / 10) + 1));
            if (p.state() == QProcess::Running) {
                p.kill(); // SIGKILL
                ++killedMidway;
            }
            p.waitForFinished();
            sqlite3* h = nullptr;
            QCOMPARE(sqlite3_open_v2(db.toUtf8(), &h, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
            const auto one = [&](const char* sql) {
                sqlite3_stmt* st = nullptr;
                sqlite3_prepare_v2(h, sql, -1, &st, nullptr);
                QString v = sqlite3_step(st) == SQLITE_ROW ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) : QString("error");
                sqlite3_finalize(st);
                return v;
            };
            QCOMPARE(one("PRAGMA integrity_check"), QString("ok"));
            const QString count = one("SELECT COUNT(*) FROM tblMain");
            sqlite3_close(h);
            QVERIFY2(count == "20000" || count == "30000", qPrintable(count));
        }
        QVERIFY2(killedMidway >= 10, qPrintable(QString::number(killedMidway)));
    }
};

QTEST_GUILESS_MAIN(TestRailsDb)
#include "tst_railsdb.moc"

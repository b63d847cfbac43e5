// The command-line tool: creates a database the plain sqlite3 shell opens and never touches a
// file that already exists; checks, backs up, restores, exports and imports with exit codes
// scripts can rely on.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

class TestRailsDb : public QObject {
    Q_OBJECT

    static QString shell(const QString &db, const QString &sql) {
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
    static Run railsdb(const QStringList &args, const QString &folder = {}) {
        QProcess p;
        if (!folder.isEmpty())
            p.setWorkingDirectory(folder);
        p.start(RAILSDB, args);
        const bool ended = p.waitForFinished(60000);
        return {ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    static QByteArray bytes(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // A collection of `items` rows with some bulk, made through the tool itself.
    static QString collection(const QString &path, int items) {
        if (QProcess::execute(RAILSDB, {"create", path}) != 0)
            qFatal("railsdb could not create %s", qPrintable(path));
        if (items > 0)
            shell(path,
                  QString(
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < %1) "
                      "INSERT INTO tblMain (ItemID, Car, Notes) SELECT 'CL-'||i, 'YES', "
                      "hex(randomblob(150)) FROM n;")
                      .arg(items));
        return path;
    }

  private slots:
    void createsOnceAndRefusesExistingFiles() {
        QTemporaryDir dir;
        const QString db = dir.path() + "/rails.trk";
        QCOMPARE(QProcess::execute(RAILSDB, {"create", db}), 0);
        QStringList tables = shell(db, ".tables").split(QRegularExpression("\\s+"));
        tables.sort(); // the shell lists them in columns
        QCOMPARE(tables, QStringList({"tblChoice", "tblDeletedFieldValue", "tblDeletedHistory",
                                      "tblDeletedMain", "tblDeletedPhoto", "tblField",
                                      "tblFieldValue", "tblMain", "tblOwner", "tblPhoto",
                                      "tblValuation", "tblValueHistory"}));
        // Text columns ignore case; ItemID is unique; ID is never reused.
        QCOMPARE(shell(db, "INSERT INTO tblMain (ItemID, Car) VALUES ('CL-1','yes'); SELECT "
                           "COUNT(*) FROM tblMain WHERE Car = 'YES';"),
                 QString("1"));
        shell(db, "INSERT INTO tblMain (ItemID) VALUES ('cl-1');"); // refused: same number
        QCOMPARE(shell(db, "SELECT COUNT(*) FROM tblMain;"), QString("1"));
        QCOMPARE(shell(db, "DELETE FROM tblMain; INSERT INTO tblMain (ItemID) VALUES ('CL-2'); "
                           "SELECT ID FROM tblMain;"),
                 QString("2"));

        QFile f(db);
        const qint64 size = f.size();
        QVERIFY(QProcess::execute(RAILSDB, {"create", db}) != 0);
        QCOMPARE(f.size(), size);
        QCOMPARE(shell(db, "SELECT ItemID FROM tblMain;"), QString("CL-2"));

        QFile other(dir.path() + "/notes.txt");
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write("keep me");
        other.close();
        QVERIFY(QProcess::execute(RAILSDB, {"create", other.fileName()}) != 0);
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
        for (const char *command :
             {"create PATH", "check DB", "backup DB DEST", "restore DB SRC", "export DB FILE",
              "import DB FILE", "--dry-run", "--skip-bad", "FILE - is",
              "0 done, 1 failed or refused", "2 wrong command line"})
            QVERIFY2(r.out.contains(command), command);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
    }

    void exitStatusSaysWhatHappened_data() {
        // {DB}: a collection, {TEXT}: a text file, {DIR}: the folder. Braced, because a
        // temporary folder's random name may itself hold "DB" or "DIR".
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("check") << QStringList{"check", "{DB}"} << 0 << "holding 2 item(s)";
        QTest::newRow("check a text file")
            << QStringList{"check", "{TEXT}"} << 1 << "not a Quillon collection";
        QTest::newRow("check nothing")
            << QStringList{"check", "{DIR}/none.trk"} << 1 << "does not exist";
        QTest::newRow("check too much")
            << QStringList{"check", "{DB}", "{DB}"} << 2 << "check takes DB";
        QTest::newRow("backup") << QStringList{"backup", "{DB}", "{DIR}/copy.trk"} << 0
                                << "2 item(s) backed up";
        QTest::newRow("backup to no folder")
            << QStringList{"backup", "{DB}", "{DIR}/none/copy.trk"} << 1 << "Cannot write";
        QTest::newRow("restore a text file")
            << QStringList{"restore", "{DB}", "{TEXT}"} << 1 << "not a Quillon collection";
        QTest::newRow("restore itself")
            << QStringList{"restore", "{DB}", "{DB}"} << 1 << "collection in use";
        QTest::newRow("export") << QStringList{"export", "{DB}", "{DIR}/out.csv", "--kind", "cars"}
                                << 0 << "2 item(s) exported";
        QTest::newRow("export unknown kind")
            << QStringList{"export", "{DB}", "{DIR}/out.csv", "--kind", "trams"} << 2
            << "unknown kind";
        QTest::newRow("export a text file")
            << QStringList{"export", "{TEXT}", "{DIR}/out.csv"} << 1 << "not a Quillon collection";
        QTest::newRow("import a database")
            << QStringList{"import", "{DB}", "{DB}"} << 1 << "not a text file";
        QTest::newRow("check a folder") << QStringList{"check", "{DIR}"} << 1 << "is a folder";
        QTest::newRow("check a pipe") << QStringList{"check", "{FIFO}"} << 1 << "is a named pipe";
        QTest::newRow("check a device") << QStringList{"check", "/dev/null"} << 1 << "is a device";
        QTest::newRow("restore a pipe")
            << QStringList{"restore", "{DB}", "{FIFO}"} << 1 << "is a named pipe";
        QTest::newRow("backup to a device")
            << QStringList{"backup", "{DB}", "/dev/full"} << 1 << "is not a file";
        QTest::newRow("export to a full device")
            << QStringList{"export", "{DB}", "/dev/full"} << 1 << "cannot write /dev/full";
        // Nothing is written over the collection or its journals, by any name.
        for (const char *target : {"{DB}", "{DIR}/link.csv", "{DIR}/hard.csv", "{DB}-wal",
                                   "{DB}-journal", "{DIR}/wal-link.csv"}) {
            QTest::newRow(qPrintable(QString("export to %1").arg(target)))
                << QStringList{"export", "{DB}", target} << 1 << "over the collection itself";
            QTest::newRow(qPrintable(QString("backup to %1").arg(target)))
                << QStringList{"backup", "{DB}", target} << 1 << "over the collection itself";
        }
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
        const QString fifo = dir.filePath("pipe.csv");
        QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        QVERIFY(QFile::link(db, dir.filePath("link.csv")));
        QVERIFY(QFile::link(db + "-wal", dir.filePath("wal-link.csv"))); // a journal yet to come
        QCOMPARE(::link(db.toLocal8Bit().constData(),
                        dir.filePath("hard.csv").toLocal8Bit().constData()),
                 0);
        const QByteArray before = bytes(db);
        const QStringList files =
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        for (QString &a : args)
            a.replace("{DIR}", dir.path())
                .replace("{TEXT}", text.fileName())
                .replace("{DB}", db)
                .replace("{FIFO}", fifo);
        const Run r = railsdb(args);
        QCOMPARE(r.code, code);
        QVERIFY2((code ? r.err : r.out).contains(message), qPrintable(r.out + r.err));
        QCOMPARE(bytes(db), before);
        if (code != 0) // a refused command leaves no file behind
            QCOMPARE(QDir(dir.path())
                         .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden |
                                    QDir::System),
                     files);
    }

    // A careful script's mistakes: each is a usage error that shows the usage and touches nothing.
    void usageErrorsTouchNothing_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("nothing") << QStringList{} << "missing COMMAND";
        QTest::newRow("empty argument") << QStringList{""} << "unknown command ''";
        QTest::newRow("empty operand") << QStringList{"check", ""} << "an empty argument";
        QTest::newRow("unknown command")
            << QStringList{"frobnicate"} << "unknown command 'frobnicate'";
        QTest::newRow("misspelt command")
            << QStringList{"chek", "{DB}"} << "unknown command 'chek'";
        QTest::newRow("a path alone") << QStringList{"{DIR}/new.trk"} << "unknown command";
        QTest::newRow("dash alone") << QStringList{"-"} << "unknown command '-'";
        QTest::newRow("unknown option first")
            << QStringList{"--force"} << "unknown option '--force'";
        QTest::newRow("unknown option")
            << QStringList{"check", "{DB}", "-v"} << "unknown option '-v' for check";
        QTest::newRow("option of another command")
            << QStringList{"export", "{DB}", "{DIR}/o.csv", "--dry-run"}
            << "unknown option '--dry-run' for export";
        QTest::newRow("option without its value")
            << QStringList{"export", "{DB}", "{DIR}/o.csv", "--kind"} << "--kind needs a value";
        QTest::newRow("too few") << QStringList{"backup", "{DB}"} << "backup takes DB DEST";
        QTest::newRow("too many") << QStringList{"create", "{DIR}/a.trk", "{DIR}/b.sql", "{DIR}/c"}
                                  << "create takes PATH [SCHEMA]";
        QTest::newRow("create nothing") << QStringList{"create"} << "create takes PATH";
    }
    void usageErrorsTouchNothing() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString db = collection(dir.path() + "/rails.trk", 1);
        const QByteArray before = bytes(db);
        for (QString &a : args)
            a.replace("{DIR}", dir.path()).replace("{DB}", db);
        const Run r = railsdb(args, dir.path());
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.err.contains("usage:\n  railsdb create PATH [SCHEMA]\n"));
        QVERIFY(r.out.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList({"rails.trk"}));
        QCOMPARE(bytes(db), before);
    }

    // "-" is standard output for export and standard input for import; a pipe is read whole.
    void standardStreamsAndPipes() {
        QTemporaryDir dir;
        const QString from = collection(dir.path() + "/from.trk", 3);
        shell(from, "UPDATE tblMain SET Manufacturer = 'Lionel', RailLine = 'PRR', CarType = "
                    "'Box', CarNumber = ID, "
                    "Gauge = 'O', Curve = 'O-31', CarColor = 'Red', AccquiredFrom = 'Me', "
                    "OriginalCost = 1, "
                    "CurrentValue = 2, DateAccquired = '2020-01-01';");
        QProcess out;
        out.start(RAILSDB, {"export", from, "-", "--kind", "cars"});
        QVERIFY(out.waitForFinished(60000));
        QCOMPARE(out.exitCode(), 0);
        const QByteArray csv = out.readAllStandardOutput();
        QVERIFY2(QString::fromUtf8(out.readAllStandardError()).contains("3 item(s) exported to -"),
                 csv.constData());
        QCOMPARE(csv.count('\n'), 4); // the header and three rows: the count is not mixed in

        const QString to = collection(dir.path() + "/to.trk", 0);
        QProcess in;
        in.start(RAILSDB, {"import", to, "-"});
        QVERIFY(in.waitForStarted());
        in.write(csv);
        in.closeWriteChannel();
        QVERIFY(in.waitForFinished(60000));
        QVERIFY2(in.exitCode() == 0, in.readAllStandardError().constData());
        QCOMPARE(shell(to, "SELECT COUNT(*) FROM tblMain WHERE Car = 'YES';"), QString("3"));

        const QString fifo = dir.filePath("pipe.csv");
        QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        QFile saved(dir.filePath("items.csv"));
        QVERIFY(saved.open(QIODevice::WriteOnly) && saved.write(csv) == csv.size());
        saved.close();
        QProcess writer;
        writer.start("sh", {"-c", "cat '" + saved.fileName() + "' > '" + fifo + "'"});
        QVERIFY(writer.waitForStarted());
        const Run r = railsdb({"import", to, fifo, "--dry-run"});
        QVERIFY(writer.waitForFinished());
        QCOMPARE(r.code, 0);
        // Every row of the pipe was read: the three items are already in the collection.
        QVERIFY2(r.out.contains("3 already in the collection"), qPrintable(r.out + r.err));

        QProcess full; // a failing standard output is a failure, not success
        full.setStandardOutputFile("/dev/full");
        full.start(RAILSDB, {"export", from, "-"});
        QVERIFY(full.waitForFinished(60000));
        QCOMPARE(full.exitCode(), 1);
        QVERIFY(QString::fromUtf8(full.readAllStandardError())
                    .contains("cannot write standard output"));
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
        QVERIFY2(r.err.contains(csv + ":3: Original Cost \"a lot\" is not an amount"),
                 qPrintable(r.err));
        QCOMPARE(bytes(db), before);
        r = railsdb({"import", db, csv, "--kind", "cars", "--skip-bad", "--dry-run"});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains("1 row(s) ready, 1 with problems"));
        QCOMPARE(bytes(db), before);
        r = railsdb({"import", db, csv, "--skip-bad"});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains("no Kind column"));
        // Refused and dry runs took no copy; the import that writes takes one first.
        const auto preImport = [&] {
            return QDir(dir.path() + "/backups").entryList({"pre-import-*.trk"}, QDir::Files);
        };
        QVERIFY(preImport().isEmpty());
        r = railsdb({"import", db, csv, "--kind", "cars", "--skip-bad"});
        QCOMPARE(r.code, 0);
        QCOMPARE(shell(db, "SELECT ItemID||' '||CarNumber||' '||OriginalCost FROM tblMain;"),
                 QString("CL-1 1 12.5"));
        QCOMPARE(preImport().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestRailsDb)
#include "tst_railsdb.moc"

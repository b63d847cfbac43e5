// The empty-database tool: creates a database the plain sqlite3 shell opens, and never
// touches a file that already exists.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestRailsDb : public QObject {
    Q_OBJECT

    static QString shell(const QString& db, const QString& sql) {
        QProcess p;
        p.start("sqlite3", {db, sql});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

private slots:
    void createsOnceAndRefusesExistingFiles() {
        QTemporaryDir dir;
        const QString db = dir.path() + "/rails.trk";
        QCOMPARE(QProcess::execute(RAILSDB, {db}), 0);
        QCOMPARE(shell(db, ".tables").split(QRegularExpression("\\s+")), QStringList({"tblMain", "tblOwner"}));
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
};

QTEST_GUILESS_MAIN(TestRailsDb)
#include "tst_railsdb.moc"

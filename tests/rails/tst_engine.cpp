// The engine layer: record sets held in memory, one statement per call, locks and paths.
#include "rails/engine/Connection.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QTest>
#include <sqlite3.h>

using engine::Connection;
using platform::Error;

class TestEngine : public QObject {
    Q_OBJECT

    static void connect(Connection& c, const QString& source) {
        c.ConnectionString = QStringLiteral("Provider=SQLite;User ID=;Data Source=%1;Persist Security Info=False;").arg(source);
    }

    static int errorOf(const std::function<void()>& f) {
        try {
            f();
        } catch (const Error& e) {
            return e.Number();
        }
        return 0;
    }

private slots:
    void recordSetWalksDetachedFromTheFile() {
        testing::ProgramFolder pf;
        pf.exec("INSERT INTO tblMain (ItemID, Manufacturer, OriginalCost, Notes) VALUES "
                "('CL-1','Lionel',12.5,NULL),('CL-2','Atlas',0,'n''2')");
        std::shared_ptr<engine::Recordset> rs;
        {
            Connection c;
            connect(c, pf.databasePath());
            c.Open();
            c.BeginTrans();
            rs = c.Execute("SELECT ItemID, Manufacturer, OriginalCost, Notes FROM tblMain ORDER BY ItemID;");
            c.CommitTrans();
            c.Close();
        }
        QFile::remove(pf.databasePath());
        QVERIFY(!rs->isEOF());
        QVERIFY(!rs->isBOF());
        QCOMPARE(rs->Fields("itemid").toString(), QString("CL-1"));
        QCOMPARE(rs->Fields("OriginalCost").toDouble(), 12.5);
        QVERIFY(rs->Fields("Notes").isNull());
        QVERIFY(!rs->Fields("Manufacturer").isNull());
        rs->MoveNext();
        QCOMPARE(rs->Fields("Notes").toString(), QString("n'2"));
        rs->MoveNext();
        QVERIFY(rs->isEOF());
        QCOMPARE(errorOf([&] { rs->Fields("ItemID"); }), int(platform::ErrNoCurrentRecord));
        QCOMPARE(errorOf([&] { rs->MoveNext(); }), int(platform::ErrNoCurrentRecord));
        rs->MoveFirst();
        QCOMPARE(errorOf([&] { rs->Fields("NoSuchColumn"); }), int(platform::ErrItemNotFound));
        QCOMPARE(rs->State(), int(engine::Recordset::adStateOpen));
        rs->Close();
        QCOMPARE(rs->State(), int(engine::Recordset::adStateClosed));
        QCOMPARE(errorOf([&] { rs->isEOF(); }), int(platform::ErrObjectClosed));
    }

    void emptyResultIsAtBothEnds() {
        testing::ProgramFolder pf;
        Connection c;
        connect(c, pf.databasePath());
        c.Open();
        auto rs = c.Execute("SELECT ItemID FROM tblMain;");
        QVERIFY(rs);
        QVERIFY(rs->isEOF() && rs->isBOF());
        auto none = c.Execute("UPDATE tblMain SET Notes = 'x';");
        QVERIFY(!none);
        c.Close();
    }

    void boundValuesStayValues() {
        testing::ProgramFolder pf;
        Connection c;
        connect(c, pf.databasePath());
        c.Open();
        const QString hostile = QStringLiteral("x'); DELETE FROM tblMain; --");
        const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        c.Execute("INSERT INTO tblMain (ItemID, Manufacturer, Notes, OriginalCost, CurrentValue) "
                  "VALUES (?, ?, ?, ?, ?)",
                  {QStringLiteral("CL-1"), hostile, withNul, 12.25, QVariant()});
        c.Execute("INSERT INTO tblMain (ItemID, Notes) VALUES (?, ?)",
                  {QStringLiteral("CL-2"), QByteArray("\x00\xff", 2)});
        auto rs = c.Execute("SELECT Manufacturer, Notes, OriginalCost, CurrentValue FROM tblMain "
                            "WHERE ItemID = ?",
                            {QStringLiteral("cl-1")});
        QCOMPARE(rs->RecordCount(), 1);
        QCOMPARE(rs->Fields("Manufacturer").toString(), hostile);
        QCOMPARE(rs->Fields("Notes").toString(), withNul);
        QCOMPARE(rs->Fields("OriginalCost").toDouble(), 12.25);
        QVERIFY(rs->Fields("CurrentValue").isNull());
        rs = c.Execute("SELECT Notes FROM tblMain WHERE ItemID = ?", {QStringLiteral("CL-2")});
        QCOMPARE(rs->Fields("Notes").toByteArray(), QByteArray("\x00\xff", 2));
        // A count of values that does not match the placeholders runs nothing.
        QCOMPARE(errorOf([&] { c.Execute("DELETE FROM tblMain WHERE ItemID = ?", {}); }),
                 int(SQLITE_RANGE));
        QCOMPARE(c.Execute("SELECT COUNT(*) AS n FROM tblMain")->Fields("n").toInt(), 2);
        c.Close();
    }

    void moreThanOneStatementIsRefused() {
        testing::ProgramFolder pf;
        pf.exec("INSERT INTO tblMain (ItemID) VALUES ('CL-1')");
        Connection c;
        connect(c, pf.databasePath());
        c.Open();
        QVERIFY(errorOf([&] { c.Execute("SELECT 1; DELETE FROM tblMain;"); }) != 0);
        QVERIFY(errorOf([&] { c.Execute(QString("DELETE FROM tblMain WHERE ItemID = 'x'") + QChar(0) + "; DELETE FROM tblMain;"); }) != 0);
        c.Close();
        QCOMPARE(pf.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 1);
    }

    void openFailures() {
        testing::ProgramFolder pf;
        Connection missing;
        connect(missing, pf.path() + "/zerizori/none.trk");
        QCOMPARE(errorOf([&] { missing.Open(); }), SQLITE_CANTOPEN);
        QVERIFY(!QFile::exists(pf.path() + "/zerizori/none.trk")); // never created

        Connection other;
        other.ConnectionString = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + pf.databasePath() + ";";
        QVERIFY(errorOf([&] { other.Open(); }) != 0);

        Connection twice;
        connect(twice, pf.databasePath());
        twice.Open();
        QCOMPARE(errorOf([&] { twice.Open(); }), int(platform::ErrObjectOpen));
        twice.Close();
        QCOMPARE(errorOf([&] { twice.Close(); }), int(platform::ErrObjectClosed));
        QVERIFY(errorOf([&] { twice.RollbackTrans(); }) != 0);
    }

    void folderNamesDifferingInCaseReachTheSameFolder() {
        testing::ProgramFolder pf;
        const QString saved = QDir::currentPath();
        QDir::setCurrent(pf.path());
        Connection c;
        connect(c, "ZeriZori\\rails.trk");
        QCOMPARE(c.dataSourcePath(), QDir(pf.path()).absoluteFilePath("zerizori/rails.trk"));
        QCOMPARE(errorOf([&] { c.Open(); }), 0);
        c.Close();
        QDir::setCurrent(saved);
        QCOMPARE(engine::resolvePathCase(pf.path() + "/ZERIZORI/RAILS.TRK"), pf.databasePath());
    }

    void lockedDatabaseFailsAfterWaiting() {
        testing::ProgramFolder pf;
        sqlite3* holder = nullptr;
        QCOMPARE(sqlite3_open(pf.databasePath().toUtf8().constData(), &holder), SQLITE_OK);
        QCOMPARE(sqlite3_exec(holder, "BEGIN IMMEDIATE; INSERT INTO tblMain (ItemID) VALUES ('X-1');", nullptr, nullptr, nullptr), SQLITE_OK);
        Connection c;
        connect(c, pf.databasePath());
        c.busyTimeoutMs = 200;
        c.Open();
        c.BeginTrans();
        const int code = errorOf([&] { c.Execute("INSERT INTO tblMain (ItemID) VALUES ('CL-1');"); });
        QCOMPARE(code & 0xff, SQLITE_BUSY);
        c.RollbackTrans();
        c.Close();
        sqlite3_exec(holder, "ROLLBACK;", nullptr, nullptr, nullptr);
        sqlite3_close(holder);
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"

// The engine layer: record sets held in memory, one statement per call, locks and paths.
#include "rails/engine/Connection.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QTest>
#include <atomic>
#include <thread>
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

    // Cells of every size come back whole, in rows that cross the set's storage blocks; a cell
    // larger than 2^29 bytes once came back cut to its low bits.
    void recordSetKeepsEveryCellWhole() {
        const qsizetype huge = (qsizetype(1) << 29) + 5; // 536,870,917 bytes
        const QByteArray big(huge, 'n');
        const QByteArray nearBlock((1 << 20) - 3, 'b');
        engine::Recordset rs;
        rs.setColumns({"ID", "Notes", "OriginalCost", "Tail"});
        const QList<QByteArray> notes{"", nearBlock, "CR\r\nLF", QByteArray(300, 'x'), big, "Müller"};
        for (int row = 0; row < 3000; ++row) {
            rs.appendInteger(qint64(row) << 40);
            const QByteArray& n = notes[row % notes.size()];
            if (&n == &notes[4] && row != 4)
                rs.appendNull(); // one copy of the large cell is enough
            else
                rs.appendBlob(n.constData(), n.size());
            rs.appendReal(row + 0.25);
            const QByteArray tail = "T" + QByteArray::number(row);
            rs.appendText(tail.constData(), tail.size());
            rs.endRow();
        }
        rs.finish();
        QCOMPARE(rs.RecordCount(), 3000);
        QCOMPARE(rs.valueAt(4, 1).toByteArray().size(), huge);
        QVERIFY(rs.valueAt(4, 1).toByteArray() == big);
        for (qsizetype row : {qsizetype(0), qsizetype(1), qsizetype(2), qsizetype(5), qsizetype(1999), qsizetype(2999), qsizetype(3)}) {
            QCOMPARE(rs.valueAt(row, 0).toLongLong(), qint64(row) << 40);
            const QByteArray& n = notes[row % notes.size()];
            if (&n == &notes[4])
                QVERIFY(rs.isNullAt(row, 1));
            else
                QCOMPARE(rs.valueAt(row, 1).toByteArray(), n);
            QCOMPARE(rs.valueAt(row, 2).toDouble(), row + 0.25);
            QCOMPARE(rs.textAt(row, 3), "T" + QString::number(row));
        }
        rs.moveTo(5);
        QCOMPARE(rs.Fields("Tail").toString(), QString("T5"));
        QCOMPARE(rs.Fields("Notes").toByteArray(), QByteArray("Müller"));
        // Exactly sized: the values themselves, a few header bytes per cell and the row index.
        qint64 values = huge;
        for (int row = 0; row < 3000; ++row)
            values += 16 + 6 + (row % notes.size() == 4 ? 0 : notes[row % notes.size()].size());
        QVERIFY2(qint64(rs.memoryUsed()) < values + 3000 * 16 + 64 * 1024,
                 qPrintable(QString("%1 held for %2").arg(rs.memoryUsed()).arg(values)));
    }

    // Rows read from a statement come back byte for byte, whatever each cell's length and
    // type, in a set that spans several storage blocks.
    void statementRowsKeepEveryByte() {
        testing::ProgramFolder pf;
        Connection c;
        connect(c, pf.databasePath());
        c.Open();
        QByteArray pattern;
        for (int i = 0; i < 3100; ++i)
            pattern += char('!' + (i * 7) % 90);
        const auto rs = c.Execute(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 3999) "
            "SELECT i, substr(?1, 1 + i % 5, i % 41), i * 0.5, "
            "CASE WHEN i % 7 = 0 THEN NULL ELSE CAST(substr(?1, 2, i % 19) AS BLOB) END, "
            "substr(?1, 1, i % 3001) FROM n;",
            {QString::fromLatin1(pattern)});
        c.Close();
        QCOMPARE(rs->RecordCount(), 4000);
        for (int i = 0; i < 4000; ++i) {
            QCOMPARE(rs->valueAt(i, 0).toLongLong(), i);
            QCOMPARE(rs->textAt(i, 1), QString::fromLatin1(pattern.mid(i % 5, i % 41)));
            QCOMPARE(rs->valueAt(i, 2).toDouble(), i * 0.5);
            if (i % 7 == 0)
                QVERIFY(rs->isNullAt(i, 3));
            else
                QCOMPARE(rs->valueAt(i, 3).toByteArray(), pattern.mid(1, i % 19));
            QCOMPARE(rs->textAt(i, 4), QString::fromLatin1(pattern.left(i % 3001)));
        }
    }

    // Two threads read one set at once (a report written in the background while its preview
    // shows): each gets its own rows' values.
    void recordSetReadsFromTwoThreads() {
        engine::Recordset rs;
        rs.setColumns({"ItemID", "Notes"});
        for (int row = 0; row < 20000; ++row) {
            const QByteArray id = "CL-" + QByteArray::number(row);
            const QByteArray notes = QByteArray(row % 50, 'n') + QByteArray::number(row);
            rs.appendText(id.constData(), id.size());
            rs.appendText(notes.constData(), notes.size());
            rs.endRow();
        }
        rs.finish();
        std::atomic<int> wrong{0};
        auto walk = [&](bool backwards) {
            for (int i = 0; i < 20000; ++i) {
                const int row = backwards ? 19999 - i : i;
                if (rs.textAt(row, 0) != "CL-" + QString::number(row) ||
                    !rs.textAt(row, 1).endsWith(QString::number(row)))
                    ++wrong;
            }
        };
        std::thread other(walk, true);
        walk(false);
        other.join();
        QCOMPARE(wrong.load(), 0);
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

// The engine layer: record sets held in memory, one statement per call, locks and paths.
#include "rails/engine/Connection.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <sqlite3.h>
#include <thread>

using engine::Connection;
using platform::Error;

class TestEngine : public QObject {
    Q_OBJECT

    static void connect(Connection &c, const QString &source) {
        c.ConnectionString =
            QStringLiteral("Provider=SQLite;User ID=;Data Source=%1;Persist Security Info=False;")
                .arg(source);
    }

    static int errorOf(const std::function<void()> &f) {
        try {
            f();
        } catch (const Error &e) {
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
            rs = c.Execute(
                "SELECT ItemID, Manufacturer, OriginalCost, Notes FROM tblMain ORDER BY ItemID;");
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
        const QList<QByteArray> notes{"",  nearBlock, "CR\r\nLF", QByteArray(300, 'x'),
                                      big, "Müller"};
        for (int row = 0; row < 3000; ++row) {
            rs.appendInteger(qint64(row) << 40);
            const QByteArray &n = notes[row % notes.size()];
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
        for (qsizetype row : {qsizetype(0), qsizetype(1), qsizetype(2), qsizetype(5),
                              qsizetype(1999), qsizetype(2999), qsizetype(3)}) {
            QCOMPARE(rs.valueAt(row, 0).toLongLong(), qint64(row) << 40);
            const QByteArray &n = notes[row % notes.size()];
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
        QVERIFY(errorOf([&] {
                    c.Execute(QString("DELETE FROM tblMain WHERE ItemID = 'x'") + QChar(0) +
                              "; DELETE FROM tblMain;");
                }) != 0);
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
        other.ConnectionString =
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + pf.databasePath() + ";";
        QVERIFY(errorOf([&] { other.Open(); }) != 0);

        Connection twice;
        connect(twice, pf.databasePath());
        twice.Open();
        QCOMPARE(errorOf([&] { twice.Open(); }), int(platform::ErrObjectOpen));
        twice.Close();
        QCOMPARE(errorOf([&] { twice.Close(); }), int(platform::ErrObjectClosed));
        QVERIFY(errorOf([&] { twice.RollbackTrans(); }) != 0);
    }

    // A file opened by path: what each mode allows on a file that exists or not.
    void openFileModes_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<int>("openError");
        QTest::addColumn<int>("writeError");
        const int ro = int(engine::OpenMode::ReadOnly), rw = int(engine::OpenMode::ReadWrite),
                  cr = int(engine::OpenMode::Create), nw = int(engine::OpenMode::CreateNew);
        QTest::newRow("read-only, missing") << ro << false << SQLITE_CANTOPEN << 0;
        QTest::newRow("read-only, present") << ro << true << 0 << SQLITE_READONLY;
        QTest::newRow("read-write, missing") << rw << false << SQLITE_CANTOPEN << 0;
        QTest::newRow("read-write, present") << rw << true << 0 << 0;
        QTest::newRow("create, missing") << cr << false << 0 << 0;
        QTest::newRow("create new, missing") << nw << false << 0 << 0;
    }

    void openFileModes() {
        QFETCH(int, mode);
        QFETCH(bool, exists);
        QFETCH(int, openError);
        QFETCH(int, writeError);
        QTemporaryDir dir;
        const QString path = dir.filePath("f.db");
        if (exists) {
            Connection make;
            make.openFile(path, engine::OpenMode::Create);
            make.executeScript("CREATE TABLE t (a); INSERT INTO t VALUES (1);");
        }
        Connection c;
        QCOMPARE(errorOf([&] { c.openFile(path, engine::OpenMode(mode)); }) & 0xff, openError);
        QCOMPARE(QFile::exists(path), exists || openError == 0);
        if (openError)
            return;
        QCOMPARE(errorOf([&] {
                     c.executeScript("CREATE TABLE IF NOT EXISTS t (a); INSERT INTO t VALUES (2)");
                 }) & 0xff,
                 writeError);
        QCOMPARE(errorOf([&] { c.openFile(path, engine::OpenMode::ReadOnly); }),
                 int(platform::ErrObjectOpen));
    }

    // One prepared statement for many rows: values bound by position, reset between rows, a
    // failed row raising without spoiling the next, values copied between statements as stored.
    void preparedStatementServesManyRows() {
        Connection c;
        c.openFile(":memory:", engine::OpenMode::Create);
        c.executeScript("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT UNIQUE, cost REAL, raw);"
                        "CREATE TABLE u (id INTEGER, name TEXT, cost REAL, raw);");
        QVERIFY(errorOf([&] { engine::Statement(c, "SELECT 1; SELECT 2"); }) != 0);
        engine::Statement insert(c, "INSERT INTO t (name, cost, raw) VALUES (?, ?, ?)");
        QCOMPARE(insert.parameterCount(), 3);
        const QString names[] = {QString::fromUtf8("M\u00e4rklin \"H0\""), QString(), "Lionel"};
        for (int i = 0; i < 3; ++i) {
            insert.bindText(1, QStringView(names[i]));
            if (i == 1)
                insert.bindNull(2);
            else
                insert.bindDouble(2, 12.5 * i);
            insert.bindText(3, QByteArrayView("b\0c", 3));
            insert.run();
            insert.reset();
            QCOMPARE(c.lastInsertRowId(), qint64(i + 1));
        }
        insert.bindText(1, QByteArrayView("Lionel"));
        QCOMPARE(errorOf([&] { insert.run(); }) & 0xff, SQLITE_CONSTRAINT);
        insert.reset();
        insert.bindText(1, QByteArrayView("Atlas"));
        insert.run();
        QCOMPARE(c.lastInsertRowId(), qint64(4));

        engine::Statement read(c, "SELECT id, name, cost, raw FROM t ORDER BY id");
        engine::Statement copy(c, "INSERT INTO u VALUES (?, ?, ?, ?)");
        QStringList seen;
        while (read.step()) {
            for (int col = 0; col < read.columnCount(); ++col)
                copy.bindColumn(col + 1, read, col);
            copy.run();
            copy.reset();
            seen << read.text(1);
        }
        QCOMPARE(seen, QStringList({names[0], "", "Lionel", "Atlas"}));
        engine::Statement back(
            c, "SELECT name, cost, raw, typeof(name), typeof(cost) FROM u WHERE id = ?");
        back.bindInt(1, 2);
        QVERIFY(back.step());
        QCOMPARE(back.type(0), engine::Statement::Text); // empty text, not Null
        QVERIFY(back.isNull(1));
        QCOMPARE(back.bytes(2).toByteArray(), QByteArray("b\0c", 3));
        QVERIFY(!back.step());
        back.reset();
        back.bindInt(1, 1);
        QVERIFY(back.step());
        QCOMPARE(back.text(0), names[0]);
        QCOMPARE(back.real(1), 0.0);
        QCOMPARE(back.type(1), engine::Statement::Real);
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
        sqlite3 *holder = nullptr;
        QCOMPARE(sqlite3_open(pf.databasePath().toUtf8().constData(), &holder), SQLITE_OK);
        QCOMPARE(sqlite3_exec(holder,
                              "BEGIN IMMEDIATE; INSERT INTO tblMain (ItemID) VALUES ('X-1');",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        Connection c;
        connect(c, pf.databasePath());
        c.busyTimeoutMs = 200;
        c.Open();
        c.BeginTrans();
        const int code =
            errorOf([&] { c.Execute("INSERT INTO tblMain (ItemID) VALUES ('CL-1');"); });
        QCOMPARE(code & 0xff, SQLITE_BUSY);
        c.RollbackTrans();
        c.Close();
        sqlite3_exec(holder, "ROLLBACK;", nullptr, nullptr, nullptr);
        sqlite3_close(holder);
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"

// How the store fails: its message boxes, its error.log entries, and that a failed call
// leaves the collection as it was, whatever the caller passed in.
#include "rails/dllRails.h"
#include "tests/rails/RailsTestData.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QTest>
#include <sqlite3.h>

using platform::MsgResult;
using testing::itemArgs;

namespace {
const QString kRule = "%" + QString(51, '-') + "%";
const QString kBlank = "%" + QString(51, ' ') + "%";

QString failurePrompt(int number, const QString &description, const QString &name) {
    return "ERROR # " + QString::number(number) + "\r\n\r\n" + description +
           "\r\nIn the Dynamic Link Library\r\nFunction: " + name;
}
} // namespace

class TestRailsFailures : public QObject {
    Q_OBJECT

    struct Fixture {
        testing::ProgramFolder pf;
        testing::ScriptedMsgBox box;
        testing::FakeClock clock;
        dllRails rails;
        Fixture() {
            pf.exec("INSERT INTO tblMain (ItemID, Car, Loco, FullSet, Notes) VALUES "
                    "('CL-1','YES','NO','NO','keep'),('LL-2','NO','YES','NO','keep')");
        }
        int rows() const { return pf.scalar("SELECT COUNT(*) FROM tblMain").toInt(); }
        int kept() const {
            return pf.scalar("SELECT COUNT(*) FROM tblMain WHERE Notes = 'keep'").toInt();
        }
    };

  private slots:
    void failedInsertIsReportedAndLogged() {
        Fixture f;
        auto a = itemArgs("CL-1"); // the number of a stored item
        QVERIFY(!f.rails.AddCar(a.text, a.date, a.money));
        QCOMPARE(f.rows(), 2);
        QCOMPARE(f.box.boxes().size(), 1);
        const auto &b = f.box.boxes()[0];
        QCOMPARE(b.title, QString("Vuziz"));
        QCOMPARE(b.icon, platform::MsgIcon::Critical);
        QCOMPARE(b.buttons, platform::MsgButtons::OK);
        QVERIFY(b.prompt.startsWith("ERROR # "));
        QVERIFY(b.prompt.endsWith("\r\nIn the Dynamic Link Library\r\nFunction: AddCar"));
        QCOMPARE(f.rails.strFunction, QString("AddCar"));
        QCOMPARE(f.rails.conDataBase->State(), int(engine::Connection::adStateClosed));

        // A new log opens with the banner (14 blanks) and the entry.
        QStringList lines = f.pf.readLog().split("\r\n");
        QCOMPARE(lines.takeLast(), QString()); // the file ends with CR LF
        QCOMPARE(lines.size(), 9);
        QCOMPARE(lines[0], kRule);
        QCOMPARE(lines[1], QString(14, ' ') + "Quillon - Error Log");
        QCOMPARE(lines[2], kRule);
        QCOMPARE(lines[3], kBlank);
        QVERIFY(lines[4].contains(" Error: "));
        QVERIFY(lines[4].contains("2026") || lines[4].contains("26"));
        QVERIFY(lines[4].contains("09:26:53"));
        QCOMPARE(lines[5], QString("AddCar - DLL Function"));
        QCOMPARE(lines[6], kRule);
        QVERIFY(b.prompt.contains("\r\n\r\n" + lines[7] + "\r\n"));
        QCOMPARE(lines[8], kRule);

        // A later failure appends, starting with the blank rule.
        QString id = "none";
        QStringList bad{"x"};
        QVERIFY(!f.rails.UpdateOwner(bad)); // too few elements
        lines = f.pf.readLog().split("\r\n");
        lines.removeLast();
        QCOMPARE(lines.size(), 15);
        QCOMPARE(lines[9], kBlank);
        QVERIFY(lines[10].contains("Error: 9"));
        QVERIFY(!lines[10].contains(" Error: 9") || lines[10].indexOf("Error") % 14 == 0);
        QCOMPARE(lines[11], QString("UpdateOwner - DLL Function"));
        QCOMPARE(lines[12], kRule);
        QCOMPARE(lines[13], QString("Subscript out of range"));
        QCOMPARE(lines[14], kRule);
        QCOMPARE(f.box.boxes().last().prompt,
                 failurePrompt(9, "Subscript out of range", "UpdateOwner"));
    }

    void ownerUpdateBannerHasThirteenBlanks() {
        Fixture f;
        f.pf.exec("DROP TABLE tblOwner");
        QStringList o{"a", "b", "c", "d", "e", "f", "g", "h", "O-1"};
        QVERIFY(!f.rails.UpdateOwner(o));
        QCOMPARE(f.pf.readLog().split("\r\n")[1], QString(13, ' ') + "Quillon - Error Log");
        QVERIFY(f.pf.readLog().contains("UpdateOwner - DLL Function\r\n"));
        QVERIFY(f.box.boxes()[0].prompt.endsWith("Function: UpdateOwner"));
    }

    // A NUL in a value that is not cleaned can never reach a statement's text.
    void nulInUncleanedValuesIsRefused_data() {
        QTest::addColumn<int>("element");
        QTest::addColumn<QString>("value");
        for (int e : {0, 1, 3, 5, 6, 10, 11})
            QTest::newRow(qPrintable(QString("nul in %1").arg(e)))
                << e << QString("x") + QChar(0) + "'; DELETE FROM tblMain; --";
    }
    void nulInUncleanedValuesIsRefused() {
        QFETCH(int, element);
        QFETCH(QString, value);
        Fixture f;
        auto a = itemArgs("CL-9");
        a.text[element] = value;
        QVERIFY(!f.rails.AddCar(a.text, a.date, a.money));
        QVERIFY(!f.rails.AddLoco(a.text, a.date, a.money));
        QVERIFY(!f.rails.AddSet(a.text, a.date, a.money));
        auto u = itemArgs("CL-1", "changed");
        u.text[element] = value;
        const bool updateCleans = element == 3 || element == 5 || element == 6;
        QCOMPARE(f.rails.UpdateCar(u.text, u.date, u.money), updateCleans);
        QCOMPARE(f.rows(), 2);
        QCOMPARE(f.kept(), updateCleans ? 1 : 2);
        QCOMPARE(f.box.unexpected(), updateCleans ? 3 : 4); // failure boxes only
        QCOMPARE(f.box.boxes()[0].prompt.section("\r\n", -1), QString("Function: AddCar"));
        QCOMPARE(f.box.boxes()[1].prompt.section("\r\n", -1), QString("Function: AddLoco"));
    }

    void deleteWithInjectedKeyDeletesNothing() {
        Fixture f;
        QString id = "x' OR '1'='1";
        QVERIFY(!f.rails.DeleteCar(id));
        QString nul = QString("CL-1") + QChar(0);
        QVERIFY(!f.rails.DeleteLoco(nul));
        QCOMPARE(f.rows(), 2);
        QCOMPARE(f.box.boxes().size(), 2); // two failure boxes, no question asked
        QVERIFY(f.box.boxes()[0].prompt.endsWith("Function: DeleteCar"));
        QVERIFY(f.pf.readLog().contains("Delete Car - DLL Function\r\n"));
        QVERIFY(f.pf.readLog().contains("Delete Loco - DLL Function\r\n"));
        QVERIFY(f.box.boxes()[0].prompt.contains("no item numbered x' OR '1'='1"));
        // The owner key is quoted too: stored as typed, not run.
        QStringList owner{"a", "b", "c", "d", "e", "f", "g", "h", "O-1' OR '1'='1"};
        QVERIFY(f.rails.AddOwner(owner));
        QCOMPARE(f.pf.scalar("SELECT OwnerID FROM tblOwner").toString(), QString("O-1' OR '1'='1"));
    }

    // Text that is not valid UTF-16 can neither be stored (as '?') nor match another row's key:
    // the operation fails as for a quote in an unescaped value.
    void invalidUnicodeIsRefused_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("element");
        QTest::addColumn<QString>("value");
        const QString high(QChar(0xD800)), low(QChar(0xDFFF));
        QTest::newRow("delete key") << "DeleteCar" << 0 << "CL-" + high + "9";
        QTest::newRow("update key") << "UpdateCar" << 0 << "CL-" + low + "9";
        QTest::newRow("update notes") << "UpdateCar" << 9 << "ok " + high;
        QTest::newRow("update manufacturer") << "UpdateCar" << 1 << low + "Lionel";
        QTest::newRow("add rail line") << "AddCar" << 2 << "Santa Fe" + high;
        QTest::newRow("add owner name") << "AddOwner" << 0 << "Lee" + low;
        QTest::newRow("update owner city") << "UpdateOwner" << 3 << high + high;
    }
    void invalidUnicodeIsRefused() {
        QFETCH(QString, operation);
        QFETCH(int, element);
        QFETCH(QString, value);
        Fixture f;
        f.pf.exec("INSERT INTO tblMain (ItemID, Car, Notes) VALUES ('CL-?9', 'YES', 'keep')");
        f.pf.exec("INSERT INTO tblOwner (OwnerID, LName) VALUES ('O-1', 'Lee')");
        const auto before = f.pf.query("SELECT * FROM tblMain ORDER BY ID");
        const auto ownerBefore = f.pf.query("SELECT * FROM tblOwner");
        auto a = itemArgs(operation == "AddCar" ? "CL-10" : "CL-?9", "changed");
        QStringList owner{"Lee",   "Ann",   "1 Depot Road", "Springfield", "IL",
                          "62701", "a@b.c", "Ann Lee",      "O-2"};
        (operation.contains("Owner") ? owner : a.text)[element] = value;
        QString key = value;
        bool result = true;
        if (operation == "DeleteCar")
            result = f.rails.DeleteCar(key);
        else if (operation == "UpdateCar")
            result = f.rails.UpdateCar(a.text, a.date, a.money);
        else if (operation == "AddCar")
            result = f.rails.AddCar(a.text, a.date, a.money);
        else if (operation == "AddOwner")
            result = f.rails.AddOwner(owner);
        else
            result = f.rails.UpdateOwner(owner);
        QVERIFY(!result);
        QCOMPARE(f.pf.query("SELECT * FROM tblMain ORDER BY ID"), before);
        QCOMPARE(f.pf.query("SELECT * FROM tblOwner"), ownerBefore);
        // One failure box naming the operation; a delete asks nothing first.
        QCOMPARE(f.box.boxes().size(), 1);
        QCOMPARE(f.box.boxes()[0].icon, platform::MsgIcon::Critical);
        QVERIFY2(f.box.boxes()[0].prompt.endsWith("Function: " + operation),
                 qPrintable(f.box.boxes()[0].prompt));
        QVERIFY(f.box.boxes()[0].prompt.contains("not valid Unicode"));
        QVERIFY(f.pf.readLog().contains("not valid Unicode"));
    }

    void missingDatabase() {
        Fixture f;
        QFile::remove(f.pf.databasePath());
        auto a = itemArgs("CL-3");
        QVERIFY(!f.rails.AddCar(a.text, a.date, a.money));
        QVERIFY(f.box.boxes().last().prompt.endsWith("Function: AddCar"));
        QVERIFY(f.pf.readLog().contains("AddCar - DLL Function"));
        QVERIFY(!f.rails.RefreshCars()); // silent: nothing, no box
        QVERIFY(!f.rails.LoadOwner());
        QCOMPARE(f.box.boxes().size(), 1);
        QVERIFY(!f.rails.LoadEditCar());
        QCOMPARE(f.box.boxes().last().prompt.section("\r\n", -1), QString("Function: LoadEditCar"));
        QVERIFY(!f.rails.GetNewItemID());
        QCOMPARE(f.rails.strFunction, QString("GetNewItemID"));
        QVERIFY(!QFile::exists(f.pf.databasePath())); // never created by the store
        // Reported failures write no log entry.
        QCOMPARE(f.pf.readLog().count("DLL Function"), 1);
    }

    void corruptDatabase() {
        Fixture f;
        QFile db(f.pf.databasePath());
        QVERIFY(db.open(QIODevice::WriteOnly | QIODevice::Truncate));
        db.write(QByteArray(4096, 'Z'));
        db.close();
        QVERIFY(!f.rails.LoadEditLoco());
        QVERIFY(f.box.boxes().last().prompt.startsWith("ERROR # 26\r\n\r\n"));
        auto a = itemArgs("CL-3");
        QVERIFY(!f.rails.AddSet(a.text, a.date, a.money));
        QVERIFY(f.pf.readLog().contains("AddSet - DLL Function"));
        QVERIFY(!f.rails.RefreshSets());
    }

    void lockedDatabaseFailsAfterWaiting() {
        Fixture f;
        sqlite3 *holder = nullptr;
        QCOMPARE(sqlite3_open(f.pf.databasePath().toUtf8().constData(), &holder), SQLITE_OK);
        QCOMPARE(sqlite3_exec(holder, "BEGIN IMMEDIATE; DELETE FROM tblMain;", nullptr, nullptr,
                              nullptr),
                 SQLITE_OK);
        auto a = itemArgs("CL-3");
        QVERIFY(!f.rails.AddCar(a.text, a.date, a.money));
        sqlite3_exec(holder, "ROLLBACK;", nullptr, nullptr, nullptr);
        sqlite3_close(holder);
        QVERIFY(f.box.boxes().last().prompt.contains("database is locked"));
        QVERIFY(f.pf.readLog().contains("database is locked"));
        QCOMPARE(f.rows(), 2);
        // Once the other program lets go, the store works again.
        QVERIFY(f.rails.AddCar(a.text, a.date, a.money));
    }

    void rejectedWritesLeaveTheDatabaseUnchanged() {
        Fixture f;
        // Stands in for a database that refuses writes (as root a read-only file is writable).
        f.pf.exec("CREATE TRIGGER refuse BEFORE UPDATE ON tblMain BEGIN SELECT RAISE(ABORT, "
                  "'attempt to write a readonly database'); END");
        auto u = itemArgs("CL-1", "changed");
        QVERIFY(!f.rails.UpdateCar(u.text, u.date, u.money));
        QCOMPARE(f.kept(), 2);
        QVERIFY(f.box.boxes()[0].prompt.contains("attempt to write a readonly database"));
    }

    void readOnlyFile() {
        if (geteuid() == 0)
            QSKIP("file permissions do not bind root");
        Fixture f;
        QFile::setPermissions(f.pf.databasePath(), QFile::ReadOwner);
        auto a = itemArgs("CL-3");
        QVERIFY(!f.rails.AddCar(a.text, a.date, a.money));
        QCOMPARE(f.rows(), 2);
    }

    void unwritableLogStillReports() {
        Fixture f;
        QDir(f.pf.path()).mkdir("error.log"); // a folder where the file should be
        auto a = itemArgs("CL-1");            // duplicate item number
        QVERIFY(!f.rails.AddCar(a.text, a.date, a.money));
        QCOMPARE(f.box.boxes().size(), 1);
        QVERIFY(f.box.boxes()[0].prompt.contains("UNIQUE"));
        QCOMPARE(f.rows(), 2);
    }

    void recordSetOutlivesItsDatabase() {
        Fixture f;
        auto rs = f.rails.LoadDeleteCar();
        QFile::remove(f.pf.databasePath());
        QCOMPARE(rs->Fields("ItemID").toString(), QString("CL-1"));
        rs->MoveNext();
        QVERIFY(rs->isEOF());
    }
};

QTEST_GUILESS_MAIN(TestRailsFailures)
#include "tst_rails_failures.moc"

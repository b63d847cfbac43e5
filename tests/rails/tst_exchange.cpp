// Backups, restore and CSV exchange as a caller sees them: the rows stored, the files written,
// the reasons given for what is refused.
#include "rails/exchange/Collection.h"
#include "rails/exchange/Csv.h"
#include "rails/exchange/ItemExchange.h"
#include "tests/rails/RailsTestData.h"
#include "tests/support/TestSupport.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <sqlite3.h>

using namespace exchange;
using platform::Error;

namespace {

const QDate kToday(2026, 3, 14);
// Everything an item row holds that an exchange file carries.
const QString kItemColumns =
    "CASE WHEN Car='YES' THEN 'car' WHEN Loco='YES' THEN 'loco' ELSE 'set' END, "
    "Manufacturer, RailLine, CarType, CarNumber, SetNumber, Gauge, Curve, "
    "CarColor, AccquiredFrom, OriginalCost, CurrentValue, DateAccquired, "
    "Condition, Box, Notes";

using testing::failure;
using testing::writeFile;

QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestExchange : public QObject {
    Q_OBJECT

  private slots:
    void exportThenImportGivesTheSameRows() {
        testing::ProgramFolder from;
        from.exec(QString::fromUtf8(
            "INSERT INTO tblMain "
            "(ItemID,Manufacturer,RailLine,CarType,CarNumber,SetNumber,Gauge,Curve,"
            "CarColor,AccquiredFrom,OriginalCost,CurrentValue,DateAccquired,DateAdd,FullSet,Car,"
            "Loco,"
            "Track,Accessory,Condition,Box,Notes) VALUES "
            "('CL-1','Lionel','Pennsylvania','Box Car','1234',NULL,'O','O-31','Red','Train "
            "Show',12.5,20,"
            "'2019-05-01','2020-01-01 10:00:00','NO','YES','NO','NO','NO','','NO',"
            "'line one\nline \"two\", with comma\nMärklin ✓ 日本'),"
            "('LL-2','Märklin','Deutsche Bahn','Steam','01 118',NULL,'HO','R2','Black','Hobby "
            "Shop',"
            "1234567.89,0,'2001-12-31','2020-01-01 "
            "10:00:00','NO','NO','YES','NO','NO','Excellent','YES','a;b\tc'),"
            "('SL-3','Bachmann','Santa Fe','Diesel',NULL,'SF-7','N','9\"','Silver','eBay',0,0,"
            "'2026-03-14','2020-01-01 10:00:00','YES','NO','NO','NO','NO','Mint','NO','')"));
        const QString csv = from.path() + "/items.csv";
        QCOMPARE(exportItems(from.databasePath(), csv), qint64(3));
        const QByteArray bytes = fileBytes(csv);
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"
                                 "Kind,Item ID,Manufacturer,Rail Line,Type,Number,"));
        QVERIFY(bytes.contains("\"line one\nline \"\"two\"\", with comma\n"));
        QVERIFY(bytes.contains(",1234567.89,0.00,2001-12-31,"));

        testing::ProgramFolder to;
        // The largest ID was deleted: new items are numbered after the largest ID stored while
        // their rows take IDs never used, as when they are added one by one on the forms.
        to.exec("INSERT INTO tblMain (ItemID) VALUES ('CL-7'),('CL-8')");
        to.exec("DELETE FROM tblMain WHERE ItemID = 'CL-8'");
        const ImportPlan plan = planImport(csv, std::nullopt, kToday);
        QCOMPARE(plan.problems.size(), 0);
        QCOMPARE(plan.ignoredColumns, QStringList());
        QCOMPARE(importItems(to.databasePath(), plan), qint64(3));
        to.exec("DELETE FROM tblMain WHERE ItemID = 'CL-7'");
        QCOMPARE(to.query("SELECT " + kItemColumns + " FROM tblMain ORDER BY ID"),
                 from.query("SELECT " + kItemColumns + " FROM tblMain ORDER BY ID"));
        // Numbered as the add forms number them: prefix and the largest ID plus one.
        QCOMPARE(
            to.query(
                "SELECT ItemID, FullSet, Car, Loco, Track, Accessory FROM tblMain ORDER BY ID"),
            QList<QVariantList>({{"CL-2", "NO", "YES", "NO", "NO", "NO"},
                                 {"LL-4", "NO", "NO", "YES", "NO", "NO"},
                                 {"SL-5", "YES", "NO", "NO", "NO", "NO"}}));
        QVERIFY(
            !to.scalar("SELECT DateAdd FROM tblMain WHERE ItemID = 'SL-5'").toString().isEmpty());

        // One kind only.
        QCOMPARE(exportItems(from.databasePath(), csv, ItemKind::Loco), qint64(1));
        QCOMPARE(planImport(csv, std::nullopt, kToday).sample.value(0).text.value(0),
                 QString::fromUtf8("Märklin"));
    }

    void spreadsheetLayouts_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("railLine");
        QTest::addColumn<double>("cost");
        QTest::addColumn<QString>("date");
        QTest::newRow("semicolon, Windows-1252, European amounts")
            << QByteArray(
                   "Road Name;Scale;Price;Purchase Date;Manufacturer;Loco Type;Road "
                   "Number;Curve;Color;Seller;Condition;Boxed\r\n"
                   "K\xF6ln;HO;1.234,50;14.03.2026;M\xE4rklin;Steam;7;R2;Green;Shop;Good;yes\r\n")
            << "Windows-1252" << QString::fromUtf8("Köln") << 1234.5 << "2026-03-14";
        QTest::newRow("tab, UTF-8 without mark")
            << QByteArray(
                   "railroad\tGAUGE\tcost\tdate\tmaker\ttype\tnumber\tminimum "
                   "curve\tcolor\tacquired from\tcondition\tbox\n"
                   "S\xC3\xA3o "
                   "Paulo\tN\t$12.50\t2020-02-29\tKato\tDiesel\t9\t11\"\tBlue\tMe\tNew\tNo\n")
            << "UTF-8" << QString::fromUtf8("São Paulo") << 12.5 << "2020-02-29";
        QTest::newRow("comma, UTF-8 with mark, quoted header")
            << QByteArray(
                   "\xEF\xBB\xBF\"Rail Line\",\"Gauge / Scale\",Paid,Date "
                   "Accquired,Manufacturer,CarType,SetNumber,Curve,CarColor,AccquiredFrom,"
                   "Condition,Box Included\n"
                   "\"Union Pacific, "
                   "West\",G,\"1,250.00\",2019-01-31,LGB,Steam,1,R1,Black,Auction,Fair,YES\n")
            << "UTF-8"
            << "Union Pacific, West" << 1250.0 << "2019-01-31";
    }

    void spreadsheetLayouts() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        QFETCH(QString, railLine);
        QFETCH(double, cost);
        QFETCH(QString, date);
        testing::ProgramFolder pf;
        const ImportPlan plan =
            planImport(writeFile(pf.path() + "/in.csv", bytes), ItemKind::Loco, kToday);
        QCOMPARE(plan.encoding, encoding);
        QCOMPARE(plan.problems.size(), 0);
        QCOMPARE(plan.ready, qint64(1));
        QCOMPARE(importItems(pf.databasePath(), plan), qint64(1));
        const QVariantList row =
            pf.query("SELECT RailLine, OriginalCost, DateAccquired, ItemID FROM tblMain").value(0);
        QCOMPARE(row.value(0).toString(), railLine);
        QCOMPARE(row.value(1).toDouble(), cost);
        QCOMPARE(row.value(2).toString(), date);
        QCOMPARE(row.value(3).toString(), QString("LL-1"));
    }

    void unreadableFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << QByteArray() << "empty";
        QTest::newRow("blank lines") << QByteArray("\r\n\n  \n") << "empty";
        QTest::newRow("no header") << QByteArray("Lionel,Pennsylvania,12.50\n") << "no header";
        QTest::newRow("no known column")
            << QByteArray("Colour Code,Weight\nred,3\n") << "no header";
        QTest::newRow("unterminated quote")
            << QByteArray("Manufacturer,Notes\nLionel,\"never closed\nx\n")
            << "line 2 is never closed";
        QTest::newRow("database file")
            << QByteArray("SQLite format 3\0\x10\0", 19) << "not a text file";
        QTest::newRow("overlong line")
            << "Manufacturer,Notes\nLionel," + QByteArray(kMaxRecordChars + 10, 'x')
            << "Line 2 is longer";
    }

    void unreadableFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        testing::ProgramFolder pf;
        const QString file = writeFile(pf.path() + "/in.csv", bytes);
        QVERIFY2(failure([&] { planImport(file, ItemKind::Car, kToday); }).contains(reason),
                 qPrintable(failure([&] { planImport(file, ItemKind::Car, kToday); })));
    }

    void fileWithoutKindNeedsOne() {
        testing::ProgramFolder pf;
        const QString file =
            writeFile(pf.path() + "/in.csv", "Manufacturer,Rail Line\nLionel,PRR\n");
        QVERIFY(
            failure([&] { planImport(file, std::nullopt, kToday); }).contains("no Kind column"));
    }

    void cancelledImportWritesNothing() {
        testing::ProgramFolder pf;
        QByteArray csv =
            "Manufacturer,Rail Line,Type,Number,Gauge,Curve,Color,From,Cost,Value,Date\n";
        for (int i = 0; i < 1200; ++i)
            csv += "Lionel,PRR,Box," + QByteArray::number(i) + ",O,O-31,Red,Me,1,2,2026-01-01\n";
        const ImportPlan plan =
            planImport(writeFile(pf.path() + "/in.csv", csv), ItemKind::Car, kToday);
        QCOMPARE(plan.ready, qint64(1200));
        const QString why = failure([&] {
            importItems(pf.databasePath(), plan, [](qint64 done, qint64) { return done < 1000; });
        });
        QVERIFY(why.contains("cancelled"));
        QCOMPARE(pf.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 0);
    }

    void backupIsAWholeCopyWhileTheCollectionIsInUse() {
        testing::ProgramFolder pf;
        pf.exec("INSERT INTO tblMain (ItemID, Notes) VALUES ('CL-1','kept'),('CL-2','kept')");
        // Another connection is writing; its unfinished change is not in the copy.
        sqlite3 *other = nullptr;
        sqlite3_open(pf.databasePath().toUtf8(), &other);
        sqlite3_exec(other, "BEGIN; INSERT INTO tblMain (ItemID) VALUES ('CL-3');", nullptr,
                     nullptr, nullptr);
        const QString dest = pf.path() + "/copy.trk";
        writeFile(dest, "an older backup");
        QCOMPARE(backupCollection(pf.databasePath(), dest), qint64(2));
        sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(other);
        const CollectionInfo info = checkCollection(dest);
        QVERIFY2(info.ok, qPrintable(info.reason));
        QCOMPARE(info.items, qint64(2));
        QCOMPARE(QDir(pf.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"copy.trk"}));

        QVERIFY(failure([&] {
                    backupCollection(pf.databasePath(), pf.databasePath());
                }).contains("over the collection itself"));
        QVERIFY(failure([&] {
                    backupCollection(pf.databasePath(), "/proc/no/such/folder/x.trk");
                }).contains("Cannot write in the folder"));
    }

    // A disk that fills up halfway (here: a limit on the size a file may grow to) fails the
    // backup and the export with a reason, leaves the earlier copies as they were and no
    // half-written file behind.
    void aFullDiskLosesNothing() {
        testing::ProgramFolder pf;
        pf.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200) "
                "INSERT INTO tblMain (ItemID, Car, Loco, FullSet, Notes) "
                "SELECT 'CL-' || i, 'YES', 'NO', 'NO', hex(randomblob(400)) FROM n");
        const QString backup = writeFile(pf.path() + "/copy.trk", "an older backup");
        const QString csv = writeFile(pf.path() + "/items.csv", "an older export");
        const QStringList before = QDir(pf.path()).entryList(QDir::Files | QDir::Hidden);
        QString backupFailure, exportFailure;
        {
            testing::FileSizeLimit fullDisk(64 * 1024);
            backupFailure = failure([&] { backupCollection(pf.databasePath(), backup); });
            exportFailure = failure([&] { exportItems(pf.databasePath(), csv); });
        }
        QVERIFY2(backupFailure.contains("copy.trk") && backupFailure.contains("disk may be full"),
                 qPrintable(backupFailure));
        QVERIFY2(exportFailure.contains("items.csv") && exportFailure.contains("disk may be full"),
                 qPrintable(exportFailure));
        QCOMPARE(fileBytes(backup), QByteArray("an older backup"));
        QCOMPARE(fileBytes(csv), QByteArray("an older export"));
        QCOMPARE(QDir(pf.path()).entryList(QDir::Files | QDir::Hidden), before);
        const CollectionInfo info = checkCollection(pf.databasePath());
        QVERIFY2(info.ok, qPrintable(info.reason));
        QCOMPARE(info.items, qint64(200));
    }

    void restoreRefusesWhatIsNotAWholeCollection_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("text file") << "text"
                                   << "not a database file";
        QTest::newRow("another program's database") << "foreign"
                                                    << "no table tblMain";
        QTest::newRow("missing columns") << "columns"
                                         << "lacks the column(s) ItemID";
        QTest::newRow("damaged") << "damaged"
                                 << "is damaged (integrity check: ";
        QTest::newRow("the live file") << "live"
                                       << "is the collection in use";
        QTest::newRow("missing") << "missing"
                                 << "does not exist";
    }

    void restoreRefusesWhatIsNotAWholeCollection() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        testing::ProgramFolder pf;
        pf.exec("INSERT INTO tblMain (ItemID) VALUES ('CL-1')");
        const QByteArray before = fileBytes(pf.databasePath());
        QString source = pf.path() + "/source.trk";
        const auto makeDb = [&](const char *sql) {
            sqlite3 *db = nullptr;
            sqlite3_open(source.toUtf8(), &db);
            sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
            sqlite3_close(db);
        };
        if (kind == "text")
            writeFile(source, "Manufacturer,Rail Line\n");
        else if (kind == "foreign")
            makeDb("CREATE TABLE songs (title TEXT)");
        else if (kind == "columns")
            makeDb("CREATE TABLE tblMain (ID INTEGER); CREATE TABLE tblOwner (OwnerID TEXT)");
        else if (kind == "damaged") {
            QFile::copy(pf.databasePath(), source);
            makeDb("PRAGMA page_size; INSERT INTO tblMain (ItemID, Notes) VALUES ('CL-2', "
                   "hex(randomblob(20000)))");
            QByteArray b = fileBytes(source);
            for (int i = 4096 * 2; i < b.size() - 4096; i += 7)
                b[i] = char(0x5A);
            writeFile(source, b);
        } else if (kind == "live")
            source = pf.databasePath();
        const QString why = failure([&] { restoreCollection(pf.databasePath(), source); });
        QVERIFY(!why.isEmpty());
        QVERIFY2(why.contains(reason), qPrintable(why));
        QCOMPARE(fileBytes(pf.databasePath()), before);
        QVERIFY(!QFileInfo::exists(automaticBackupFolder(pf.databasePath())));
    }

    void restoreReplacesAndKeepsTheFormerCollection() {
        testing::ProgramFolder live, backup;
        live.exec("INSERT INTO tblMain (ItemID) VALUES ('CL-1'),('CL-2')");
        backup.exec("INSERT INTO tblMain (ItemID) VALUES ('LL-9')");
        QCOMPARE(restoreCollection(live.databasePath(), backup.databasePath()), qint64(1));
        QCOMPARE(live.scalar("SELECT group_concat(ItemID) FROM tblMain").toString(),
                 QString("LL-9"));
        const QString kept = newestAutomaticBackup(live.databasePath());
        QCOMPARE(checkCollection(kept).items, qint64(2));
        QCOMPARE(QDir(live.path() + "/zerizori").entryList(QDir::Files | QDir::Hidden),
                 QStringList({"rails.trk"}));
    }

    void automaticBackupsAreDailyWhileTheCollectionChanges() {
        testing::ProgramFolder pf;
        const QString db = pf.databasePath();
        QVERIFY(newestAutomaticBackup(db).isEmpty());
        QDateTime t(QDate(2026, 1, 1), QTime(8, 0));
        QVERIFY(automaticBackupDue(db, t));
        for (int day = 0; day < 12; ++day) {
            const QDateTime at = t.addDays(day);
            pf.exec(QString("INSERT INTO tblMain (ItemID) VALUES ('CL-%1')").arg(day + 1));
            QVERIFY(automaticBackupDue(db, at));
            QCOMPARE(newestAutomaticBackup(db), writeAutomaticBackup(db, at));
            QVERIFY(!automaticBackupDue(db, at.addSecs(23 * 3600)));
        }
        // The last 7 days, and the newest of the week before (Thursday 1 to Sunday 4 January).
        const QStringList kept =
            QDir(automaticBackupFolder(db)).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(kept.size(), 8);
        QCOMPARE(kept.first(), QString("auto-20260104-080000.trk"));
        QCOMPARE(kept[1], QString("auto-20260106-080000.trk"));
        QVERIFY(checkCollection(newestAutomaticBackup(db)).ok);
    }

    void csvQuotesOnlyWhatNeedsIt() {
        QCOMPARE(csvLine({"a", "b,c", "say \"hi\"", "x\ny", ""}),
                 QString("a,\"b,c\",\"say \"\"hi\"\"\",\"x\ny\",\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestExchange)
#include "tst_exchange.moc"

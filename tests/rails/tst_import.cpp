// Importing the sheets collectors keep: formats read per file, columns mapped, only impossible
// rows refused, nothing duplicated on a second import, hostile files refused by line.
#include "rails/exchange/Csv.h"
#include "rails/exchange/ItemExchange.h"
#include "tests/rails/RailsTestData.h"
#include "tests/support/TestSupport.h"

#include "platform/Error.h"

#include <QFile>
#include <QTest>

using namespace exchange;

namespace {

const QDate kToday(2026, 3, 14);

using testing::failure;
using testing::writeFile;

ImportOptions options(std::optional<ItemKind> kind = ItemKind::Car) {
    ImportOptions o;
    o.kind = kind;
    o.today = kToday;
    o.choices.makers = {"Lionel", "Marklin", "Other"};
    o.choices.carTypes = {"Box Car", "Tank Car - 3 Dome"};
    o.choices.locoTypes = {"Steam", "Diesel"};
    o.choices.gauges = {"O-27", "HO Gauge", "N Gauge", "Z Guage"};
    o.choices.conditions = {"Excellent", "Good"};
    return o;
}

// Imports `csv` and returns the one stored row's columns named in `columns`.
QVariantList importOne(testing::ProgramFolder &pf, const QByteArray &csv, const QString &columns,
                       ImportOptions o = options()) {
    const QString file = writeFile(pf.path() + "/sheet.csv", csv);
    const ImportPlan plan = planImport(file, o, pf.databasePath());
    if (plan.refused)
        qWarning() << plan.problems.value(0).reason;
    importItems(pf.databasePath(), plan);
    return pf.query("SELECT " + columns + " FROM tblMain ORDER BY ID DESC LIMIT 1").value(0);
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT

  private slots:
    void valuesAreReadAsTheSheetWritesThem_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("habit"); // 0: day first / point, 1: month first / comma
        QTest::addColumn<QString>("expected");
        QTest::newRow("iso") << "date"
                             << "2019-03-14" << 1 << "2019-03-14";
        QTest::newRow("day first, two-digit year") << "date"
                                                   << "14.03.19" << 0 << "2019-03-14";
        QTest::newRow("two-digit year not in the future") << "date"
                                                          << "11/07/93" << 1 << "1993-11-07";
        QTest::newRow("26 is this century") << "date"
                                            << "1-2-26" << 0 << "2026-02-01";
        QTest::newRow("27 is last century") << "date"
                                            << "1-2-27" << 0 << "1927-02-01";
        QTest::newRow("english month") << "date"
                                       << "14 Mar 2019" << 1 << "2019-03-14";
        QTest::newRow("month first with name") << "date"
                                               << "Mar 14, 2019" << 0 << "2019-03-14";
        QTest::newRow("german month alone") << "date"
                                            << "März 2019" << 0 << "2019-03-01";
        QTest::newRow("no such day") << "date"
                                     << "31.02.2019" << 0 << "";
        QTest::newRow("not a date") << "date"
                                    << "soon" << 0 << "";
        QTest::newRow("german amount") << "amount"
                                       << "1.234,50 €" << 1 << "1234.50";
        QTest::newRow("us amount") << "amount"
                                   << "$1,234.50" << 0 << "1234.50";
        QTest::newRow("blank groups") << "amount"
                                      << "1 234,50 EUR" << 1 << "1234.50";
        QTest::newRow("code before") << "amount"
                                     << "CHF 12.5" << 0 << "12.50";
        QTest::newRow("negative") << "amount"
                                  << "-9,999,999.99" << 0 << "-9999999.99";
        QTest::newRow("dash after the mark") << "amount"
                                             << "12,-" << 1 << "12.00";
        QTest::newRow("dash and a currency") << "amount"
                                             << "12,- EUR" << 1 << "";
        QTest::newRow("sign after the currency") << "amount"
                                                 << "$ -5" << 0 << "-5.00";
        QTest::newRow("US$ only before") << "amount"
                                         << "5 US$" << 0 << "";
        QTest::newRow("apostrophe groups") << "amount"
                                           << "1'234.50 chf" << 0 << "1234.50";
        QTest::newRow("no digits") << "amount"
                                   << "EUR ,50" << 0 << "";
        QTest::newRow("iso with a time") << "date"
                                         << "2019-03-14T10:00" << 0 << "2019-03-14";
        QTest::newRow("iso with short parts") << "date"
                                              << "2019/3/4" << 1 << "2019-03-04";
        QTest::newRow("five digits first") << "date"
                                           << "12345.1.19" << 0 << "";
        QTest::newRow("blanks and a closing point") << "date"
                                                    << "14 . 03 . 2019." << 0 << "2019-03-14";
        QTest::newRow("digits only") << "date"
                                     << "20190314" << 0 << "";
        QTest::newRow("words") << "amount"
                               << "a lot" << 0 << "";
        QTest::newRow("two decimal marks") << "amount"
                                           << "1,2,3" << 1 << "";
        QTest::newRow("ja") << "yesno"
                            << "Ja" << 0 << "yes";
        QTest::newRow("nein") << "yesno"
                              << "NEIN" << 0 << "no";
        QTest::newRow("oui") << "yesno"
                             << "oui" << 0 << "yes";
        QTest::newRow("x") << "yesno"
                           << "X" << 0 << "yes";
        QTest::newRow("maybe") << "yesno"
                               << "maybe" << 0 << "";
        QTest::newRow("case and suffix") << "choice"
                                         << "ho" << 0 << "HO Gauge";
        QTest::newRow("suffix typed") << "choice"
                                      << "ho gauge" << 0 << "HO Gauge";
        QTest::newRow("misspelt suffix kept") << "choice"
                                              << "Z gauge" << 0 << "Z Guage";
        QTest::newRow("zero for O") << "choice"
                                    << "H0" << 0 << "HO Gauge";
        QTest::newRow("accents") << "choice"
                                 << "Märklin" << 0 << "Marklin";
        QTest::newRow("not in the list") << "choice"
                                         << "On30" << 0 << "";
        QTest::newRow("order settled by a day over 12") << "dateorder"
                                                        << "01/02/2019|25/03/2019" << 1 << "day";
        QTest::newRow("order settled by a month-first value")
            << "dateorder"
            << "01/02/2019|03/25/2019" << 0 << "month";
        QTest::newRow("order left to the locale") << "dateorder"
                                                  << "01/02/2019" << 1 << "month";
        QTest::newRow("comma decimals") << "mark"
                                        << "12,50|3" << 0 << "comma";
        QTest::newRow("both marks") << "mark"
                                    << "1.234,50" << 0 << "comma";
        QTest::newRow("point decimals") << "mark"
                                        << "1,234.50|7.5" << 1 << "point";
    }

    void valuesAreReadAsTheSheetWritesThem() {
        QFETCH(QString, what);
        QFETCH(QString, text);
        QFETCH(int, habit);
        QFETCH(QString, expected);
        const DateOrder order = habit ? DateOrder::MonthDay : DateOrder::DayMonth;
        const DecimalMark mark = habit ? DecimalMark::Comma : DecimalMark::Point;
        QString got;
        if (what == "date") {
            got = parseDate(text, order, kToday).toString(Qt::ISODate);
        } else if (what == "amount") {
            const auto a = parseAmount(text, mark);
            got = a ? QString::number(*a, 'f', 2) : QString();
        } else if (what == "yesno") {
            const auto y = parseYesNo(text);
            got = y ? (*y ? "yes" : "no") : "";
        } else if (what == "choice") {
            got = matchChoice(text, options().choices.gauges + options().choices.makers);
        } else if (what == "dateorder") {
            got = detectDateOrder(text.split('|'), order) == DateOrder::DayMonth ? "day" : "month";
        } else {
            got =
                detectDecimalMark(text.split('|'), mark) == DecimalMark::Comma ? "comma" : "point";
        }
        QCOMPARE(got, expected);
    }

    // Sheets as collectors type them: the stored row shows every value right.
    void sheetsComeInAsTyped_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QVariantList>("stored");
        const QString cols = "Manufacturer, Gauge, CarNumber, DateAccquired, OriginalCost, Box";
        QTest::newRow("german, semicolons")
            << QByteArray("Hersteller;Spur;Nummer;Kaufdatum;Preis;OVP\r\n"
                          "M\xC3\xA4rklin;h0;50 001;14.03.19;1.234,50 \xE2\x82\xAC;Ja\r\n"
                          "Lionel;HO;2;25.12.20;3,50;Nein\r\n")
            << QVariantList{"Lionel", "HO Gauge", "2", "2020-12-25", 3.5, "NO"};
        QTest::newRow("us, month first")
            << QByteArray("Make,Scale,Road #,Date bought,Price paid,Boxed\n"
                          "Lionel,O-27,6464,11/07/93,\"$1,234.50\",y\n"
                          "MTH,N,7,12/25/93,$3,n\n")
            << QVariantList{"MTH", "N Gauge", "7", "1993-12-25", 3.0, "NO"};
        QTest::newRow("incomplete: blank date, amount and box stored blank")
            << QByteArray("Manufacturer,Number,Date Acquired,Original Cost,Box\nLionel,1,,,\n")
            << QVariantList{"Lionel", "", "1", QVariant(), QVariant(), ""};
    }

    void sheetsComeInAsTyped() {
        QFETCH(QByteArray, csv);
        QFETCH(QVariantList, stored);
        testing::ProgramFolder pf;
        const QVariantList row =
            importOne(pf, csv, "Manufacturer, Gauge, CarNumber, DateAccquired, OriginalCost, Box");
        QCOMPARE(row.size(), stored.size());
        for (int i = 0; i < row.size(); ++i) {
            QCOMPARE(row[i].isNull(), stored[i].isNull());
            QCOMPARE(row[i].toString(), stored[i].toString());
        }
    }

    // The collectors' headers: every column lands somewhere, nothing typed is lost.
    void collectorsHeadersMapWithoutLoss() {
        testing::ProgramFolder pf;
        const QByteArray csv = "Road No.,Purchased,Price paid,Cat. No.,Description,Notes,Shelf\n"
                               "1234,2019-05-01,12.50,6-19234,Tank car,weathered,B3\n";
        const QVariantList row =
            importOne(pf, csv, "CarNumber, DateAccquired, OriginalCost, Notes");
        QCOMPARE(row,
                 (QVariantList{"1234", "2019-05-01", 12.5,
                               "weathered\nCat. No.: 6-19234\nDescription: Tank car\nShelf: B3"}));
        // The command line's choices: a column ignored, another sent to a field.
        ImportOptions o = options();
        o.mapChoices = {"Shelf=-", "Description=Type", "Cat. No.=Notes+"};
        const QVariantList chosen = importOne(pf, csv, "CarType, Notes, ItemID", o);
        QCOMPARE(chosen, (QVariantList{"Tank car", "weathered\nCat. No.: 6-19234", "CL-2"}));
        o.mapChoices = {"Shelf=Nowhere"};
        QVERIFY(failure([&] { planImport(pf.path() + "/sheet.csv", o); }).contains("Nowhere"));
    }

    void twoColumnsNeverClaimOneFieldSilently() {
        Mapping m = guessMapping({"Cost", "Price", "Date"}, {{"1", "2", "2019-01-01"}});
        QCOMPARE(m[0].target, int(fCost));
        QVERIFY(!m[0].conflict);
        QVERIFY(m[1].conflict);
        QCOMPARE(m[1].target, kAppendToNotes);
        QVERIFY(chooseColumn(m, "Price=Original Cost", nullptr));
        QVERIFY(m[0].conflict);
        QVERIFY(!m[1].conflict);
        // A remembered mapping comes back for the same headers in any order.
        Mapping again = guessMapping({"Price", "Cost", "Date"}, {});
        applyMappingText(again, mappingText(m));
        QCOMPARE(mappingKey({"Price", "Cost", "Date"}), mappingKey({"Cost", "Date", "Price"}));
        QCOMPARE(again[0].target, int(fCost));
        QVERIFY(again[1].conflict);
        // A header nothing knows is guessed from its values.
        QCOMPARE(guessMapping({"When"}, {{"14.03.19"}, {""}})[0].target, int(fDate));
    }

    void onlyImpossibleRowsAreRefused_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        const int refused = int(RowStatus::Refused), incomplete = int(RowStatus::Incomplete);
        QTest::newRow("complete")
            << QByteArray("Rolling Stock,Lionel,PRR,Box Car,1,O-27,O-31,Red,Me,1,2,2026-03-14,,")
            << int(RowStatus::Ready) << "";
        QTest::newRow("no date, curve or seller")
            << QByteArray("Locomotive,Lionel,PRR,Steam,1,O-27,,Red,,1,2,,Good,yes") << incomplete
            << "Minimum Curve, Acquired From, Date Acquired blank";
        QTest::newRow("loco without box or condition")
            << QByteArray("Engine,Lionel,PRR,Steam,1,O-27,O-31,Red,Me,1,2,2026-01-01,,")
            << incomplete << "Condition, Box Included blank";
        QTest::newRow("quote, backslash, semicolon")
            << QByteArray("Car,O'Brien's,P\\R;R,40' Box Car,1;2,On30,O-31,Red,Me,,,2026-01-01,,")
            << int(RowStatus::Ready) << "";
        QTest::newRow("nothing that names an item")
            << QByteArray("Car,,PRR,,,O-27,O-31,Red,Me,1,2,2026-01-01,,") << refused
            << "nothing in Manufacturer, Type or Number";
        QTest::newRow("unknown kind")
            << QByteArray("Trolley,Lionel,PRR,Box,1,O,O-31,Red,Me,1,2,2026-03-14,,") << refused
            << "the kind \"Trolley\"";
        QTest::newRow("negative cost")
            << QByteArray("Car,Lionel,PRR,Box,1,O,O-31,Red,Me,-5,2,2026-03-14,,") << refused
            << "Original Cost -5 is below zero";
        QTest::newRow("value over the form")
            << QByteArray("Car,Lionel,PRR,Box,1,O,O-31,Red,Me,1,10000000,2026-03-14,,") << refused
            << "Current Value 10000000 is larger";
        QTest::newRow("text where an amount goes")
            << QByteArray("Car,Lionel,PRR,Box,1,O,O-31,Red,Me,abc,2,2026-03-14,,") << refused
            << "Original Cost \"abc\" is not an amount";
        QTest::newRow("date that does not exist")
            << QByteArray("Car,Lionel,PRR,Box,1,O,O-31,Red,Me,1,2,2019-02-30,,") << refused
            << "\"2019-02-30\" is not a date";
        QTest::newRow("date in the future")
            << QByteArray("Car,Lionel,PRR,Box,1,O,O-31,Red,Me,1,2,2026-03-15,,") << refused
            << "later than the current date";
        QTest::newRow("box neither yes nor no")
            << QByteArray("Car,Lionel,PRR,Box,1,O,O-31,Red,Me,1,2,2026-03-14,,maybe") << refused
            << "\"maybe\" is neither yes nor no";
        QTest::newRow("rail line over the form")
            << "Car,Lionel," + QByteArray(36, 'R') + ",Box,1,O,O-31,Red,Me,1,2,2026-03-14,,"
            << refused << "Rail Line is longer than 35";
        QTest::newRow("number over the form")
            << QByteArray("Car,Lionel,PRR,Box,1234567890123456,O,O-31,Red,Me,1,2,2026-03-14,,")
            << refused << "Number is longer than 15";
        QTest::newRow("extra fields")
            << QByteArray("Car,Lionel,PRR,Box,1,O,O-31,Red,Me,1,2,2026-03-14,,,,surplus") << refused
            << "where the header has 15";
    }

    void onlyImpossibleRowsAreRefused() {
        QFETCH(QByteArray, row);
        QFETCH(int, status);
        QFETCH(QString, reason);
        testing::ProgramFolder pf;
        const QString file = writeFile(
            pf.path() + "/in.csv",
            "Kind,Manufacturer,Rail Line,Type,Number,Gauge,Curve,Color,From,Cost,Value,Date,"
            "Condition,Box,Notes\n"
            "Car,Lionel,PRR,Box Car,1,O-27,O-31,Red,Me,1,2,2026-03-14,,,\"two\nlines\"\n" +
                row + "\n");
        const ImportPlan plan = planImport(file, options(std::nullopt), pf.databasePath());
        QCOMPARE(plan.rows, 2);
        QCOMPARE(int(plan.sample.value(1).status), status);
        if (!reason.isEmpty()) {
            QCOMPARE(plan.problems.size(), 1);
            QCOMPARE(plan.problems[0].line, 4); // the spreadsheet's row number
            QVERIFY2(plan.problems[0].reason.contains(reason), qPrintable(plan.problems[0].reason));
        }
        const qint64 written = importItems(pf.databasePath(), plan);
        QCOMPARE(written, status == int(RowStatus::Refused) ? 1 : 2);
        if (status != int(RowStatus::Refused)) // stored exactly as typed
            QCOMPARE(pf.scalar("SELECT Manufacturer||','||RailLine||','||CarType||','||CarNumber "
                               "FROM tblMain WHERE ID = 2")
                         .toString(),
                     QString::fromUtf8(row).section(',', 1, 4));
    }

    // A second import of the same sheet adds nothing; a sheet naming item numbers updates them.
    void reimportDoesNotDuplicate() {
        testing::ProgramFolder from, to;
        const QString db = from.databasePath();
        const QString sheet =
            writeFile(from.path() + "/s.csv", "Kind,Manufacturer,Number,Original Cost\n"
                                              "Car,Lionel,1,5\nEngine,Atlas,2,\n");
        ImportOptions o = options(std::nullopt);
        QCOMPARE(importItems(db, planImport(sheet, o, db)), 2);
        const ImportPlan again = planImport(sheet, o, db);
        QCOMPARE(again.duplicates, 2);
        QCOMPARE(importItems(db, again), 0);
        o.addDuplicates = true;
        QCOMPARE(importItems(db, planImport(sheet, o, db)), 2);
        QCOMPARE(from.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 4);

        // Into an empty file the numbers are kept; a changed sheet then updates its items.
        const QString all = from.path() + "/all.csv";
        exportItems(db, all);
        QCOMPARE(importItems(to.databasePath(), planImport(all, options(), to.databasePath())), 4);
        const QString ids =
            "SELECT group_concat(ItemID || ':' || IFNULL(OriginalCost, '-')) FROM tblMain";
        QCOMPARE(to.scalar(ids), from.scalar(ids));
        QFile f(all);
        QVERIFY(f.open(QIODevice::ReadOnly));
        writeFile(all, f.readAll().replace(",5.00,", ",7.00,"));
        const ImportPlan update = planImport(all, options(), to.databasePath());
        QCOMPARE(update.updates, 2);
        QCOMPARE(update.duplicates, 2);
        QCOMPARE(update.sample.value(0).changed, QStringList("Original Cost"));
        QCOMPARE(importItems(to.databasePath(), update), 2);
        QCOMPARE(to.scalar(ids).toString(), "CL-1:7.0,LL-2:-,CL-3:7.0,LL-4:-");
        QFile g(all);
        QVERIFY(g.open(QIODevice::ReadOnly));
        writeFile(all, g.readAll().replace(",7.00,", ",9.00,"));
        ImportOptions asNew = options();
        asNew.addExisting = true;
        const ImportPlan added = planImport(all, asNew, to.databasePath());
        QCOMPARE(added.updates, 0);
        QCOMPARE(added.toWrite(), 2); // the changed rows, as new items with new numbers
        QCOMPARE(importItems(to.databasePath(), added), 2);
        QCOMPARE(to.scalar("SELECT group_concat(ItemID) FROM tblMain WHERE ID > 4"), "CL-5,CL-6");
    }

    void hostileFilesAreRefusedByLine_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("bad byte among UTF-8")
            << QByteArray("Manufacturer,Notes\nM\xC3\xA4rklin,ok\nLionel,caf\xE9\n")
            << "Line 3 holds the byte 0xe9 (byte 42 of the file)";
        QByteArray utf16("\xFF\xFE");
        for (const char16_t c : u"Manufacturer\r\nLionel\r\nA\xD800"
                                "B\r\n")
            if (c)
                utf16 += QByteArray(reinterpret_cast<const char *>(&c), 2);
        QTest::newRow("lone surrogate")
            << utf16 << "Line 3 holds half a character (a lone surrogate) at byte 49";
        QTest::newRow("overlong line") << "Manufacturer\nLionel\n" + QByteArray(70000, 'x')
                                       << "Line 3 is longer than 65536 characters";
    }

    void hostileFilesAreRefusedByLine() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        testing::ProgramFolder pf;
        const QString file = writeFile(pf.path() + "/in.csv", bytes);
        const QString why = failure([&] { planImport(file, options(), pf.databasePath()); });
        QVERIFY2(why.contains(reason), qPrintable(why));
    }

    void aFileOverTheLimitIsRefusedUnread() {
        testing::ProgramFolder pf;
        QFile f(pf.path() + "/huge.csv");
        QVERIFY(f.open(QIODevice::WriteOnly) && f.resize(kMaxCsvBytes + 1)); // sparse
        f.close();
        QVERIFY(
            failure([&] { planImport(f.fileName(), options()); }).contains("larger than 1024 MB"));
    }

    void formulasAreNeutralisedAndComeBackExact() {
        const QStringList texts{"=SUM(A1:A9)",      "+1",   "-5 dents", "@home", "\tindented",
                                "'=quoted already", "''+x", "'plain",   "plain", ""};
        for (const QString &t : texts) {
            const bool risky = QString("=+-@\t").contains(QString(t).remove('\'').left(1)) &&
                               !QString(t).remove('\'').isEmpty();
            QCOMPARE(guardFormula(t).startsWith('\'') && guardFormula(t) != t, risky);
            QCOMPARE(unguardFormula(guardFormula(t)), t);
        }
        testing::ProgramFolder from, to;
        from.exec(
            "INSERT INTO tblMain (ItemID, Manufacturer, CarNumber, Notes, Car, Loco, FullSet) "
            "VALUES ('CL-1', '-Roco', '=1+1', '@SUM(A1)', 'YES', 'NO', 'NO')");
        const QString csv = from.path() + "/f.csv";
        exportItems(from.databasePath(), csv);
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().contains(",'-Roco,,,'=1+1,"));
        importItems(to.databasePath(), planImport(csv, options(), to.databasePath()));
        QCOMPARE(to.query("SELECT Manufacturer, CarNumber, Notes FROM tblMain"),
                 from.query("SELECT Manufacturer, CarNumber, Notes FROM tblMain"));
    }

    // Refused rows are saved with their reason, fixed and read again.
    void refusedRowsSavedReadyToFix() {
        testing::ProgramFolder pf;
        const QString file = writeFile(pf.path() + "/in.csv",
                                       "Manufacturer;Number;Price\nLionel;1;3\nAtlas;2;abc\n");
        const ImportPlan plan = planImport(file, options(), pf.databasePath());
        const QString saved = pf.path() + "/problems.csv";
        saveProblems(plan, saved);
        const QList<CsvRecord> rows = readAllRecords(saved, ';');
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].fields, QStringList({"Manufacturer", "Number", "Price", "Reason"}));
        QCOMPARE(rows[1].fields.mid(0, 3), QStringList({"Atlas", "2", "abc"}));
        QCOMPARE(rows[1].fields[3], "Row 3: Original Cost \"abc\" is not an amount");
        QFile f(saved);
        QVERIFY(f.open(QIODevice::ReadOnly));
        writeFile(saved, f.readAll().replace(";abc;", ";12;"));
        const ImportPlan fixed = planImport(saved, options(), pf.databasePath());
        QCOMPARE(fixed.refused, 0);
        QCOMPARE(importItems(pf.databasePath(), fixed), 1);
        QCOMPARE(pf.query("SELECT Manufacturer, OriginalCost, Notes FROM tblMain"),
                 QList<QVariantList>({{"Atlas", 12.0, ""}}));
    }

    // Export for the sheet the user opens: fields chosen, locale forms, only the items shown;
    // each form reads back exactly.
    void exportForASpreadsheetReadsBackExact_data() {
        QTest::addColumn<QString>("locale"); // empty: plain
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("plain") << ""
                               << QByteArray("Locomotive,LL-2,Atlas,1234.50,2019-03-14,NO\r\n");
        QTest::newRow("german") << "de_DE"
                                << QByteArray("Locomotive;LL-2;Atlas;1234,50;14.03.2019;NO\r\n");
        QTest::newRow("us") << "en_US"
                            << QByteArray("Locomotive,LL-2,Atlas,1234.50,3/14/2019,NO\r\n");
    }

    void exportForASpreadsheetReadsBackExact() {
        QFETCH(QString, locale);
        QFETCH(QByteArray, written);
        testing::ProgramFolder from, to;
        from.exec("INSERT INTO tblMain (ItemID, Manufacturer, OriginalCost, DateAccquired, Box, "
                  "Car, Loco, FullSet) "
                  "VALUES ('CL-1', 'Lionel', 3, '2020-01-02', 'YES', 'YES', 'NO', 'NO'),"
                  "('LL-2', 'Atlas', 1234.5, '2019-03-14', 'NO', 'NO', 'YES', 'NO'),"
                  "('SL-3', 'MTH', NULL, NULL, '', 'NO', 'NO', 'YES')");
        ExportOptions o;
        o.fields = {fKind, fItemId, fMaker, fCost, fDate, fBox};
        o.ids = {2, 3};
        if (!locale.isEmpty())
            o.locale = QLocale(locale);
        const QString csv = from.path() + "/out.csv";
        QCOMPARE(exportItems(from.databasePath(), csv, o), 2);
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[1] + '\n', written);
        QCOMPARE(importItems(to.databasePath(), planImport(csv, options(), to.databasePath())), 2);
        const QString cols = "SELECT ItemID, Manufacturer, OriginalCost, DateAccquired, Box FROM "
                             "tblMain WHERE ID > 1";
        QCOMPARE(to.query(cols), from.query(cols));
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"

// The collector's own records in the collection file: value history, deleted items with what
// belonged to them, choice-list entries and fields, whatever path changes an item.
#include "rails/SchemaAdditions.h"
#include "rails/collection/CollectionData.h"
#include "rails/dllRails.h"
#include "rails/exchange/FieldColumns.h"
#include "rails/records/Records.h"
#include "tests/rails/RailsTestData.h"
#include "tests/support/TestSupport.h"

#include <QTest>

using platform::MsgResult;

class TestRecords : public QObject {
    Q_OBJECT

    struct Fixture {
        testing::ProgramFolder pf;
        testing::ScriptedMsgBox box;
        testing::FakeClock clock;
        dllRails rails;
        records::Store store{pf.databasePath()};
        Fixture() { addSchema(pf.databasePath()); }
        // A Roco car with a catalogue number and a shelf, and one photo.
        QString addRoco(const QString &itemId = QStringLiteral("RS1")) {
            auto a = testing::itemArgs(itemId);
            a.text[1] = QStringLiteral("Roco");
            if (!rails.AddCar(a.text, a.date, a.money))
                throw std::runtime_error("add failed");
            store.setFieldValue(itemId, 1, QStringLiteral("Roco 76543"));
            store.setFieldValue(itemId, 2, QStringLiteral("Shelf Ö-3"));
            pf.exec(QStringLiteral("INSERT INTO tblPhoto (ItemID, Seq, Caption, Image, Thumb) "
                                   "VALUES ('%1', 1, 'side', x'FFD8AA', x'FFD8')")
                        .arg(itemId));
            return itemId;
        }
    };

    static void addSchema(const QString &db) {
        engine::Connection c;
        c.ConnectionString = QStringLiteral("Provider=SQLite;Data Source=") + db + ';';
        c.Open();
        rails::applySchemaAdditions(c);
        c.Close();
    }

    // The message of the refusal `change` raises; empty when it goes through.
    template <class F> static QString refusal(F change) {
        try {
            change();
        } catch (const platform::Error &e) {
            return e.Description();
        }
        return {};
    }

    static QString valueTrail(records::Store &s, const QString &id) {
        // Costs then values, each in the order they changed (one statement changing both
        // leaves their relative order to SQLite).
        QStringList out[2];
        for (const auto &h : s.history(id))
            out[h.value] << QStringLiteral("%1:%2>%3:%4")
                                .arg(h.value ? "V" : "C", h.oldAmount.toString(),
                                     h.newAmount.toString(), h.source);
        return (out[0] + out[1]).join(' ');
    }

  private slots:
    // Two changes of value and one of cost, made through each path an item can be changed by.
    void historyKeptWhateverThePath_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("designed store update") << "store";
        QTest::newRow("bare SQL, as a script would") << "sql";
        QTest::newRow("card with a source") << "card";
    }
    void historyKeptWhateverThePath() {
        QFETCH(QString, path);
        Fixture f;
        const QString id = f.addRoco();
        // Value only, then value and cost, then cost only (the value written unchanged).
        const std::pair<double, double> steps[] = {{25, 12.5}, {30.5, 14}, {30.5, 15}};
        for (const auto &[v, cost] : steps) {
            if (path == "store") {
                auto a = testing::itemArgs(id);
                a.text[1] = "Roco";
                a.money = {cost, v};
                QVERIFY(f.rails.UpdateCar(a.text, a.date, a.money));
            } else if (path == "sql") {
                f.pf.exec(QStringLiteral("UPDATE tblMain SET CurrentValue = %1, OriginalCost = %2 "
                                         "WHERE ItemID = 'RS1'")
                              .arg(v)
                              .arg(cost));
            } else {
                f.store.setValuation(id, v, QDate(2025, 6, 1), "appraisal");
            }
        }
        if (path == "card") {
            QCOMPARE(valueTrail(f.store, id),
                     QString("C:>12.5: V:>20:own estimate V:20>25:appraisal V:25>30.5:appraisal"));
            QCOMPARE(f.store.valuation(id).date, QDate(2025, 6, 1));
            QCOMPARE(f.store.valuation(id).source, QString("appraisal"));
        } else {
            QCOMPARE(valueTrail(f.store, id),
                     QString("C:>12.5: C:12.5>14: C:14>15: V:>20:own estimate "
                             "V:20>25:own estimate V:25>30.5:own estimate"));
            QCOMPARE(f.store.valuation(id).date, QDate::currentDate());
            QCOMPARE(f.store.valuation(id).source, QString("own estimate"));
        }
        QCOMPARE(f.pf.scalar("SELECT CurrentValue FROM tblMain").toDouble(), 30.5);
        QVERIFY_THROWS_EXCEPTION(platform::Error,
                                 f.store.setValuation(id, 1, QDate(2025, 1, 1), "a guess"));
        QVERIFY_THROWS_EXCEPTION(platform::Error,
                                 f.store.setValuation("RS99", 1, QDate(2025, 1, 1), "receipt"));
        QCOMPARE(f.store.history(id).size(), path == "card" ? 4 : 6);
        // An item added without a cost starts no history of it.
        f.pf.exec("INSERT INTO tblMain (ItemID, CurrentValue, Car) VALUES ('RS5', 3, 'YES')");
        QCOMPARE(valueTrail(f.store, "RS5"), QString("V:>3:own estimate"));
    }

    // Deleted through the designed form's operation or a bare statement, the item leaves every
    // list and comes back whole: photo, fields, history, valuation; with a new number when
    // its own is taken meanwhile.
    void deletedItemComesBack_data() {
        QTest::addColumn<bool>("bareSql");
        QTest::addColumn<bool>("numberTaken");
        QTest::newRow("designed delete") << false << false;
        QTest::newRow("bare delete") << true << false;
        QTest::newRow("number taken meanwhile") << false << true;
    }
    void deletedItemComesBack() {
        QFETCH(bool, bareSql);
        QFETCH(bool, numberTaken);
        Fixture f;
        f.addRoco("RS7");
        f.store.setValuation("RS7", 44, QDate(2024, 2, 3), "receipt");
        QString id = "RS7";
        if (bareSql) {
            f.pf.exec("DELETE FROM tblMain WHERE ItemID = 'RS7'");
        } else {
            f.box.answer(MsgResult::Yes);
            QVERIFY(f.rails.DeleteCar(id));
        }
        for (const char *t : {"tblMain", "tblPhoto", "tblFieldValue", "tblValueHistory"})
            QCOMPARE(f.pf.scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(t)).toInt(), 0);
        auto rs = f.store.deletedItems();
        QCOMPARE(rs->RecordCount(), 1);
        QCOMPARE(rs->text(2), QString("RS7"));
        QCOMPARE(rs->text(3), QString("Car"));
        const qint64 del = rs->Fields(0).toLongLong();
        if (numberTaken)
            f.addRoco("RS7");
        const records::Restored r = f.store.restoreDeleted(del);
        QCOMPARE(r.sameNumber, !numberTaken);
        QCOMPARE(r.itemId, numberTaken ? QString("RS3") : QString("RS7"));
        QCOMPARE(f.pf.scalar("SELECT Manufacturer || '|' || CarType FROM tblMain WHERE ItemID = '" +
                             r.itemId + "'")
                     .toString(),
                 QString("Roco|Box Car"));
        QCOMPARE(f.pf.scalar("SELECT hex(Image) FROM tblPhoto WHERE ItemID = '" + r.itemId + "'")
                     .toString(),
                 QString("FFD8AA"));
        QCOMPARE(f.store.fieldValues(r.itemId).value(2), QString("Shelf Ö-3"));
        QCOMPARE(valueTrail(f.store, r.itemId),
                 QString("C:>12.5: V:>20:own estimate V:20>44:receipt"));
        QCOMPARE(f.store.valuation(r.itemId).source, QString("receipt"));
        QCOMPARE(f.store.deletedItems()->RecordCount(), 0);
        QCOMPARE(f.pf.scalar("SELECT COUNT(*) FROM tblDeletedPhoto").toInt(), 0);
        QVERIFY_THROWS_EXCEPTION(platform::Error, f.store.restoreDeleted(del));
    }

    // Removed for good one at a time, all at once, or when older than the cut-off: nothing of
    // them stays behind.
    void deletedItemsRemovedForGood() {
        Fixture f;
        for (const char *id : {"RS1", "RS2", "RS3", "RS4"}) {
            f.addRoco(id);
            f.pf.exec(QStringLiteral("DELETE FROM tblMain WHERE ItemID = '%1'").arg(id));
        }
        f.pf.exec(
            "UPDATE tblDeletedMain SET DeletedAt = '2025-01-01 10:00:00' WHERE ItemID = 'RS1'");
        f.pf.exec(
            "UPDATE tblDeletedMain SET DeletedAt = '2025-01-01 10:00:02' WHERE ItemID = 'RS2'");
        QCOMPARE(f.store.removeDeletedBefore(QDateTime(QDate(2025, 1, 1), QTime(10, 0, 1))), 1);
        QCOMPARE(f.pf.scalar("SELECT group_concat(ItemID) FROM tblDeletedMain").toString(),
                 QString("RS2,RS3,RS4"));
        f.store.removeDeleted(
            f.pf.scalar("SELECT DelID FROM tblDeletedMain WHERE ItemID = 'RS3'").toLongLong());
        QCOMPARE(f.pf.scalar("SELECT COUNT(*) FROM tblDeletedPhoto").toInt(), 2);
        QCOMPARE(f.store.emptyDeleted(), 2);
        for (const char *t :
             {"tblDeletedMain", "tblDeletedPhoto", "tblDeletedFieldValue", "tblDeletedHistory"})
            QCOMPARE(f.pf.scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(t)).toInt(), 0);
    }

    // The user's entries: alphabetical, no twins, a rename carries the items of that list and
    // kind holding the old text exactly.
    void choiceEntries() {
        Fixture f;
        f.addRoco("RS1");
        f.addRoco("RS2");
        f.pf.exec("UPDATE tblMain SET CarType = '40'' Box Car'");
        f.pf.exec("UPDATE tblMain SET Loco = 'YES', Car = 'NO' WHERE ItemID = 'RS2'");
        f.store.addChoice("CarType:Car", "Wagon");
        const qint64 box = f.store.addChoice("CarType:Car", "40' Box Car");
        f.store.addChoice("CarType:Loco", "40' Box Car");
        QCOMPARE(refusal([&] { f.store.addChoice("CarType:Car", "wagon"); }),
                 QString("\"wagon\" is already in this list."));
        QVERIFY_THROWS_EXCEPTION(platform::Error, f.store.addChoice("CarType:Car", "  "));
        QVERIFY_THROWS_EXCEPTION(platform::Error,
                                 f.store.renameChoice(box, "X", "CarType; DROP", {"Car"}));
        QVERIFY_THROWS_EXCEPTION(platform::Error,
                                 f.store.renameChoice(box, "X", "CarType", {"1=1) OR (1"}));
        QCOMPARE(f.store.renameChoice(box, "O'Brien's Car", "CarType", {"Car"}), 1);
        QCOMPARE(f.pf.scalar("SELECT group_concat(CarType, '|') FROM (SELECT CarType FROM tblMain "
                             "ORDER BY ItemID)")
                     .toString(),
                 QString("O'Brien's Car|40' Box Car"));
        f.store.setChoiceHidden(box, true);
        QStringList seen;
        for (const auto &c : f.store.choices("CarType:Car"))
            seen << c.entry + (c.hidden ? "(hidden)" : "");
        QCOMPARE(seen, QStringList({"O'Brien's Car(hidden)", "Wagon"}));
        QVERIFY_THROWS_EXCEPTION(platform::Error,
                                 f.store.renameChoice(box, "wagon", "CarType", {"Car"}));
    }

    // The two ready-made fields, fields of the user's own, find over their values; a removed
    // field takes its values with it and stays removed when the file is opened again.
    void userFields() {
        Fixture f;
        f.addRoco("RS1");
        auto names = [&] {
            QStringList n;
            for (const auto &x : f.store.fields())
                n << x.name;
            return n;
        };
        QCOMPARE(names(), QStringList({"Catalogue No.", "Storage Location"}));
        const qint64 era = f.store.addField("Era", records::FieldType::Choice, {"III", " IV "});
        QCOMPARE(f.store.fields().last().choices, QStringList({"III", "IV"}));
        QCOMPARE(refusal([&] { f.store.addField("era", records::FieldType::Text); }),
                 QString("There is already a field named \"era\"."));
        QVERIFY_THROWS_EXCEPTION(platform::Error,
                                 f.store.addField("Kind", records::FieldType::Choice));
        f.store.setFieldValue("RS1", era, "IV");
        QCOMPARE(f.store.itemsWithFieldText("76543"), QSet<QString>({"RS1"}));
        QCOMPARE(f.store.itemsWithFieldText("shelf ö"), QSet<QString>({"RS1"}));
        QVERIFY(f.store.itemsWithFieldText("Lionel").isEmpty());
        QCOMPARE(f.store.itemsHolding(2), 1);
        f.store.removeField(2);
        addSchema(f.pf.databasePath());
        QCOMPARE(names(), QStringList({"Catalogue No.", "Era"}));
        QVERIFY(f.store.itemsWithFieldText("shelf").isEmpty());
        f.store.renameField(era, "Epoch");
        QVERIFY_THROWS_EXCEPTION(platform::Error, f.store.renameField(era, "catalogue no."));
        QVERIFY_THROWS_EXCEPTION(platform::Error, f.store.setFieldValue("RS9", era, "IV"));
        f.store.setFieldValue("RS1", era, "");
        QCOMPARE(f.store.fieldValues("RS1").keys(), QList<qint64>({1}));
    }

    // The value on a past day as the history tells it: the last change up to the end of that
    // day; before the first change, the amount that change replaced; nothing for an item
    // added later or whose value was cleared. Changes of cost do not count.
    void valueOnAPastDay_data() {
        QTest::addColumn<QString>("history"); // "changed|old|new" of each value change
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("changes before and after")
            << "2024-03-01 10:00:00||20;2025-05-31 23:59:59|20|25;2025-06-01 00:00:00|25|40"
            << QVariant(25.0);
        QTest::newRow("first change later") << "2025-07-01 09:00:00|18|30" << QVariant(18.0);
        QTest::newRow("added later") << "2025-07-01 09:00:00||30" << QVariant();
        QTest::newRow("cleared before")
            << "2024-01-01 00:00:00||20;2025-01-01 00:00:00|20|" << QVariant();
        QTest::newRow("no history") << "" << QVariant();
    }
    void valueOnAPastDay() {
        QFETCH(QString, history);
        QFETCH(QVariant, expected);
        Fixture f;
        f.addRoco("RS1");
        f.addRoco("RS2"); // keeps the history the triggers wrote: not before the day
        f.pf.exec("DELETE FROM tblValueHistory WHERE ItemID = 'RS1'");
        f.pf.exec("INSERT INTO tblValueHistory (ItemID, Changed, What, OldAmount, NewAmount) "
                  "VALUES ('RS1', '2025-05-01 00:00:00', 'Cost', NULL, 99)");
        for (const QString &h : history.split(';', Qt::SkipEmptyParts)) {
            const QStringList p = h.split('|');
            f.pf.exec(
                QStringLiteral("INSERT INTO tblValueHistory (ItemID, Changed, What, "
                               "OldAmount, NewAmount) VALUES ('RS1', '%1', 'Value', %2, %3)")
                    .arg(p[0], p[1].isEmpty() ? "NULL" : p[1], p[2].isEmpty() ? "NULL" : p[2]));
        }
        const auto rs = f.store.valuesAsOf(QDate(2025, 5, 31));
        QVariantMap byId;
        for (; !rs->isEOF(); rs->MoveNext())
            byId.insert(rs->text(0), rs->Fields(1));
        const QString rs1 = f.pf.scalar("SELECT ID FROM tblMain WHERE ItemID = 'RS1'").toString();
        QCOMPARE(byId.keys(), expected.isValid() ? QStringList{rs1} : QStringList());
        if (expected.isValid())
            QCOMPARE(byId.value(rs1).toDouble(), expected.toDouble());
    }

    // Incomplete: a field the item's add form requires is blank. The rolling stock form asks
    // for neither condition nor box; the locomotive and full set forms ask for both.
    void incompleteItems_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("incomplete");
        QTest::newRow("complete") << "" << 0;
        QTest::newRow("no curve") << "Curve = NULL" << 1;
        QTest::newRow("blanks for the seller") << "AccquiredFrom = '   '" << 1;
        QTest::newRow("no date") << "DateAccquired = NULL" << 1;
        QTest::newRow("car without condition or box") << "Condition = '', Box = NULL" << 0;
        QTest::newRow("locomotive without box") << "Car = 'NO', Loco = 'YES', Box = NULL" << 1;
        QTest::newRow("full set without condition")
            << "Car = 'NO', FullSet = 'YES', SetNumber = CarNumber, CarNumber = NULL, "
               "Condition = NULL"
            << 1;
    }
    void incompleteItems() {
        QFETCH(QString, change);
        QFETCH(int, incomplete);
        Fixture f;
        f.addRoco("RS1");
        if (!change.isEmpty())
            f.pf.exec("UPDATE tblMain SET " + change);
        const auto rows = collection::CollectionData(f.pf.databasePath()).browseRows();
        QCOMPARE(rows->RecordCount(), 1);
        QCOMPARE(rows->Fields(collection::bcIncomplete).toInt(), incomplete);
    }

    // The collector's fields go out after the designed columns, headed by their names, and
    // come back with the items into an empty collection; a value the new file refuses takes
    // the items with it.
    void fieldsRoundTripThroughCsv() {
        Fixture f;
        f.addRoco("CL-1");
        f.addRoco("CL-2");
        const qint64 era = f.store.addField("Era", records::FieldType::Text);
        f.store.setFieldValue("CL-2", era, "=IV, \"Epoche\"");
        f.store.setFieldValue("CL-1", 2, "");
        const QString csv = f.pf.path() + "/out.csv";
        QCOMPARE(exchange::exportItems(f.pf.databasePath(), csv, exchange::ExportOptions{}), 2);

        const auto planFor = [&](testing::ProgramFolder &to) {
            addSchema(to.databasePath());
            records::Store(to.databasePath()).addField("Era", records::FieldType::Text);
            exchange::ImportOptions o;
            o.today = QDate(2030, 1, 1);
            return exchange::planImport(csv, o, to.databasePath());
        };
        testing::ProgramFolder empty;
        const exchange::ImportPlan plan = planFor(empty);
        QCOMPARE(plan.columns.mid(plan.columns.size() - 3),
                 QStringList({"Catalogue No.", "Storage Location", "Era"}));
        QCOMPARE(exchange::importItems(empty.databasePath(), plan), 2);
        records::Store copy(empty.databasePath());
        for (const QString id : {"CL-1", "CL-2"}) {
            QMap<QString, QString> was, now;
            for (const auto &fd : f.store.fields()) {
                was.insert(fd.name, f.store.fieldValues(id).value(fd.id));
                for (const auto &other : copy.fields())
                    if (other.name == fd.name)
                        now.insert(fd.name, copy.fieldValues(id).value(other.id));
            }
            QCOMPARE(now, was);
        }
        QCOMPARE(copy.fieldValues("CL-2").size(), 3);

        testing::ProgramFolder refusing;
        refusing.exec("CREATE TABLE tblFieldValue (ItemID TEXT COLLATE NOCASE NOT NULL, "
                      "FieldID INTEGER NOT NULL, Value TEXT NOT NULL CHECK (Value <> 'Shelf Ö-3'), "
                      "PRIMARY KEY (ItemID, FieldID))");
        QVERIFY_THROWS_EXCEPTION(platform::Error,
                                 exchange::importItems(refusing.databasePath(), planFor(refusing)));
        QCOMPARE(refusing.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"

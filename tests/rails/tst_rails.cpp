// The store's operations as the program calls them: what each stores, returns and asks.
#include "rails/dllRails.h"
#include "tests/rails/RailsTestData.h"
#include "tests/support/TestSupport.h"

#include <QLocale>
#include <QTest>

using platform::MsgResult;
using testing::itemArgs;

class TestRails : public QObject {
    Q_OBJECT

    struct Fixture {
        testing::ProgramFolder pf;
        testing::ScriptedMsgBox box;
        testing::FakeClock clock;
        dllRails rails;
    };

    static QStringList ids(const RecordsetPtr &rs) {
        QStringList out;
        for (rs->MoveFirst(); !rs->isEOF(); rs->MoveNext())
            out << rs->Fields("ItemID").toString();
        return out;
    }

  private slots:
    void connectionStringNamesTheProgramFolderDatabase() {
        Fixture f;
        QCOMPARE(f.rails.strConnect, "Provider=SQLite;User ID=;Data Source=" + f.pf.path() +
                                         "/zerizori/rails.trk;Persist Security Info=False;");
        QVERIFY(f.rails.conDataBase);
        QCOMPARE(f.rails.conDataBase->CursorLocation, int(engine::adUseClient));
        QCOMPARE(f.rails.conDataBase->State(), int(engine::Connection::adStateClosed));
        QVERIFY(f.rails.strFunction.isEmpty());
    }

    void clean_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("variable");
        QTest::newRow("one quote") << "O'Neil"
                                   << "O''Neil"
                                   << "O''Neil";
        QTest::newRow("two quotes") << "''"
                                    << "''''"
                                    << "''''";
        QTest::newRow("blanks kept in variable") << "  Bob's  "
                                                 << "Bob''s"
                                                 << "  Bob''s  ";
        QTest::newRow("plain trimmed") << "  plain  "
                                       << "plain"
                                       << "  plain  ";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("nuls removed") << QString("a") + QChar(0) + "b" + QChar(0) << "ab"
                                      << "ab";
        QTest::newRow("tabs are not blanks") << "\tx "
                                             << "\tx"
                                             << "\tx ";
    }
    void clean() {
        QFETCH(QString, input);
        QFETCH(QString, result);
        QFETCH(QString, variable);
        testing::ProgramFolder pf;
        dllRails rails;
        QString v = input;
        QCOMPARE(rails.Clean(v), result);
        QCOMPARE(v, variable);
    }

    void insertsStoreEachKind_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("flags"); // FullSet Car Loco Track Accessory
        QTest::addColumn<QString>("numberColumn");
        QTest::newRow("car") << "AddCar"
                             << "NO YES NO NO NO"
                             << "CarNumber";
        QTest::newRow("loco") << "AddLoco"
                              << "NO NO YES NO NO"
                              << "CarNumber";
        QTest::newRow("set") << "AddSet"
                             << "YES NO NO NO NO"
                             << "SetNumber";
    }
    void insertsStoreEachKind() {
        QFETCH(QString, kind);
        QFETCH(QString, flags);
        QFETCH(QString, numberColumn);
        Fixture f;
        auto a = itemArgs("XL-1", "  Bob's note  ");
        a.text[1] = " Lionel ";
        a.text[2] = "Rock Island & Pacific's";
        a.text[8] = "Ünïcödé Shöp";
        a.money = {9999999.99, 1250};
        bool ok = kind == "AddCar"    ? f.rails.AddCar(a.text, a.date, a.money)
                  : kind == "AddLoco" ? f.rails.AddLoco(a.text, a.date, a.money)
                                      : f.rails.AddSet(a.text, a.date, a.money);
        QVERIFY(ok);
        QVERIFY(f.box.boxes().isEmpty());
        // Cleaned elements come back with doubled quotes.
        QCOMPARE(a.text[9], QString("  Bob''s note  "));
        QCOMPARE(a.text[2], QString("Rock Island & Pacific''s"));
        const auto row = f.pf.query(
            "SELECT ItemID, Manufacturer, RailLine, CarType, CarNumber, SetNumber, Gauge, Curve, "
            "CarColor, AccquiredFrom, OriginalCost, CurrentValue, DateAccquired, DateAdd, DateMod, "
            "FullSet || ' ' || Car || ' ' || Loco || ' ' || Track || ' ' || Accessory, Condition, "
            "Box, Notes FROM tblMain")[0];
        QCOMPARE(row[0].toString(), QString("XL-1"));
        QCOMPARE(row[1].toString(), QString(" Lionel ")); // not cleaned, not trimmed
        QCOMPARE(row[2].toString(), QString("Rock Island & Pacific's"));
        QCOMPARE(row[3].toString(), QString("Box Car"));
        const int numberIndex = numberColumn == "CarNumber" ? 4 : 5;
        QCOMPARE(row[numberIndex].toString(), QString("6464"));
        QVERIFY(row[9 - numberIndex].isNull());
        QCOMPARE(row[6].toString(), QString("O-27"));
        QCOMPARE(row[9].toString(), QString("Ünïcödé Shöp"));
        QCOMPARE(row[10].toDouble(), 9999999.99);
        QCOMPARE(row[11].toDouble(), 1250.0);
        QCOMPARE(row[12].toString(), QString("2007-08-16"));
        QCOMPARE(row[13].toString(), QString("2026-03-14 09:26:53"));
        QVERIFY(row[14].isNull());
        QCOMPARE(row[15].toString(), flags);
        QCOMPARE(row[16].toString(), QString("Good"));
        QCOMPARE(row[17].toString(), QString("YES"));
        QCOMPARE(row[18].toString(), QString("Bob's note"));
    }

    void amountsAndDatesDoNotDependOnTheLocale() {
        Fixture f;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        auto a = itemArgs("CL-1");
        a.money = {12.35, 100000.01};
        a.date = QDateTime(QDate(2020, 2, 29), QTime(0, 0));
        const bool ok = f.rails.AddCar(a.text, a.date, a.money);
        QLocale::setDefault(QLocale::c());
        QVERIFY(ok);
        const auto row =
            f.pf.query("SELECT OriginalCost, CurrentValue, DateAccquired FROM tblMain")[0];
        QCOMPARE(row[0].toDouble(), 12.35);
        QCOMPARE(row[1].toDouble(), 100000.01);
        QCOMPARE(row[2].toString(), QString("2020-02-29"));
    }

    void updatesChangeTheItemOnly() {
        Fixture f;
        auto a = itemArgs("CL-1");
        QVERIFY(f.rails.AddCar(a.text, a.date, a.money));
        auto b = itemArgs("CL-2");
        QVERIFY(f.rails.AddCar(b.text, b.date, b.money));
        f.clock.advance(3600);
        auto u = itemArgs("CL-1", "Repainted");
        u.text[3] = "Caboose - Work's";
        u.text[11] = "NO";
        u.money = {1, 2};
        QVERIFY(f.rails.UpdateCar(u.text, u.date, u.money));
        const auto rows = f.pf.query("SELECT ItemID, CarType, Box, Notes, OriginalCost, DateAdd, "
                                     "DateMod, Car FROM tblMain ORDER BY ID");
        QCOMPARE(rows[0][1].toString(), QString("Caboose - Work's"));
        QCOMPARE(rows[0][2].toString(), QString("NO"));
        QCOMPARE(rows[0][3].toString(), QString("Repainted"));
        QCOMPARE(rows[0][4].toDouble(), 1.0);
        QCOMPARE(rows[0][5].toString(), QString("2026-03-14 09:26:53"));
        QCOMPARE(rows[0][6].toString(), QString("2026-03-14 10:26:53"));
        QCOMPARE(rows[0][7].toString(), QString("YES"));
        QCOMPARE(rows[1][3].toString(), QString("Mint")); // the other item is untouched
        QVERIFY(rows[1][6].isNull());
    }

    // An update or delete naming no stored item reports the failure like any other: the
    // caller is never told that something was saved or deleted when nothing was.
    void missingItemsAreReported_data() {
        QTest::addColumn<QString>("operation");
        for (const char *op :
             {"UpdateCar", "UpdateLoco", "UpdateSet", "UpdateTrack", "UpdateAccessory", "DeleteCar",
              "DeleteLoco", "DeleteSet", "DeleteTrack", "DeleteAccessory"})
            QTest::newRow(op) << op;
    }
    void missingItemsAreReported() {
        QFETCH(QString, operation);
        Fixture f;
        auto a = itemArgs("CL-1");
        QVERIFY(f.rails.AddCar(a.text, a.date, a.money));
        const auto before = f.pf.query("SELECT * FROM tblMain");
        auto u = itemArgs("CL-99", "changed");
        QString id = "CL-99";
        using Update = bool (dllRails::*)(QStringList &, QDateTime &, QList<double> &);
        using Delete = bool (dllRails::*)(QString &);
        const QHash<QString, Update> updates{{"UpdateCar", &dllRails::UpdateCar},
                                             {"UpdateLoco", &dllRails::UpdateLoco},
                                             {"UpdateSet", &dllRails::UpdateSet},
                                             {"UpdateTrack", &dllRails::UpdateTrack},
                                             {"UpdateAccessory", &dllRails::UpdateAccessory}};
        const QHash<QString, Delete> deletes{{"DeleteCar", &dllRails::DeleteCar},
                                             {"DeleteLoco", &dllRails::DeleteLoco},
                                             {"DeleteSet", &dllRails::DeleteSet},
                                             {"DeleteTrack", &dllRails::DeleteTrack},
                                             {"DeleteAccessory", &dllRails::DeleteAccessory}};
        const bool result = updates.contains(operation)
                                ? (f.rails.*updates[operation])(u.text, u.date, u.money)
                                : (f.rails.*deletes[operation])(id);
        QVERIFY(!result);
        QCOMPARE(f.pf.query("SELECT * FROM tblMain"), before);
        // One failure box naming the item; a delete asks no question about an item not there.
        QCOMPARE(f.box.boxes().size(), 1);
        QCOMPARE(f.box.boxes()[0].icon, platform::MsgIcon::Critical);
        QVERIFY2(f.box.boxes()[0].prompt.contains("CL-99"), qPrintable(f.box.boxes()[0].prompt));
        QVERIFY(f.box.boxes()[0].prompt.endsWith("Function: " + operation));
        QVERIFY(f.pf.readLog().contains("CL-99"));
        QCOMPARE(f.rails.conDataBase->State(), int(engine::Connection::adStateClosed));
    }

    void updateVariantsNameTheirColumns() {
        Fixture f;
        f.pf.exec("INSERT INTO tblMain (ItemID, FullSet, Car, Loco, Track, Accessory, Condition, "
                  "Box) VALUES "
                  "('SL-1','YES','NO','NO','NO','NO','Good','YES'),"
                  "('TL-2','NO','NO','NO','YES','NO','Good','YES')");
        auto s = itemArgs("SL-1");
        s.text[4] = "Set 42";
        QVERIFY(f.rails.UpdateSet(s.text, s.date, s.money));
        QCOMPARE(f.pf.scalar("SELECT SetNumber FROM tblMain WHERE ItemID='SL-1'").toString(),
                 QString("Set 42"));
        QVERIFY(f.pf.scalar("SELECT CarNumber FROM tblMain WHERE ItemID='SL-1'").isNull());
        auto t = itemArgs("TL-2");
        t.text[7] = "Silver";
        t.text[10] = "Poor";
        QVERIFY(f.rails.UpdateTrack(t.text, t.date, t.money));
        const auto row =
            f.pf.query("SELECT Color, CarColor, Condition FROM tblMain WHERE ItemID='TL-2'")[0];
        QCOMPARE(row[0].toString(), QString("Silver"));
        QVERIFY(row[1].isNull());
        QCOMPARE(row[2].toString(), QString("Good")); // tracks keep condition and box
        t.text[7] = "Gold";
        QVERIFY(f.rails.UpdateAccessory(t.text, t.date, t.money));
        QCOMPARE(
            f.pf.query("SELECT Color, CarColor, Condition FROM tblMain WHERE ItemID='TL-2'")[0],
            (QVariantList{"Gold", QVariant(), "Good"}));
        t.text[7] = "Black"; // a locomotive's update writes the car colour, condition and box
        QVERIFY(f.rails.UpdateLoco(t.text, t.date, t.money));
        QCOMPARE(
            f.pf.query("SELECT Color, CarColor, Condition FROM tblMain WHERE ItemID='TL-2'")[0],
            (QVariantList{"Gold", "Black", "Poor"}));
    }

    void newItemNumbersFollowTheNewestRow() {
        Fixture f;
        auto rs = f.rails.GetNewItemID();
        QVERIFY(rs && !rs->isEOF());
        QVERIFY(rs->Fields("NewItemID").isNull());
        for (int i = 1; i <= 9; ++i) {
            auto a = itemArgs(QString("%1-%2").arg(i % 3 ? "CL" : "LL").arg(i));
            QVERIFY(i % 2 ? f.rails.AddCar(a.text, a.date, a.money)
                          : f.rails.AddLoco(a.text, a.date, a.money));
        }
        QCOMPARE(f.rails.GetNewItemID()->Fields("NewItemID").toInt(), 9);
        f.box.answer(MsgResult::Yes);
        QString last = "LL-9"; // the newest row, whatever its kind
        QVERIFY(f.rails.DeleteCar(last));
        QCOMPARE(f.rails.GetNewItemID()->Fields("NewItemID").toInt(), 8);
        auto a = itemArgs("CL-9");
        QVERIFY(f.rails.AddCar(a.text, a.date, a.money));
        QCOMPARE(f.rails.GetNewItemID()->Fields("NewItemID").toInt(),
                 10); // counter never goes back
    }

    void listingsAndPresence() {
        Fixture f;
        QVERIFY(f.rails.LoadEditCar()->isEOF() && f.rails.LoadEditCar()->isBOF());
        QVERIFY(f.rails.RefreshCars()->isEOF());
        for (const char *id : {"CL-2", "CL-10", "CL-1"}) {
            auto a = itemArgs(id);
            QVERIFY(f.rails.AddCar(a.text, a.date, a.money));
        }
        auto l = itemArgs("LL-3");
        QVERIFY(f.rails.AddLoco(l.text, l.date, l.money));
        f.pf.exec("INSERT INTO tblMain (ItemID, FullSet, Car, Loco, Track, Accessory) VALUES "
                  "('TR-1','NO','NO','NO','YES','NO'),('AC-1','NO','NO','NO','NO','YES')");
        QCOMPARE(ids(f.rails.LoadEditCar()), QStringList({"CL-1", "CL-10", "CL-2"}));
        QCOMPARE(ids(f.rails.LoadDeleteCar()), ids(f.rails.LoadEditCar()));
        QCOMPARE(ids(f.rails.LoadEditLoco()), QStringList({"LL-3"}));
        QCOMPARE(ids(f.rails.LoadDeleteLoco()), QStringList({"LL-3"}));
        QVERIFY(f.rails.LoadEditSet()->isEOF());
        QVERIFY(f.rails.LoadDeleteSet()->isEOF());
        QCOMPARE(ids(f.rails.LoadEditTrack()), QStringList({"TR-1"}));
        QCOMPARE(ids(f.rails.LoadEditAccessory()), QStringList({"AC-1"}));
        QCOMPARE(f.rails.RefreshTrains()->RecordCount(), 6);
        QCOMPARE(f.rails.RefreshCars()->RecordCount(), 3);
        QCOMPARE(f.rails.RefreshLocos()->RecordCount(), 1);
        QVERIFY(f.rails.RefreshSets()->isEOF());
        QCOMPARE(f.rails.RefreshTracks()->RecordCount(), 1);
        QCOMPARE(f.rails.RefreshAccessory()->RecordCount(), 1);
        auto all = f.rails.LoadEditCar();
        QCOMPARE(all->fieldCount(), f.pf.query("PRAGMA table_info(tblMain)").size());
        QVERIFY(f.box.boxes().isEmpty());
    }

    void deleteAsksInsideTheTransaction_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("left");
        QTest::newRow("no keeps the row") << "No"
                                          << "CL-1" << false << 2;
        QTest::newRow("yes deletes") << "Yes"
                                     << "CL-1" << true << 1;
        QTest::newRow("any kind") << "Yes"
                                  << "LL-2" << true << 1;
    }
    void deleteAsksInsideTheTransaction() {
        QFETCH(QString, answer);
        QFETCH(QString, target);
        QFETCH(bool, result);
        QFETCH(int, left);
        Fixture f;
        auto a = itemArgs("CL-1");
        QVERIFY(f.rails.AddCar(a.text, a.date, a.money));
        auto b = itemArgs("LL-2");
        QVERIFY(f.rails.AddLoco(b.text, b.date, b.money));
        int openWhileAsking = -1;
        f.box.onShow = [&](const platform::MsgRequest &) {
            openWhileAsking = f.rails.conDataBase->State();
        };
        f.box.answer(answer == "Yes" ? MsgResult::Yes : MsgResult::No);
        QCOMPARE(f.rails.DeleteCar(target), result);
        QCOMPARE(f.pf.scalar("SELECT COUNT(*) FROM tblMain").toInt(), left);
        QCOMPARE(f.box.boxes().size(), 1);
        const auto &q = f.box.boxes()[0];
        QCOMPARE(
            q.prompt,
            QString(
                "Delete this Rolling Stock Record?\r\n\r\nOnce deleted it can't be recovered!"));
        QCOMPARE(q.title, QString("** WARNING **"));
        QCOMPARE(q.icon, platform::MsgIcon::Question);
        QCOMPARE(q.buttons, platform::MsgButtons::YesNo);
        QCOMPARE(q.defaultButton, platform::MsgDefault::Button2);
        QCOMPARE(openWhileAsking, int(engine::Connection::adStateOpen));
        QCOMPARE(f.rails.conDataBase->State(), int(engine::Connection::adStateClosed));
        QVERIFY(!QFile::exists(f.pf.logPath()));
    }

    void deleteQuestionsPerKind() {
        Fixture f;
        QString id = "XL-1";
        f.pf.exec("INSERT INTO tblMain (ItemID) VALUES ('XL-1')");
        using Del = bool (dllRails::*)(QString &);
        const QList<QPair<Del, QString>> ops{{&dllRails::DeleteLoco, "Locomotive"},
                                             {&dllRails::DeleteSet, "Full Set"},
                                             {&dllRails::DeleteTrack, "Track"},
                                             {&dllRails::DeleteAccessory, "Accessory"}};
        for (const auto &[op, word] : ops) {
            f.box.answer(MsgResult::No);
            QVERIFY(!(f.rails.*op)(id));
            QVERIFY(f.box.boxes().last().prompt.startsWith("Delete this " + word + " Record?\r\n"));
        }
    }

    // Any text a user types is stored as typed, in every field: the statements quote what
    // they paste, so quotes, backslashes and semicolons neither fail nor change a statement.
    void everyFieldTakesAnyText_data() {
        QTest::addColumn<int>("element");
        QTest::addColumn<QString>("value");
        const char *columns[] = {"ItemID",        "Manufacturer", "RailLine",  "CarType",
                                 "CarNumber",     "Gauge",        "Curve",     "CarColor",
                                 "AccquiredFrom", "Notes",        "Condition", "Box"};
        for (int e = 0; e < 12; ++e)
            for (const char *v :
                 {"O'Brien's", "40' Box Car", "C:\\Trains\\", "x'; DELETE FROM tblMain; --", "''"})
                QTest::newRow(qPrintable(QString("%1 %2").arg(columns[e], v))) << e << QString(v);
    }
    void everyFieldTakesAnyText() {
        QFETCH(int, element);
        QFETCH(QString, value);
        const QString columns[] = {"ItemID",        "Manufacturer", "RailLine",  "CarType",
                                   "CarNumber",     "Gauge",        "Curve",     "CarColor",
                                   "AccquiredFrom", "Notes",        "Condition", "Box"};
        const QString column = columns[element];
        Fixture f;
        auto other = itemArgs("CL-1", "keep");
        QVERIFY(f.rails.AddCar(other.text, other.date, other.money));
        auto a = itemArgs("CL-2");
        a.text[element] = value;
        const QString key = a.text[0];
        QVERIFY(f.rails.AddCar(a.text, a.date, a.money));
        const QString stored = "SELECT " + column + " FROM tblMain WHERE ID = 2";
        QCOMPARE(f.pf.scalar(stored).toString(), value);

        auto u = itemArgs(key, "edited");
        u.text[element] = element == 0 ? key : value + " 2";
        QVERIFY(f.rails.UpdateCar(u.text, u.date, u.money));
        QCOMPARE(f.pf.scalar(stored).toString(), element == 0 ? value : value + " 2");
        if (element != 9)
            QCOMPARE(f.pf.scalar("SELECT Notes FROM tblMain WHERE ID = 2").toString(),
                     QString("edited"));

        QString id = key;
        f.box.answer(MsgResult::Yes);
        QVERIFY(f.rails.DeleteCar(id));
        QCOMPARE(f.pf.query("SELECT ItemID, Notes FROM tblMain"),
                 QList<QVariantList>({{"CL-1", "keep"}}));
        QCOMPARE(f.box.boxes().size(), 1); // the question only, no failure
    }

    void ownerProfile() {
        Fixture f;
        QVERIFY(f.rails.RefreshOwner()->isEOF());
        QVERIFY(f.rails.LoadOwner()->isEOF());
        QStringList none{"a", "b", "c", "d", "e", "f", "g", "h"};
        QVERIFY(f.rails.UpdateOwner(none)); // no rows: nothing changes, still true
        QStringList o{"  O'Brien ",       "Seán",         "1 Main St", "Springfield", "IL", "62701",
                      "sean@example.com", "Seán O'Brien", "O-1"};
        QVERIFY(f.rails.AddOwner(o));
        QCOMPARE(o[0], QString("  O''Brien "));
        auto rs = f.rails.LoadOwner();
        QCOMPARE(rs->Fields("LName").toString(), QString("O'Brien"));
        QCOMPARE(rs->Fields("FullName").toString(), QString("Seán O'Brien"));
        QCOMPARE(rs->Fields("OwnerID").toString(), QString("O-1"));
        QCOMPARE(rs->Fields("DateAdd").toString(), QString("2026-03-14 09:26:53"));
        QVERIFY(rs->Fields("DateMod").isNull());
        QVERIFY(!f.rails.RefreshOwner()->isEOF());
        f.clock.advance(60);
        QStringList u{"D'Arcy", "Ann",   "2 Elm",           "Salem",
                      "OR",     "97301", "ann@example.com", "Ann D'Arcy"};
        QVERIFY(f.rails.UpdateOwner(u));
        rs = f.rails.LoadOwner();
        QCOMPARE(rs->Fields("LName").toString(), QString("D'Arcy"));
        QCOMPARE(rs->Fields("FullName").toString(), QString("Ann D'Arcy"));
        QCOMPARE(rs->Fields("DateAdd").toString(), QString("2026-03-14 09:26:53"));
        QCOMPARE(rs->Fields("DateMod").toString(), QString("2026-03-14 09:27:53"));
        QCOMPARE(rs->Fields("OwnerID").toString(), QString("O-1"));
    }
};

QTEST_GUILESS_MAIN(TestRails)
#include "tst_rails.moc"

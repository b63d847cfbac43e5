// The three add forms driven through keyboard and mouse: checks, messages, what is stored,
// item numbers and the keyboard path through the fields.
#include "tests/support/TestSupport.h"
#include "tests/trains/items/ItemAddKit.h"
#include "trains/Forms.h"
#include "trains/items/AddForms.h"
#include "trains/items/ItemFieldSet.h"
#include "trains/modGlobal.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <memory>

using platform::MsgButtons;
using platform::MsgDefault;
using platform::MsgIcon;
using platform::MsgResult;
using namespace addkit;

class TestItemAdd : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void formsOpenWithTheirTexts_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("heading");
        QTest::newRow("car") << 0 << "frmAddCar"
                             << "Add New Rolling Stock";
        QTest::newRow("loco") << 1 << "frmAddLoco"
                              << "Add New Locomotive";
        QTest::newRow("set") << 2 << "frmAddSet"
                             << "Add New Train Set";
    }
    void formsOpenWithTheirTexts() {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QString, heading);
        Fixture f(kind);
        std::unique_ptr<QWidget> viaTable(createForm(kind == 0   ? FormId::AddCar
                                                     : kind == 1 ? FormId::AddLoco
                                                                 : FormId::AddSet));
        QVERIFY(viaTable);
        QCOMPARE(viaTable->objectName(), name);
        QCOMPARE(QString(viaTable->metaObject()->className()), name);
        QVERIFY(viaTable->testAttribute(Qt::WA_DeleteOnClose));

        QWidget *form = f.form.get();
        QCOMPARE(form->windowTitle(), QStringLiteral("Quillon  -  2.0"));
        QCOMPARE(form->findChild<QLabel *>("Label25")->text(), heading);
        QVERIFY(objRails);
        QCOMPARE(kit::fieldAs<QDateEdit>(form, "Date Accquired")->date(), f.today());
        QCOMPARE(kit::field(form, "Rail Line")->toolTip(), QStringLiteral(" Road name "));
        QCOMPARE(kit::button(form, "&Clear")->toolTip(),
                 QStringLiteral(" Clears all fields in the form "));
        QVERIFY(kit::button(form, "&Save"));
        QVERIFY(kit::button(form, "e&Xit"));
        QVERIFY(kit::field(form, typeCaption(kind)));
        QVERIFY(kit::field(form, numberCaption(kind)));
        // Every field empty and no box answer on a fresh form.
        QVERIFY(!kit::fieldAs<QRadioButton>(form, "Box Included")->isChecked());
        QVERIFY(!kit::button(form, "No")->isChecked());
        for (auto *c : form->findChildren<QComboBox *>())
            QCOMPARE(c->currentText(), QString());
        QCOMPARE(f.box.boxes().size(), 0);
    }

    void typeListsFollowTheKind() {
        Fixture car(0);
        auto *carTypes = kit::fieldAs<QComboBox>(car.form.get(), "Car Type");
        QCOMPARE(carTypes->count(), 46);
        QCOMPARE(carTypes->itemText(4), QStringLiteral("Box Car - Double Sheathed"));
        QCOMPARE(carTypes->itemText(33), QStringLiteral("Other"));
        QCOMPARE(kit::fieldAs<QComboBox>(car.form.get(), "Manufacturer")->count(), 20);
        QCOMPARE(kit::fieldAs<QComboBox>(car.form.get(), "Gauge / Scale")->itemText(6),
                 QStringLiteral("Z Guage"));
        Fixture loco(1);
        auto *locoTypes = kit::fieldAs<QComboBox>(loco.form.get(), "Locomotive Type");
        QCOMPARE(locoTypes->count(), 4);
        QCOMPARE(locoTypes->itemText(2), QStringLiteral("Electric"));

        // Every list is as wide as twelve letters and an icon, however long its items, and
        // drops down below its box as at most twenty rows with a scroll bar.
        QComboBox reference;
        for (int i = 0; i < carTypes->count(); ++i)
            reference.addItem(carTypes->itemText(i));
        reference.setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        reference.setMinimumContentsLength(12);
        QCOMPARE(carTypes->sizeHint(), reference.sizeHint());
        QCOMPARE(carTypes->minimumSizeHint(), reference.minimumSizeHint());
        car.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(car.form.get()));
        QTest::mouseClick(carTypes, Qt::LeftButton);
        QTRY_VERIFY(carTypes->view()->isVisible());
        QVERIFY(carTypes->view()->verticalScrollBar()->isVisible());
        QCOMPARE(carTypes->style()->styleHint(QStyle::SH_ComboBox_Popup, nullptr, carTypes), 0);
        const int rowHeight = carTypes->view()->sizeHintForRow(0);
        QVERIFY2(
            carTypes->view()->height() <= 21 * rowHeight &&
                carTypes->view()->height() >= 19 * rowHeight,
            qPrintable(
                QString("%1 px for rows of %2").arg(carTypes->view()->height()).arg(rowHeight)));
        carTypes->hidePopup();
    }

    // Several fields wrong at once: only the first in the fixed order is reported, with the
    // focus on its field; an amount that fails is emptied.
    void checksRunInOrder_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("blank"); // captions of fields left empty
        QTest::addColumn<QString>("cost");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("tomorrow");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        const QStringList all{"Manufacturer",  "Rail Line",     "Type",  "Number",
                              "Gauge / Scale", "Minimum Curve", "Color", "Accquired From"};
        QTest::newRow("everything empty") << 0 << all << ""
                                          << "" << true << "Manufacturer is missing! "
                                          << "Manufacturer";
        QTest::newRow("rail line first") << 1 << all.mid(1) << "x"
                                         << "" << true << "Rail Line is missing! "
                                         << "Rail Line";
        QTest::newRow("car type") << 0 << all.mid(2) << ""
                                  << "" << false << "Car Type is missing! "
                                  << "Car Type";
        QTest::newRow("loco type") << 1 << all.mid(2) << ""
                                   << "" << false << "Locomotive Type is missing! "
                                   << "Locomotive Type";
        QTest::newRow("set type") << 2 << all.mid(2) << ""
                                  << "" << false << "Locomotive Type is missing! "
                                  << "Locomotive Type";
        QTest::newRow("car number") << 0 << all.mid(3) << ""
                                    << "" << false << "Car Number is missing! "
                                    << "Car Number";
        QTest::newRow("loco number") << 1 << all.mid(3) << ""
                                     << "" << false << "Locomotive Number is missing! "
                                     << "Car Number";
        QTest::newRow("set number") << 2 << all.mid(3) << ""
                                    << "" << false << "Set Number is missing! "
                                    << "Set Number";
        QTest::newRow("gauge") << 0 << all.mid(4) << "abc"
                               << "" << false << "Gauge is missing! "
                               << "Gauge / Scale";
        QTest::newRow("curve") << 2 << all.mid(5) << ""
                               << "" << false << "Minimum Curve is missing! "
                               << "Minimum Curve";
        QTest::newRow("colour") << 0 << all.mid(6) << ""
                                << "" << false << "Color is missing! "
                                << "Color";
        QTest::newRow("acquired from") << 1 << all.mid(7) << ""
                                       << "" << true << "Accquired From is missing! "
                                       << "Accquired From";
        QTest::newRow("cost before value and date")
            << 0 << QStringList() << "abc"
            << "1.2.3" << true << "Incorrect data in the Original Cost box! "
            << "Original Cost";
        QTest::newRow("value before date")
            << 2 << QStringList() << "5"
            << "12$x" << true << "Incorrect data in the Current Value box! "
            << "Current Value";
        QTest::newRow("date before condition")
            << 1 << QStringList{"Condition", "Box"} << ""
            << "" << true << "Date Accquired is later than the current date! "
            << "Date Accquired";
        QTest::newRow("condition") << 1 << QStringList{"Condition", "Box"} << ""
                                   << "" << false << "Condition is missing! "
                                   << "Condition";
        QTest::newRow("box answer") << 2 << QStringList{"Box"} << ""
                                    << "" << false << "Is Box included?"
                                    << "Yes";
        QTest::newRow("blanks only are empty") << 0 << QStringList{"Rail Line blanks"} << ""
                                               << "" << false << "Rail Line is missing! "
                                               << "Rail Line";
    }
    void checksRunInOrder() {
        QFETCH(int, kind);
        QFETCH(QStringList, blank);
        QFETCH(QString, cost);
        QFETCH(QString, value);
        QFETCH(bool, tomorrow);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Fixture f(kind);
        QVERIFY(kit::show(f.form.get()));
        kit::Entry e = entryFor(kind);
        const auto drop = [&](const char *cap, QString &member) {
            if (blank.contains(QLatin1String(cap)))
                member.clear();
        };
        drop("Manufacturer", e.manufacturer);
        drop("Rail Line", e.railLine);
        drop("Type", e.type);
        drop("Number", e.number);
        drop("Gauge / Scale", e.gauge);
        drop("Minimum Curve", e.curve);
        drop("Color", e.colour);
        drop("Accquired From", e.from);
        drop("Condition", e.condition);
        drop("Box", e.box);
        if (blank.contains("Rail Line blanks"))
            e.railLine = "     ";
        e.cost = cost;
        e.value = value;
        f.fill(e);
        if (blank.contains("Rail Line"))
            kit::type(f.form.get(), "Rail Line", "");
        if (tomorrow) {
            const QDate d = f.today().addDays(1);
            kit::typeDate(f.form.get(), d);
        }
        QVERIFY(!QTest::currentTestFailed());
        const QString valueBefore = kit::fieldAs<QLineEdit>(f.form.get(), "Current Value")->text();

        kit::click(f.form.get(), "&Save");

        QCOMPARE(f.box.boxes().size(), 1);
        const auto &b = f.box.boxes()[0];
        QCOMPARE(b.prompt, message);
        QCOMPARE(b.title, QStringLiteral("Quillon"));
        QCOMPARE(b.icon, MsgIcon::Critical);
        QCOMPARE(b.buttons, MsgButtons::OK);
        QCOMPARE(kit::focusCaption(f.form.get()), focus);
        QCOMPARE(f.rows(), 0);
        auto *costBox = kit::fieldAs<QLineEdit>(f.form.get(), "Original Cost");
        auto *valueBox = kit::fieldAs<QLineEdit>(f.form.get(), "Current Value");
        if (message.contains("Original Cost")) {
            QCOMPARE(costBox->text(), QString());
            QCOMPARE(valueBox->text(), valueBefore); // only the failing amount is emptied
        } else if (message.contains("Current Value")) {
            QCOMPARE(valueBox->text(), QString());
            QCOMPARE(costBox->text(), cost);
        } else {
            QCOMPARE(costBox->text(), cost);
        }
    }

    // Rolling stock asks neither for the condition nor for the box answer.
    void carStoresWithoutConditionAndBox() {
        Fixture f(0);
        QVERIFY(kit::show(f.form.get()));
        kit::Entry e = entryFor(0);
        e.condition.clear();
        e.box.clear();
        f.fill(e);
        f.box.answer(MsgResult::No);
        QTest::keyClick(f.form->windowHandle(), Qt::Key_S, Qt::AltModifier); // Save's access key
        QTRY_COMPARE(f.box.boxes().size(), 1); // an access key presses its button a moment later
        QCOMPARE(f.pf.query("SELECT Condition, Box FROM tblMain"),
                 (QList<QVariantList>{{QString(), QStringLiteral("NO")}}));
    }

    void amountsAreRoundedToCents_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("stored");
        QTest::newRow("three decimals") << "12.346" << 12.35;
        QTest::newRow("grouped") << "1,250" << 1250.0;
        QTest::newRow("grouped with cents") << "1,250.00" << 1250.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("plain") << "1250" << 1250.0;
        QTest::newRow("blanks around") << "  7.5  " << 7.5;
        QTest::newRow("ten digits") << "1234567.89" << 1234567.89;
        QTest::newRow("rounds down") << "0.444" << 0.44;
    }
    void amountsAreRoundedToCents() {
        QFETCH(QString, typed);
        QFETCH(double, stored);
        Fixture f(0);
        QVERIFY(kit::show(f.form.get()));
        kit::Entry e = entryFor(0);
        e.cost = typed;
        e.value = typed;
        f.fill(e);
        f.box.answer(MsgResult::Yes);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 1);
        const auto row = f.pf.query("SELECT OriginalCost, CurrentValue FROM tblMain");
        QCOMPARE(row.size(), 1);
        QCOMPARE(row[0][0].toDouble(), stored);
        QCOMPARE(row[0][1].toDouble(), stored);
    }

    void dateLaterThanTodayRefusedTodayAccepted() {
        Fixture f(2);
        QVERIFY(kit::show(f.form.get()));
        f.fill(entryFor(2));
        const QDate tomorrow = f.today().addDays(1);
        kit::typeDate(f.form.get(), tomorrow);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 1);
        QCOMPARE(f.box.boxes()[0].prompt, "Date Accquired is later than the current date! ");
        QCOMPARE(f.rows(), 0);

        kit::typeDate(f.form.get(), f.today());
        f.box.answer(MsgResult::Yes);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 2);
        QCOMPARE(f.box.boxes()[1].title, QStringLiteral("Record Saved Successfully"));
        QCOMPARE(f.pf.scalar("SELECT DateAccquired FROM tblMain").toString(),
                 QStringLiteral("2026-03-14"));
    }

    // One number sequence over every kind, from the newest row's counter.
    void itemNumbersCountOverAllKinds() {
        testing::ProgramFolder pf;
        testing::ScriptedMsgBox box;
        testing::FakeClock clock;
        SetProgramFolder(pf.path());
        for (int i = 1; i <= 4; ++i)
            pf.exec(QString("INSERT INTO tblMain (ID, ItemID, Car, Loco, FullSet) "
                            "VALUES (%1, 'X-%1', 'NO', 'NO', 'NO')")
                        .arg(i));
        const auto add = [&](int kind) {
            std::unique_ptr<QWidget> form(newForm(kind));
            form->setAttribute(Qt::WA_DeleteOnClose, false);
            QVERIFY(kit::show(form.get()));
            kit::fill(form.get(), typeCaption(kind), numberCaption(kind), entryFor(kind));
            box.answer(MsgResult::No);
            kit::click(form.get(), "&Save");
        };
        add(0);
        add(1);
        add(2);
        QCOMPARE(box.unexpected(), 0);
        const auto rows = pf.query("SELECT ItemID, Car, Loco, FullSet, CarNumber, SetNumber "
                                   "FROM tblMain WHERE ID > 4 ORDER BY ID");
        QCOMPARE(rows, (QList<QVariantList>{
                           {"CL-5", "YES", "NO", "NO", "4021", QVariant()},
                           {"LL-6", "NO", "YES", "NO", "4021", QVariant()},
                           {"SL-7", "NO", "NO", "YES", QVariant(), "4021"},
                       }));
        // The newest row deleted: its number is handed out again.
        pf.exec("DELETE FROM tblMain WHERE ItemID = 'SL-7'");
        add(0);
        QCOMPARE(pf.scalar("SELECT ItemID FROM tblMain ORDER BY ID DESC LIMIT 1").toString(),
                 QStringLiteral("CL-7"));
        SetProgramFolder(QString());
    }

    void emptyTableStartsAtOne() {
        Fixture f(1);
        QVERIFY(kit::show(f.form.get()));
        f.fill(entryFor(1));
        f.box.answer(MsgResult::Yes);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.pf.scalar("SELECT ItemID FROM tblMain").toString(), QStringLiteral("LL-1"));
    }

    // Quotes, backslashes, semicolons and non-ASCII text in every field come back exactly as
    // typed or chosen; the drop-down lists may hold such entries of the user's own.
    void freeTextStoredExactly_data() { addKinds(); }
    void freeTextStoredExactly() {
        QFETCH(int, kind);
        Fixture f(kind);
        QVERIFY(kit::show(f.form.get()));
        kit::Entry e = entryFor(kind);
        const std::pair<QString, QString *> lists[] = {{"Manufacturer", &e.manufacturer},
                                                       {typeCaption(kind), &e.type},
                                                       {"Gauge / Scale", &e.gauge},
                                                       {"Minimum Curve", &e.curve},
                                                       {"Condition", &e.condition}};
        const QStringList kept{"O'Brien's", "40' Box Car", "On30 \\ 'narrow'",
                               "O-31; DROP TABLE tblMain", "Fair'); DELETE FROM tblMain; --"};
        for (int i = 0; i < kept.size(); ++i) {
            kit::fieldAs<QComboBox>(f.form.get(), lists[i].first)->addItem(kept[i]);
            *lists[i].second = kept[i];
        }
        e.railLine = QStringLiteral("O'Brien's Łódź – Zürich \\ ;");
        e.number = QStringLiteral("Nº 4'2 ü");
        e.colour = QStringLiteral("Crème 'brûlée'");
        e.from = QStringLiteral("Grand'mère Ærø ''x''");
        e.notes = QStringLiteral("It's «Märklin»\nline two: 'quoted' ½ € 中文");
        f.fill(e);
        f.box.answer(MsgResult::No);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 1);
        QCOMPARE(f.box.boxes()[0].title, QStringLiteral("Record Saved Successfully"));
        const QString number = kind == 2 ? "SetNumber" : "CarNumber";
        const auto rows = f.pf.query("SELECT RailLine, " + number +
                                     ", CarColor, AccquiredFrom, Notes, Manufacturer, CarType, "
                                     "Gauge, Curve, Condition, Box FROM tblMain");
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0],
                 (QVariantList{e.railLine, e.number, e.colour, e.from, e.notes, e.manufacturer,
                               e.type, e.gauge, e.curve, e.condition, "YES"}));
    }

    // The highlight follows the focus; Enter in a text box jumps to its next field.
    void highlightAndEnterChain_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("rail line") << "Rail Line"
                                   << "Car Type";
        QTest::newRow("number") << "Car Number"
                                << "Gauge / Scale";
        QTest::newRow("colour") << "Color"
                                << "Accquired From";
        QTest::newRow("acquired from") << "Accquired From"
                                       << "Original Cost";
        QTest::newRow("cost") << "Original Cost"
                              << "Current Value";
        QTest::newRow("value") << "Current Value"
                               << "Date Accquired";
    }
    void highlightAndEnterChain() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        Fixture f(0);
        QWidget *form = f.form.get();
        QVERIFY(kit::show(form));
        kit::type(form, from, "12");
        QCOMPARE(kit::litCaptions(form), QStringList{from});
        QTest::keyClick(kit::field(form, from), Qt::Key_Return);
        QCOMPARE(kit::focusCaption(form), to);
        QCOMPARE(kit::litCaptions(form), QStringList{to});
        QCOMPARE(kit::fieldAs<QLineEdit>(form, from)->text(), QStringLiteral("12"));
        QCOMPARE(f.box.boxes().size(), 0);
    }

    void tabOrderWalksTheFieldSet() {
        Fixture f(1);
        QWidget *form = f.form.get();
        QVERIFY(kit::show(form));
        kit::field(form, "Manufacturer")->setFocus(Qt::TabFocusReason);
        QStringList seen{kit::focusCaption(form)};
        QStringList lit{kit::litCaptions(form).join('|')};
        // The Yes/No pair is one tab stop; the arrow keys move between its two buttons.
        for (int i = 0; i < 15; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << kit::focusCaption(form);
            lit << kit::litCaptions(form).join('|');
        }
        QCOMPARE(seen, (QStringList{"Manufacturer", "Rail Line", "Locomotive Type", "Car Number",
                                    "Gauge / Scale", "Minimum Curve", "Color", "Accquired From",
                                    "Original Cost", "Current Value", "Date Accquired", "Condition",
                                    "Yes", "Notes", "&Save", "&Clear"}));
        QCOMPARE(lit, (QStringList{"Manufacturer", "Rail Line", "Locomotive Type", "Car Number",
                                   "Gauge / Scale", "Minimum Curve", "Color", "Accquired From",
                                   "Original Cost", "Current Value", "Date Accquired", "Condition",
                                   "Box Included", "Notes", "", ""}));
        kit::button(form, "Yes")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(kit::button(form, "Yes"), Qt::Key_Right);
        QCOMPARE(kit::focusCaption(form), QStringLiteral("No"));
        QCOMPARE(kit::litCaptions(form), QStringList{"Box Included"});
    }
};

QTEST_MAIN(TestItemAdd)
#include "tst_itemadd.moc"

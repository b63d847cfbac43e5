// The three edit forms: what their lists show, sorting, a row copied into the fields and
// saved back, the checks, Save without a chosen row, and failures of the store.
#include "platform/Pointer.h"
#include "tests/support/TestSupport.h"
#include "tests/trains/items/ItemFormKit.h"
#include "trains/Forms.h"
#include "trains/items/EditForms.h"
#include "trains/items/ItemFieldSet.h"
#include "trains/lists/ItemList.h"
#include "trains/modGlobal.h"

#include <QHeaderView>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <memory>

using platform::MsgButtons;
using platform::MsgDefault;
using platform::MsgIcon;
using platform::MsgResult;

namespace {

// One stored item; a null QVariant stores NULL.
struct Item {
    QString id;
    QString kind = "Car"; // Car, Loco or FullSet
    QVariant manufacturer = "Lionel", railLine = "Santa Fe", type = "Box Car", number = "4021",
             gauge = "O-27", curve = "O-31", colour = "Red", from = "Train show", cost = 1234.5,
             value = 20.0, date = "2007-08-16", condition = "Good", box = "YES",
             notes = "First car";
};

QString sqlValue(const QVariant &v) {
    if (v.isNull())
        return "NULL";
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return "'" + v.toString().replace("'", "''") + "'";
}

void store(const testing::ProgramFolder &pf, const Item &i) {
    const QString numberColumn = i.kind == "FullSet" ? "SetNumber" : "CarNumber";
    const auto flag = [&](const char *k) { return i.kind == k ? "'YES'" : "'NO'"; };
    pf.exec(QString("INSERT INTO tblMain (ItemID, Manufacturer, RailLine, CarType, %1, Gauge, "
                    "Curve, CarColor, AccquiredFrom, OriginalCost, CurrentValue, DateAccquired, "
                    "DateAdd, Condition, Box, Notes, Car, Loco, FullSet, Track, Accessory) "
                    "VALUES ('%2', %3, %4, %5, %6, %7, %8, %9, %10, %11, %12, %13, "
                    "'2007-08-16 10:00:00', %14, %15, %16, %17, %18, %19, 'NO', 'NO')")
                .arg(numberColumn, i.id, sqlValue(i.manufacturer), sqlValue(i.railLine),
                     sqlValue(i.type), sqlValue(i.number), sqlValue(i.gauge), sqlValue(i.curve),
                     sqlValue(i.colour))
                .arg(sqlValue(i.from), sqlValue(i.cost), sqlValue(i.value), sqlValue(i.date),
                     sqlValue(i.condition), sqlValue(i.box), sqlValue(i.notes), flag("Car"),
                     flag("Loco"))
                .arg(flag("FullSet")));
}

QWidget *newForm(int kind) {
    switch (kind) {
    case 1:
        return new frmEditLoco;
    case 2:
        return new frmEditSet;
    default:
        return new frmEditCar;
    }
}
QString kindFlag(int kind) {
    return kind == 0 ? "Car" : kind == 1 ? "Loco" : "FullSet";
}
QString typeCaption(int kind) {
    return kind == 0 ? "Car Type" : "Locomotive Type";
}
QString numberCaption(int kind) {
    return kind == 2 ? "Set Number" : "Car Number";
}
QString numberColumn(int kind) {
    return kind == 2 ? "SetNumber" : "CarNumber";
}
Item itemOf(int kind, const QString &id) {
    Item i;
    i.id = id;
    i.kind = kindFlag(kind);
    if (kind != 0)
        i.type = "Diesel";
    return i;
}

} // namespace

class TestItemEdit : public QObject {
    Q_OBJECT

    struct Fixture {
        testing::ProgramFolder pf;
        testing::ScriptedMsgBox box;
        testing::FakeClock clock;
        std::unique_ptr<QWidget> form;
        int kind = 0;
        Fixture() { SetProgramFolder(pf.path()); }
        ~Fixture() { SetProgramFolder(QString()); }
        void open(int k) {
            kind = k;
            form.reset(newForm(k));
            form->setAttribute(Qt::WA_DeleteOnClose, false);
        }
        ItemListView *list() const { return form->findChild<ItemListView *>(); }
        ItemListModel *model() const { return list()->listModel(); }
        QStringList column(int c) const {
            QStringList out;
            for (int r = 0; r < model()->rowCount(); ++r)
                out << model()->cell(r, c);
            return out;
        }
        void clickRow(int row) {
            const QRect r = list()->visualRect(model()->index(row, 1));
            QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, r.center());
        }
        void clickHeader(int column) {
            QHeaderView *h = list()->header();
            QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                              QPoint(h->sectionViewportPosition(column) + 10, h->height() / 2));
        }
        QAbstractButton *save() const { return kit::button(form.get(), "&Save"); }
        QString lineText(const QString &cap) const {
            return kit::fieldAs<QLineEdit>(form.get(), cap)->text();
        }
        QString comboText(const QString &cap) const {
            return kit::fieldAs<QComboBox>(form.get(), cap)->currentText();
        }
    };

    static void addKinds() {
        QTest::addColumn<int>("kind");
        QTest::newRow("frmEditCar") << 0;
        QTest::newRow("frmEditLoco") << 1;
        QTest::newRow("frmEditSet") << 2;
    }

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void listColumnsPerKind_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("listName");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QList<int>>("widths");
        const QList<int> carWidths{1000, 2000, 2500, 3500, 1440, 1200, 1200, 1500,
                                   2000, 1440, 1440, 1500, 1500, 1000, 3500};
        const QList<int> engineWidths{1000, 2500, 3000, 1500, 1500, 1200, 1200, 1500,
                                      3500, 1200, 1200, 1500, 1500, 1000, 3500};
        QTest::newRow("car") << 0 << "frmEditCar"
                             << "lvCars"
                             << "Edit Rolling Stock Record"
                             << QStringList{"ID",        "Manufacturer", "Rail Line",
                                            "Car Type",  "Number",       "Gauge",
                                            "Curve",     "Color",        "Accquired From",
                                            "Cost",      "Value",        "Accquired",
                                            "Condition", "Box",          "Notes"}
                             << carWidths;
        QTest::newRow("loco") << 1 << "frmEditLoco"
                              << "lvLoco"
                              << "Edit Locomotive Record"
                              << QStringList{"ID",        "Manufacturer", "Rail Line",
                                             "Loco Type", "Loco Number",  "Gauge",
                                             "Curve",     "Loco Color",   "Accquired From",
                                             "Cost",      "Value",        "Accquired",
                                             "Condition", "Box",          "Notes"}
                              << engineWidths;
        QTest::newRow("set") << 2 << "frmEditSet"
                             << "lvSets"
                             << "Edit Train Set Record"
                             << QStringList{"ID",        "Manufacturer", "Rail Line",
                                            "Loco Type", "Set Number",   "Gauge",
                                            "Curve",     "Loco Color",   "Accquired From",
                                            "Cost",      "Value",        "Accquired",
                                            "Condition", "Box",          "Notes"}
                             << engineWidths;
    }
    void listColumnsPerKind() {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QString, listName);
        QFETCH(QString, heading);
        QFETCH(QStringList, headers);
        QFETCH(QList<int>, widths);
        Fixture f;
        // Stored out of order; the other kinds' rows are not listed.
        Item second = itemOf(kind, "X-2");
        second.number = "77";
        second.cost = 900.0;
        second.value = 1250.0;
        store(f.pf, second);
        Item tenth = itemOf(kind, "X-10");
        tenth.notes = "It's got «ümlauts»";
        store(f.pf, tenth);
        store(f.pf, itemOf((kind + 1) % 3, "Z-1"));
        f.open(kind);
        QCOMPARE(f.form->objectName(), name);
        QCOMPARE(f.form->windowTitle(), QStringLiteral("Quillon  -  2.0"));
        QCOMPARE(f.form->findChild<QLabel *>("Label25")->text(), heading);
        QCOMPARE(f.list()->objectName(), listName);
        ItemListModel *m = f.model();
        QCOMPARE(m->columnCount(), 15);
        for (int c = 0; c < 15; ++c) {
            QCOMPARE(m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), headers[c]);
            QCOMPARE(f.list()->columnWidth(c), widths[c] / 15);
            const auto align =
                Qt::Alignment(m->data(m->index(0, c), Qt::TextAlignmentRole).toInt()) &
                Qt::AlignHorizontal_Mask;
            const Qt::Alignment expected = c == 0 || c == 14   ? Qt::AlignLeft
                                           : c == 9 || c == 10 ? Qt::AlignRight
                                                               : Qt::AlignHCenter;
            QCOMPARE(align, expected);
        }
        // Text order of the item numbers, as the store delivers them.
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->key(0), QStringLiteral("X-10"));
        QCOMPARE(m->rowCells(0),
                 (QStringList{"X-10", "Lionel", "Santa Fe", kind == 0 ? "Box Car" : "Diesel",
                              "4021", "O-27", "O-31", "Red", "Train show", "1,234.50", "20.00",
                              "8/16/2007", "Good", "YES", "It's got «ümlauts»"}));
        QCOMPARE(m->cell(1, 4), QStringLiteral("77"));
        QCOMPARE(m->cell(1, 9), QStringLiteral("900.00"));
        QCOMPARE(m->cell(1, 10), QStringLiteral("1,250.00"));
        QCOMPARE(f.box.boxes().size(), 0);
        // The edit form's own order of car types ends with "Other".
        auto *types = kit::fieldAs<QComboBox>(f.form.get(), typeCaption(kind));
        QCOMPARE(types->itemText(types->count() - 1), QStringLiteral("Other"));
        if (kind == 0) {
            QCOMPARE(types->itemText(7), QStringLiteral("Box Car - Double Sheathed"));
            QCOMPARE(kit::field(f.form.get(), "Notes")->toolTip(),
                     QStringLiteral(" 250 characters max!"));
        } else {
            QCOMPARE(kit::field(f.form.get(), "Notes")->toolTip(), QString());
        }
        QCOMPARE(kit::field(f.form.get(), "Rail Line")->toolTip(), QString());
    }

    // Cells compare as text; the first header click sorts descending, each click flips.
    void headerClicksSortByTextFlipping() {
        Fixture f;
        Item a = itemOf(0, "CL-1");
        a.cost = 1200.0;
        a.gauge = "HO Gauge";
        Item b = itemOf(0, "CL-2");
        b.cost = 900.0;
        b.gauge = "O-27";
        Item c = itemOf(0, "CL-3");
        c.cost = 15.0;
        c.gauge = "N Gauge";
        store(f.pf, a);
        store(f.pf, b);
        store(f.pf, c);
        f.open(0);
        QVERIFY(kit::show(f.form.get()));
        QCOMPARE(f.column(9), (QStringList{"1,200.00", "900.00", "15.00"}));
        f.clickHeader(9);
        QCOMPARE(f.column(9), (QStringList{"900.00", "15.00", "1,200.00"}));
        f.clickHeader(9);
        QCOMPARE(f.column(9), (QStringList{"1,200.00", "15.00", "900.00"}));
        f.clickHeader(5); // another column flips the one shared direction again
        QCOMPARE(f.column(5), (QStringList{"O-27", "N Gauge", "HO Gauge"}));
        f.clickHeader(5);
        QCOMPARE(f.column(5), (QStringList{"HO Gauge", "N Gauge", "O-27"}));
        QCOMPARE(f.box.boxes().size(), 0);
    }

    // A row clicked shows its values; saved unchanged, it stores what it held.
    void rowRoundTrip_data() { addKinds(); }
    void rowRoundTrip() {
        QFETCH(int, kind);
        Fixture f;
        Item i = itemOf(kind, "X-1");
        i.cost = 1250.0;
        i.value = 1234567.89; // wider in the box than a person may type
        i.date = "2007-08-16";
        i.notes = "Two\nlines, one's quoted";
        store(f.pf, i);
        store(f.pf, itemOf(kind, "X-2"));
        f.open(kind);
        QVERIFY(kit::show(f.form.get()));
        QVERIFY(!f.save()->isEnabled());
        f.clickRow(0);
        QVERIFY(f.save()->isEnabled());
        QCOMPARE(f.form->findChild<QLabel *>("lblID")->text(), QStringLiteral("X-1"));
        QVERIFY(!f.form->findChild<QLabel *>("lblID")->isVisible());
        QCOMPARE(f.comboText("Manufacturer"), QStringLiteral("Lionel"));
        QCOMPARE(f.comboText(typeCaption(kind)), i.type.toString());
        QCOMPARE(f.lineText(numberCaption(kind)), QStringLiteral("4021"));
        QCOMPARE(f.lineText("Original Cost"), QStringLiteral("1,250.00"));
        QCOMPARE(f.lineText("Current Value"), QStringLiteral("1,234,567.89"));
        QCOMPARE(kit::fieldAs<QDateEdit>(f.form.get(), "Date Accquired")->date(),
                 QDate(2007, 8, 16));
        QCOMPARE(f.comboText("Condition"), QStringLiteral("Good"));
        QVERIFY(kit::button(f.form.get(), "Yes")->isChecked());
        QCOMPARE(kit::fieldAs<QTextEdit>(f.form.get(), "Notes")->toPlainText(), i.notes.toString());

        const QString before = "SELECT ItemID, Manufacturer, RailLine, CarType, " +
                               numberColumn(kind) +
                               ", Gauge, Curve, CarColor, AccquiredFrom, OriginalCost, "
                               "CurrentValue, DateAccquired, Condition, Box, Notes, DateAdd "
                               "FROM tblMain ORDER BY ItemID";
        const auto stored = f.pf.query(before);
        f.box.answer(MsgResult::Yes);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 1);
        QCOMPARE(f.pf.query(before), stored);
        QCOMPARE(f.pf.scalar("SELECT DateMod FROM tblMain WHERE ItemID = 'X-1'").toString(),
                 QStringLiteral("2026-03-14 09:26:53"));
        QVERIFY(f.pf.scalar("SELECT DateMod FROM tblMain WHERE ItemID = 'X-2'").isNull());
        // Answered Yes: empty fields, no row chosen, the list read again.
        QVERIFY(!f.save()->isEnabled());
        QCOMPARE(f.form->findChild<QLabel *>("lblID")->text(), QString());
        QCOMPARE(f.lineText("Original Cost"), QString());
        QCOMPARE(f.model()->rowCount(), 2);
    }

    // Values stored by other means (an import) that are none of a list's choices show as
    // stored, save unchanged, and leave the lists when another row is chosen or on Clear.
    void storedValuesOutsideTheListsStay() {
        Fixture f;
        Item odd = itemOf(0, "X-1");
        odd.manufacturer = "Märklin Gold";
        odd.type = "Tank Car, 3-dome";
        odd.condition = "Like new";
        store(f.pf, odd);
        store(f.pf, itemOf(0, "X-2"));
        f.open(0);
        QVERIFY(kit::show(f.form.get()));
        auto *maker = kit::fieldAs<QComboBox>(f.form.get(), "Manufacturer");
        const int makers = maker->count();
        f.clickRow(0);
        QCOMPARE(f.comboText("Manufacturer"), QStringLiteral("Märklin Gold"));
        QCOMPARE(f.comboText("Car Type"), QStringLiteral("Tank Car, 3-dome"));
        QCOMPARE(f.comboText("Condition"), QStringLiteral("Like new"));
        QCOMPARE(maker->count(), makers + 1);
        const QString row =
            "SELECT Manufacturer, CarType, Condition FROM tblMain WHERE ItemID = 'X-1'";
        const auto stored = f.pf.query(row);
        f.box.answer(MsgResult::Yes);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 1);
        QCOMPARE(f.box.boxes()[0].icon, MsgIcon::Question); // saved, not refused by a check
        QCOMPARE(f.pf.query(row), stored);
        QCOMPARE(maker->count(), makers);
        f.clickRow(0);
        QCOMPARE(maker->count(), makers + 1);
        f.clickRow(1);
        QCOMPARE(f.comboText("Manufacturer"), QStringLiteral("Lionel"));
        QCOMPARE(maker->count(), makers);
        QCOMPARE(f.box.unexpected(), 0);
    }

    void changedValuesReachTheListAfterSave_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("title");
        QTest::newRow("car") << 0 << "Rolling Stock Record Updated! "
                             << "Do you want to edit another Rolling Stock record? "
                             << "Record Saved Successfully";
        QTest::newRow("loco") << 1 << "Locomotive Record Updated! "
                              << "Do you want to edit another Locomotive record? "
                              << "Record Updated Successfully";
        QTest::newRow("set") << 2 << "Full Set Record Updated! "
                             << "Do you want to edit another Full Set record? "
                             << "Record Updated Successfully";
    }
    void changedValuesReachTheListAfterSave() {
        QFETCH(int, kind);
        QFETCH(QString, first);
        QFETCH(QString, question);
        QFETCH(QString, title);
        Fixture f;
        Item i = itemOf(kind, "X-1");
        i.number = "100";
        store(f.pf, i);
        f.open(kind);
        QVERIFY(kit::show(f.form.get()));
        f.clickRow(0);
        kit::type(f.form.get(), numberCaption(kind), "200");
        kit::type(f.form.get(), "Original Cost", "12.346");
        kit::type(f.form.get(), "Accquired From", "Grand'mère");
        kit::click(f.form.get(), "No");
        f.box.answer(MsgResult::Yes);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 1);
        const auto &b = f.box.boxes()[0];
        QCOMPARE(b.prompt, first + "\r\n\r\n" + question);
        QCOMPARE(b.title, title);
        QCOMPARE(b.icon, MsgIcon::Question);
        QCOMPARE(b.buttons, MsgButtons::YesNo);
        QCOMPARE(b.defaultButton, MsgDefault::Button2);
        QCOMPARE(f.model()->cell(0, 4), QStringLiteral("200"));
        QCOMPARE(f.model()->cell(0, 9), QStringLiteral("12.35"));
        QCOMPARE(f.model()->cell(0, 8), QStringLiteral("Grand'mère"));
        QCOMPARE(f.model()->cell(0, 13), QStringLiteral("NO"));
        QCOMPARE(f.pf.scalar("SELECT " + numberColumn(kind) + " FROM tblMain").toString(),
                 QStringLiteral("200"));
        QVERIFY(!kit::button(f.form.get(), "Yes")->isChecked());
        QVERIFY(!kit::button(f.form.get(), "No")->isChecked());

        // Answered No, the window closes.
        f.clickRow(0);
        f.box.answer(MsgResult::No);
        f.form->setAttribute(Qt::WA_DeleteOnClose, false);
        kit::click(f.form.get(), "&Save");
        QVERIFY(!f.form->isVisible());
        QCOMPARE(f.box.unexpected(), 0);
    }

    void boxAnswerFromTheListCell_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("yes");
        QTest::newRow("YES") << QVariant("YES") << true;
        QTest::newRow("NO") << QVariant("NO") << false;
        QTest::newRow("lower case yes") << QVariant("yes") << false;
        QTest::newRow("Null") << QVariant() << false;
    }
    void boxAnswerFromTheListCell() {
        QFETCH(QVariant, stored);
        QFETCH(bool, yes);
        Fixture f;
        Item i = itemOf(0, "CL-1");
        i.box = stored;
        store(f.pf, i);
        f.open(0);
        QVERIFY(kit::show(f.form.get()));
        f.clickRow(0);
        QCOMPARE(kit::button(f.form.get(), "Yes")->isChecked(), yes);
        QCOMPARE(kit::button(f.form.get(), "No")->isChecked(), !yes);
    }

    // The eleven checks with the kind's messages; condition and box answer are not checked.
    void checksOnTheEditForms_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("rail line") << 0 << "Rail Line"
                                   << ""
                                   << "Rail Line is missing! ";
        QTest::newRow("car number") << 0 << "Car Number"
                                    << ""
                                    << "Car Number is missing! ";
        QTest::newRow("loco number") << 1 << "Car Number"
                                     << ""
                                     << "Locomotive Number is missing! ";
        QTest::newRow("set number") << 2 << "Set Number"
                                    << ""
                                    << "Set Number is missing! ";
        QTest::newRow("colour") << 1 << "Color"
                                << "   "
                                << "Color is missing! ";
        QTest::newRow("acquired from") << 2 << "Accquired From"
                                       << ""
                                       << "Accquired From is missing! ";
        QTest::newRow("cost") << 0 << "Original Cost"
                              << "12,3x"
                              << "Incorrect data in the Original Cost box! ";
        QTest::newRow("value") << 2 << "Current Value"
                               << "abc"
                               << "Incorrect data in the Current Value box! ";
    }
    void checksOnTheEditForms() {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        Fixture f;
        store(f.pf, itemOf(kind, "X-1"));
        f.open(kind);
        QVERIFY(kit::show(f.form.get()));
        f.clickRow(0);
        kit::type(f.form.get(), caption, typed);
        const auto stored = f.pf.query("SELECT * FROM tblMain");
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 1);
        QCOMPARE(f.box.boxes()[0].prompt, message);
        QCOMPARE(f.box.boxes()[0].title, QStringLiteral("Quillon"));
        QCOMPARE(f.box.boxes()[0].icon, MsgIcon::Critical);
        QCOMPARE(kit::focusCaption(f.form.get()), caption);
        QCOMPARE(f.pf.query("SELECT * FROM tblMain"), stored);
    }

    void typeAndDateChecksAndNoConditionCheck_data() { addKinds(); }
    void typeAndDateChecksAndNoConditionCheck() {
        QFETCH(int, kind);
        Fixture f;
        Item i = itemOf(kind, "X-1");
        i.type = ""; // stored empty: no item chosen
        i.condition = "";
        store(f.pf, i);
        f.open(kind);
        QVERIFY(kit::show(f.form.get()));
        f.clickRow(0);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 1);
        QCOMPARE(f.box.boxes()[0].prompt, kind == 0
                                              ? QStringLiteral("Car Type is missing! ")
                                              : QStringLiteral("Locomotive Type is missing! "));
        kit::choose(f.form.get(), typeCaption(kind), "Other");
        kit::typeDate(f.form.get(), QDate(2026, 3, 15));
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 2);
        QCOMPARE(f.box.boxes()[1].prompt,
                 QStringLiteral("Date Accquired is later than the current date! "));
        kit::typeDate(f.form.get(), QDate(2026, 3, 14));
        f.box.answer(MsgResult::Yes);
        kit::click(f.form.get(), "&Save"); // an empty condition is fine here
        QCOMPARE(f.box.boxes().size(), 3);
        QCOMPARE(f.pf.query("SELECT CarType, Condition, DateAccquired FROM tblMain"),
                 (QList<QVariantList>{{"Other", "", "2026-03-14"}}));
    }

    // An item stored without a date (an imported row) shows a blank box, never the date of the
    // row shown before it; Save asks for the date instead of storing one the user never gave.
    void blankDateIsAskedFor() {
        Fixture f;
        store(f.pf, itemOf(0, "X-1"));
        Item undated = itemOf(0, "X-2");
        undated.date = QVariant();
        store(f.pf, undated);
        f.open(0);
        QVERIFY(kit::show(f.form.get()));
        f.clickRow(0);
        f.clickRow(1);
        auto *date = kit::fieldAs<QDateEdit>(f.form.get(), "Date Accquired");
        QCOMPARE(date->text().trimmed(), QString());
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 1);
        QVERIFY2(f.box.boxes()[0].prompt.startsWith("Date Accquired is not a date"),
                 qPrintable(f.box.boxes()[0].prompt));
        QVERIFY(
            f.pf.query("SELECT DateAccquired FROM tblMain WHERE ItemID = 'X-2'")[0][0].isNull());
        date->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(date, "3/14/2019"); // typed whole, as a person types it
        f.box.answer(MsgResult::Yes);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.pf.query("SELECT DateAccquired FROM tblMain WHERE ItemID = 'X-2'"),
                 (QList<QVariantList>{{"2019-03-14"}}));
    }

    // Without a chosen row there is nothing to update: Save stays disabled on opening, after
    // Clear and after a save.
    void carTypesStandInTheEditOrder() {
        Fixture f;
        f.open(0);
        const auto *types = kit::fieldAs<QComboBox>(f.form.get(), "Car Type");
        QStringList shown;
        for (int i = 0; i < types->count(); ++i)
            shown << types->itemText(i);
        const QStringList expected{"Baggage Car",
                                   "Barrel Car",
                                   "Box Car",
                                   "Box Car - Double Door",
                                   "Box Car - Operating",
                                   "Box Car - PS1",
                                   "Box Car - Reefer",
                                   "Box Car - Double Sheathed",
                                   "Bunk Car",
                                   "Caboose",
                                   "Caboose - Ext Window",
                                   "Caboose - Bay Window",
                                   "Caboose - Work",
                                   "Derrick Car",
                                   "Diner",
                                   "Dump Car",
                                   "Dump Car - Coal",
                                   "Dump Car - Logs",
                                   "Flat Car",
                                   "Flat Car - Piggyback",
                                   "Flat Car - Husky Stack",
                                   "Gondola",
                                   "Hopper",
                                   "Hopper - 3 Bay",
                                   "Hopper - Offset",
                                   "Hopper - Operating",
                                   "Launching Car",
                                   "Log Car",
                                   "Milk Car",
                                   "Milk Car - Operating",
                                   "MOW Car",
                                   "MOW Car - Welding",
                                   "Ore Car",
                                   "Passenger Car",
                                   "Passenger - Vista Dome",
                                   "Refrigerator Car",
                                   "Searchlight Car",
                                   "Snow Blower",
                                   "Stock Car",
                                   "Stock Car - 40 Ton",
                                   "Tank Car - Standard",
                                   "Tank Car - 2 Dome",
                                   "Tank Car - 3 Dome",
                                   "Tender",
                                   "Work Car",
                                   "Other"};
        QCOMPARE(shown, expected);
    }

    void saveNeedsAChosenRow() {
        Fixture f;
        store(f.pf, itemOf(1, "LL-1"));
        Item other = itemOf(1, "LL-2");
        other.type = "Electric";
        store(f.pf, other);
        f.open(1);
        QVERIFY(kit::show(f.form.get()));
        QVERIFY(!f.save()->isEnabled());
        QCOMPARE(f.form->findChild<QLabel *>("lblID")->text(), QString());
        QCOMPARE(QApplication::focusWidget(), f.list()); // the list comes first
        // Filled by hand, without a row: neither the access key nor a click saves.
        kit::fill(f.form.get(), "Locomotive Type", "Car Number", [] {
            kit::Entry e;
            e.type = "Steam";
            return e;
        }());
        QTest::keyClick(f.form->windowHandle(), Qt::Key_S, Qt::AltModifier);
        kit::click(f.form.get(), "&Save");
        // Clicks and keys are delivered at once; anything they posted runs here.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QCOMPARE(f.box.boxes().size(), 0);
        QVERIFY(f.pf.scalar("SELECT DateMod FROM tblMain").isNull());

        // Chosen by keyboard: Enter on the row the list starts on, arrow keys for the others.
        f.list()->setFocus(Qt::TabFocusReason);
        QVERIFY(!f.save()->isEnabled());
        QTest::keyClick(f.list(), Qt::Key_Return);
        QVERIFY(f.save()->isEnabled());
        QCOMPARE(f.form->findChild<QLabel *>("lblID")->text(), QStringLiteral("LL-1"));
        QTest::keyClick(f.list(), Qt::Key_Down);
        QCOMPARE(f.form->findChild<QLabel *>("lblID")->text(), QStringLiteral("LL-2"));
        QCOMPARE(f.comboText("Locomotive Type"), QStringLiteral("Electric"));
        kit::click(f.form.get(), "&Clear");
        QVERIFY(!f.save()->isEnabled());
        f.clickRow(0);
        QVERIFY(f.save()->isEnabled());
        kit::type(f.form.get(), "Rail Line", "Changed");
        f.box.answer(MsgResult::Yes); // drop the change
        kit::click(f.form.get(), "&Clear");
        QCOMPARE(f.box.boxes().size(), 1);
        QCOMPARE(f.box.boxes()[0].prompt, QStringLiteral("Discard your changes to LL-1? "));
        f.box.clear();
        QVERIFY(!f.save()->isEnabled());
        QCOMPARE(f.lineText("Rail Line"), QString());
        QCOMPARE(kit::fieldAs<QDateEdit>(f.form.get(), "Date Accquired")->date(),
                 f.clock.now().date());
        QVERIFY(!kit::button(f.form.get(), "Yes")->isChecked());
        QCOMPARE(kit::focusCaption(f.form.get()), QStringLiteral("&Clear"));
        QCOMPARE(f.model()->rowCount(), 2); // the list is not touched
        QCOMPARE(f.box.boxes().size(), 0);
    }

    // A store that refuses the update: its box, then the form's; the changes stay on screen
    // and a second Save stores them.
    void failedUpdateKeepsChanges_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("operation");
        QTest::newRow("car") << 0 << "Rolling Stock Record was NOT Updated! "
                             << "UpdateCar";
        QTest::newRow("loco") << 1 << "Locomotive Record was NOT Updated! "
                              << "UpdateLoco";
        QTest::newRow("set") << 2 << "Full Set Record was NOT Updated! "
                             << "UpdateSet";
    }
    void failedUpdateKeepsChanges() {
        QFETCH(int, kind);
        QFETCH(QString, message);
        QFETCH(QString, operation);
        Fixture f;
        store(f.pf, itemOf(kind, "X-1"));
        f.open(kind);
        QVERIFY(kit::show(f.form.get()));
        f.pf.exec("CREATE TRIGGER refuse BEFORE UPDATE ON tblMain "
                  "BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
        f.clickRow(0);
        kit::type(f.form.get(), "Rail Line", "Union Pacific");
        kit::click(f.form.get(), "&Save");
        kit::checkRefusedSave(f.box.boxes(), operation, message);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(f.lineText("Rail Line"), QStringLiteral("Union Pacific"));
        QCOMPARE(f.model()->cell(0, 2), QStringLiteral("Santa Fe"));
        QVERIFY(f.save()->isEnabled());

        f.pf.exec("DROP TRIGGER refuse");
        f.box.answer(MsgResult::Yes);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 3);
        QCOMPARE(f.model()->cell(0, 2), QStringLiteral("Union Pacific"));
        QCOMPARE(f.pf.scalar("SELECT RailLine FROM tblMain").toString(),
                 QStringLiteral("Union Pacific"));
    }

    // A Null in a stored row shows as an empty cell; the rows after it are listed too.
    void nullCellsDoNotEndTheList_data() { addKinds(); }
    void nullCellsDoNotEndTheList() {
        QFETCH(int, kind);
        Fixture f;
        store(f.pf, itemOf(kind, "X-1"));
        Item holes = itemOf(kind, "X-2");
        holes.manufacturer = holes.number = holes.cost = holes.date = holes.notes = QVariant();
        holes.box = QVariant();
        store(f.pf, holes);
        store(f.pf, itemOf(kind, "X-3"));
        f.open(kind);
        QCOMPARE(f.model()->rowCount(), 3);
        QCOMPARE(f.column(0), (QStringList{"X-1", "X-2", "X-3"}));
        const QStringList cells = f.model()->rowCells(1);
        QCOMPARE(cells[1], QString());
        QCOMPARE(cells[4], QString());
        QCOMPARE(cells[9], QString());
        QCOMPARE(cells[10], QStringLiteral("20.00"));
        QCOMPARE(cells[11], QString());
        QCOMPARE(cells[13], QString());
        QCOMPARE(cells[14], QString());
        QCOMPARE(f.box.boxes().size(), 0);
    }

    // Only the rolling stock list reports its own failure; the store reports it in every case.
    void listFailure_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("ownBox");
        QTest::newRow("car") << 0 << "LoadEditCar"
                             << "ERROR # 91\r\n\r\nObject variable or With block variable not "
                                "set\r\nIn the Edit Cars Procedure\r\nProcedure: LoadCars ";
        QTest::newRow("loco") << 1 << "LoadEditLoco" << QString();
        QTest::newRow("set") << 2 << "LoadEditSet" << QString();
    }
    void listFailure() {
        QFETCH(int, kind);
        QFETCH(QString, operation);
        QFETCH(QString, ownBox);
        Fixture f;
        f.pf.exec("ALTER TABLE tblMain RENAME TO tblAway");
        f.open(kind);
        QVERIFY(f.box.boxes().size() >= 1);
        QVERIFY(f.box.boxes()[0].prompt.endsWith("Function: " + operation));
        if (ownBox.isEmpty()) {
            QCOMPARE(f.box.boxes().size(), 1);
        } else {
            QCOMPARE(f.box.boxes().size(), 2);
            QCOMPARE(f.box.boxes()[1].prompt, ownBox);
            QCOMPARE(f.box.boxes()[1].title, QStringLiteral("Quillon"));
            QCOMPARE(f.box.boxes()[1].icon, MsgIcon::Critical);
        }
        QCOMPARE(f.model()->rowCount(), 0);
        QVERIFY(!rsRecords);
        QCOMPARE(platform::screenPointer(), platform::Pointer::Default);
    }

    void formsOpenFromTheTable() {
        Fixture f;
        for (auto [id, name] : {std::pair{FormId::EditCar, "frmEditCar"},
                                {FormId::EditLoco, "frmEditLoco"},
                                {FormId::EditSet, "frmEditSet"}}) {
            std::unique_ptr<QWidget> form(createForm(id));
            QVERIFY(form);
            QCOMPARE(form->objectName(), QString(name));
            QCOMPARE(QString(form->metaObject()->className()), QString(name));
            QVERIFY(form->testAttribute(Qt::WA_DeleteOnClose));
        }
    }

    void exitClosesTheChildWindow() {
        Fixture f;
        store(f.pf, itemOf(2, "SL-1"));
        QMdiArea area;
        QPointer<QWidget> form = newForm(2);
        QPointer<QMdiSubWindow> sub = area.addSubWindow(form);
        area.show();
        QVERIFY(QTest::qWaitForWindowActive(&area));
        kit::click(form, "e&Xit");
        QTRY_VERIFY(sub.isNull());
        QVERIFY(form.isNull());
    }

    // Each form with rows, rendered for a person to look at (QUILLON_SHOT_DIR).
    void formsRender_data() { addKinds(); }
    void formsRender() {
        QFETCH(int, kind);
        Fixture f;
        for (int n = 1; n <= 6; ++n) {
            Item i = itemOf(kind, QString("X-%1").arg(n));
            i.cost = 1234.5 * n;
            i.manufacturer = n % 2 ? "Lionel" : "MTH";
            i.notes = n == 3 ? QVariant() : QVariant("Note " + QString::number(n));
            store(f.pf, i);
        }
        f.open(kind);
        f.form->resize(1200, 760);
        QVERIFY(kit::show(f.form.get()));
        f.form->resize(1200, 760);
        f.clickRow(1);
        kit::field(f.form.get(), "Color")->setFocus();
        const QImage shot = f.form->grab().toImage();
        QCOMPARE(shot.size(), f.form->size() * shot.devicePixelRatio());
        // What the picture shows: the chosen row in the fields, every row in the list, and no
        // field squeezed below a usable width.
        QCOMPARE(f.form->findChild<QLabel *>("lblID")->text(), QStringLiteral("X-2"));
        QCOMPARE(f.comboText("Manufacturer"), QStringLiteral("MTH"));
        QVERIFY(f.list()->viewport()->rect().contains(
            f.list()->visualRect(f.model()->index(5, 0)).topLeft()));
        for (auto *w : f.form->findChildren<QLineEdit *>())
            QVERIFY2(!w->isVisible() || w->width() >= 60, qPrintable(w->objectName()));
        const QString dir = qEnvironmentVariable("QUILLON_SHOT_DIR");
        if (!dir.isEmpty())
            QVERIFY(shot.save(dir + "/" + f.form->objectName() + ".png"));
    }

    // A change to the chosen item is dropped only after the user agrees: choosing another row,
    // Clear, eXit and closing the window ask first; No keeps the changes and the chosen item.
    void changesAreNotDroppedSilently_data() {
        QTest::addColumn<QString>("leaveBy");
        QTest::addColumn<bool>("drop");
        QTest::addColumn<QString>("changed");
        for (const char *way : {"another row", "Clear", "eXit", "close window"}) {
            QTest::addRow("%s, Yes", way) << way << true << "Rail Line";
            QTest::addRow("%s, No", way) << way << false << "Rail Line";
            // The notes are a change like any other field's.
            QTest::addRow("%s, notes only, No", way) << way << false << "Notes";
        }
    }
    void changesAreNotDroppedSilently() {
        QFETCH(QString, leaveBy);
        QFETCH(bool, drop);
        QFETCH(QString, changed);
        Fixture f;
        store(f.pf, itemOf(0, "CL-12"));
        Item other = itemOf(0, "CL-13");
        other.railLine = "Rock Island";
        store(f.pf, other);
        f.open(0);
        QVERIFY(kit::show(f.form.get()));
        const auto leave = [&] {
            if (leaveBy == "another row")
                f.clickRow(1);
            else if (leaveBy == "close window")
                f.form->close();
            else
                kit::click(f.form.get(), leaveBy == "Clear" ? "&Clear" : "e&Xit");
            QCoreApplication::processEvents();
        };

        // Nothing changed, or a change taken back by hand: nothing is asked.
        f.clickRow(0);
        kit::type(f.form.get(), "Color", "Blue");
        kit::type(f.form.get(), "Color", "Red");
        if (leaveBy != "eXit" && leaveBy != "close window") {
            leave();
            QCOMPARE(f.box.boxes().size(), 0);
            f.clickRow(0);
        }

        const auto stored = f.pf.query("SELECT * FROM tblMain WHERE ItemID = 'CL-12'");
        kit::type(f.form.get(), changed, "Union Pacific");
        f.box.answer(drop ? MsgResult::Yes : MsgResult::No);
        leave();
        QCOMPARE(f.box.boxes().size(), 1);
        const platform::MsgRequest asked = f.box.boxes()[0];
        QCOMPARE(asked.prompt, QStringLiteral("Discard your changes to CL-12? "));
        QCOMPARE(asked.title, QStringLiteral("Quillon"));
        QCOMPARE(asked.icon, MsgIcon::Question);
        QCOMPARE(asked.buttons, MsgButtons::YesNo);
        QCOMPARE(asked.defaultButton, MsgDefault::Button2);

        const QString id = f.form->findChild<QLabel *>("lblID")->text();
        if (!drop) {
            QVERIFY(f.form->isVisible());
            QCOMPARE(id, QStringLiteral("CL-12"));
            QWidget *kept = kit::field(f.form.get(), changed);
            auto *notes = qobject_cast<QTextEdit *>(kept);
            QCOMPARE(notes ? notes->toPlainText() : qobject_cast<QLineEdit *>(kept)->text(),
                     QStringLiteral("Union Pacific"));
            QCOMPARE(f.model()->key(f.list()->currentIndex().row()), QStringLiteral("CL-12"));
        } else if (leaveBy == "another row") {
            QCOMPARE(id, QStringLiteral("CL-13"));
            QCOMPARE(f.lineText("Rail Line"), QStringLiteral("Rock Island"));
        } else if (leaveBy == "Clear") {
            QCOMPARE(id, QString());
            QCOMPARE(f.lineText("Rail Line"), QString());
        } else {
            QVERIFY(!f.form->isVisible());
        }
        QCOMPARE(f.pf.query("SELECT * FROM tblMain WHERE ItemID = 'CL-12'"), stored);
    }

    // After a successful save the fields hold what is stored: Clear and eXit ask nothing more.
    void nothingIsAskedAfterASave_data() {
        QTest::addColumn<bool>("another");
        QTest::newRow("Yes, edit another") << true;
        QTest::newRow("No, close") << false;
    }
    void nothingIsAskedAfterASave() {
        QFETCH(bool, another);
        Fixture f;
        store(f.pf, itemOf(0, "CL-12"));
        f.open(0);
        QVERIFY(kit::show(f.form.get()));
        f.clickRow(0);
        kit::type(f.form.get(), "Rail Line", "Union Pacific");
        f.box.answer(another ? MsgResult::Yes : MsgResult::No);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 1);
        QCOMPARE(f.box.boxes()[0].title, items::kindInfo(ItemKind::Car).updatedTitle);
        QCOMPARE(f.form->isVisible(), another);
        if (another)
            kit::click(f.form.get(), "e&Xit");
        QVERIFY(!f.form->isVisible());
        QCOMPARE(f.box.boxes().size(), 1);
    }
};

QTEST_MAIN(TestItemEdit)
#include "tst_itemedit.moc"

// The three edit forms: Save without a chosen row, failures of the store and of the list,
// opening and closing, and changes that are not dropped silently.
#include "platform/Pointer.h"
#include "tests/support/TestSupport.h"
#include "tests/trains/items/ItemEditKit.h"
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
using namespace editkit;

class TestItemEditSave : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

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

QTEST_MAIN(TestItemEditSave)
#include "tst_itemedit_save.moc"

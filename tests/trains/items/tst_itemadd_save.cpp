// The three add forms: the box answer, Clear, the answers after a save, typed entries that are
// not dropped silently, a store that fails, the picture and how the forms render.
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

class TestItemAddSave : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void boxAnswerLightsOneCaptionAndLimitHolds() {
        Fixture f(0);
        QWidget *form = f.form.get();
        QVERIFY(kit::show(form));
        kit::click(form, "No");
        QCOMPARE(kit::litCaptions(form), QStringList{"Box Included"});
        kit::click(form, "Yes");
        QCOMPARE(kit::litCaptions(form), QStringList{"Box Included"});
        kit::type(form, "Original Cost", "12345678901");
        QCOMPARE(kit::fieldAs<QLineEdit>(form, "Original Cost")->text(),
                 QStringLiteral("1234567890"));
        QCOMPARE(kit::litCaptions(form), QStringList{"Original Cost"});
        kit::type(form, "Original Cost", "abc"); // letters are accepted while typing
        QCOMPARE(kit::fieldAs<QLineEdit>(form, "Original Cost")->text(), QStringLiteral("abc"));
    }

    // Clear empties everything and sets today's date; what happens to the box answer and the
    // focus depends on the form.
    void clearPerForm_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("keepsBox");
        QTest::addColumn<QString>("focus");
        QTest::newRow("car") << 0 << true << "Manufacturer";
        QTest::newRow("loco") << 1 << false << "Manufacturer";
        QTest::newRow("set") << 2 << false << "&Clear";
    }
    void clearPerForm() {
        QFETCH(int, kind);
        QFETCH(bool, keepsBox);
        QFETCH(QString, focus);
        Fixture f(kind);
        QWidget *form = f.form.get();
        QVERIFY(kit::show(form));
        f.fill(entryFor(kind));
        kit::typeDate(form, QDate(2025, 12, 1));
        kit::click(form, "&Clear");
        for (auto *c : form->findChildren<QComboBox *>())
            QCOMPARE(c->currentIndex(), -1);
        for (auto *t : form->findChildren<QLineEdit *>())
            if (t->parentWidget() && !t->parentWidget()->inherits("QAbstractSpinBox") &&
                !t->parentWidget()->inherits("QComboBox"))
                QCOMPARE(t->text(), QString());
        QCOMPARE(kit::fieldAs<QTextEdit>(form, "Notes")->toPlainText(), QString());
        QCOMPARE(kit::fieldAs<QDateEdit>(form, "Date Accquired")->date(), f.today());
        QCOMPARE(kit::button(form, "Yes")->isChecked(), keepsBox);
        QVERIFY(!kit::button(form, "No")->isChecked());
        QCOMPARE(kit::focusCaption(form), focus);
        QCOMPARE(f.rows(), 0);
        QCOMPARE(f.box.boxes().size(), 0);
    }

    // Yes after a save clears the form for the next item; No closes the window.
    void answersAfterSave_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("prompt");
        QTest::newRow("car") << 0
                             << "New Rolling Stock Record Saved! \r\n\r\nDo you want to add "
                                "another Rolling Stock record? ";
        QTest::newRow("loco") << 1
                              << "New Locomotive Record Saved! \r\n\r\nDo you want to add "
                                 "another Locomotive? ";
        QTest::newRow("set") << 2
                             << "New Full Set Record Saved! \r\n\r\nDo you want to add another "
                                "Full Set record? ";
    }
    void answersAfterSave() {
        QFETCH(int, kind);
        QFETCH(QString, prompt);
        testing::ProgramFolder pf;
        testing::ScriptedMsgBox box;
        testing::FakeClock clock;
        SetProgramFolder(pf.path());
        QMdiArea area;
        area.resize(1100, 760);
        QPointer<QWidget> form = newForm(kind);
        QPointer<QMdiSubWindow> sub = area.addSubWindow(form);
        area.show();
        QVERIFY(QTest::qWaitForWindowActive(&area));
        sub->showMaximized();

        kit::fill(form, typeCaption(kind), numberCaption(kind), entryFor(kind));
        box.answer(MsgResult::Yes);
        kit::click(form, "&Save");
        QCOMPARE(box.boxes().size(), 1);
        const auto &saved = box.boxes()[0];
        QCOMPARE(saved.prompt, prompt);
        QCOMPARE(saved.title, QStringLiteral("Record Saved Successfully"));
        QCOMPARE(saved.icon, MsgIcon::Question);
        QCOMPARE(saved.buttons, MsgButtons::YesNo);
        QCOMPARE(saved.defaultButton, MsgDefault::Button2);
        QCOMPARE(pf.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 1);
        QVERIFY(!form.isNull());
        QCOMPARE(kit::fieldAs<QLineEdit>(form, "Rail Line")->text(), QString());
        QCOMPARE(kit::fieldAs<QComboBox>(form, "Manufacturer")->currentIndex(), -1);
        QCOMPARE(kit::button(form, "Yes")->isChecked(), kind == 0);
        QCOMPARE(kit::focusCaption(form),
                 kind == 2 ? QStringLiteral("&Save") : QStringLiteral("Manufacturer"));

        kit::fill(form, typeCaption(kind), numberCaption(kind), entryFor(kind));
        box.answer(MsgResult::No);
        kit::click(form, "&Save");
        QCOMPARE(box.boxes().size(), 2);
        QCOMPARE(pf.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 2);
        QTRY_VERIFY(sub.isNull());
        QVERIFY(form.isNull());
        QCOMPARE(box.unexpected(), 0);
        SetProgramFolder(QString());
    }

    // Typed entries go only when the user agrees: eXit and closing the window ask,
    // No keeps the form and its entries, Yes closes without saving. An untouched form, or one
    // cleared, closes without a question.
    void typedEntriesAreNotDroppedSilently_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("leaveBy");
        QTest::addColumn<bool>("drop");
        for (const char *way : {"eXit", "close window"}) {
            QTest::addRow("loco, %s, Yes", way) << 1 << way << true;
            QTest::addRow("loco, %s, No", way) << 1 << way << false;
        }
        QTest::addRow("car, eXit, No") << 0 << "eXit" << false;
        QTest::addRow("set, close window, No") << 2 << "close window" << false;
    }
    void typedEntriesAreNotDroppedSilently() {
        QFETCH(int, kind);
        QFETCH(QString, leaveBy);
        QFETCH(bool, drop);
        Fixture f(kind);
        QVERIFY(kit::show(f.form.get()));
        const auto leave = [&] {
            if (leaveBy == "eXit")
                kit::click(f.form.get(), "e&Xit");
            else
                f.form->close();
            QCoreApplication::processEvents();
        };
        f.fill(entryFor(kind));
        f.box.answer(drop ? MsgResult::Yes : MsgResult::No);
        leave();
        QCOMPARE(f.box.boxes().size(), 1);
        const platform::MsgRequest asked = f.box.boxes()[0];
        QCOMPARE(asked.prompt, QStringLiteral("Discard the new item you have typed? "));
        QCOMPARE(asked.icon, MsgIcon::Question);
        QCOMPARE(asked.defaultButton, MsgDefault::Button2);
        QCOMPARE(f.form->isVisible(), !drop);
        QCOMPARE(f.rows(), 0);
        if (drop)
            return;
        QCOMPARE(kit::field(f.form.get(), "Rail Line")->property("text").toString(),
                 entryFor(kind).railLine);

        f.box.clear();
        kit::click(f.form.get(), "&Clear");
        leave();
        QTRY_VERIFY(!f.form->isVisible());
        QCOMPARE(f.box.boxes().size(), 0);
    }

    // A store that refuses the row: its own failure box, then the form's not-saved box; the
    // entries stay so that a second Save stores them.
    void failedSaveKeepsEntries_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("operation");
        QTest::newRow("car") << 0 << "Rolling Stock Record was NOT Saved! "
                             << "AddCar";
        QTest::newRow("loco") << 1 << "Locomotive Record was NOT Saved! "
                              << "AddLoco";
        QTest::newRow("set") << 2 << "Full Set Record was NOT Saved! "
                             << "AddSet";
    }
    void failedSaveKeepsEntries() {
        QFETCH(int, kind);
        QFETCH(QString, message);
        QFETCH(QString, operation);
        Fixture f(kind);
        QVERIFY(kit::show(f.form.get()));
        f.pf.exec("CREATE TRIGGER refuse BEFORE INSERT ON tblMain "
                  "BEGIN SELECT RAISE(ABORT, 'disk full'); END;");
        kit::Entry e = entryFor(kind);
        e.notes = "Don't lose me";
        f.fill(e);
        kit::click(f.form.get(), "&Save");
        kit::checkRefusedSave(f.box.boxes(), operation, message);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(f.rows(), 0);
        QCOMPARE(kit::fieldAs<QLineEdit>(f.form.get(), "Rail Line")->text(), e.railLine);
        QCOMPARE(kit::fieldAs<QComboBox>(f.form.get(), "Manufacturer")->currentText(),
                 e.manufacturer);
        QCOMPARE(kit::fieldAs<QTextEdit>(f.form.get(), "Notes")->toPlainText(), e.notes);
        QVERIFY(kit::button(f.form.get(), "Yes")->isChecked());

        f.pf.exec("DROP TRIGGER refuse");
        f.box.answer(MsgResult::No);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 3);
        QCOMPARE(f.pf.scalar("SELECT Notes FROM tblMain").toString(), e.notes);
    }

    // Without the largest row number no item number is made up and nothing is stored.
    void noItemNumberNoSave() {
        Fixture f(0);
        QVERIFY(kit::show(f.form.get()));
        f.fill(entryFor(0));
        f.pf.exec("ALTER TABLE tblMain RENAME TO tblAway");
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 2); // the store's GetNewItemID box, then ours; no AddCar
        QVERIFY(f.box.boxes()[0].prompt.endsWith("Function: GetNewItemID"));
        QCOMPARE(f.box.boxes()[1].prompt, QStringLiteral("Rolling Stock Record was NOT Saved! "));
        QCOMPARE(f.box.boxes()[1].title, QStringLiteral(" ERROR"));
        QVERIFY(!rsRecords);
        f.pf.exec("ALTER TABLE tblAway RENAME TO tblMain");
        QCOMPARE(f.rows(), 0);
        QCOMPARE(kit::fieldAs<QLineEdit>(f.form.get(), "Rail Line")->text(),
                 QStringLiteral("Santa Fe"));
        f.box.answer(MsgResult::No);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.pf.scalar("SELECT ItemID FROM tblMain").toString(), QStringLiteral("CL-1"));
    }

    void locomotivePictureWhenPresent_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("file");
        QTest::addColumn<bool>("shown");
        QTest::newRow("loco with drawing") << 1 << true << true;
        QTest::newRow("loco without drawing") << 1 << false << false;
        QTest::newRow("car never") << 0 << true << false;
        QTest::newRow("set never") << 2 << true << false;
    }
    void locomotivePictureWhenPresent() {
        QFETCH(int, kind);
        QFETCH(bool, file);
        QFETCH(bool, shown);
        testing::ProgramFolder pf;
        testing::ScriptedMsgBox box;
        SetProgramFolder(pf.path());
        if (file) {
            QDir(pf.path()).mkpath("images");
            QFile svg(pf.path() + "/images/loco.svg");
            QVERIFY(svg.open(QIODevice::WriteOnly));
            svg.write("<svg xmlns='http://www.w3.org/2000/svg' width='120' height='60'>"
                      "<rect x='5' y='5' width='110' height='50' fill='black'/></svg>");
        }
        std::unique_ptr<QWidget> form(newForm(kind));
        auto *img = form->findChild<QLabel *>("imgBox");
        QVERIFY(img);
        QCOMPARE(!img->pixmap().isNull(), shown);
        QCOMPARE(box.boxes().size(), 0);
        SetProgramFolder(QString());
    }

    // Each form rendered to a picture for a person to look at (QUILLON_SHOT_DIR).
    void formsRender_data() { addKinds(); }
    void formsRender() {
        QFETCH(int, kind);
        Fixture f(kind);
        QVERIFY(kit::show(f.form.get()));
        f.fill(entryFor(kind));
        kit::field(f.form.get(), "Rail Line")->setFocus();
        const QImage shot = f.form->grab().toImage();
        QVERIFY(shot.width() >= 800 && shot.height() >= 500);
        // The fields fit: none is squeezed below its size hint.
        for (auto *w : f.form->findChildren<QLineEdit *>())
            QVERIFY2(w->width() >= 60, qPrintable(w->objectName()));
        const QString dir = qEnvironmentVariable("QUILLON_SHOT_DIR");
        if (!dir.isEmpty())
            QVERIFY(shot.save(dir + "/" + f.form->objectName() + ".png"));
    }
};

QTEST_MAIN(TestItemAddSave)
#include "tst_itemadd_save.moc"

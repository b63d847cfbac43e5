// The item field set by keyboard and assistive tools: "Date Accquired" typed as people type a
// date, in three locales (what lands in the store, Tab leaving the box, the calendar keys), the
// names a screen reader hears, and the long car type list.
#include "tests/support/TestSupport.h"
#include "tests/trains/items/ItemFormKit.h"
#include "trains/items/AddForms.h"
#include "trains/modGlobal.h"

#include <QAccessible>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>
#include <memory>

using platform::MsgResult;

class TestItemKeys : public QObject {
    Q_OBJECT

    // An add form over its own empty database, on a day in February: a day typed before its
    // month must not be cut to the 28 days on show.
    struct Fixture {
        testing::ProgramFolder pf;
        testing::ScriptedMsgBox box;
        testing::FakeClock clock{QDateTime(QDate(2026, 2, 8), QTime(10, 0))};
        std::unique_ptr<QWidget> form;
        explicit Fixture(const QString &locale) {
            QLocale::setDefault(QLocale(locale));
            SetProgramFolder(pf.path());
            form.reset(new frmAddCar);
            form->setAttribute(Qt::WA_DeleteOnClose, false);
        }
        ~Fixture() {
            form.reset();
            SetProgramFolder(QString());
            QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        }
        QDateEdit *date() const { return kit::fieldAs<QDateEdit>(form.get(), "Date Accquired"); }
        // Enter in "Current Value" leads into the date box, as a person filling the form goes.
        void enterDateBox() {
            QWidget *value = kit::field(form.get(), "Current Value");
            value->setFocus(Qt::TabFocusReason);
            QTest::keyClick(value, Qt::Key_Return);
            QCOMPARE(kit::focusCaption(form.get()), QStringLiteral("Date Accquired"));
        }
    };

  private slots:
    void typedDateIsStored_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("stored");
        QTest::newRow("en_US") << "en_US"
                               << "3/14/2019"
                               << "2019-03-14";
        QTest::newRow("en_US zeros") << "en_US"
                                     << "03/14/2019"
                                     << "2019-03-14";
        QTest::newRow("en_US no separators") << "en_US"
                                             << "03142019"
                                             << "2019-03-14";
        QTest::newRow("en_US other separator") << "en_US"
                                               << "3-14-2019"
                                               << "2019-03-14";
        QTest::newRow("en_US one-digit parts") << "en_US"
                                               << "1/5/2019"
                                               << "2019-01-05";
        QTest::newRow("en_US two-digit year") << "en_US"
                                              << "12/31/97"
                                              << "1997-12-31";
        QTest::newRow("de_DE") << "de_DE"
                               << "14.03.2019"
                               << "2019-03-14";
        QTest::newRow("de_DE no zeros") << "de_DE"
                                        << "14.3.2019"
                                        << "2019-03-14";
        QTest::newRow("de_DE day past February") << "de_DE"
                                                 << "31.03.2019"
                                                 << "2019-03-31";
        QTest::newRow("de_DE leap day") << "de_DE"
                                        << "29.2.2024"
                                        << "2024-02-29";
        QTest::newRow("de_DE two-digit year") << "de_DE"
                                              << "1.12.19"
                                              << "2019-12-01";
        QTest::newRow("C month number") << "C"
                                        << "14 3 2019"
                                        << "2019-03-14";
        QTest::newRow("C month name") << "C"
                                      << "14 Mar 2019"
                                      << "2019-03-14";
        QTest::newRow("C dots") << "C"
                                << "14.3.2019"
                                << "2019-03-14";
        QTest::newRow("en_US ISO") << "en_US"
                                   << "2019-03-14"
                                   << "2019-03-14";
        QTest::newRow("en_US ISO one-digit parts") << "en_US"
                                                   << "2019-3-4"
                                                   << "2019-03-04";
        QTest::newRow("en_GB day first") << "en_GB"
                                         << "14/03/2019"
                                         << "2019-03-14";
        QTest::newRow("de_DE ISO") << "de_DE"
                                   << "2019-12-01"
                                   << "2019-12-01";
    }
    void typedDateIsStored() {
        QFETCH(QString, locale);
        QFETCH(QString, keys);
        QFETCH(QString, stored);
        Fixture f(locale);
        QVERIFY(kit::show(f.form.get()));
        kit::Entry e;
        e.type = QStringLiteral("Box Car");
        kit::fill(f.form.get(), "Car Type", "Car Number", e);

        f.enterDateBox();
        QTest::keyClicks(f.date(), keys);
        QTest::keyClick(f.date(), Qt::Key_Tab);
        QCOMPARE(kit::focusCaption(f.form.get()), QStringLiteral("Condition"));
        QCOMPARE(f.date()->date(), QDate::fromString(stored, Qt::ISODate));

        f.box.answer(MsgResult::No);
        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 1);
        QCOMPARE(f.box.boxes()[0].title, QStringLiteral("Record Saved Successfully"));
        QCOMPARE(f.pf.scalar("SELECT DateAccquired FROM tblMain").toString(), stored);
    }

    // Keys that read as no date in the locale's order nor year first: the box turns red, Save
    // names the field and stores nothing, and a date typed afresh lifts the mark.
    void unreadableDateIsRefused_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("keys");
        QTest::newRow("en_US day first") << "en_US"
                                         << "14/03/2019";
        QTest::newRow("en_US month 13") << "en_US"
                                        << "13/1/2019";
        QTest::newRow("en_US February 30") << "en_US"
                                           << "2/30/2019";
        QTest::newRow("en_US year first, two digits") << "en_US"
                                                      << "19-03-14";
        QTest::newRow("en_US three-digit year") << "en_US"
                                                << "3/14/201";
        QTest::newRow("en_US ISO month 14") << "en_US"
                                            << "2019-14-03";
        QTest::newRow("de_DE month first") << "de_DE"
                                           << "03.31.2019";
        QTest::newRow("de_DE double separator") << "de_DE"
                                                << "14..3.2019";
    }
    void unreadableDateIsRefused() {
        QFETCH(QString, locale);
        QFETCH(QString, keys);
        Fixture f(locale);
        QVERIFY(kit::show(f.form.get()));
        kit::Entry e;
        e.type = QStringLiteral("Box Car");
        kit::fill(f.form.get(), "Car Type", "Car Number", e);
        const QColor plain = f.date()->findChild<QLineEdit *>()->palette().color(QPalette::Base);

        f.enterDateBox();
        QTest::keyClicks(f.date(), keys);
        QTest::keyClick(f.date(), Qt::Key_Tab);
        QVERIFY(f.date()->findChild<QLineEdit *>()->palette().color(QPalette::Base) != plain);

        kit::click(f.form.get(), "&Save");
        QCOMPARE(f.box.boxes().size(), 1);
        QVERIFY2(f.box.boxes()[0].prompt.startsWith(QStringLiteral("Date Accquired ")),
                 qPrintable(f.box.boxes()[0].prompt));
        QCOMPARE(f.pf.scalar("SELECT COUNT(*) FROM tblMain").toInt(), 0);
        QCOMPARE(kit::focusCaption(f.form.get()), QStringLiteral("Date Accquired"));

        QTest::keyClicks(f.date(), QStringLiteral("2019-03-14"));
        QTest::keyClick(f.date(), Qt::Key_Tab);
        QCOMPARE(f.date()->findChild<QLineEdit *>()->palette().color(QPalette::Base), plain);
        QCOMPARE(f.date()->date(), QDate(2019, 3, 14));
    }

    // Alt+Down and F4 open the calendar and leave the date alone; Escape closes it again.
    void calendarKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Alt+Down") << int(Qt::Key_Down) << int(Qt::AltModifier);
        QTest::newRow("F4") << int(Qt::Key_F4) << int(Qt::NoModifier);
    }
    void calendarKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        Fixture f("en_US");
        QVERIFY(kit::show(f.form.get()));
        f.enterDateBox();
        const QDate before = f.date()->date();
        QTest::keyClick(f.date(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        auto *calendar = f.date()->findChild<QCalendarWidget *>();
        QVERIFY(calendar);
        QTRY_VERIFY(calendar->isVisible());
        QCOMPARE(calendar->selectedDate(), before);
        QCOMPARE(f.date()->date(), before);
        QTest::keyClick(calendar, Qt::Key_Escape);
        QTRY_VERIFY(!calendar->isVisible());
        QCOMPARE(f.date()->date(), before);
    }

    // What a screen reader hears: the notes box by its caption, Yes and No as the two answers
    // of one group named "Box Included".
    void notesAndBoxAnswerAreNamed() {
        Fixture f("en_US");
        QVERIFY(kit::show(f.form.get()));
        QAccessibleInterface *notes =
            QAccessible::queryAccessibleInterface(kit::field(f.form.get(), "Notes"));
        QCOMPARE(notes->text(QAccessible::Name), QStringLiteral("Notes"));
        QWidget *yes = kit::button(f.form.get(), "Yes");
        QWidget *no = kit::button(f.form.get(), "No");
        QCOMPARE(yes->parentWidget(), no->parentWidget());
        QAccessibleInterface *group = QAccessible::queryAccessibleInterface(yes->parentWidget());
        QCOMPARE(group->role(), QAccessible::Grouping);
        QCOMPARE(group->text(QAccessible::Name), QStringLiteral("Box Included"));
    }

    // The 46 car types drop down as about twenty rows with a scroll bar for the rest.
    void carTypesDropDownScrolls() {
        Fixture f("en_US");
        QVERIFY(kit::show(f.form.get()));
        auto *types = kit::fieldAs<QComboBox>(f.form.get(), "Car Type");
        QCOMPARE(types->count(), 46);
        types->setFocus();
        QTest::keyClick(types, Qt::Key_Down, Qt::AltModifier);
        QAbstractItemView *view = types->view();
        QTRY_VERIFY(view->isVisible());
        const int rows = view->viewport()->height() / view->sizeHintForRow(0);
        QVERIFY2(rows >= 18 && rows <= 21, qPrintable(QString::number(rows)));
        QVERIFY(view->verticalScrollBar()->isVisible());
        types->hidePopup();
    }
};

QTEST_MAIN(TestItemKeys)
#include "tst_itemkeys.moc"

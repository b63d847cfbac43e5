// The deletion forms of the three kinds: closing, the last item, a delete without a chosen row,
// failures of the store, and stored values as they show.
#include "tests/trains/delete/DeleteKit.h"

using namespace deletekit;

class TestDeleteFormsClose : public QObject, private Fixture {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QStringLiteral("en_US"))); }

    void init() { start(); }
    void cleanup() { finish(); }

    void exitClosesTheFormAndItsWindow() {
        insertItem(*pf, kinds()[1], "LL-1");
        Shown s(FormId::DeleteLoco);
        QTest::mouseClick(button(s.form, "e&Xit"), Qt::LeftButton);
        QTRY_VERIFY(!s.sub);
        QVERIFY(!s.form);
        QVERIFY(msg->boxes().isEmpty());
        // Outside a sub-window the form closes itself.
        QPointer<QWidget> bare = createForm(FormId::DeleteSet);
        bare->show();
        QTest::mouseClick(button(bare, "e&Xit"), Qt::LeftButton);
        QTRY_VERIFY(!bare);
    }

    void deletingTheLastItemLeavesAnEmptyList() {
        const KindCase &k = kinds()[2];
        insertItem(*pf, k, "SL-1");
        insertItem(*pf, kinds()[0], "CL-2"); // another kind stays
        Shown s(k.id);
        clickRow(s.list(), 0);
        msg->answer(MsgResult::Yes);
        msg->answer(MsgResult::Yes);
        QTest::mouseClick(button(s.form, "&Delete"), Qt::LeftButton);
        QCOMPARE(s.list()->listModel()->rowCount(), 0);
        QVERIFY(s.form && s.form->isVisible());
        QCOMPARE(pf->scalar("SELECT ItemID FROM tblMain").toString(), QString("CL-2"));
        QVERIFY(!button(s.form, "&Delete")->isEnabled());
    }

    void deleteNeedsAChosenRow() {
        const KindCase &k = kinds()[0];
        insertItem(*pf, k, "CL-1");
        Shown s(k.id);
        QPushButton *del = button(s.form, "&Delete");
        QVERIFY(!del->isEnabled());
        QTest::mouseClick(del, Qt::LeftButton);
        s.form->activateWindow();
        QTest::keyClick(s.form, Qt::Key_D, Qt::AltModifier);
        QVERIFY(msg->boxes().isEmpty()); // no question, no "Deleted"
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblMain").toInt(), 1);
    }

    // The store reports its own failures; the forms add only their own short message.
    void storeFailuresLeaveTheFormUsable_data() { addKindColumn(); }
    void storeFailuresLeaveTheFormUsable() {
        QFETCH(int, kind);
        const KindCase &k = kinds()[kind];
        insertItem(*pf, k, k.prefix + "1");
        const QString db = pf->databasePath();
        QVERIFY(QFile::rename(db, db + ".away"));
        msg->answer(MsgResult::OK);
        {
            Shown s(k.id); // the listing fails: one store message, an empty list
            QCOMPARE(msg->boxes().size(), 1);
            QCOMPARE(msg->boxes()[0].icon, MsgIcon::Critical);
            QVERIFY(msg->boxes()[0].prompt.endsWith("Function: " + k.load));
            QCOMPARE(s.list()->listModel()->rowCount(), 0);
            QVERIFY(!button(s.form, "&Delete")->isEnabled());
        }
        QVERIFY(QFile::rename(db + ".away", db));

        msg->clear();
        Shown s(k.id);
        clickRow(s.list(), 0);
        QVERIFY(QFile::rename(db, db + ".away")); // gone while the form is open
        msg->answer(MsgResult::OK);               // the store's failure
        msg->answer(MsgResult::OK);               // the form's own
        QTest::mouseClick(button(s.form, "&Delete"), Qt::LeftButton);
        QCOMPARE(msg->boxes().size(), 2);
        QCOMPARE(msg->boxes()[0].icon, MsgIcon::Critical);
        QCOMPARE(msg->boxes()[1].prompt, k.noun + " Record was NOT Deleted");
        QVERIFY(!pf->readLog().isEmpty());
        QVERIFY(QFile::rename(db + ".away", db));
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblMain").toInt(), 1);
        QCOMPARE(s.list()->listModel()->rowCount(), 1);
        QCOMPARE(boxUnder(s.form, "ID")->text(), QString());
    }

    // A Null value shows as an empty cell; every later row is still listed.
    void nullValuesLeaveEmptyCells_data() { addKindColumn(); }
    void nullValuesLeaveEmptyCells() {
        QFETCH(int, kind);
        const KindCase &k = kinds()[kind];
        insertItem(*pf, k, k.prefix + "1");
        insertItem(*pf, k, k.prefix + "2",
                   {{"Notes", QVariant()},
                    {"OriginalCost", QVariant()},
                    {"DateAccquired", QVariant()},
                    {"Manufacturer", QVariant()},
                    {k.numberField, QVariant()},
                    {"Box", QVariant()}});
        insertItem(*pf, k, k.prefix + "3");
        Shown s(k.id);
        ItemListView *lv = s.list();
        QCOMPARE(columnTexts(lv, 0), QStringList({k.prefix + "1", k.prefix + "2", k.prefix + "3"}));
        const QStringList row = lv->listModel()->rowCells(1);
        for (int c : {1, 4, 9, 11, 13, 14})
            QVERIFY2(row[c].isEmpty(), qPrintable(QString::number(c)));
        QCOMPARE(row[10], QString("0.00"));
        QCOMPARE(lv->listModel()->cell(2, 14), QString("Mint"));
        clickRow(lv, 1);
        QCOMPARE(boxUnder(s.form, "Manufacturer")->text(), QString());
        QCOMPARE(boxUnder(s.form, "ID")->text(), k.prefix + "2");
    }

    // Texts the store holds in odd forms still show, unchanged, rather than as blanks.
    void unusualStoredValuesShowAsStored() {
        const KindCase &k = kinds()[0];
        insertItem(*pf, k, "CL-1",
                   {{"DateAccquired", "sometime"},
                    {"OriginalCost", "n/a"},
                    {"Notes", "It's a \"gem\" — 1950s"},
                    {"CurrentValue", 1234567.891}});
        Shown s(k.id);
        const QStringList row = s.list()->listModel()->rowCells(0);
        QCOMPARE(row[11], QString("sometime"));
        QCOMPARE(row[9], QString("n/a"));
        QCOMPARE(row[10], QString("1,234,567.89"));
        QCOMPARE(row[14], QString("It's a \"gem\" — 1950s"));
    }

    void dateColumnFollowsTheLocale() {
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
        insertItem(*pf, kinds()[1], "LL-1", {{"OriginalCost", 1234.5}});
        Shown s(FormId::DeleteLoco);
        const QStringList row = s.list()->listModel()->rowCells(0);
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        QCOMPARE(row[11], QString("16.08.2007"));
        QCOMPARE(row[9], QString("1.234,50"));
    }
};

QTEST_MAIN(TestDeleteFormsClose)
#include "tst_deleteforms_close.moc"

// The deletion forms of the three kinds, driven as a user drives them: the list, the boxes,
// sorting and the answers to the message boxes (the store's own question among them). What is
// stored is read from the database directly.
#include "tests/trains/delete/DeleteKit.h"

using namespace deletekit;

class TestDeleteForms : public QObject, private Fixture {
    Q_OBJECT

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QStringLiteral("en_US"))); }

    void init() { start(); }
    void cleanup() { finish(); }

    void listShowsTheKindsColumnsAndFormats_data() { addKindColumn(); }
    void listShowsTheKindsColumnsAndFormats() {
        QFETCH(int, kind);
        const KindCase &k = kinds()[kind];
        // Rows of other kinds are not listed; rows stand in item number order as text.
        const KindCase &other = kinds()[(kind + 1) % kinds().size()];
        insertItem(*pf, other, other.prefix + "7");
        insertItem(*pf, k, k.prefix + "2");
        insertItem(*pf, k, k.prefix + "10",
                   {{"CarNumber", "N-10"},
                    {"SetNumber", "S-10"},
                    {"OriginalCost", 1234.5},
                    {"CurrentValue", 0.0},
                    {"CarType", "Caboose"},
                    {"RailLine", "Erie"}});

        Shown s(k.id);
        QCOMPARE(s.form->objectName(), QString(formName(k.id)));
        QCOMPARE(s.form->windowTitle(), AppCaption());
        QVERIFY(objRails);
        ItemListView *lv = s.list();
        QCOMPARE(columnTexts(lv, 0), QStringList({k.prefix + "10", k.prefix + "2"}));

        const QStringList headers = {
            "ID",        "Manufacturer", "Rail Line",      "Type", k.numberHeader, "Gauge",
            "Curve",     "Color",        "Accquired From", "Cost", "Value",        "Accquired",
            "Condition", "Box",          "Notes"};
        QStringList shownHeaders;
        for (int c = 0; c < lv->model()->columnCount(); ++c)
            shownHeaders << lv->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(shownHeaders, headers);
        QCOMPARE(lv->columnWidth(3), k.typeWidth);
        QCOMPARE(lv->columnWidth(9), 80);
        auto align = [&](int c) {
            return lv->model()->index(0, c).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                   Qt::AlignHorizontal_Mask;
        };
        QCOMPARE(align(0), Qt::AlignLeft);
        QCOMPARE(align(4), Qt::AlignHCenter);
        QCOMPARE(align(9), Qt::AlignRight);
        QCOMPARE(align(10), Qt::AlignRight);
        QCOMPARE(align(14), Qt::AlignLeft);
        QCOMPARE(lv->toolTip(), QString(" Click to select a record to delete "));

        const QString number = k.numberField == "SetNumber" ? "S-10" : "N-10";
        QCOMPARE(lv->listModel()->rowCells(0),
                 QStringList({k.prefix + "10", "Lionel", "Erie", "Caboose", number, "O Gauge",
                              "O-27", "Red", "Show", "1,234.50", "0.00", "8/16/2007", "Excellent",
                              "YES", "Mint"}));
        QCOMPARE(lv->listModel()->key(0), k.prefix + "10");

        // The lower row: captions label their boxes, title and caption texts per kind.
        auto *title = s.form->findChild<QLabel *>("Label1");
        QCOMPARE(title->text(), k.title);
        for (const QString &c : {QString("ID"), QString("Manufacturer"), k.typeCaption,
                                 QString("Rail Line"), QString("Gauge")}) {
            QLineEdit *box = boxUnder(s.form, c);
            QVERIFY2(box, qPrintable(c));
            QVERIFY(box->isReadOnly());
            QVERIFY(box->text().isEmpty());
        }
        // A locomotive's type box sits at 4080 twips; the others at 3780.
        QCOMPARE(boxUnder(s.form, k.typeCaption)->x(), k.id == FormId::DeleteLoco ? 272 : 252);
        maybeScreenshot(s.sub, formName(k.id));
    }

    void rowClickFillsBoxesInCaptionOrder_data() { addKindColumn(); }
    void rowClickFillsBoxesInCaptionOrder() {
        QFETCH(int, kind);
        const KindCase &k = kinds()[kind];
        insertItem(*pf, k, k.prefix + "1");
        insertItem(*pf, k, k.prefix + "2",
                   {{"Manufacturer", "Märklin"},
                    {"CarType", "Tank Car"},
                    {"RailLine", "Deutsche Bahn"},
                    {"Gauge", "HO Gauge"}});
        Shown s(k.id);
        QPushButton *del = button(s.form, "&Delete");
        QVERIFY(!del->isEnabled());

        // Entering the list by keyboard chooses nothing; the first arrow key chooses row 0.
        s.list()->setFocus(Qt::TabFocusReason);
        QCOMPARE(boxUnder(s.form, "ID")->text(), QString());
        QVERIFY(!del->isEnabled());
        QTest::keyClick(s.list(), Qt::Key_Down);
        QCOMPARE(boxUnder(s.form, "ID")->text(), k.prefix + "1");
        QVERIFY(del->isEnabled());

        clickRow(s.list(), 1);
        QCOMPARE(boxTexts(s.form, k.typeCaption),
                 QStringList({k.prefix + "2", "Märklin", "Tank Car", "Deutsche Bahn", "HO Gauge"}));
        maybeScreenshot(s.sub, formName(k.id) + QStringLiteral("-chosen"));

        QTest::mouseClick(button(s.form, "&Clear"), Qt::LeftButton);
        QCOMPARE(boxTexts(s.form, k.typeCaption), QStringList(5, QString()));
        QVERIFY(!del->isEnabled());
        // Clicking the same row again after Clear shows it again.
        clickRow(s.list(), 1);
        QCOMPARE(boxUnder(s.form, "ID")->text(), k.prefix + "2");
        QVERIFY(del->isEnabled());
        QVERIFY(msg->boxes().isEmpty());
    }

    // Tab goes from the list through the three buttons and back: the boxes that only show the
    // chosen row are passed by, yet a click still reaches them to copy their text.
    void tabPassesTheReadOnlyBoxesBy() {
        const KindCase &k = kinds()[0];
        insertItem(*pf, k, k.prefix + "1");
        Shown s(k.id);
        clickRow(s.list(), 0);
        QStringList stops;
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *w = QApplication::focusWidget();
            auto *b = qobject_cast<QPushButton *>(w);
            stops << (b ? b->text() : w == s.list() ? QString("list") : w->objectName());
        }
        QCOMPARE(stops, QStringList({"&Delete", "&Clear", "e&Xit", "list"}));
        QLineEdit *id = boxUnder(s.form, "ID");
        QTest::mouseClick(id, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), id);
    }

    void headerClicksSortByShownText() {
        const KindCase &k = kinds()[0];
        insertItem(*pf, k, "CL-1", {{"OriginalCost", 900.0}, {"Gauge", "O Gauge"}});
        insertItem(*pf, k, "CL-2", {{"OriginalCost", 1200.0}, {"Gauge", "HO Gauge"}});
        insertItem(*pf, k, "CL-3", {{"OriginalCost", 35.25}, {"Gauge", "N Gauge"}});
        Shown s(k.id);
        ItemListView *lv = s.list();
        QCOMPARE(columnTexts(lv, 9), QStringList({"900.00", "1,200.00", "35.25"}));
        clickHeader(lv, 9); // first click: descending
        QCOMPARE(columnTexts(lv, 9), QStringList({"900.00", "35.25", "1,200.00"}));
        clickHeader(lv, 9);
        QCOMPARE(columnTexts(lv, 9), QStringList({"1,200.00", "35.25", "900.00"}));
        maybeScreenshot(s.sub, QStringLiteral("frmDeletecar-sorted"));
        clickHeader(lv, 5); // another column continues the one flipping direction
        QCOMPARE(columnTexts(lv, 5), QStringList({"O Gauge", "N Gauge", "HO Gauge"}));
        // A click on a sorted row still shows that row.
        clickRow(lv, 0);
        QCOMPARE(boxUnder(s.form, "ID")->text(), QString("CL-1"));
    }

    void deleteAnsweredNoKeepsTheItem_data() { addKindColumn(); }
    void deleteAnsweredNoKeepsTheItem() {
        QFETCH(int, kind);
        const KindCase &k = kinds()[kind];
        insertItem(*pf, k, k.prefix + "1");
        insertItem(*pf, k, k.prefix + "2");
        Shown s(k.id);
        clickRow(s.list(), 1);
        msg->answer(MsgResult::No); // the store's question
        msg->answer(MsgResult::OK);
        QTest::mouseClick(button(s.form, "&Delete"), Qt::LeftButton);

        QCOMPARE(msg->boxes().size(), 2);
        QCOMPARE(msg->boxes()[0].title, QString("** WARNING **"));
        QVERIFY(msg->boxes()[0].prompt.startsWith("Delete this " + k.noun + " Record?"));
        const auto &notDeleted = msg->boxes()[1];
        QCOMPARE(notDeleted.prompt, k.noun + " Record was NOT Deleted");
        QCOMPARE(notDeleted.title, QString("Quillon"));
        QCOMPARE(notDeleted.icon, MsgIcon::None);
        QCOMPARE(notDeleted.buttons, MsgButtons::OK);

        QCOMPARE(
            pf->scalar("SELECT COUNT(*) FROM tblMain WHERE ItemID = '" + k.prefix + "2'").toInt(),
            1);
        QCOMPARE(columnTexts(s.list(), 0), QStringList({k.prefix + "1", k.prefix + "2"}));
        QCOMPARE(boxTexts(s.form, k.typeCaption), QStringList(5, QString()));
        QVERIFY(!button(s.form, "&Delete")->isEnabled());
        QVERIFY(s.sub);
    }

    void deleteYesThenYesRefillsTheList_data() { addKindColumn(); }
    void deleteYesThenYesRefillsTheList() {
        QFETCH(int, kind);
        const KindCase &k = kinds()[kind];
        for (const char *n : {"1", "2", "3"})
            insertItem(*pf, k, k.prefix + n);
        Shown s(k.id);
        clickHeader(s.list(), 0); // descending: 3, 2, 1
        clickRow(s.list(), 0);
        QCOMPARE(boxUnder(s.form, "ID")->text(), k.prefix + "3");
        int rowsWhileAsked = -1;
        msg->onShow = [&](const platform::MsgRequest &r) {
            if (r.title == "** WARNING **")
                rowsWhileAsked = pf->scalar("SELECT COUNT(*) FROM tblMain").toInt();
        };
        msg->answer(MsgResult::Yes);
        msg->answer(MsgResult::Yes);
        QTest::mouseClick(button(s.form, "&Delete"), Qt::LeftButton);

        QCOMPARE(rowsWhileAsked, 3); // the deletion waits in its transaction, unseen
        QCOMPARE(msg->boxes().size(), 2);
        const auto &done = msg->boxes()[1];
        QCOMPARE(done.prompt, k.noun + " Record Deleted" + vbCrLf + vbCrLf +
                                  "Do you want to delete another " + k.noun + " record? ");
        QCOMPARE(done.title, QString("Record Deleted Successfully"));
        QCOMPARE(done.icon, MsgIcon::Question);
        QCOMPARE(done.buttons, MsgButtons::YesNo);
        QCOMPARE(done.defaultButton, platform::MsgDefault::Button1);

        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblMain").toInt(), 2);
        // Refilled in the store's order, not in the last sort's.
        QCOMPARE(columnTexts(s.list(), 0), QStringList({k.prefix + "1", k.prefix + "2"}));
        QCOMPARE(boxTexts(s.form, k.typeCaption), QStringList(5, QString()));
        QVERIFY(!button(s.form, "&Delete")->isEnabled());
    }

    void deleteYesThenNoClosesTheForm_data() { addKindColumn(); }
    void deleteYesThenNoClosesTheForm() {
        QFETCH(int, kind);
        const KindCase &k = kinds()[kind];
        insertItem(*pf, k, k.prefix + "1");
        insertItem(*pf, k, k.prefix + "2");
        Shown s(k.id);
        clickRow(s.list(), 0);
        msg->answer(MsgResult::Yes);
        msg->answer(MsgResult::No);
        QTest::mouseClick(button(s.form, "&Delete"), Qt::LeftButton);
        QTRY_VERIFY(!s.form);
        QTRY_VERIFY(!s.sub);
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblMain").toInt(), 1);
        QCOMPARE(pf->scalar("SELECT ItemID FROM tblMain").toString(), k.prefix + "2");
    }
};

QTEST_MAIN(TestDeleteForms)
#include "tst_deleteforms.moc"

// The collector's own records as a collector meets them: entries of their own in the item
// forms' drop-downs, fields removed after a question, deleted items brought back or emptied,
// and the item card opened from Browse, typed into and walked through.
#include "tests/support/TestSupport.h"
#include "tests/trains/support/ShellFixture.h"

#include "rails/SchemaAdditions.h"
#include "rails/dllRails.h"
#include "rails/records/Records.h"
#include "trains/collection/CollectionModel.h"
#include "trains/collection/frmCollection.h"
#include "trains/items/AddForms.h"
#include "trains/items/ChoiceLists.h"
#include "trains/items/ItemFieldSet.h"
#include "trains/modGlobal.h"
#include "trains/records/frmChoiceLists.h"
#include "trains/records/frmDeletedItems.h"
#include "trains/records/frmFields.h"
#include "trains/records/frmItemCard.h"
#include "trains/shell/frmMain.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTreeView>
#include <QTreeWidget>

using namespace testing;
using platform::MsgResult;
using records::frmChoiceLists;
using records::frmDeletedItems;
using records::frmFields;

class TestRecordsWindows : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ProgramFolder> pf;
    std::unique_ptr<ScriptedMsgBox> boxes;

    // Items RS1..RSn: Roco box cars worth 20, cost 12.5.
    void addItems(int n) {
        for (int i = 1; i <= n; ++i)
            pf->exec(QStringLiteral("INSERT INTO tblMain (ItemID, Manufacturer, CarType, "
                                    "OriginalCost, CurrentValue, Car, Loco, FullSet, Track, "
                                    "Accessory) VALUES ('RS%1', 'Roco', 'Box Car', 12.5, 20, "
                                    "'YES', 'NO', 'NO', 'NO', 'NO')")
                         .arg(i));
    }
    static QStringList offered(QComboBox *box) {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
        return out;
    }

  private slots:
    void init() {
        pf = std::make_unique<testing::ProgramFolder>();
        SetProgramFolder(pf->path());
        engine::Connection c;
        c.ConnectionString = "Provider=SQLite;Data Source=" + pf->databasePath() + ";";
        c.Open();
        rails::applySchemaAdditions(c);
        c.Close();
        boxes = std::make_unique<ScriptedMsgBox>();
    }
    void cleanup() {
        const int unexpected = boxes->unexpected();
        resetProgramState();
        boxes.reset();
        SetProgramFolder(QString());
        pf.reset();
        QCOMPARE(unexpected, 0);
    }

    // Typed entries follow the designed ones alphabetically; a hidden one is offered no more;
    // designed entries cannot be renamed or hidden.
    void entriesOfTheirOwnInTheDropDowns() {
        frmChoiceLists lists;
        QCOMPARE(lists.cboList->currentIndex(), 0); // makers
        QTest::keyClicks(lists.txtEntry, "Roco");
        QTest::mouseClick(lists.cmdAdd, Qt::LeftButton);
        QTest::keyClicks(lists.txtEntry, "Fleischmann");
        QTest::keyClick(lists.txtEntry, Qt::Key_Return);
        QTest::keyClicks(lists.txtEntry, "marklin"); // a designed entry in other letters
        QTest::mouseClick(lists.cmdAdd, Qt::LeftButton);
        QCOMPARE(boxes->boxes().size(), 1);
        boxes->clear();
        {
            frmAddCar form;
            QCOMPARE(offered(form.fields()->cboBox[0]),
                     items::manufacturers() + QStringList({"Fleischmann", "Roco"}));
            QCOMPARE(offered(form.fields()->cboBox[1]), items::carTypesAddOrder());
        }
        lists.lstEntries->setCurrentRow(0);
        QVERIFY(!lists.cmdRename->isEnabled());
        QVERIFY(!lists.cmdHide->isEnabled());
        lists.lstEntries->setCurrentRow(lists.lstEntries->count() - 1);
        QCOMPARE(lists.txtEntry->text(), QString("Roco"));
        QTest::mouseClick(lists.cmdHide, Qt::LeftButton);
        frmAddCar form;
        QCOMPARE(offered(form.fields()->cboBox[0]),
                 items::manufacturers() + QStringList({"Fleischmann"}));
    }

    // Removing a field says how many items hold a value; No keeps it, Yes takes the values.
    void removingAFieldAsksFirst() {
        addItems(2);
        records::Store().setFieldValue("RS2", 2, "Shelf 4");
        frmFields form;
        QCOMPARE(form.lvFields->topLevelItemCount(), 2);
        form.lvFields->setCurrentItem(form.lvFields->topLevelItem(1));
        boxes->answer(MsgResult::No);
        QTest::mouseClick(form.cmdRemove, Qt::LeftButton);
        QCOMPARE(boxes->boxes().size(), 1);
        QVERIFY(boxes->boxes()[0].prompt.contains("\"Storage Location\"? 1 item(s) hold a value"));
        QCOMPARE(boxes->boxes()[0].defaultButton, platform::MsgDefault::Button2);
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblFieldValue").toInt(), 1);
        boxes->answer(MsgResult::Yes);
        QTest::mouseClick(form.cmdRemove, Qt::LeftButton);
        QCOMPARE(form.lvFields->topLevelItemCount(), 1);
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblFieldValue").toInt(), 0);
        QTest::keyClicks(form.txtName, "Era");
        QTest::mouseClick(form.cmdAdd, Qt::LeftButton);
        QCOMPARE(form.lvFields->topLevelItemCount(), 2);
    }

    // Restoring says which number the item came back with; Empty asks before it removes all.
    void deletedItemsComeBackOrGo() {
        addItems(3);
        pf->exec("DELETE FROM tblMain WHERE ItemID IN ('RS1', 'RS3')");
        addItems(1); // RS1 taken again
        frmDeletedItems form;
        QCOMPARE(form.lvDeleted->model()->rowCount(), 2);
        QCOMPARE(form.lvDeleted->model()->index(0, 1).data().toString(), QString("RS3"));
        boxes->answer(MsgResult::OK);
        QTest::mouseClick(form.cmdRestore, Qt::LeftButton);
        QCOMPARE(boxes->boxes().last().prompt,
                 QString("Item RS3 is back in the collection with its own number."));
        QCOMPARE(form.lvDeleted->model()->rowCount(), 1);
        form.lvDeleted->setCurrentIndex(form.lvDeleted->model()->index(0, 0));
        boxes->answer(MsgResult::OK);
        QTest::mouseClick(form.cmdRestore, Qt::LeftButton);
        QVERIFY(
            boxes->boxes().last().prompt.startsWith("Item RS1 is back in the collection as RS"));
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblMain").toInt(), 4);
        pf->exec("DELETE FROM tblMain");
        form.reload();
        boxes->answer(MsgResult::No);
        QTest::mouseClick(form.cmdEmpty, Qt::LeftButton);
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblDeletedMain").toInt(), 4);
        boxes->answer(MsgResult::Yes);
        QTest::mouseClick(form.cmdEmpty, Qt::LeftButton);
        QVERIFY(boxes->boxes().last().prompt.startsWith("Remove all 4 deleted item(s)"));
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblDeletedMain").toInt(), 0);
        QVERIFY(!form.cmdEmpty->isEnabled());
    }

    // At start-up, items deleted more than 90 days ago go for good; younger ones stay.
    void oldDeletedItemsRemovedAtStart() {
        addItems(3);
        pf->exec("DELETE FROM tblMain");
        pf->exec("UPDATE tblDeletedMain SET DeletedAt = CASE ItemID WHEN 'RS1' THEN "
                 "'2025-12-14 09:26:52' WHEN 'RS2' THEN '2025-12-14 09:26:54' ELSE "
                 "'2026-03-14 09:00:00' END");
        FakeClock clock(QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));
        records::RemoveOldDeletedItems();
        QCOMPARE(pf->scalar("SELECT group_concat(ItemID) FROM tblDeletedMain").toString(),
                 QString("RS2,RS3"));
    }

    // Ctrl+Enter in Browse opens the card (Enter still asks for the edit form); what is typed
    // on the card is stored, the value with its source; Next walks what Browse shows.
    void cardFromBrowse() {
        addItems(3);
        strOwnerName = QStringLiteral("Ann Lee");
        auto *main = new frmMain;
        main->Form_Load();
        main->show();
        main->findChild<QAction *>("mnuCollectionBrowse")->trigger();
        auto *view =
            qobject_cast<collection::frmCollection *>(main->childWindow("frmCollection")->widget());
        QTest::keyClicks(view->txtFind, "rs");
        view->list()->setCurrentIndex(view->model()->index(view->model()->rowOfItem("RS2"), 0));
        QSignalSpy edits(view, &collection::frmCollection::editRequested);
        QTest::keyClick(view->list(), Qt::Key_Return);
        QCOMPARE(edits.size(), 1);
        for (QMdiSubWindow *sub : main->findChildren<QMdiSubWindow *>())
            if (sub->widget() != view)
                sub->close();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        view->list()->setFocus();
        QTest::keyClick(view->list(), Qt::Key_Return, Qt::ControlModifier);
        QMdiSubWindow *sub = main->childWindow("frmItemCard");
        QVERIFY(sub);
        auto *card = qobject_cast<records::frmItemCard *>(sub->widget());
        QCOMPARE(card->itemId(), QString("RS2"));
        QTest::keyClicks(card->extraEditors[0], "Roco 4711");
        card->txtValue->clear();
        QTest::keyClicks(card->txtValue, "31.50");
        card->cboSource->setCurrentIndex(records::valueSources().indexOf("appraisal"));
        QVERIFY(card->cmdSave_Click());
        QCOMPARE(records::Store().fieldValues("RS2").value(1), QString("Roco 4711"));
        // Browse reads the collection again and finds the item by its catalogue number.
        QCoreApplication::processEvents();
        view->txtFind->clear();
        QTest::keyClicks(view->txtFind, "4711");
        QCOMPARE(view->model()->rowCount(), 1);
        QCOMPARE(view->model()->itemId(0), QString("RS2"));
        // The details pane (and the inventory, which reads the same) shows what the card set.
        view->list()->setCurrentIndex(view->model()->index(0, 0));
        QTRY_VERIFY(view->txtDetail->toPlainText().contains("Catalogue No.: Roco 4711"));
        QVERIFY(view->txtDetail->toPlainText().contains("Value Source: appraisal"));
        view->txtFind->clear();
        QTest::keyClicks(view->txtFind, "rs");
        QCOMPARE(records::Store().valuation("RS2").source, QString("appraisal"));
        QCOMPARE(card->lvHistory->topLevelItemCount(), 3);
        QCOMPARE(card->lvHistory->topLevelItem(2)->text(4), QString("appraisal"));
        QTest::keyClicks(card->extraEditors[1], "Shelf 9");
        boxes->answer(MsgResult::No);
        QTest::mouseClick(card->cmdNext, Qt::LeftButton);
        QCOMPARE(boxes->boxes().size(), 1);
        QCOMPARE(card->itemId(), QString("RS3"));
        QVERIFY(!card->cmdNext->isEnabled());
        QVERIFY(records::Store().fieldValues("RS2").value(2).isEmpty());
        QTest::keyClicks(card->txtValue, "x");
        boxes->answer(MsgResult::OK);
        QVERIFY(!card->cmdSave_Click());
        QCOMPARE(boxes->boxes().last().prompt, QString("Current Value must be an amount."));
    }
};

QTEST_MAIN(TestRecordsWindows)
#include "tst_records_windows.moc"

// Browse as a collector uses it: an item hidden by the find or a filter is no longer acted on,
// the find reaches the notes, the columns on show are chosen and remembered and fit a 1280-pixel
// screen, the keyboard and a screen reader get through, and amounts carry the user's currency.
#include "tests/support/TestSupport.h"
#include "tests/trains/collection/CollectionKit.h"
#include "tests/trains/support/ShellFixture.h"

#include "trains/collection/CollectionModel.h"
#include "trains/collection/ExportDialog.h"
#include "trains/collection/FileChooser.h"
#include "trains/collection/PhotoViewer.h"
#include "trains/collection/frmCollection.h"
#include "trains/collection/frmCollectionColumns.h"
#include "trains/modGlobal.h"
#include "trains/shell/frmMain.h"

#include "rails/records/Records.h"

#include "platform/LocaleText.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>

using namespace testing;
using namespace collectionkit;
using collection::CollectionModel;
using collection::frmCollection;

class TestBrowse : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ProgramFolder> pf;
    std::unique_ptr<ScriptedMsgBox> boxes;
    frmMain *main = nullptr;

    frmCollection *openView() {
        main->findChild<QAction *>(QStringLiteral("mnuCollectionBrowse"))->trigger();
        QMdiSubWindow *sub = main->childWindow(QStringLiteral("frmCollection"));
        return sub ? qobject_cast<frmCollection *>(sub->widget()) : nullptr;
    }
    static void choose(frmCollection *view, const QString &itemId) {
        const int row = view->model()->rowOfItem(itemId);
        QVERIFY(row >= 0);
        view->list()->setCurrentIndex(view->model()->index(row, 0));
    }
    static QStringList shownColumns(const QHeaderView *h) {
        QStringList names;
        for (int v = 0; v < h->count(); ++v)
            if (!h->isSectionHidden(h->logicalIndex(v)))
                names << h->model()->headerData(h->logicalIndex(v), Qt::Horizontal).toString();
        return names;
    }

  private slots:
    void init() {
        pf = std::make_unique<testing::ProgramFolder>();
        SetProgramFolder(pf->path());
        // Remembered columns start afresh in each test.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, pf->path());
        addRecordTables(*pf);
        boxes = std::make_unique<ScriptedMsgBox>();
        main = new frmMain;
        main->Form_Load();
        main->show();
    }
    void cleanup() {
        const int unexpected = boxes->unexpected();
        platform::setCurrencySymbol(QString());
        QLocale::setDefault(QLocale::c());
        resetProgramState();
        boxes.reset();
        SetProgramFolder(QString());
        pf.reset();
        QCOMPARE(unexpected, 0);
    }

    // The chosen item leaves the view: the pane says to choose one, Edit... is off and Enter in
    // the list opens nothing. Brought back, it is not chosen again by itself.
    void hiddenItemIsNotActedOn_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("find") << "find";
        QTest::newRow("kind") << "kind";
        QTest::newRow("condition") << "condition";
    }
    void hiddenItemIsNotActedOn() {
        QFETCH(QString, how);
        seed(*pf);
        frmCollection *view = openView();
        choose(view, "CL-10");
        QVERIFY(view->cmdEdit->isEnabled());
        QVERIFY(view->txtDetail->toPlainText().contains("CL-10"));
        if (how == "find")
            type(view->txtFind, "roco");
        else if (how == "kind")
            view->cboKind->setCurrentIndex(view->cboKind->findText("Locomotive"));
        else
            view->cboCondition->setCurrentIndex(view->cboCondition->findText("Excellent"));
        QCOMPARE(view->model()->rowOfItem("CL-10"), -1);
        QVERIFY(!view->cmdEdit->isEnabled());
        QVERIFY(!view->txtDetail->toPlainText().contains("CL-10"));
        QCOMPARE(view->chosenItemId(), QString());
        QTest::keyClick(view->list(), Qt::Key_Return);
        QVERIFY(!main->childWindow("frmEditCar"));
    }

    // Words of the notes are found like any column's; a word in no column finds nothing.
    void findReachesTheNotes() {
        seed(*pf);
        pf->exec("UPDATE tblMain SET Notes = 'Repainted by Hans, Kupplung fehlt' "
                 "WHERE ItemID = 'LL-3'");
        frmCollection *view = openView();
        type(view->txtFind, "kupplung");
        QCOMPARE(view->model()->rowCount(), 1);
        QCOMPARE(view->model()->itemId(0), QString("LL-3"));
        QTest::keyClick(view->txtFind, Qt::Key_Escape);
        type(view->txtFind, "hans santa");
        QCOMPARE(view->model()->rowCount(), 1);
        type(view->txtFind, "x");
        QCOMPARE(view->model()->rowCount(), 0);
    }

    // The default set in its order; a column chosen off and one moved are remembered by the
    // next Browse; "Default Columns" puts the set back. On a 1280-pixel screen the set shows
    // without scrolling, and Browse keeps filling the main window as it grows.
    void columnsChosenRememberedAndFitting() {
        seed(*pf);
        main->resize(1280, 900);
        frmCollection *view = openView();
        QHeaderView *h = view->list()->horizontalHeader();
        const QStringList defaults{"ID",    "Kind",      "Manufacturer", "Type", "Number",
                                   "Gauge", "Condition", "Cost",         "Value"};
        QCOMPARE(shownColumns(h), defaults);
        QTRY_COMPARE(view->list()->horizontalScrollBar()->maximum(), 0);

        QMdiSubWindow *sub = main->childWindow("frmCollection");
        main->resize(1400, 1000);
        QTRY_COMPARE(sub->size(), main->mdiArea()->viewport()->size());

        std::unique_ptr<QMenu> menu(collection::columnMenu(h, nullptr));
        for (QAction *a : menu->actions())
            if (a->text() == "Gauge" || a->text() == "Rail Line")
                a->trigger();
        h->moveSection(h->visualIndex(CollectionModel::colValue), 0);
        main->childWindow("frmCollection")->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        view = openView();
        h = view->list()->horizontalHeader();
        QCOMPARE(shownColumns(h), QStringList({"Value", "ID", "Kind", "Manufacturer", "Type",
                                               "Number", "Condition", "Cost", "Rail Line"}));
        menu.reset(collection::columnMenu(h, nullptr));
        // The last column on show stays.
        for (QAction *a : menu->actions())
            if (a->isCheckable() && a->isChecked())
                a->trigger();
        QCOMPARE(shownColumns(h).size(), 1);
        menu->actions().last()->trigger();
        QCOMPARE(shownColumns(h), defaults);
    }

    // Tab leaves the table; the pane's text, the photos, the viewer, the find box's clear
    // button are named for a screen reader, and the pane reads line by line without a frame
    // marker (U+FDD0).
    void keyboardAndScreenReader() {
        seed(*pf);
        frmCollection *view = openView();
        choose(view, "LL-3");
        view->list()->setFocus();
        QTest::keyClick(view->list(), Qt::Key_Tab);
        QVERIFY(!view->list()->hasFocus());

        const QString plain = view->txtDetail->toPlainText();
        QVERIFY(!plain.contains(QChar(0xFDD0)) && !plain.contains(QChar(0xFDD1)));
        QVERIFY2(plain.contains("Item: LL-3\n"), qPrintable(plain));
        QAccessibleInterface *pane = QAccessible::queryAccessibleInterface(view->txtDetail);
        QVERIFY(pane->text(QAccessible::Description).contains("Manufacturer: ROCO"));

        QToolButton *clear = nullptr;
        for (QToolButton *b : view->txtFind->findChildren<QToolButton *>())
            clear = b;
        QVERIFY(clear);
        QCOMPARE(QAccessible::queryAccessibleInterface(clear)->text(QAccessible::Name),
                 QString("Clear Find"));

        QTemporaryDir dir;
        QVERIFY(QImage(64, 48, QImage::Format_RGB32).save(dir.filePath("a.jpg")));
        QVERIFY(QImage(64, 48, QImage::Format_RGB32).save(dir.filePath("b.jpg")));
        QCOMPARE(view->addPhotoFiles({dir.filePath("a.jpg"), dir.filePath("b.jpg")}), 2);
        QCOMPARE(view->lstPhotos->item(1)->data(Qt::AccessibleTextRole).toString(),
                 QString("Photo 2 of 2"));
        collection::CollectionData data;
        collection::PhotoViewer viewer(data, "LL-3", 1);
        QCOMPARE(viewer.findChild<QLabel *>("lblImage")->accessibleName(), QString("Photo 2 of 2"));
    }

    // The condition filter lists conditions from best to worst, as the forms do.
    void conditionsInTheFormsOrder() {
        seed(*pf);
        pf->exec("UPDATE tblMain SET Condition = 'Fair' WHERE ItemID = 'CL-2'");
        frmCollection *view = openView();
        QStringList shown;
        for (int i = 0; i < view->cboCondition->count(); ++i)
            shown << view->cboCondition->itemText(i);
        QCOMPARE(shown, QStringList({"All conditions", "New In Box", "Good", "Fair"}));
        view->cboCondition->setCurrentIndex(3);
        QCOMPARE(view->model()->rowCount(), 1);
        QCOMPARE(view->model()->itemId(0), QString("CL-2"));
    }

    // Amounts in the locale's currency or the one the user set; an item without a value adds
    // no change of -100% to the totals.
    void amountsInTheUsersCurrency_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("cost");
        QTest::addColumn<QString>("totals");
        QTest::newRow("de_DE") << "de_DE"
                               << "" << QString::fromUtf8("9,50\u00a0€")
                               << QString::fromUtf8("Original cost: 369,50\u00a0€");
        QTest::newRow("en_US") << "en_US"
                               << ""
                               << "$9.50"
                               << "Original cost: $369.50";
        QTest::newRow("en_GB with CHF set")
            << "en_GB"
            << "CHF" << QString::fromUtf8("CHF9.50") << "Original cost: CHF369.50";
    }
    void amountsInTheUsersCurrency() {
        QFETCH(QString, locale);
        QFETCH(QString, symbol);
        QFETCH(QString, cost);
        QFETCH(QString, totals);
        QLocale::setDefault(QLocale(locale));
        platform::setCurrencySymbol(symbol);
        seed(*pf);
        pf->exec("UPDATE tblMain SET CurrentValue = NULL WHERE ItemID = 'SL-4'");
        frmCollection *view = openView();
        const int row = view->model()->rowOfItem("CL-2");
        QCOMPARE(view->model()->cellText(row, CollectionModel::colCost), cost);
        QVERIFY2(view->lblTotals->text().contains(totals), qPrintable(view->lblTotals->text()));
        // Cost 119.50 and value 170 of the three items with both: +42.3%, not -100%.
        QVERIFY2(view->lblTotals->text().contains("+42"), qPrintable(view->lblTotals->text()));
    }

    // With a find on and a sort by cost, the export holds exactly the items shown, in the
    // order shown.
    void exportWhatIsShownWritesTheShownItems() {
        seed(*pf);
        const QString file = pf->path() + "/shown.csv";
        collection::setFileChooser([&](const collection::FileRequest &) { return file; });
        frmCollection *view = openView();
        type(view->txtFind, "santa");
        view->list()->sortByColumn(CollectionModel::colCost, Qt::AscendingOrder);
        QCOMPARE(view->model()->rowCount(), 2);
        QTest::mouseClick(view->cmdExportShown, Qt::LeftButton);
        auto *dialog = view->findChild<collection::ExportDialog *>();
        QVERIFY(dialog);
        boxes->answer(platform::MsgResult::OK);
        QTest::mouseClick(dialog->findChild<QPushButton *>("cmdExport"), Qt::LeftButton);
        collection::setFileChooser({});
        QVERIFY2(boxes->boxes().last().prompt.contains("2 items written to"),
                 qPrintable(boxes->boxes().last().prompt));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QStringList ids;
        for (const QByteArray &line : f.readAll().split('\n').mid(1))
            if (!line.isEmpty())
                ids << QString(line).section(',', 1, 1);
        QCOMPARE(ids, QStringList({"LL-3", "CL-10"}));
    }

    // Incomplete only: items lacking what their add form requires. A field of the collector's:
    // the items holding a value, then those whose value holds the typed text.
    void incompleteAndFieldFilters() {
        seed(*pf);
        pf->exec("UPDATE tblMain SET Curve = NULL WHERE ItemID = 'CL-2'");
        records::Store().setFieldValue("LL-3", 2, "Shelf B");
        records::Store().setFieldValue("SL-4", 2, "Dachboden Ö");
        frmCollection *view = openView();
        const auto shown = [&] {
            QStringList ids;
            for (int r = 0; r < view->model()->rowCount(); ++r)
                ids << view->model()->itemId(r);
            return ids;
        };
        QTest::mouseClick(view->chkIncomplete, Qt::LeftButton);
        QCOMPARE(shown(), QStringList({"CL-2"}));
        QTest::mouseClick(view->chkIncomplete, Qt::LeftButton);
        QCOMPARE(shown().size(), 4);
        QVERIFY(!view->txtFieldValue->isEnabled());
        view->cboField->setCurrentIndex(view->cboField->findText("Storage Location"));
        QCOMPARE(shown(), QStringList({"LL-3", "SL-4"}));
        type(view->txtFieldValue, "bod");
        QCOMPARE(shown(), QStringList({"SL-4"}));
        type(view->txtFind, "shelf");
        QCOMPARE(shown(), QStringList());
    }

    // The fields and the value of a year ago as columns, chosen in the header's menu and
    // remembered; the change is blank where either value is.
    void fieldAndYearAgoColumns() {
        seed(*pf);
        pf->exec("UPDATE tblMain SET CurrentValue = NULL WHERE ItemID = 'SL-4'");
        pf->exec("DELETE FROM tblValueHistory");
        pf->exec("INSERT INTO tblValueHistory (ItemID, Changed, What, OldAmount, NewAmount) "
                 "VALUES ('CL-10', '2001-01-01 00:00:00', 'Value', NULL, 100), "
                 "('SL-4', '2001-01-01 00:00:00', 'Value', NULL, 400), "
                 "('CL-2', '2001-01-01 00:00:00', 'Value', NULL, 0)");
        records::Store().setFieldValue("LL-3", 2, "Shelf B");
        frmCollection *view = openView();
        QHeaderView *h = view->list()->horizontalHeader();
        std::unique_ptr<QMenu> menu(collection::columnMenu(h, nullptr));
        for (QAction *a : menu->actions())
            if (a->text() == "Storage Location" || a->text() == "Value Year Ago" ||
                a->text() == "Change in a Year")
                a->trigger();
        const QStringList chosen = shownColumns(h);
        QCOMPARE(chosen.mid(chosen.size() - 3),
                 QStringList({"Value Year Ago", "Change in a Year", "Storage Location"}));
        CollectionModel *m = view->model();
        const int storage = CollectionModel::colCount + 1;
        QCOMPARE(m->cellText(m->rowOfItem("LL-3"), storage), QString("Shelf B"));
        QCOMPARE(m->cellText(m->rowOfItem("CL-10"), CollectionModel::colYearAgo),
                 platform::moneyText(100));
        QCOMPARE(m->cellText(m->rowOfItem("CL-10"), CollectionModel::colChange), QString("+50.0%"));
        QCOMPARE(m->cellText(m->rowOfItem("SL-4"), CollectionModel::colChange), QString());
        QCOMPARE(m->cellText(m->rowOfItem("CL-2"), CollectionModel::colChange), QString());
        QCOMPARE(m->cellText(m->rowOfItem("LL-3"), CollectionModel::colYearAgo), QString());
        view->list()->sortByColumn(storage, Qt::DescendingOrder);
        QCOMPARE(m->itemId(0), QString("LL-3"));

        main->childWindow("frmCollection")->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        records::Store().addField("Era", records::FieldType::Text); // a new field stays hidden
        view = openView();
        QCOMPARE(shownColumns(view->list()->horizontalHeader()), chosen);
    }
};

QTEST_MAIN(TestBrowse)
#include "tst_browse.moc"

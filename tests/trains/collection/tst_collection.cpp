// The collection view, its photos and the value summary as a collector meets them: typing in
// the find box, choosing filters, clicking column headers, reading the totals line, editing an
// item elsewhere, adding and removing photos, and reading the summary's PDF back.
#include "tests/support/TestSupport.h"
#include "tests/trains/collection/CollectionKit.h"
#include "tests/trains/support/ShellFixture.h"

#include "trains/collection/CollectionModel.h"
#include "trains/collection/PhotoViewer.h"
#include "trains/collection/frmCollection.h"
#include "trains/delete/DeleteForms.h"
#include "trains/items/EditItemForm.h"
#include "trains/items/ItemFieldSet.h"
#include "trains/lists/ItemList.h"
#include "trains/modGlobal.h"
#include "trains/reports/CollectionReport.h"
#include "trains/shell/frmMain.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <numeric>

using namespace testing;
using namespace collectionkit;
using collection::CollectionModel;
using collection::frmCollection;

namespace {
// The C locale the tests run in knows no currency: the program's dollar sign.
QString money(double v) {
    return "$" + QLocale().toString(v, 'f', 2);
}

QString run(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}
} // namespace

class TestCollection : public QObject {
    Q_OBJECT
    std::unique_ptr<testing::ProgramFolder> pf;
    std::unique_ptr<ScriptedMsgBox> boxes;
    frmMain *main = nullptr;
    QTemporaryDir files;

    frmCollection *openView() {
        QAction *browse = main->findChild<QAction *>(QStringLiteral("mnuCollectionBrowse"));
        browse->trigger();
        QMdiSubWindow *sub = main->childWindow(QStringLiteral("frmCollection"));
        return sub ? qobject_cast<frmCollection *>(sub->widget()) : nullptr;
    }
    static QStringList shownIds(frmCollection *view) {
        QStringList ids;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            ids << view->model()->itemId(r);
        return ids;
    }
    static void choose(frmCollection *view, const QString &itemId) {
        const int row = view->model()->rowOfItem(itemId);
        QVERIFY(row >= 0);
        view->list()->setCurrentIndex(view->model()->index(row, 0));
    }
    static void clickHeader(frmCollection *view, int column) {
        QHeaderView *h = view->list()->horizontalHeader();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(column) + 5, h->height() / 2));
    }

  private slots:
    void init() {
        pf = std::make_unique<testing::ProgramFolder>();
        SetProgramFolder(pf->path());
        boxes = std::make_unique<ScriptedMsgBox>();
        strOwnerName = QStringLiteral("Ann Lee");
        main = new frmMain;
        main->Form_Load();
        main->show();
    }
    void cleanup() {
        const int unexpected = boxes->unexpected();
        frmCollection::setPhotoFileAsker({});
        resetProgramState();
        boxes.reset();
        SetProgramFolder(QString());
        pf.reset();
        QCOMPARE(unexpected, 0);
    }

    void naturalOrderAndFolding_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("numbers by value") << "CL-2"
                                          << "CL-10" << -1;
        QTest::newRow("leading zeros") << "CL-007"
                                       << "CL-7" << 0;
        QTest::newRow("case ignored") << "roco"
                                      << "ROCO" << 0;
        QTest::newRow("accents ignored") << "Züge"
                                         << "zuge" << 0;
        QTest::newRow("letters after equal numbers") << "4-6-2"
                                                     << "4-6-10" << -1;
        QTest::newRow("longer after prefix") << "Box"
                                             << "Box Car" << -1;
    }
    void naturalOrderAndFolding() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(collection::naturalCompare(a, b), order);
        QCOMPARE(collection::naturalCompare(b, a), -order);
    }

    // A column that repeats a few texts (makers) is ordered like a column of different texts:
    // naturally, case and accents ignored, equals in stored order in both directions.
    void repeatedTextsSortLikeDifferentOnes() {
        const QStringList makers{"Kato 7",  "kato 07", "Märklin",           "MARKLIN", "Bachmann",
                                 "Kato 10", "",        "Bachmann Spectrum", "Zug"};
        auto rows = std::make_shared<engine::Recordset>();
        QStringList names;
        for (int c = 0; c < collection::bcColumnCount; ++c)
            names << QString::number(c);
        rows->setColumns(names);
        QStringList stored;
        for (int i = 0; i < 600; ++i) {
            stored << makers[(i * 5 + i / 7) % makers.size()];
            for (int c = 0; c < collection::bcColumnCount; ++c) {
                const QByteArray text = c == collection::bcItemId ? "CL-" + QByteArray::number(i)
                                        : c == collection::bcManufacturer ? stored.last().toUtf8()
                                                                          : QByteArray();
                if (c == collection::bcId || c == collection::bcKind)
                    rows->appendInteger(c == collection::bcId ? i : 0);
                else
                    rows->appendText(text.constData(), text.size());
            }
            rows->endRow();
        }
        rows->finish();
        CollectionModel model;
        model.load(rows);
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            QList<int> want(stored.size());
            std::iota(want.begin(), want.end(), 0);
            std::stable_sort(want.begin(), want.end(), [&](int a, int b) {
                const int c = collection::naturalCompare(stored[a], stored[b]);
                return order == Qt::AscendingOrder ? c < 0 : c > 0;
            });
            model.sort(CollectionModel::colManufacturer, order);
            QStringList got, wanted;
            for (int r = 0; r < model.rowCount(); ++r)
                got << model.itemId(r), wanted << "CL-" + QString::number(want[r]);
            QCOMPARE(got, wanted);
        }
    }

    void unreadableCollectionSaysSo() {
        seed(*pf);
        QFile db(pf->databasePath());
        QVERIFY(db.open(QIODevice::WriteOnly));
        db.write(QByteArray(4096, 'x'));
        db.close();
        boxes->answer(platform::MsgResult::OK);
        frmCollection *view = openView();
        QCOMPARE(boxes->boxes().size(), 1);
        QCOMPARE(boxes->boxes()[0].icon, platform::MsgIcon::Critical);
        QVERIFY(boxes->boxes()[0].prompt.startsWith("The collection could not be read."));
        QCOMPARE(view->model()->rowCount(), 0);
        boxes->answer(platform::MsgResult::OK);
        main->findChild<QAction *>(QStringLiteral("mnuCollectionSummary"))->trigger();
        QCOMPARE(boxes->boxes().size(), 2);
        QCOMPARE(boxes->boxes()[1].icon, platform::MsgIcon::Critical);
        QVERIFY(!main->childWindow("rptValueSummary"));
    }

    void deleteElsewhereLeavesTheView() {
        seed(*pf);
        frmCollection *view = openView();
        choose(view, "CL-10");
        auto *form = new frmDeletecar;
        ItemListModel *list = form->list()->listModel();
        int row = 0;
        while (row < list->rowCount() && list->key(row) != "CL-10")
            ++row;
        form->list()->setCurrentIndex(list->index(row, 0));
        boxes->answer(platform::MsgResult::Yes); // delete it?
        boxes->answer(platform::MsgResult::No);  // delete another?
        form->cmdDelete_Click();
        QTRY_COMPARE(shownIds(view), QStringList({"CL-2", "LL-3", "SL-4"}));
        QCOMPARE(view->chosenItemId(), QString());
        QVERIFY(!view->cmdEdit->isEnabled());
    }

    void photoViewerStepsAndKeepsCaptions() {
        seed(*pf);
        frmCollection *view = openView();
        choose(view, "SL-4");
        for (const char *name : {"one.png", "two.png", "three.png"})
            QVERIFY(QImage(64, 48, QImage::Format_RGB32).save(files.filePath(name)));
        QCOMPARE(view->addPhotoFiles({files.filePath("one.png"), files.filePath("two.png"),
                                      files.filePath("three.png")}),
                 3);
        collection::CollectionData data;
        collection::PhotoViewer viewer(data, "SL-4", 0);
        QVERIFY(!viewer.cmdPrevious->isEnabled());
        viewer.cmdNext->click();
        QCOMPARE(viewer.lblPosition->text(), QString("2 of 3"));
        QTest::keyClicks(viewer.txtCaption, "Tender, left side");
        viewer.cmdNext->click();
        QVERIFY(!viewer.cmdNext->isEnabled());
        QCOMPARE(pf->query("SELECT Caption FROM tblPhoto ORDER BY Seq"),
                 QList<QVariantList>({{QVariant()}, {QString("Tender, left side")}, {QVariant()}}));
    }

    void menuOpensOneView() {
        auto *menu = main->findChild<QMenu *>(QStringLiteral("mnuCollection"));
        QVERIFY(menu);
        QCOMPARE(menu->title(), QString("&Collection"));
        QStringList entries;
        // The view's commands head the menu, each with its access key; the backup and exchange
        // commands follow.
        for (QAction *a : menu->actions().mid(0, 4))
            entries << a->objectName() + '|' + a->text() + '|' + a->shortcut().toString();
        QCOMPARE(entries, QStringList({"mnuCollectionBrowse|&Browse Collection|Ctrl+F",
                                       "mnuCollectionSummary|&Value Summary Report|",
                                       "mnuCollectionInventory|Collection &Inventory…|",
                                       "mnuCollectionCurrency|Currency and &Paper…|"}));
        seed(*pf);
        frmCollection *view = openView();
        QVERIFY(view);
        QVERIFY(openView() == view);
        QCOMPARE(main->mdiArea()->subWindowList().size(), 1);
        QCOMPARE(shownIds(view), QStringList({"CL-2", "CL-10", "LL-3", "SL-4"}));
    }

    void find_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("accent ignored") << "zuge" << QStringList{"CL-2"};
        QTest::newRow("accent typed") << "marklin züge" << QStringList{"CL-2"};
        QTest::newRow("case ignored") << "roco" << QStringList{"LL-3"};
        QTest::newRow("two words") << "santa fe" << QStringList{"CL-10", "LL-3"};
        QTest::newRow("words in any order, other columns")
            << "CABOOSE santa" << QStringList{"CL-10"};
        QTest::newRow("kind name") << "locomotive" << QStringList{"LL-3"};
        QTest::newRow("number") << "6-30" << QStringList{"SL-4"};
        QTest::newRow("one word missing") << "santa union" << QStringList{};
    }
    void find() {
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        seed(*pf);
        frmCollection *view = openView();
        type(view->txtFind, typed);
        QCOMPARE(shownIds(view), shown);
        QTest::keyClick(view->txtFind, Qt::Key_Escape);
        QCOMPARE(view->txtFind->text(), QString());
        QCOMPARE(view->model()->rowCount(), 4);
    }

    void filtersAndTotals() {
        seed(*pf);
        frmCollection *view = openView();
        QStringList kinds;
        for (int i = 0; i < view->cboKind->count(); ++i)
            kinds << view->cboKind->itemText(i);
        QCOMPARE(kinds, QStringList({"All kinds", "Rolling Stock", "Locomotive", "Train Set"}));
        const auto totals = [&](int n, double cost, double value, const QString &change) {
            return QStringLiteral("%1 of 4 items    Original cost: %2    Current value: %3    "
                                  "Change: %4")
                .arg(n)
                .arg(money(cost), money(value), change);
        };
        QCOMPARE(view->lblTotals->text(), totals(4, 369.5, 570, "+54.3%"));

        view->cboCondition->setCurrentIndex(view->cboCondition->findText("Good"));
        QCOMPARE(shownIds(view), QStringList({"CL-10", "LL-3"}));
        QCOMPARE(view->lblTotals->text(), totals(2, 110, 158, "+43.6%"));
        view->cboKind->setCurrentIndex(view->cboKind->findText("Locomotive"));
        QCOMPARE(shownIds(view), QStringList({"LL-3"}));
        QCOMPARE(view->lblTotals->text(), totals(1, 10, 8, "-20.0%"));
        QTest::keyClicks(view->txtFind, "lionel");
        QCOMPARE(view->lblTotals->text(), totals(0, 0, 0, "-"));
    }

    // The kind and condition filters hold while find text is typed, whichever came first.
    void filtersHoldWhileFindTextIsTyped_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("kind") << "Rolling Stock"
                              << ""
                              << "santa" << QStringList{"CL-10"};
        QTest::newRow("condition") << ""
                                   << "Good"
                                   << "lionel" << QStringList{"CL-10"};
        QTest::newRow("both") << "Locomotive"
                              << "Good"
                              << "ho gauge" << QStringList{"LL-3"};
        QTest::newRow("set") << "Train Set"
                             << ""
                             << "o-27" << QStringList{"SL-4"};
    }
    void filtersHoldWhileFindTextIsTyped() {
        QFETCH(QString, kind);
        QFETCH(QString, condition);
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        seed(*pf);
        frmCollection *view = openView();
        const auto filter = [&] {
            view->cboKind->setCurrentIndex(kind.isEmpty() ? 0 : view->cboKind->findText(kind));
            view->cboCondition->setCurrentIndex(
                condition.isEmpty() ? 0 : view->cboCondition->findText(condition));
        };
        filter();
        type(view->txtFind, typed);
        QCOMPARE(shownIds(view), shown);
        QTest::keyClick(view->txtFind, Qt::Key_Escape);
        view->cboKind->setCurrentIndex(0);
        view->cboCondition->setCurrentIndex(0);
        QCOMPARE(view->model()->rowCount(), 4);
        type(view->txtFind, typed);
        filter();
        QCOMPARE(shownIds(view), shown);
    }

    void sortByHeader_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("ascending");
        QTest::newRow("item numbers naturally")
            << int(CollectionModel::colId) << QStringList{"CL-2", "CL-10", "LL-3", "SL-4"};
        QTest::newRow("numbers naturally")
            << int(CollectionModel::colNumber) << QStringList{"SL-4", "CL-10", "CL-2", "LL-3"};
        QTest::newRow("cost by amount")
            << int(CollectionModel::colCost) << QStringList{"CL-2", "LL-3", "CL-10", "SL-4"};
        QTest::newRow("acquired by date")
            << int(CollectionModel::colAcquired) << QStringList{"SL-4", "CL-10", "CL-2", "LL-3"};
    }
    void sortByHeader() {
        QFETCH(int, column);
        QFETCH(QStringList, ascending);
        seed(*pf);
        frmCollection *view = openView();
        choose(view, "CL-10");
        QHeaderView *h = view->list()->horizontalHeader();
        h->showSection(column); // not all columns show by default
        do
            clickHeader(view, column);
        while (h->sortIndicatorOrder() != Qt::AscendingOrder);
        QCOMPARE(h->sortIndicatorSection(), column);
        QCOMPARE(shownIds(view), ascending);
        clickHeader(view, column);
        QCOMPARE(h->sortIndicatorOrder(), Qt::DescendingOrder);
        std::reverse(ascending.begin(), ascending.end());
        QCOMPARE(shownIds(view), ascending);
        // The chosen item stays chosen through the sort.
        QCOMPARE(view->model()->itemId(view->chosenRow()), QString("CL-10"));
    }

    void editOpensItsFormAndViewRefreshes() {
        seed(*pf);
        frmCollection *view = openView();
        choose(view, "CL-10");
        QVERIFY(view->txtDetail->toPlainText().contains("Mint box"));
        QTest::keyClick(view->list(), Qt::Key_Return);
        QMdiSubWindow *sub = main->childWindow("frmEditCar");
        QVERIFY(sub);
        auto *edit = qobject_cast<items::EditItemForm *>(sub->widget());
        QCOMPARE(edit->lblID->text(), QString("CL-10"));
        QLineEdit *railLine = edit->fields()->txtBox[0];
        QCOMPARE(railLine->text(), QString("Santa Fe"));
        railLine->selectAll();
        QTest::keyClicks(railLine, "Reading");
        boxes->answer(platform::MsgResult::No);
        edit->cmdSave->click();
        QCOMPARE(boxes->boxes().size(), 1);
        QTRY_COMPARE(view->model()->cellText(view->model()->rowOfItem("CL-10"),
                                             CollectionModel::colRailLine),
                     QString("Reading"));
        QCOMPARE(view->model()->itemId(view->chosenRow()), QString("CL-10"));
    }

    void photos() {
        seed(*pf);
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM sqlite_master WHERE name = 'tblPhoto'").toInt(),
                 0);
        QImage big(3000, 1500, QImage::Format_RGB32);
        big.fill(Qt::darkGreen);
        QVERIFY(big.save(files.filePath("big.jpg"), "JPEG"));
        QVERIFY(QImage(300, 200, QImage::Format_ARGB32).save(files.filePath("small.png")));
        QFile text(files.filePath("notes.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a picture");
        text.close();
        QFile whole(files.filePath("big.jpg"));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QFile cut(files.filePath("cut.jpg"));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(whole.read(whole.size() / 2));
        cut.close();

        frmCollection *view = openView();
        QVERIFY(!view->cmdAddPhotos->isEnabled());
        choose(view, "CL-2");
        QVERIFY(QImage(120, 90, QImage::Format_RGB32).save(files.filePath("side.webp"), "WEBP"));
        frmCollection::setPhotoFileAsker([this](QWidget *) {
            return QStringList{files.filePath("big.jpg"),   files.filePath("notes.txt"),
                               files.filePath("small.png"), files.filePath("cut.jpg"),
                               files.filePath("gone.jpg"),  files.filePath("side.webp")};
        });
        for (int i = 0; i < 3; ++i)
            boxes->answer(platform::MsgResult::OK);
        view->cmdAddPhotos->click();
        QCOMPARE(boxes->boxes().size(), 3);
        QVERIFY(boxes->boxes()[0].prompt.startsWith("notes.txt is not a picture"));
        QVERIFY(boxes->boxes()[1].prompt.startsWith("cut.jpg is damaged"));
        QVERIFY(boxes->boxes()[2].prompt.startsWith("gone.jpg could not be read"));
        QCOMPARE(view->lstPhotos->count(), 3);
        const auto stored = pf->query("SELECT ItemID, Image, Thumb FROM tblPhoto ORDER BY Seq");
        QCOMPARE(stored.size(), 3);
        const QImage image = QImage::fromData(stored[0][1].toByteArray(), "JPEG");
        QCOMPARE(image.size(), QSize(2048, 1024));
        QCOMPARE(QImage::fromData(stored[0][2].toByteArray(), "JPEG").size(), QSize(256, 128));
        QCOMPARE(QImage::fromData(stored[1][1].toByteArray(), "JPEG").size(), QSize(300, 200));
        QCOMPARE(QImage::fromData(stored[2][1].toByteArray(), "JPEG").size(), QSize(120, 90));

        view->lstPhotos->setCurrentRow(0);
        boxes->answer(platform::MsgResult::Yes);
        view->cmdRemovePhoto->click();
        QCOMPARE(view->lstPhotos->count(), 2);
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblPhoto").toInt(), 2);

        // Deleting the item through the store takes its photos along.
        boxes->answer(platform::MsgResult::Yes);
        QString id = QStringLiteral("CL-2");
        NewRails();
        QVERIFY(objRails->DeleteCar(id));
        QCOMPARE(pf->scalar("SELECT COUNT(*) FROM tblPhoto").toInt(), 0);
    }

    void valueSummary() {
        QAction *summary = main->findChild<QAction *>(QStringLiteral("mnuCollectionSummary"));
        boxes->answer(platform::MsgResult::OK);
        summary->trigger();
        QCOMPARE(boxes->boxes().size(), 1);
        QCOMPARE(boxes->boxes()[0].icon, platform::MsgIcon::Exclamation);
        QVERIFY(!main->childWindow("rptValueSummary"));

        seed(*pf);
        summary->trigger();
        QMdiSubWindow *sub = main->childWindow("rptValueSummary");
        QVERIFY(sub);
        auto *report = qobject_cast<reports::CollectionReport *>(sub->widget());
        QVERIFY(report);
        const QString pdf = files.filePath("summary.pdf");
        QVERIFY(report->saveAsPdf(pdf));
        QString text = run("pdftotext", {"-layout", pdf, "-"});
        text.replace(QRegularExpression("[ \\t]+"), " ");
        QVERIFY2(text.contains("Ann Lee - Value Summary"), qPrintable(text));
        QVERIFY(text.contains("Page 1 of 1"));
        const auto line = [&](const QString &label, const QString &where) {
            const auto row = pf->query("SELECT COUNT(*), printf('%.2f', SUM(OriginalCost)), "
                                       "printf('%.2f', SUM(CurrentValue)) FROM tblMain WHERE " +
                                       where);
            const auto amount = [](const QVariant &v) {
                return "$" + QLocale(QLocale::English).toString(v.toDouble(), 'f', 2);
            };
            return QString("%1 %2 %3 %4")
                .arg(label, row[0][0].toString(), amount(row[0][1]), amount(row[0][2]));
        };
        for (const QString &expected :
             {line("Rolling Stock", "Car = 'YES'"),
              line("Good", "Car = 'YES' AND Condition = 'Good'"),
              line("Locomotive", "Loco = 'YES'"), line("Train Set", "FullSet = 'YES'"),
              line("New In Box", "FullSet = 'YES' AND Condition = 'New In Box'"),
              line("Whole collection", "1")})
            QVERIFY2(text.contains(expected), qPrintable(expected + "\n" + text));
        // The most valuable first.
        const qsizetype top = text.indexOf("most valuable");
        QVERIFY(top > 0);
        QVERIFY(text.indexOf("SL-4", top) < text.indexOf("CL-10", top));
        QVERIFY(text.indexOf("CL-2", top) < text.indexOf("LL-3", top));
    }
};

QTEST_MAIN(TestCollection)
#include "tst_collection.moc"

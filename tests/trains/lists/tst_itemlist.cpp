// The list views of the editing and deletion forms: text sorting, the flipping direction,
// and choosing rows by mouse and keyboard.
#include "trains/lists/ItemList.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

class TestItemList : public QObject {
    Q_OBJECT

    static QStringList column(const ItemListModel* m, int c) {
        QStringList out;
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->cell(r, c);
        return out;
    }

    static ItemListView* makeList() {
        auto* v = new ItemListView({{"ID", Qt::AlignLeft, 1000}, {"Cost", Qt::AlignRight, 1440}, {"Gauge", Qt::AlignHCenter, 1200}});
        auto* m = v->listModel();
        m->beginFill();
        m->addRow("CL-1", {"CL-1", "900.00", "O-27"});
        m->addRow("CL-2", {"CL-2", "1,200.00", "ho gauge"});
        m->addRow("CL-3", {"CL-3", "", "HO Gauge"});
        m->endFill();
        return v;
    }

private slots:
    void headerClicksFlipOneSharedDirection() {
        std::unique_ptr<ItemListView> v(makeList());
        v->resize(600, 300);
        v->show();
        QCOMPARE(v->sortOrder(), Qt::AscendingOrder);
        QCOMPARE(column(v->listModel(), 0), QStringList({"CL-1", "CL-2", "CL-3"})); // store order
        v->header()->sectionClicked(1);
        QCOMPARE(v->sortOrder(), Qt::DescendingOrder);
        QCOMPARE(column(v->listModel(), 1), QStringList({"900.00", "1,200.00", ""}));
        v->header()->sectionClicked(1);
        QCOMPARE(column(v->listModel(), 1), QStringList({"", "1,200.00", "900.00"})); // text order
        v->header()->sectionClicked(2); // another column still flips the one direction
        QCOMPARE(v->sortOrder(), Qt::DescendingOrder);
        QCOMPARE(v->listModel()->key(0), QString("CL-1"));
        // Rows equal but for letter case keep their previous order (stable, case-insensitive).
        QCOMPARE(column(v->listModel(), 0).mid(1), QStringList({"CL-3", "CL-2"}));
    }

    void columnsShowHeadersAlignmentsAndWidths() {
        std::unique_ptr<ItemListView> v(makeList());
        QCOMPARE(v->model()->headerData(1, Qt::Horizontal).toString(), QString("Cost"));
        QVERIFY(v->model()->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight);
        QCOMPARE(v->columnWidth(0), 1000 / 15);
        QCOMPARE(v->listModel()->rowCells(1), QStringList({"CL-2", "1,200.00", "ho gauge"}));
    }

    void enterChoosesTheCurrentOrFirstRow() {
        std::unique_ptr<ItemListView> v(makeList());
        v->show();
        QVERIFY(QTest::qWaitForWindowExposed(v.get()));
        QSignalSpy chosen(v.get(), &ItemListView::rowChosen);
        v->setFocus(Qt::TabFocusReason);
        QCOMPARE(chosen.size(), 0); // entering the list chooses nothing
        QTest::keyClick(v.get(), Qt::Key_Return);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.last().at(0).toInt(), 0);
        QTest::keyClick(v.get(), Qt::Key_Enter);
        QCOMPARE(chosen.size(), 2);
        QCOMPARE(chosen.last().at(0).toInt(), 0);
    }

    void rowsAreChosenOnceByMouseAndByKeyboard() {
        std::unique_ptr<ItemListView> v(makeList());
        v->resize(600, 300);
        v->show();
        QVERIFY(QTest::qWaitForWindowExposed(v.get()));
        QSignalSpy chosen(v.get(), &ItemListView::rowChosen);
        const QRect r1 = v->visualRect(v->model()->index(1, 0));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, r1.center());
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.last().at(0).toInt(), 1);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, r1.center()); // same row again
        QCOMPARE(chosen.size(), 2);
        v->setFocus();
        QTest::keyClick(v.get(), Qt::Key_Down);
        QCOMPARE(chosen.size(), 3);
        QCOMPARE(chosen.last().at(0).toInt(), 2);
        QCOMPARE(v->chosenRow(), 2);
    }
};

QTEST_MAIN(TestItemList)
#include "tst_itemlist.moc"

// The list views of the editing and deletion forms: text sorting, the flipping direction,
// and choosing rows by mouse and keyboard.
#include "trains/lists/ItemList.h"
#include "trains/lists/ListFill.h"

#include "platform/Error.h"
#include "platform/LocaleText.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <numeric>

class TestItemList : public QObject {
    Q_OBJECT

    static QStringList column(const ItemListModel *m, int c) {
        QStringList out;
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->cell(r, c);
        return out;
    }

    static ItemListView *makeList() {
        auto *v = new ItemListView({{"ID", Qt::AlignLeft, 1000},
                                    {"Cost", Qt::AlignRight, 1440},
                                    {"Gauge", Qt::AlignHCenter, 1200}});
        auto *m = v->listModel();
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
        QVERIFY(v->model()->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignRight);
        QCOMPARE(v->columnWidth(0), 1000 / 15);
        QCOMPARE(v->listModel()->rowCells(1), QStringList({"CL-2", "1,200.00", "ho gauge"}));
    }

    // Every row is one line of one height: a line break in a cell shows as a mark, and the
    // cell keeps its text for the form that reads it.
    void rowsAreOneLineHigh_data() {
        QTest::addColumn<QString>("notes");
        QTest::newRow("CR LF") << QString("Box torn\r\nwheels new\r\n");
        QTest::newRow("LF") << QString("Box torn\nwheels new\n");
        QTest::newRow("CR") << QString("Box torn\rwheels new\r");
        QTest::newRow("line separator") << QString("Box torn\u2028wheels new\u2029");
    }
    void rowsAreOneLineHigh() {
        QFETCH(QString, notes);
        ItemListView v({{"ID", Qt::AlignLeft, 1000}, {"Notes", Qt::AlignLeft, 3000}});
        v.resize(600, 300);
        v.listModel()->addRow("CL-1", {"CL-1", notes});
        v.listModel()->addRow("CL-2", {"CL-2", "Mint"});
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QCOMPARE(v.model()->index(0, 1).data().toString(),
                 QString::fromUtf8("Box torn\u23CEwheels new\u23CE"));
        QCOMPARE(v.listModel()->cell(0, 1), notes);
        ItemListView plain({{"ID", Qt::AlignLeft, 1000}, {"Notes", Qt::AlignLeft, 3000}});
        plain.resize(600, 300);
        plain.listModel()->addRow("CL-2", {"CL-2", "Mint"});
        plain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain));
        const int oneLine = plain.visualRect(plain.model()->index(0, 1)).height();
        QCOMPARE(v.visualRect(v.model()->index(0, 1)).height(), oneLine);
        QCOMPARE(v.visualRect(v.model()->index(1, 1)).height(), oneLine);
    }

    // A list filled from the store's record set takes its rows over and formats amounts and
    // dates as the list columns show them; the text sort orders the formatted text.
    void fillTakesTheRecordSetOver() {
        engine::Recordset rs;
        rs.setColumns({"ID", "ItemID", "OriginalCost", "DateAccquired", "Notes"});
        auto text = [&](const char *t) { rs.appendText(t, qsizetype(qstrlen(t))); };
        rs.appendInteger(1), text("CL-1"), rs.appendReal(1234.5), text("2007-08-16"),
            rs.appendNull(), rs.endRow();
        rs.appendInteger(2), text("CL-2"), rs.appendReal(99), text("2019-03-14 10:00:00"),
            text("Mint"), rs.endRow();
        rs.appendInteger(3), text("CL-3"), text("n/a"), text("soon"), text("x"), rs.endRow();
        rs.finish();
        const QList<ListField> fields{{{"ID"}, "ItemID", CellFormat::Text},
                                      {{"Cost"}, "OriginalCost", CellFormat::Money},
                                      {{"Accquired"}, "DateAccquired", CellFormat::Date},
                                      {{"Notes"}, "Notes", CellFormat::Text}};
        ItemListModel m(listColumns(fields));
        fillItemList(&m, rs, fields);
        QCOMPARE(rs.State(), int(engine::Recordset::adStateClosed));
        QCOMPARE(m.rowCount(), 3);
        QCOMPARE(m.rowCells(0),
                 QStringList({"CL-1", platform::formatNumber(1234.5, kListMoneyPattern),
                              platform::shortDate(QDate(2007, 8, 16)), ""}));
        QCOMPARE(m.cell(1, 2), platform::shortDate(QDate(2019, 3, 14)));
        QCOMPARE(m.rowCells(2), QStringList({"CL-3", "n/a", "soon", "x"}));
        m.sortByText(1, Qt::AscendingOrder);
        QCOMPARE(m.key(0), QString("CL-1")); // "1..." before "99.00" before "n/a": text order
        QCOMPARE(m.key(2), QString("CL-3"));
        // A field the set does not hold lists nothing and says so.
        ItemListModel other(listColumns(fields));
        engine::Recordset empty;
        empty.setColumns({"ItemID"});
        empty.finish();
        QVERIFY_THROWS_EXCEPTION(platform::Error, fillItemList(&other, empty, fields));
        QCOMPARE(other.rowCount(), 0);
    }

    // Repeated sorts of texts that share long beginnings, differ only in case or accents, or
    // hold characters beyond ASCII order exactly as a stable case-folded sort of what is shown.
    void sortsMatchAStableFoldedSort() {
        const QStringList words{"Märklin",
                                "MÄRKLIN",
                                "marklin",
                                "Märklin Gold",
                                "Bachmann",
                                "bachmann spectrum",
                                "Bachmann Spectrum",
                                "Ärger",
                                "zebra",
                                "Zug",
                                "",
                                "Broadway Limited",
                                "Broadway Limited Imports",
                                "Broadway",
                                "ΣΊΣΥΦΟΣ",
                                "σίσυφος",
                                "Ǆ",
                                "ǆ",
                                "\U0001D400x"};
        engine::Recordset rs;
        rs.setColumns({"ItemID", "Manufacturer"});
        for (int i = 0; i < 400; ++i) {
            const QByteArray id = "CL-" + QByteArray::number(i);
            const QByteArray maker = words[(i * 7 + i / 5) % words.size()].toUtf8();
            rs.appendText(id.constData(), id.size());
            rs.appendText(maker.constData(), maker.size());
            rs.endRow();
        }
        rs.finish();
        ItemListModel m({{"ID"}, {"Manufacturer"}});
        m.setRecords(std::move(rs), {{0, CellFormat::Text}, {1, CellFormat::Text}}, 0);
        QStringList ids = column(&m, 0), makers = column(&m, 1);
        const std::pair<int, Qt::SortOrder> steps[] = {{1, Qt::AscendingOrder},
                                                       {0, Qt::DescendingOrder},
                                                       {1, Qt::DescendingOrder},
                                                       {1, Qt::AscendingOrder}};
        for (const auto &[col, order] : steps) {
            QList<int> rows(ids.size());
            std::iota(rows.begin(), rows.end(), 0);
            const QStringList &keys = col == 0 ? ids : makers;
            std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
                const int c = keys[a].toCaseFolded().compare(keys[b].toCaseFolded());
                return order == Qt::AscendingOrder ? c < 0 : c > 0;
            });
            QStringList wantIds, wantMakers;
            for (int r : rows)
                wantIds << ids[r], wantMakers << makers[r];
            m.sortByText(col, order);
            QCOMPARE(column(&m, 0), wantIds);
            QCOMPARE(column(&m, 1), wantMakers);
            ids = wantIds, makers = wantMakers;
        }
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

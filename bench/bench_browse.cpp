// Browse Collection over a large collection: opening the view (every item of every kind read,
// folded for finding and sorted, with the collector's field values and each value's history),
// each keystroke of a find, a header click, and the peak memory. The floor is the same SELECT
// of the items stepped through SQLite's C API in this process, every column read. Run by hand
// (bench/README.md).
#include "bench/BenchData.h"
#include "platform/Clock.h"
#include "rails/records/Records.h"
#include "trains/collection/CollectionModel.h"
#include "trains/collection/frmCollection.h"
#include "trains/modGlobal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

// The view's SELECT, as the collection view runs it.
const char *const kBrowseSelect =
    "SELECT ID, CASE WHEN Car = 'YES' THEN 0 WHEN Loco = 'YES' THEN 1 WHEN FullSet = 'YES' "
    "THEN 2 WHEN Track = 'YES' THEN 3 WHEN Accessory = 'YES' THEN 4 END, ItemID, "
    "Manufacturer, RailLine, CarType, COALESCE(CarNumber, SetNumber), Gauge, Curve, "
    "COALESCE(CarColor, Color), AccquiredFrom, OriginalCost, CurrentValue, DateAccquired, "
    "Condition, Box, Notes, "
    "CASE WHEN Car <> 'YES' AND Loco <> 'YES' AND FullSet <> 'YES' THEN 0 "
    "WHEN TRIM(IFNULL(Manufacturer, '')) = '' OR TRIM(IFNULL(RailLine, '')) = '' "
    "OR TRIM(IFNULL(CarType, '')) = '' OR TRIM(IFNULL(COALESCE(CarNumber, SetNumber), '')) = '' "
    "OR TRIM(IFNULL(Gauge, '')) = '' OR TRIM(IFNULL(Curve, '')) = '' "
    "OR TRIM(IFNULL(COALESCE(CarColor, Color), '')) = '' "
    "OR TRIM(IFNULL(AccquiredFrom, '')) = '' OR TRIM(IFNULL(DateAccquired, '')) = '' THEN 1 "
    "WHEN Car = 'YES' THEN 0 "
    "WHEN TRIM(IFNULL(Condition, '')) = '' OR TRIM(IFNULL(Box, '')) = '' THEN 1 ELSE 0 END "
    "FROM tblMain WHERE (Car = 'YES' OR Loco = 'YES' OR FullSet = 'YES' OR "
    "Track = 'YES' OR Accessory = 'YES')";

// The floor: the same SELECT on the same file, opened as the store opens it, every value read
// with its stored type (numbers as numbers, texts as texts); milliseconds.
double floorSelect(const QString &dbPath, int expectedRows) {
    QElapsedTimer t;
    t.start();
    const std::int64_t rows = bench::stepAll(dbPath, kBrowseSelect);
    const double ms = bench::ms(t);
    if (rows != expectedRows) {
        std::fprintf(stderr, "floor read %lld of %d rows\n", static_cast<long long>(rows),
                     expectedRows);
        std::exit(1);
    }
    return ms;
}

// What a collection in use holds beside its items: the history each value started with, two
// years back, and a storage location for every other item.
void addRecords(const QString &dbPath) {
    sqlite3 *h = bench::openAsStore(dbPath);
    const char *sql =
        "BEGIN; INSERT INTO tblValueHistory (ItemID, Changed, What, OldAmount, NewAmount) "
        "SELECT ItemID, '2020-01-01 10:00:00', 'Value', NULL, CurrentValue FROM tblMain "
        "WHERE CurrentValue IS NOT NULL; "
        "INSERT OR REPLACE INTO tblFieldValue (ItemID, FieldID, Value) SELECT ItemID, 2, "
        "'Shelf ' || (ID % 40) FROM tblMain WHERE ID % 2 = 0; COMMIT;";
    char *error = nullptr;
    if (sqlite3_exec(h, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "records: %s\n", error);
        std::exit(1);
    }
    sqlite3_close_v2(h);
}

// Typing a find, one keystroke at a time, the list repainting after each; then Escape (back to
// every item) and two header clicks.
struct Typing {
    std::vector<double> keys;
    double clearMs = 0, sortText = 0, sortValue = 0;
};

Typing measureTyping() {
    Typing r;
    auto *view = new collection::frmCollection;
    view->show();
    QApplication::processEvents();
    std::printf("%-28s %10s %10s\n", "typed", "ms", "shown");
    for (const QString &query :
         {QStringLiteral("santa fe box"), QStringLiteral("märklin grün"), QStringLiteral("zzz")}) {
        view->txtFind->clear();
        QApplication::processEvents();
        for (qsizetype n = 1; n <= query.size(); ++n) {
            QElapsedTimer t;
            t.start();
            view->txtFind->setText(query.left(n));
            QApplication::processEvents();
            r.keys.push_back(bench::ms(t));
            std::printf("%-28s %10.1f %10d\n", qPrintable(query.left(n)), r.keys.back(),
                        view->model()->rowCount());
        }
    }
    QElapsedTimer t;
    t.start();
    view->txtFind->clear();
    QApplication::processEvents();
    r.clearMs = bench::ms(t);

    t.restart();
    view->model()->sort(collection::CollectionModel::colManufacturer, Qt::AscendingOrder);
    QApplication::processEvents();
    r.sortText = bench::ms(t);
    t.restart();
    view->model()->sort(collection::CollectionModel::colValue, Qt::DescendingOrder);
    QApplication::processEvents();
    r.sortValue = bench::ms(t);
    return r;
}

} // namespace

int main(int argc, char **argv) {
    bench::startLikeProgram(); // as the program starts
    QApplication app(argc, argv);
    int perKind = 100000;
    if (app.arguments().size() > 1 && app.arguments()[1].toInt() > 0)
        perKind = app.arguments()[1].toInt();
    QTemporaryDir dir;
    bench::buildCollection(dir.path(), perKind);
    bench::applyAdditions(dir.path()); // the indexes the program's file has
    SetProgramFolder(dir.path());
    const QString db = bench::databasePath(dir.path());
    addRecords(db);
    floorSelect(db, 3 * perKind); // both sides read a warm file

    constexpr int kRuns = 5;
    std::vector<double> open, floor;
    for (int run = 0; run < kRuns; ++run) {
        floor.push_back(floorSelect(db, 3 * perKind));
        QElapsedTimer t;
        t.start();
        auto *view = new collection::frmCollection;
        view->show();
        QApplication::processEvents();
        open.push_back(bench::ms(t));
        if (view->model()->rowCount() != 3 * perKind) {
            std::fprintf(stderr, "listed %d of %d items\n", view->model()->rowCount(), 3 * perKind);
            return 1;
        }
        delete view;
    }

    // Where the opening goes: the read, the folding, the first sort.
    std::vector<double> read, fold, recordsRead, pastRead;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        auto rows = collection::CollectionData().browseRows();
        read.push_back(bench::ms(t));
        collection::CollectionModel model;
        t.restart();
        model.load(rows);
        fold.push_back(bench::ms(t));
        t.restart();
        records::Store store(db);
        collection::CollectionModel::Records records;
        for (const records::Field &f : store.fields())
            records.fields.append({f.id, f.name});
        records.fieldValues = store.fieldValueRows();
        model.setRecords(records);
        recordsRead.push_back(bench::ms(t));
        // Read only once the value a year ago (or its change) is shown.
        t.restart();
        records.yearAgo = store.valuesAsOf(platform::now().date().addYears(-1));
        model.setRecords(records);
        pastRead.push_back(bench::ms(t));
    }
    std::printf("read %.0f ms, fold and sort %.0f ms\n", bench::median(read), bench::median(fold));

    const Typing typing = measureTyping();

    std::printf("\nitems %d, open median %.0f ms (floor %.0f ms)\n", 3 * perKind,
                bench::median(open), bench::median(floor));
    std::printf("figure browse_items %d count\n", 3 * perKind);
    bench::figureRuns("browse_open_ms", open, "ms");
    bench::figureRuns("browse_open_floor_ms", floor, "ms");
    bench::figure("browse_open_ratio", bench::median(open) / bench::median(floor), "x");
    bench::figureRuns("browse_open_read_ms", read, "ms");
    bench::figureRuns("browse_open_fold_sort_ms", fold, "ms");
    bench::figureRuns("browse_open_records_ms", recordsRead, "ms");
    bench::figureRuns("browse_value_year_ago_ms", pastRead, "ms");
    bench::figure("browse_keystroke_median_ms", bench::median(typing.keys), "ms");
    bench::figure("browse_keystroke_max_ms",
                  *std::max_element(typing.keys.begin(), typing.keys.end()), "ms");
    bench::figure("browse_clear_find_ms", typing.clearMs, "ms");
    bench::figure("browse_sort_manufacturer_ms", typing.sortText, "ms");
    bench::figure("browse_sort_value_ms", typing.sortValue, "ms");
    bench::figure("browse_peak_rss_mib", bench::peakResidentMiB(), "MiB");
    return 0;
}

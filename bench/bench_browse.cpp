// Browse Collection over a large collection: opening the view (every item of every kind read,
// folded for finding and sorted), each keystroke of a find, a header click, and the peak
// memory. The floor is the same SELECT stepped through SQLite's C API in this process, every
// column read. Run by hand (bench/README.md).
#include "platform/Memory.h"
#include "trains/collection/CollectionModel.h"
#include "trains/collection/frmCollection.h"
#include "trains/modGlobal.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <sys/resource.h>
#include <vector>

namespace {

void check(int rc, sqlite3 *db, const char *what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

template <std::size_t N> const char *pick(QRandomGenerator &g, const char *const (&from)[N]) {
    return from[g.bounded(int(N))];
}

// `perKind` cars, locomotives and sets with the texts collectors type, accents included.
void buildDatabase(const QString &folder, int perKind) {
    QDir(folder).mkpath(QStringLiteral("zerizori"));
    QFile schemaFile(QStringLiteral(QUILLON_SCHEMA_FILE));
    if (!schemaFile.open(QIODevice::ReadOnly))
        std::exit(1);
    const QByteArray schema = schemaFile.readAll();
    const QByteArray path = (folder + QStringLiteral("/zerizori/rails.trk")).toUtf8();
    sqlite3 *db = nullptr;
    check(sqlite3_open(path.constData(), &db), db, "open");
    check(sqlite3_exec(db, schema.constData(), nullptr, nullptr, nullptr), db, "schema");
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(
              db,
              "INSERT INTO tblMain (ItemID, Manufacturer, RailLine, CarType, CarNumber, SetNumber, "
              "Gauge, Curve, CarColor, AccquiredFrom, OriginalCost, CurrentValue, DateAccquired, "
              "DateAdd, FullSet, Car, Loco, Track, Accessory, Condition, Box, Notes) VALUES "
              "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,'NO','NO',?,?,?)",
              -1, &st, nullptr),
          db, "prepare");
    static const char *const makers[] = {"Lionel", "Bachmann", "Atlas", "Walthers", "Athearn",
                                         "Kato",   "Märklin",  "MTH",   "Roco",     "Fleischmann"};
    static const char *const lines[] = {"Santa Fe",
                                        "Union Pacific",
                                        "Pennsylvania",
                                        "New York Central",
                                        "Baltimore & Ohio",
                                        "Great Northern",
                                        "Southern Pacific",
                                        "Deutsche Bundesbahn",
                                        "SNCF",
                                        "Österreichische Bundesbahnen"};
    static const char *const types[] = {"Box Car",     "Hopper",       "Tank Car", "Caboose",
                                        "Flat Car",    "Gondola",      "Diesel",   "Steam",
                                        "Freight Set", "Passenger Set"};
    static const char *const gauges[] = {"O-27", "HO Gauge", "N Gauge", "S Gauge", "G Gauge"};
    static const char *const curves[] = {"O-27", "O-31", "O-36", "O-54", "O-72", "Other"};
    static const char *const colours[] = {"Red", "Brown", "Black", "Silver", "Yellow", "Grün"};
    static const char *const sources[] = {"Train Show",  "eBay",      "Hobby Shop",
                                          "Estate Sale", "Swap Meet", "Spielwarengeschäft Müller"};
    static const char *const conditions[] = {"New In Box", "As New", "Excellent",
                                             "Good",       "Fair",   "Poor"};
    static const char *const prefixes[] = {"CL-", "LL-", "SL-"};
    QRandomGenerator g(20070816);
    int id = 0;
    for (int kind = 0; kind < 3; ++kind) {
        for (int i = 0; i < perKind; ++i) {
            const QByteArray itemId = prefixes[kind] + QByteArray::number(++id);
            const QByteArray number = QByteArray::number(g.bounded(100, 99999));
            const QByteArray date =
                QDate(1985, 1, 1).addDays(g.bounded(14000)).toString(Qt::ISODate).toUtf8();
            const double cost = g.bounded(50000) / 100.0 + 5;
            int col = 1;
            auto text = [&](const char *t) {
                if (t)
                    sqlite3_bind_text(st, col++, t, -1, SQLITE_TRANSIENT);
                else
                    sqlite3_bind_null(st, col++);
            };
            text(itemId.constData());
            text(pick(g, makers));
            text(pick(g, lines));
            text(pick(g, types));
            text(kind == 2 ? nullptr : number.constData());
            text(kind == 2 ? number.constData() : nullptr);
            text(pick(g, gauges));
            text(pick(g, curves));
            text(pick(g, colours));
            text(pick(g, sources));
            sqlite3_bind_double(st, col++, cost);
            sqlite3_bind_double(st, col++, cost * (0.5 + g.bounded(200) / 100.0));
            text(date.constData());
            text((date + " 20:15:00").constData());
            text(kind == 2 ? "YES" : "NO");
            text(kind == 0 ? "YES" : "NO");
            text(kind == 1 ? "YES" : "NO");
            text(pick(g, conditions));
            text(g.bounded(2) ? "YES" : "NO");
            text("Original box, a little shelf wear.");
            check(sqlite3_step(st), db, "insert");
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(st);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

// The floor: the view's SELECT stepped in C, every column's value read; milliseconds.
double floorSelect(const QString &dbPath) {
    QElapsedTimer t;
    t.start();
    sqlite3 *db = nullptr;
    check(sqlite3_open(dbPath.toUtf8().constData(), &db), db, "open");
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(
              db,
              "SELECT ID, CASE WHEN Car = 'YES' THEN 0 WHEN Loco = 'YES' THEN 1 WHEN FullSet = "
              "'YES' THEN 2 WHEN Track = 'YES' THEN 3 WHEN Accessory = 'YES' THEN 4 END, ItemID, "
              "Manufacturer, RailLine, CarType, COALESCE(CarNumber, SetNumber), Gauge, Curve, "
              "COALESCE(CarColor, Color), AccquiredFrom, OriginalCost, CurrentValue, "
              "DateAccquired, Condition, Box FROM tblMain WHERE (Car = 'YES' OR Loco = 'YES' OR "
              "FullSet = 'YES' OR Track = 'YES' OR Accessory = 'YES')",
              -1, &st, nullptr),
          db, "prepare");
    std::size_t bytes = 0;
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            sqlite3_column_text(st, c);
            bytes += std::size_t(sqlite3_column_bytes(st, c));
        }
    sqlite3_finalize(st);
    sqlite3_close(db);
    if (bytes == 0)
        std::exit(1);
    return t.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long peakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

} // namespace

int main(int argc, char **argv) {
    platform::shareOneHeap(); // as the program starts
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int perKind = 100000;
    if (app.arguments().size() > 1 && app.arguments()[1].toInt() > 0)
        perKind = app.arguments()[1].toInt();
    QTemporaryDir dir;
    buildDatabase(dir.path(), perKind);
    SetProgramFolder(dir.path());
    const QString db = dir.path() + QStringLiteral("/zerizori/rails.trk");
    floorSelect(db); // both sides read a warm file

    constexpr int kRuns = 3;
    std::vector<double> open, floor;
    for (int run = 0; run < kRuns; ++run) {
        floor.push_back(floorSelect(db));
        QElapsedTimer t;
        t.start();
        auto *view = new collection::frmCollection;
        view->show();
        QApplication::processEvents();
        open.push_back(t.nsecsElapsed() / 1e6);
        if (view->model()->rowCount() != 3 * perKind) {
            std::fprintf(stderr, "listed %d of %d items\n", view->model()->rowCount(), 3 * perKind);
            return 1;
        }
        delete view;
    }

    // Where the opening goes: the read, the folding, the first sort.
    std::vector<double> read, fold;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        auto rows = collection::CollectionData().browseRows();
        read.push_back(t.nsecsElapsed() / 1e6);
        collection::CollectionModel model;
        t.restart();
        model.load(rows);
        fold.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("read %.0f ms, fold and sort %.0f ms\n", median(read), median(fold));

    // Typing a find, one keystroke at a time, the list repainting after each.
    auto *view = new collection::frmCollection;
    view->show();
    QApplication::processEvents();
    std::vector<double> keys;
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
            keys.push_back(t.nsecsElapsed() / 1e6);
            std::printf("%-28s %10.1f %10d\n", qPrintable(query.left(n)), keys.back(),
                        view->model()->rowCount());
        }
    }
    // Escape: back to every item.
    QElapsedTimer t;
    t.start();
    view->txtFind->clear();
    QApplication::processEvents();
    const double clearMs = t.nsecsElapsed() / 1e6;

    t.restart();
    view->model()->sort(collection::CollectionModel::colManufacturer, Qt::AscendingOrder);
    QApplication::processEvents();
    const double sortText = t.nsecsElapsed() / 1e6;
    t.restart();
    view->model()->sort(collection::CollectionModel::colValue, Qt::DescendingOrder);
    QApplication::processEvents();
    const double sortValue = t.nsecsElapsed() / 1e6;

    std::printf("\nitems %d, open median %.0f ms (floor %.0f ms)\n", 3 * perKind, median(open),
                median(floor));
    std::printf("figure browse_items %d count\n", 3 * perKind);
    std::printf("figure browse_open_ms %.0f ms\n", median(open));
    std::printf("figure browse_open_floor_ms %.0f ms\n", median(floor));
    std::printf("figure browse_open_read_ms %.0f ms\n", median(read));
    std::printf("figure browse_open_fold_sort_ms %.0f ms\n", median(fold));
    std::printf("figure browse_keystroke_median_ms %.1f ms\n", median(keys));
    std::printf("figure browse_keystroke_max_ms %.1f ms\n",
                *std::max_element(keys.begin(), keys.end()));
    std::printf("figure browse_clear_find_ms %.1f ms\n", clearMs);
    std::printf("figure browse_sort_manufacturer_ms %.0f ms\n", sortText);
    std::printf("figure browse_sort_value_ms %.0f ms\n", sortValue);
    std::printf("figure browse_peak_rss_mib %.0f MiB\n", peakKiB() / 1024.0);
    return 0;
}

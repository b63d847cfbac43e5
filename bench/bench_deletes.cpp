// Opening a deletion form over a large collection: how long from constructing frmDeletecar to
// a filled list, against the same SELECT run by the sqlite3 shell; how long a header click's
// sort takes; and the program's peak memory. Run by hand (bench/README.md).
#include "trains/delete/DeleteForms.h"
#include "trains/items/EditForms.h"
#include "trains/modGlobal.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <sys/resource.h>
#include <vector>

namespace {

const char *kSelect = "SELECT * FROM tblMain WHERE Car = 'YES' ORDER BY ItemID;";

void check(int rc, sqlite3 *db, const char *what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

template <std::size_t N> const char *pick(QRandomGenerator &g, const char *const (&from)[N]) {
    return from[g.bounded(int(N))];
}

// A program folder whose database holds `cars` cars with the kind of texts collectors type.
void buildFolder(const QString &folder, int cars) {
    QDir(folder).mkpath(QStringLiteral("zerizori"));
    QFile schemaFile(QStringLiteral(QUILLON_SCHEMA_FILE));
    if (!schemaFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "schema not found\n");
        std::exit(1);
    }
    const QByteArray schema = schemaFile.readAll();
    const QByteArray path = (folder + QStringLiteral("/zerizori/rails.trk")).toUtf8();
    sqlite3 *db = nullptr;
    check(sqlite3_open(path.constData(), &db), db, "open");
    check(sqlite3_exec(db, schema.constData(), nullptr, nullptr, nullptr), db, "schema");
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(
              db,
              "INSERT INTO tblMain (ItemID, Manufacturer, RailLine, CarType, CarNumber, Gauge, "
              "Curve, CarColor, AccquiredFrom, OriginalCost, CurrentValue, DateAccquired, "
              "DateAdd, FullSet, Car, Loco, Track, Accessory, Condition, Box, Notes) VALUES "
              "(?,?,?,?,?,?,?,?,?,?,?,?,?,'NO','YES','NO','NO','NO',?,?,?)",
              -1, &st, nullptr),
          db, "prepare");
    static const char *const makers[] = {"Lionel",         "Bachmann", "Atlas",   "Walthers",
                                         "Athearn",        "Kato",     "Märklin", "MTH",
                                         "American Flyer", "Williams"};
    static const char *const lines[] = {
        "Santa Fe",         "Union Pacific",      "Pennsylvania",     "New York Central",
        "Baltimore & Ohio", "Great Northern",     "Southern Pacific", "Chesapeake & Ohio",
        "Erie Lackawanna",  "Deutsche Bundesbahn"};
    static const char *const types[] = {"Boxcar",          "Hopper",   "Tank Car", "Caboose",
                                        "Flatcar",         "Gondola",  "Reefer",   "Stock Car",
                                        "Passenger Coach", "Crane Car"};
    static const char *const gauges[] = {"O Gauge", "HO Gauge", "N Gauge",
                                         "S Gauge", "G Gauge",  "Standard Gauge"};
    static const char *const curves[] = {"O-27",        "O-31",        "O-42",
                                         "18\" Radius", "22\" Radius", "9 3/4\" Radius"};
    static const char *const colours[] = {"Red",    "Brown", "Black",           "Silver",
                                          "Yellow", "Green", "Orange and Black"};
    static const char *const sources[] = {"Train Show",     "eBay",          "Hobby Shop",
                                          "Estate Sale",    "Gift from Dad", "Swap Meet",
                                          "Catalogue Order"};
    static const char *const conditions[] = {"Mint", "Excellent", "Very Good",
                                             "Good", "Fair",      "Poor"};
    static const char *const notes[] = {
        "",
        "Original box, a little shelf wear.",
        "Needs new couplers",
        "Repainted by the previous owner; decals are reproductions.",
        "Runs well. Light bulb replaced in 2003.",
        "Part of the 1957 catalogue set; wheels cleaned, trucks lubricated, minor scratch on "
        "the roof walk."};
    QRandomGenerator g(20070816);
    for (int i = 1; i <= cars; ++i) {
        const QByteArray id = "CL-" + QByteArray::number(i);
        const QByteArray number = QByteArray::number(g.bounded(100, 99999));
        const QDate acquired = QDate(1985, 1, 1).addDays(g.bounded(14000));
        const QByteArray date = acquired.toString(Qt::ISODate).toUtf8();
        const QByteArray added = (acquired.toString(Qt::ISODate) + " 20:15:00").toUtf8();
        const double cost = g.bounded(50000) / 100.0 + 5;
        const double value = cost * (0.5 + g.bounded(200) / 100.0);
        int col = 1;
        auto text = [&](const char *t) { sqlite3_bind_text(st, col++, t, -1, SQLITE_TRANSIENT); };
        text(id.constData());
        text(pick(g, makers));
        text(pick(g, lines));
        text(pick(g, types));
        text(number.constData());
        text(pick(g, gauges));
        text(pick(g, curves));
        text(pick(g, colours));
        text(pick(g, sources));
        sqlite3_bind_double(st, col++, cost);
        sqlite3_bind_double(st, col++, value);
        text(date.constData());
        text(added.constData());
        text(pick(g, conditions));
        text(g.bounded(2) ? "YES" : "NO");
        text(pick(g, notes));
        check(sqlite3_step(st), db, "insert");
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The sqlite3 shell running the listing statement, output discarded; milliseconds.
double shellSelect(const QString &db) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("sqlite3"), {db, QString::fromLatin1(kSelect)});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        std::fprintf(stderr, "sqlite3 shell failed\n");
        std::exit(1);
    }
    return t.nsecsElapsed() / 1e6;
}

long peakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kRuns = 5;

    std::printf("%9s %12s %12s %7s %12s %12s %12s %10s\n", "cars", "open+fill", "sqlite3", "ratio",
                "store load", "sort Cost", "sort Manuf", "peak");
    // The second table: the edit form, whose list is filled by the same listing.
    std::printf("%9s %12s %12s %7s %12s %12s %12s %10s\n", "", "ms", "shell ms", "", "ms", "ms",
                "ms", "MiB");
    // Sizes may be given on the command line; the default is the three of the report.
    std::vector<int> sizes;
    for (const QString &a : app.arguments().mid(1))
        if (a.toInt() > 0)
            sizes.push_back(a.toInt());
    if (sizes.empty())
        sizes = {1000, 10000, 100000};
    for (int cars : sizes) {
        QTemporaryDir dir;
        buildFolder(dir.path(), cars);
        SetProgramFolder(dir.path());
        const QString db = dir.path() + QStringLiteral("/zerizori/rails.trk");

        std::vector<double> open, shell, load, sortCost, sortMaker, edit, editSort;
        shellSelect(db); // both sides read a warm file
        for (int run = 0; run < kRuns; ++run) {
            shell.push_back(shellSelect(db));

            QElapsedTimer t;
            t.start();
            auto *form = new frmDeletecar;
            open.push_back(t.nsecsElapsed() / 1e6);
            if (form->list()->listModel()->rowCount() != cars) {
                std::fprintf(stderr, "listed %d of %d cars\n",
                             form->list()->listModel()->rowCount(), cars);
                return 1;
            }
            // What the store alone needs for the listing, without the list.
            t.restart();
            auto rs = objRails->LoadDeleteCar();
            load.push_back(t.nsecsElapsed() / 1e6);
            rs.reset();

            // A header click: the Cost column (formatted amounts), then Manufacturer.
            t.restart();
            form->list()->sortByHeader(9);
            sortCost.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            form->list()->sortByHeader(1);
            sortMaker.push_back(t.nsecsElapsed() / 1e6);
            delete form;

            t.restart();
            auto *editForm = new frmEditCar;
            edit.push_back(t.nsecsElapsed() / 1e6);
            if (editForm->list()->listModel()->rowCount() != cars) {
                std::fprintf(stderr, "edit form listed %d of %d cars\n",
                             editForm->list()->listModel()->rowCount(), cars);
                return 1;
            }
            t.restart();
            editForm->list()->sortByHeader(9);
            editSort.push_back(t.nsecsElapsed() / 1e6);
            delete editForm;
        }
        const double o = median(open), s = median(shell);
        std::printf("%9d %12.1f %12.1f %7.2f %12.1f %12.1f %12.1f %10.1f\n", cars, o, s, o / s,
                    median(load), median(sortCost), median(sortMaker), peakKiB() / 1024.0);
        std::printf("%9s frmEditCar open+fill %.1f ms (ratio %.2f), sort Cost %.1f ms\n", "",
                    median(edit), median(edit) / s, median(editSort));
        std::fflush(stdout);
        objRails.reset();
        SetProgramFolder(QString());
    }
    return 0;
}

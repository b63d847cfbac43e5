// The store at scale: the listing and the record check against the same statements stepped at
// SQLite's C API (opened the way the store opens its file, every value read), the memory a
// record set holds against the values it carries, and one AddCar against the same
// open/insert/commit/close done directly. Then a crash test: a child process saving in a loop
// is killed 200 times and every save it reported must still be there. Run by hand
// (bench/README.md).
#include "BenchData.h"

#include "platform/MsgBox.h"
#include "rails/dllRails.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

using bench::ms;

const char *const kListing = "SELECT * FROM tblMain WHERE Car = 'YES' ORDER BY ItemID;";
const char *const kPresence = "SELECT ItemID FROM tblMain WHERE Car = 'YES';";
const char *const kReport = "SELECT * FROM tblMain WHERE Car = 'YES' ORDER BY CarType";

QStringList carText(const QString &id) {
    return {id,     "Lionel", "Santa Fe", "Box Car",         "6464",
            "O-27", "O-31",   "Red",      "York Train Meet", "Original box, a little shelf wear.",
            "Good", "YES"};
}

bool addCar(dllRails &rails, const QString &id) {
    QStringList text = carText(id);
    QDateTime date(QDate(2007, 8, 16), QTime(0, 0));
    QList<double> money{12.5, 20};
    return rails.AddCar(text, date, money);
}

// The same save at the floor: open as the store does, one INSERT of the same values in a
// transaction, commit (fully synced), close.
void rawAdd(const QString &path, int i, bool persist) {
    sqlite3 *db = bench::openAsStore(path);
    if (persist)
        sqlite3_exec(db, "PRAGMA journal_mode=PERSIST", nullptr, nullptr, nullptr);
    const std::string sql =
        "INSERT INTO tblMain (ItemID,Manufacturer,RailLine,CarType,CarNumber,Gauge,Curve,"
        "CarColor,AccquiredFrom,OriginalCost,CurrentValue,DateAccquired,DateAdd,FullSet,Car,"
        "Loco,Track,Accessory,Condition,Box,Notes) VALUES ('CL-R" +
        std::to_string(i) +
        "','Lionel','Santa Fe','Box Car','6464','O-27','O-31','Red','York Train Meet',12.5,20,"
        "'2007-08-16','2026-12-08 10:00:00','NO','YES','NO','NO','NO','Good','YES',"
        "'Original box, a little shelf wear.');";
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "raw insert: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db);
}

// Child of the crash test: saves cars until it is killed, reporting each save the store
// confirmed.
int saveLoop(const QString &folder, int first) {
    setRailsLibraryFolder(folder);
    dllRails rails;
    for (int i = first;; ++i) {
        const QString id = QStringLiteral("CL-K%1").arg(i);
        if (!addCar(rails, id))
            return 2;
        std::printf("%s\n", qPrintable(id));
        std::fflush(stdout);
    }
}

struct CrashResult {
    int rounds = 0, reported = 0, lost = 0, unreported = 0, damaged = 0;
    double seconds = 0;
};

CrashResult crashTest(const QString &folder, int rounds) {
    CrashResult r;
    QElapsedTimer total;
    total.start();
    QRandomGenerator g(1957);
    QSet<QString> reported;
    for (int round = 0; round < rounds; ++round) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--save-loop"), folder, QString::number(round * 100000)});
        child.waitForReadyRead(10000); // saving has begun
        QThread::msleep(g.bounded(5, 60));
        child.kill();
        child.waitForFinished(10000);
        for (const QByteArray &line : child.readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                reported.insert(QString::fromUtf8(line));
        ++r.rounds;
    }
    r.seconds = double(total.nsecsElapsed()) / 1e9;
    r.reported = int(reported.size());

    sqlite3 *db = bench::openAsStore(bench::databasePath(folder));
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr);
    if (sqlite3_step(st) != SQLITE_ROW ||
        std::string(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))) != "ok")
        r.damaged = 1;
    sqlite3_finalize(st);
    QSet<QString> stored;
    sqlite3_prepare_v2(db, "SELECT ItemID FROM tblMain WHERE ItemID LIKE 'CL-K%'", -1, &st,
                       nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        stored.insert(
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))));
    sqlite3_finalize(st);
    sqlite3_close_v2(db);
    for (const QString &id : reported)
        if (!stored.contains(id))
            ++r.lost;
    // A save committed just before the kill, whose report never got out, is not a loss.
    r.unreported = int(stored.size()) - (r.reported - r.lost);
    return r;
}

constexpr int kRuns = 5;

// The floors on the designed file as it stands, then the report's with this build's additions
// (indexes): do they pay for their bytes? Leaves the additions applied.
struct FileFloors {
    std::vector<double> bare, bareReport, indexedReport;
    qint64 grown = 0;
};

FileFloors measureAdditions(const QString &folder) {
    const QString path = bench::databasePath(folder);
    FileFloors f;
    bench::stepAll(path, kListing);
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        bench::stepAll(path, kListing);
        bench::stepAll(path, kPresence);
        f.bare.push_back(ms(t));
        t.restart();
        bench::stepAll(path, kReport);
        f.bareReport.push_back(ms(t));
    }
    f.grown = bench::applyAdditions(folder);
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        bench::stepAll(path, kReport);
        f.indexedReport.push_back(ms(t));
    }
    return f;
}

// The store's listing and record check, each beside its statement at the floor.
struct StoreRuns {
    std::vector<double> load, loadFloor, check, checkFloor;
};

StoreRuns measureStore(dllRails &rails, const QString &path) {
    StoreRuns r;
    bench::stepAll(path, kListing); // a warm file for both sides
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        bench::stepAll(path, kListing);
        r.loadFloor.push_back(ms(t));
        t.restart();
        auto rs = rails.LoadEditCar();
        r.load.push_back(ms(t));
        rs.reset();
        t.restart();
        bench::stepAll(path, kPresence);
        r.checkFloor.push_back(ms(t));
        t.restart();
        rs = rails.RefreshCars();
        r.check.push_back(ms(t));
    }
    return r;
}

void printSize(int n, const FileFloors &f, const StoreRuns &r) {
    const std::string k = bench::sizeLabel(n);
    const double l = bench::median(r.load), lf = bench::median(r.loadFloor);
    const double c = bench::median(r.check), cf = bench::median(r.checkFloor);
    std::printf("%8d %10.2f %10.2f %7.2f %10.2f %10.2f %7.2f\n", n, l, lf, l / lf, c, cf, c / cf);
    bench::figure(("store_listing_" + k + "_ratio").c_str(), l / lf, "x");
    bench::figureRuns(("store_listing_" + k).c_str(), r.load, "ms");
    bench::figureRuns(("store_listing_floor_" + k).c_str(), r.loadFloor, "ms");
    bench::figure(("store_check_" + k + "_ratio").c_str(), c / cf, "x");
    const double mib = double(f.grown) / (1024.0 * 1024.0);
    std::printf("%8s floor of listing + check: %.2f ms on the designed file, %.2f ms with "
                "the additions (file %+.2f MiB)\n",
                "", bench::median(f.bare), lf + cf, mib);
    bench::figure(("floor_designed_file_" + k).c_str(), bench::median(f.bare), "ms");
    bench::figure(("floor_with_additions_" + k).c_str(), lf + cf, "ms");
    std::printf("%8s floor of the car report's statement: %.2f ms on the designed file, "
                "%.2f ms with the additions\n",
                "", bench::median(f.bareReport), bench::median(f.indexedReport));
    bench::figure(("report_floor_designed_file_" + k).c_str(), bench::median(f.bareReport), "ms");
    bench::figure(("report_floor_with_additions_" + k).c_str(), bench::median(f.indexedReport),
                  "ms");
    bench::figure(("additions_file_cost_" + k).c_str(), mib, "MiB");
}

// The memory a record set of every car holds against the values it carries.
void printRecordsetMemory(dllRails &rails, const QString &path) {
    std::int64_t bytes = 0;
    const auto rows = bench::stepAll(path, kListing, &bytes);
    auto rs = rails.LoadEditCar();
    const double held = double(rs->memoryUsed()) / (1024.0 * 1024.0);
    // The values themselves: text bytes plus eight bytes per number.
    const double raw = double(bytes + rows * 2 * 8) / (1024.0 * 1024.0);
    const double file = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
    std::printf("record set of %lld cars: %.1f MiB held, values %.1f MiB, file %.1f MiB\n",
                static_cast<long long>(rows), held, raw, file);
    bench::figure("recordset_memory_100k", held, "MiB");
    bench::figure("recordset_values_100k", raw, "MiB");
}

void measureSize(int n) {
    QTemporaryDir dir;
    bench::buildCollection(dir.path(), n);
    const QString path = bench::databasePath(dir.path());
    const FileFloors floors = measureAdditions(dir.path());
    setRailsLibraryFolder(dir.path());
    dllRails rails;
    printSize(n, floors, measureStore(rails, path));
    if (n == 100000)
        printRecordsetMemory(rails, path);
}

// One save: the store's AddCar against the same work at the floor, journal deleted after each
// commit (SQLite's default) and kept (PERSIST). False when a save failed.
bool measureSave() {
    QTemporaryDir dir;
    bench::buildCollection(dir.path(), 1000);
    const QString path = bench::databasePath(dir.path());
    setRailsLibraryFolder(dir.path());
    dllRails rails;
    std::vector<double> adds, rawDelete, rawPersist;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer t;
        t.start();
        if (!addCar(rails, QStringLiteral("CL-B%1").arg(i)))
            return false;
        adds.push_back(ms(t));
        t.restart();
        rawAdd(path, 2 * i, false);
        rawDelete.push_back(ms(t));
        t.restart();
        rawAdd(path, 2 * i + 1, true);
        rawPersist.push_back(ms(t));
    }
    const double a = bench::median(adds), d = bench::median(rawDelete),
                 p = bench::median(rawPersist);
    std::printf("AddCar median %.3f ms; floor %.3f ms (journal deleted), %.3f ms (kept)\n", a, d,
                p);
    bench::figure("addcar", a, "ms");
    bench::figure("addcar_floor_delete", d, "ms");
    bench::figure("addcar_floor_persist", p, "ms");
    return true;
}

void measureCrashes(int rounds) {
    QTemporaryDir dir;
    bench::buildCollection(dir.path(), 100);
    const CrashResult r = crashTest(dir.path(), rounds);
    std::printf("crash test: %d kills in %.1f s, %d saves reported, %d lost, %d saved but "
                "unreported, file %s\n",
                r.rounds, r.seconds, r.reported, r.lost, r.unreported,
                r.damaged ? "DAMAGED" : "intact");
    bench::figure("crash_kills", r.rounds, "count");
    bench::figure("crash_saves_reported", r.reported, "count");
    bench::figure("crash_saves_lost", r.lost, "count");
    bench::figure("crash_file_damaged", r.damaged, "count");
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    platform::setMsgBoxHandler([](const platform::MsgRequest &r) {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(r.prompt));
        return platform::MsgResult::OK;
    });
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--save-loop"))
        return saveLoop(args[2], args[3].toInt());
    int crashRounds = 200;
    if (args.size() == 3 && args[1] == QLatin1String("--crash"))
        crashRounds = args[2].toInt();

    std::printf("%8s %10s %10s %7s %10s %10s %7s\n", "per kind", "listing", "floor", "x", "check",
                "floor", "x");
    for (int n : {1000, 10000, 100000})
        measureSize(n);
    if (!measureSave())
        return 1;
    if (crashRounds > 0)
        measureCrashes(crashRounds);
    return 0;
}

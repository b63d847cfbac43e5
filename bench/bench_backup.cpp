// Collection file work at 100,000 items of each kind: what the start-up pays for the automatic
// backup (the due check and starting the worker, on the GUI thread) and what the worker then
// spends, against a bare sqlite3_backup copy and a plain file copy; export of all 300,000
// items and import of 100,000 CSV rows, each against its floor (bench/ExchangeFloors.h): the
// same work written plainly, checked to write the same bytes and the same rows.
#include "bench/BenchData.h"
#include "bench/ExchangeFloors.h"
#include "platform/Memory.h"
#include "rails/exchange/Collection.h"
#include "rails/exchange/ItemExchange.h"
#include "trains/collection/AutoBackup.h"
#include "trains/modGlobal.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <thread>
#include <vector>

namespace {

void exec(sqlite3 *db, const char *sql) {
    char *err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", err);
        std::exit(1);
    }
}

// An empty collection file: the schema and nothing else.
void emptyCollection(const QString &path) {
    QFile schema(QUILLON_SCHEMA_FILE);
    schema.open(QIODevice::ReadOnly);
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    exec(db, schema.readAll().constData());
    sqlite3_close(db);
}

double ms(QElapsedTimer &t) {
    return t.nsecsElapsed() / 1e6;
}

const auto nothing = [] {};
constexpr int kRuns = 5;

// The time of each of `count` runs of `work`, `prepare` run before each without the clock.
template <class P, class W> std::vector<double> runs(int count, P prepare, W work) {
    std::vector<double> v;
    for (int i = 0; i < count; ++i) {
        prepare();
        QElapsedTimer t;
        t.start();
        work();
        v.push_back(ms(t));
    }
    return v;
}

// Ends the run unless the two files hold the same bytes: a floor writes what the program does.
void sameBytes(const QString &a, const QString &b) {
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        std::exit(1);
    const QByteArray x = fa.readAll(), y = fb.readAll();
    if (x == y)
        return;
    qsizetype at = 0;
    while (at < x.size() && at < y.size() && x[at] == y[at])
        ++at;
    const qsizetype from = std::max<qsizetype>(0, at - 60);
    std::fprintf(
        stderr, "the export floor wrote other bytes than the export from byte %lld:\n%s\n---\n%s\n",
        qlonglong(at), x.mid(from, 120).constData(), y.mid(from, 120).constData());
    std::exit(1);
}

// Every item's columns but the moment it was added, in order: two imports of one sheet
// wrote the same items when their digests are equal.
QByteArray itemsDigest(const QString &path) {
    sqlite3 *h = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(
        h,
        "SELECT ID, ItemID, Manufacturer, RailLine, CarType, CarNumber, SetNumber, "
        "Gauge, Curve, CarColor, AccquiredFrom, OriginalCost, CurrentValue, "
        "DateAccquired, FullSet, Car, Loco, Track, Accessory, Condition, Box, Notes, "
        "typeof(CarNumber), typeof(SetNumber), typeof(OriginalCost) FROM tblMain "
        "ORDER BY ID",
        -1, &st, nullptr);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    while (sqlite3_step(st) == SQLITE_ROW)
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(st, c));
            hash.addData(QByteArrayView(t ? t : "<null>"));
            hash.addData(QByteArrayView("\x1f"));
        }
    sqlite3_finalize(st);
    sqlite3_close(h);
    return hash.result();
}

using bench::figure;

// Another connection changing one item every 50 ms while it runs, as a second program would;
// counts the changes it committed.
class Writer {
  public:
    explicit Writer(const QString &db) {
        sqlite3_open(db.toUtf8().constData(), &h_);
        sqlite3_busy_timeout(h_, 10000);
        thread_ = std::thread([this] {
            for (int i = 1; !stop_; ++i) {
                const QByteArray sql = "UPDATE tblMain SET Notes = 'changed " +
                                       QByteArray::number(i) +
                                       "' WHERE ID = " + QByteArray::number(1 + i % 1000);
                if (sqlite3_exec(h_, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK)
                    ++commits;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
    }
    ~Writer() {
        stop_ = true;
        thread_.join();
        sqlite3_close(h_);
    }
    std::atomic<int> commits{0};

  private:
    sqlite3 *h_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Median, min and max of `runs` timed backups of `db`, with or without a writer.
void backupFigures(const char *name, const QString &db, const QString &dest, bool writer) {
    std::vector<double> v;
    int commits = 0;
    for (int i = 0; i < 5; ++i) {
        QFile::remove(dest);
        std::unique_ptr<Writer> w(writer ? new Writer(db) : nullptr);
        if (w)
            std::this_thread::sleep_for(std::chrono::milliseconds(120)); // it is writing
        QElapsedTimer t;
        t.start();
        exchange::backupCollection(db, dest);
        v.push_back(ms(t));
        if (w)
            commits += w->commits;
    }
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    const double min = *lo, max = *hi;
    const std::string n(name);
    figure(n.c_str(), bench::median(v), "ms");
    figure((n + "_min").c_str(), min, "ms");
    figure((n + "_max").c_str(), max, "ms");
    if (writer)
        figure((n + "_writer_commits").c_str(), commits, "count");
}

// The program's runs and its floor's, taken in turn so that whatever else the machine does
// weighs on both alike; `prepare` runs before each without the clock.
template <class P, class W, class F>
std::pair<std::vector<double>, std::vector<double>> pairedRuns(P prepare, W work, F floor) {
    std::pair<std::vector<double>, std::vector<double>> out;
    for (int i = 0; i < kRuns; ++i) {
        out.first.push_back(runs(1, prepare, work).front());
        out.second.push_back(runs(1, prepare, floor).front());
    }
    return out;
}

void ratioFigures(const char *name, const std::pair<std::vector<double>, std::vector<double>> &r) {
    const std::string n(name);
    bench::figureRuns(n.c_str(), r.first, "ms");
    bench::figureRuns((n + "_floor").c_str(), r.second, "ms");
}

// Export of everything, against the same export written plainly.
void exportFigures(const QString &dir, const QString &db) {
    const QString csv = dir + "/all.csv", floorCsv = dir + "/floor.csv";
    const auto r = pairedRuns(
        nothing,
        [&] {
            if (exchange::exportItems(db, csv) != 300000)
                std::exit(1);
        },
        [&] {
            if (bench::exportFloor(db, floorCsv) != 300000)
                std::exit(1);
        });
    sameBytes(csv, floorCsv);
    ratioFigures("export_300k", r);
    figure("export_ratio", bench::median(r.first) / bench::median(r.second), "x");
}

// Import of 100,000 rows (the locomotives of the export) into an empty collection: the
// preview's plan, then the import itself, against the same import written plainly.
void importFigures(const QString &dir, const QString &db) {
    const QString locos = dir + "/locos.csv";
    exchange::exportItems(db, locos, ItemKind::Loco);
    const QString target = dir + "/target.trk";
    const auto emptyTarget = [&] {
        QFile::remove(target);
        emptyCollection(target);
    };
    exchange::ImportPlan plan;
    const std::vector<double> planRuns = runs(kRuns, nothing, [&] {
        plan = exchange::planImport(locos, std::nullopt, QDate(2026, 12, 8));
        if (plan.toWrite() != 100000 || plan.refused) {
            std::fprintf(stderr, "unexpected plan: %lld ready\n", qlonglong(plan.toWrite()));
            std::exit(1);
        }
    });
    const auto program = [&] {
        if (exchange::importItems(target, plan) != 100000)
            std::exit(1);
    };
    const auto floor = [&] {
        if (bench::importFloor(target, locos, 20261208, "2026-12-08 10:00:00") != 100000)
            std::exit(1);
    };
    const auto r = pairedRuns(emptyTarget, program, floor);
    // Once more without the clock: both wrote the same rows.
    runs(1, emptyTarget, program);
    const QByteArray imported = itemsDigest(target);
    runs(1, emptyTarget, floor);
    if (itemsDigest(target) != imported) {
        std::fprintf(stderr, "the import floor wrote other rows than the import\n");
        std::exit(1);
    }
    bench::figureRuns("import_100k_plan", planRuns, "ms");
    ratioFigures("import_100k", r);
    figure("import_ratio", bench::median(r.first) / bench::median(r.second), "x");
}

} // namespace

int main(int argc, char **argv) {
    platform::shareOneHeap(); // as the program starts
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    bench::buildCollection(dir.path(), 100000);
    bench::applyAdditions(dir.path());
    SetProgramFolder(dir.path());
    const QString db = bench::databasePath(dir.path());
    std::printf("collection: 300,000 items, %.1f MB\n", QFileInfo(db).size() / 1e6);

    // Start-up: what the GUI thread pays before it goes on.
    QElapsedTimer t;
    t.start();
    collection::startAutomaticBackup();
    const double startCost = ms(t);
    collection::waitForAutomaticBackup();
    const double startToDone = ms(t);
    t.restart();
    collection::startAutomaticBackup(); // not due again: only the check
    const double notDue = ms(t);

    const std::vector<double> ours = runs(
        kRuns, [&] { QFile::remove(dir.path() + "/b.trk"); },
        [&] { exchange::backupCollection(db, dir.path() + "/b.trk"); });
    const std::vector<double> bare = runs(
        kRuns, [&] { QFile::remove(dir.path() + "/c.trk"); },
        [&] {
            sqlite3 *from = nullptr, *to = nullptr;
            sqlite3_open_v2(db.toUtf8().constData(), &from, SQLITE_OPEN_READONLY, nullptr);
            sqlite3_open((dir.path() + "/c.trk").toUtf8().constData(), &to);
            sqlite3_backup *b = sqlite3_backup_init(to, "main", from, "main");
            sqlite3_backup_step(b, -1);
            sqlite3_backup_finish(b);
            sqlite3_close(to);
            sqlite3_close(from);
        });
    const std::vector<double> plain = runs(
        kRuns, [&] { QFile::remove(dir.path() + "/d.trk"); },
        [&] { QFile::copy(db, dir.path() + "/d.trk"); });

    // The same backup idle and with another connection writing every 50 ms: it must finish,
    // in at most twice its idle time.
    backupFigures("backup_300k_idle", db, dir.path() + "/e.trk", false);
    backupFigures("backup_300k_under_writer", db, dir.path() + "/e.trk", true);

    figure("startup_backup_gui_thread", startCost, "ms");
    figure("startup_backup_not_due_check", notDue, "ms");
    figure("automatic_backup_total", startToDone, "ms");
    bench::figureRuns("backup_verified_300k", ours, "ms");
    bench::figureRuns("backup_floor_sqlite_backup_api", bare, "ms");
    bench::figureRuns("backup_floor_file_copy", plain, "ms");
    exportFigures(dir.path(), db);
    importFigures(dir.path(), db);
    return 0;
}

// Collection file work at 100,000 items of each kind: what the start-up pays for the automatic
// backup (the due check and starting the worker, on the GUI thread) and what the worker then
// spends, against a bare sqlite3_backup copy and a plain file copy; export of all 300,000
// items against walking the same SELECT through SQLite's C API; and checking plus importing
// 100,000 CSV rows against inserting the same rows with one prepared statement.
#include "bench/BenchData.h"
#include "platform/Memory.h"
#include "rails/exchange/Collection.h"
#include "rails/exchange/ItemExchange.h"
#include "trains/collection/AutoBackup.h"
#include "trains/modGlobal.h"

#include <QApplication>
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

// The median time of `work` over `runs` runs, `prepare` run before each without the clock.
template <class P, class W> double medianMs(int runs, P prepare, W work) {
    std::vector<double> v;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer t;
        t.start();
        work();
        v.push_back(ms(t));
    }
    return bench::median(std::move(v));
}

const auto nothing = [] {};

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

    const double ours = medianMs(
        3, [&] { QFile::remove(dir.path() + "/b.trk"); },
        [&] { exchange::backupCollection(db, dir.path() + "/b.trk"); });
    const double bare = medianMs(
        3, [&] { QFile::remove(dir.path() + "/c.trk"); },
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
    const double plain = medianMs(
        3, [&] { QFile::remove(dir.path() + "/d.trk"); },
        [&] { QFile::copy(db, dir.path() + "/d.trk"); });

    // Export of everything.
    const QString csv = dir.path() + "/all.csv";
    const double exportMs = medianMs(3, nothing, [&] { exchange::exportItems(db, csv); });
    std::size_t bytes = 0; // every value read, as the export reads them
    const double walkMs = medianMs(3, nothing, [&] {
        sqlite3 *h = nullptr;
        sqlite3_open_v2(db.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(h, "SELECT * FROM tblMain ORDER BY ID", -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                bytes += sqlite3_column_bytes(st, c);
        sqlite3_finalize(st);
        sqlite3_close(h);
    });

    // Import of 100,000 rows (the locomotives of the export) into an empty collection.
    const QString locos = dir.path() + "/locos.csv";
    exchange::exportItems(db, locos, ItemKind::Loco);
    const QString target = dir.path() + "/target.trk";
    double planMs = 0, writeMs = 0;
    const auto emptyTarget = [&] {
        QFile::remove(target);
        emptyCollection(target);
    };
    const double importMs = medianMs(3, emptyTarget, [&] {
        QElapsedTimer m;
        m.start();
        const exchange::ImportPlan plan =
            exchange::planImport(locos, std::nullopt, QDate(2026, 12, 8));
        planMs = ms(m);
        if (plan.toWrite() != 100000 || plan.refused) {
            std::fprintf(stderr, "unexpected plan: %lld ready\n", qlonglong(plan.toWrite()));
            std::exit(1);
        }
        exchange::importItems(target, plan);
        writeMs = ms(m) - planMs;
    });
    const double insertFloor = medianMs(3, emptyTarget, [&] {
        sqlite3 *h = nullptr;
        sqlite3_open(target.toUtf8().constData(), &h);
        exec(h, "BEGIN");
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(
            h,
            "INSERT INTO tblMain (ItemID,Manufacturer,RailLine,CarType,CarNumber,Gauge,Curve,"
            "CarColor,AccquiredFrom,OriginalCost,CurrentValue,DateAccquired,DateAdd,FullSet,"
            "Car,Loco,Track,Accessory,Condition,Box,Notes) VALUES "
            "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
            -1, &st, nullptr);
        for (int i = 1; i <= 100000; ++i) {
            const QByteArray id = "LL-" + QByteArray::number(i),
                             num = QByteArray::number(6000 + i % 900);
            const char *texts[] = {"Lionel",     "Atchison, Topeka & Santa Fe",
                                   "Box Car",    num.constData(),
                                   "O",          "O-31",
                                   "Boxcar Red", "Swap meet"};
            sqlite3_bind_text(st, 1, id.constData(), -1, SQLITE_TRANSIENT);
            for (int c = 0; c < 8; ++c)
                sqlite3_bind_text(st, 2 + c, texts[c], -1, SQLITE_STATIC);
            sqlite3_bind_double(st, 10, 12.5);
            sqlite3_bind_double(st, 11, 20);
            sqlite3_bind_text(st, 12, "2019-05-01", -1, SQLITE_STATIC);
            sqlite3_bind_text(st, 13, "2026-12-08 10:00:00", -1, SQLITE_STATIC);
            for (int c = 14; c <= 18; ++c)
                sqlite3_bind_text(st, c, c == 16 ? "YES" : "NO", -1, SQLITE_STATIC);
            sqlite3_bind_text(st, 19, "Excellent", -1, SQLITE_STATIC);
            sqlite3_bind_text(st, 20, "YES", -1, SQLITE_STATIC);
            sqlite3_bind_text(st, 21, "Bought at the 7th annual swap meet; runs well.", -1,
                              SQLITE_STATIC);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        exec(h, "COMMIT");
        sqlite3_close(h);
    });

    // The same backup idle and with another connection writing every 50 ms: it must finish,
    // in at most twice its idle time.
    backupFigures("backup_300k_idle", db, dir.path() + "/e.trk", false);
    backupFigures("backup_300k_under_writer", db, dir.path() + "/e.trk", true);

    figure("startup_backup_gui_thread", startCost, "ms");
    figure("startup_backup_not_due_check", notDue, "ms");
    figure("automatic_backup_total", startToDone, "ms");
    figure("backup_verified_300k", ours, "ms");
    figure("backup_floor_sqlite_backup_api", bare, "ms");
    figure("backup_floor_file_copy", plain, "ms");
    figure("export_300k", exportMs, "ms");
    figure("export_floor_sqlite_walk", walkMs, "ms");
    if (bytes == 0)
        return 1;
    figure("import_100k_total", importMs, "ms");
    figure("import_100k_read_and_check", planMs, "ms");
    figure("import_100k_write", writeMs, "ms");
    figure("import_floor_prepared_insert", insertFloor, "ms");
    return 0;
}

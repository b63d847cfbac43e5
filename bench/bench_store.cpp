// Store benchmark: LoadEditCar plus a walk over every field, against the same SELECT run and
// materialised through SQLite's C API; the median time of one AddCar; and the memory a
// 100,000-row record set holds against the database file's size.
#include "platform/MsgBox.h"
#include "rails/dllRails.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <string>
#include <variant>
#include <vector>

namespace {

void must(int rc, sqlite3* db) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

QString makeDatabase(const QString& folder, int cars) {
    QDir(folder).mkpath("zerizori");
    const QString path = folder + "/zerizori/rails.trk";
    QFile::remove(path);
    QFile schema(QUILLON_SCHEMA_FILE);
    schema.open(QIODevice::ReadOnly);
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    must(sqlite3_exec(db, schema.readAll().constData(), nullptr, nullptr, nullptr), db);
    must(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO tblMain (ItemID,Manufacturer,RailLine,CarType,CarNumber,Gauge,Curve,"
                       "CarColor,AccquiredFrom,OriginalCost,CurrentValue,DateAccquired,DateAdd,FullSet,Car,"
                       "Loco,Track,Accessory,Condition,Box,Notes) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,'NO','YES',"
                       "'NO','NO','NO',?,?,?)",
                       -1, &st, nullptr);
    const char* makers[] = {"Lionel", "Atlas", "Bachmann", "MTH", "Kato"};
    const char* types[] = {"Box Car", "Caboose", "Hopper - 3 Bay", "Tank Car - 2 Dome", "Flat Car"};
    for (int i = 1; i <= cars; ++i) {
        const std::string id = "CL-" + std::to_string(i);
        const std::string number = std::to_string(6000 + i % 900);
        const std::string notes = "Bought at the " + std::to_string(i % 40) + "th annual swap meet; runs well.";
        int c = 1;
        sqlite3_bind_text(st, c++, id.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, c++, makers[i % 5], -1, SQLITE_STATIC);
        sqlite3_bind_text(st, c++, "Atchison, Topeka & Santa Fe", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, c++, types[i % 5], -1, SQLITE_STATIC);
        sqlite3_bind_text(st, c++, number.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, c++, "O-Standard", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, c++, "O-31", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, c++, "Boxcar Red", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, c++, "York Train Meet", -1, SQLITE_STATIC);
        sqlite3_bind_double(st, c++, 12.5 + i % 300);
        sqlite3_bind_double(st, c++, 20.25 + i % 500);
        sqlite3_bind_text(st, c++, "2007-08-16", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, c++, "2026-03-14 09:26:53", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, c++, "Excellent", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, c++, "YES", -1, SQLITE_STATIC);
        sqlite3_bind_text(st, c++, notes.c_str(), -1, SQLITE_TRANSIENT);
        must(sqlite3_step(st), db);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    must(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
    return path;
}

using Cell = std::variant<std::monostate, long long, double, std::string>;

// The baseline: the same SELECT, every cell copied out of SQLite into memory of our own.
std::size_t plainSelect(const QString& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT * FROM tblMain WHERE Car = 'YES' ORDER BY ItemID;", -1, &st, nullptr);
    const int n = sqlite3_column_count(st);
    std::vector<std::vector<Cell>> rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::vector<Cell> row;
        row.reserve(std::size_t(n));
        for (int i = 0; i < n; ++i) {
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_NULL: row.emplace_back(); break;
            case SQLITE_INTEGER: row.emplace_back(sqlite3_column_int64(st, i)); break;
            case SQLITE_FLOAT: row.emplace_back(sqlite3_column_double(st, i)); break;
            default:
                row.emplace_back(std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                             std::size_t(sqlite3_column_bytes(st, i))));
            }
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rows.size();
}

// What a form does: the listing, then every field of every row by column name.
std::size_t loadAndWalk(dllRails& rails, const QStringList& names) {
    auto rs = rails.LoadEditCar();
    std::size_t chars = 0;
    for (rs->MoveFirst(); !rs->isEOF(); rs->MoveNext())
        for (const QString& name : names)
            chars += std::size_t(rs->Fields(name).toString().size());
    return chars;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    platform::setMsgBoxHandler([](const platform::MsgRequest& r) {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(r.prompt));
        return platform::MsgResult::OK;
    });
    QTemporaryDir dir;
    setRailsLibraryFolder(dir.path());
    const QStringList names{"ID", "ItemID", "Manufacturer", "RailLine", "CarType", "CarNumber", "SetNumber",
                            "Gauge", "Curve", "CarColor", "Color", "AccquiredFrom", "OriginalCost",
                            "CurrentValue", "DateAccquired", "DateAdd", "DateMod", "FullSet", "Car",
                            "Loco", "Track", "Accessory", "Condition", "Box", "Notes"};

    std::printf("%-8s %14s %14s %8s\n", "cars", "store ms", "sqlite C ms", "ratio");
    for (int cars : {1000, 10000, 100000}) {
        const QString path = makeDatabase(dir.path(), cars);
        dllRails rails;
        std::vector<double> ours, base;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer t;
            t.start();
            plainSelect(path);
            base.push_back(double(t.nsecsElapsed()) / 1e6);
            t.restart();
            loadAndWalk(rails, names);
            ours.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        const double o = median(ours), b = median(base);
        std::printf("%-8d %14.1f %14.1f %8.2f\n", cars, o, b, o / b);

        if (cars == 100000) {
            auto rs = rails.LoadEditCar();
            const double mib = double(rs->memoryUsed()) / (1024.0 * 1024.0);
            const double file = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
            std::printf("100,000-row record set: %.1f MiB held, database file %.1f MiB, ratio %.2f\n",
                        mib, file, mib / file);
        }
    }

    std::vector<double> adds;
    dllRails rails;
    for (int i = 0; i < 200; ++i) {
        QStringList text{QString("CL-B%1").arg(i), "Lionel", "Santa Fe", "Box Car", "6464", "O-27",
                         "O-31", "Red", "Show", "Notes", "Good", "YES"};
        QDateTime date(QDate(2007, 8, 16), QTime(0, 0));
        QList<double> money{12.5, 20};
        QElapsedTimer t;
        t.start();
        rails.AddCar(text, date, money);
        adds.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("AddCar median over 200 calls: %.3f ms\n", median(adds));
    return 0;
}

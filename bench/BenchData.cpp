#include "BenchData.h"

#include "rails/SchemaAdditions.h"
#include "rails/engine/Connection.h"

#include "platform/Memory.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>
#include <string>

namespace bench {

namespace {

void check(int rc, sqlite3 *db, const char *what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        std::exit(1);
    }
}

template <std::size_t N> const char *pick(QRandomGenerator &g, const char *const (&from)[N]) {
    return from[g.bounded(int(N))];
}

const char *const kMakers[] = {"Lionel",         "Bachmann", "Atlas",           "Walthers",
                               "Athearn",        "Kato",     "Märklin",         "MTH",
                               "American Flyer", "Williams", "Broadway Limited"};
const char *const kLines[] = {"Santa Fe",
                              "Union Pacific",
                              "Pennsylvania",
                              "New York Central",
                              "Baltimore & Ohio",
                              "Great Northern",
                              "Southern Pacific",
                              "Chesapeake & Ohio",
                              "Erie Lackawanna",
                              "Deutsche Bundesbahn",
                              "Atchison, Topeka & Santa Fe"};
const char *const kCarTypes[] = {
    "Box Car", "Hopper - 3 Bay", "Tank Car - 2 Dome", "Caboose",   "Flat Car",       "Gondola",
    "Reefer",  "Stock Car",      "Passenger Coach",   "Crane Car", "Searchlight Car"};
const char *const kLocoTypes[] = {"Steam 4-6-4 Hudson",    "Diesel F3 A Unit", "Diesel GP9",
                                  "Steam 2-8-4 Berkshire", "Electric GG1",     "Switcher 0-4-0"};
const char *const kSetTypes[] = {"Freight Set", "Passenger Set", "Starter Set", "Holiday Set",
                                 "Work Train Set"};
const char *const kGauges[] = {"O Gauge", "HO Gauge", "N Gauge",
                               "S Gauge", "G Gauge",  "Standard Gauge"};
const char *const kCurves[] = {"O-27",        "O-31",        "O-42",
                               "18\" Radius", "22\" Radius", "9 3/4\" Radius"};
const char *const kColours[] = {"Red",
                                "Brown",
                                "Black",
                                "Silver",
                                "Yellow",
                                "Green",
                                "Orange and Black",
                                "Tuscan Red/Gold Stripe"};
const char *const kSources[] = {
    "Train Show",    "eBay",      "Hobby Shop",      "Estate Sale",
    "Gift from Dad", "Swap Meet", "Catalogue Order", "York Train Meet, Orange Hall"};
const char *const kConditions[] = {"Mint", "Excellent", "Very Good", "Good", "Fair", "Poor"};
const char *const kNotes[] = {
    "",
    "",
    "Original box, a little shelf wear.",
    "Needs new couplers",
    "Repainted by the previous owner; decals are reproductions.",
    "Runs well. Light bulb replaced in 2003.",
    "Part of the 1957 catalogue set; wheels cleaned, trucks lubricated, minor scratch on the "
    "roof walk.",
    "Bought with two others at the spring meet.\r\nBox has a torn end flap.",
    "Smoke unit works; e-unit sticks in neutral now and then. Tender wheels replaced with "
    "sintered iron, original ones in the box. Paid extra for the set box and the paperwork.",
};

struct Kind {
    const char *prefix;
    const char *numberColumn;
    const char *flags; // FullSet, Car, Loco, Track, Accessory
    const char *const *types;
    int typeCount;
};

} // namespace

QString databasePath(const QString &folder) {
    return folder + QStringLiteral("/zerizori/rails.trk");
}

void startLikeProgram() {
    platform::shareOneHeap();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

sqlite3 *createFromSchema(const QString &path) {
    QFile schemaFile(QStringLiteral(QUILLON_SCHEMA_FILE));
    if (!schemaFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "schema not found\n");
        std::exit(1);
    }
    const QByteArray schema = schemaFile.readAll();
    QDir().mkpath(QFileInfo(path).path());
    QFile::remove(path);
    sqlite3 *db = nullptr;
    check(sqlite3_open(QFile::encodeName(path).constData(), &db), db, "open");
    check(sqlite3_exec(db, schema.constData(), nullptr, nullptr, nullptr), db, "schema");
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    return db;
}

void buildCollection(const QString &folder, int perKind) {
    sqlite3 *db = createFromSchema(databasePath(folder));

    const Kind kinds[] = {
        {"CL-", "CarNumber", "'NO','YES','NO','NO','NO'", kCarTypes, int(std::size(kCarTypes))},
        {"LL-", "CarNumber", "'NO','NO','YES','NO','NO'", kLocoTypes, int(std::size(kLocoTypes))},
        {"SL-", "SetNumber", "'YES','NO','NO','NO','NO'", kSetTypes, int(std::size(kSetTypes))},
    };
    sqlite3_stmt *insert[3] = {};
    for (int k = 0; k < 3; ++k) {
        const QByteArray sql =
            QByteArray("INSERT INTO tblMain (ItemID, Manufacturer, RailLine, CarType, ") +
            kinds[k].numberColumn +
            ", Gauge, Curve, CarColor, AccquiredFrom, OriginalCost, CurrentValue, "
            "DateAccquired, DateAdd, FullSet, Car, Loco, Track, Accessory, Condition, Box, "
            "Notes) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?," +
            kinds[k].flags + ",?,?,?)";
        check(sqlite3_prepare_v2(db, sql.constData(), -1, &insert[k], nullptr), db, "prepare");
    }
    QRandomGenerator g(20070816);
    for (int i = 1; i <= perKind; ++i) {
        for (int k = 0; k < 3; ++k) {
            sqlite3_stmt *st = insert[k];
            const QByteArray id = kinds[k].prefix + QByteArray::number(i);
            const QByteArray number = QByteArray::number(g.bounded(100, 99999));
            const QDate acquired = QDate(1985, 1, 1).addDays(g.bounded(14000));
            const QByteArray date = acquired.toString(Qt::ISODate).toUtf8();
            const QByteArray added = date + " 20:15:00";
            const double cost = g.bounded(5000000) / 100.0 + 5;
            const double value = cost * (0.5 + g.bounded(200) / 100.0);
            int col = 1;
            auto text = [&](const char *t) {
                sqlite3_bind_text(st, col++, t, -1, SQLITE_TRANSIENT);
            };
            text(id.constData());
            text(pick(g, kMakers));
            text(pick(g, kLines));
            text(kinds[k].types[g.bounded(kinds[k].typeCount)]);
            text(number.constData());
            text(pick(g, kGauges));
            text(pick(g, kCurves));
            text(pick(g, kColours));
            text(pick(g, kSources));
            sqlite3_bind_double(st, col++, cost);
            sqlite3_bind_double(st, col++, value);
            text(date.constData());
            text(added.constData());
            text(pick(g, kConditions));
            text(g.bounded(2) ? "YES" : "NO");
            text(pick(g, kNotes));
            check(sqlite3_step(st), db, "insert");
            sqlite3_reset(st);
        }
    }
    for (sqlite3_stmt *st : insert)
        sqlite3_finalize(st);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

qint64 applyAdditions(const QString &folder) {
    const QString path = databasePath(folder);
    const qint64 before = QFileInfo(path).size();
    engine::Connection c;
    c.ConnectionString = QStringLiteral("Provider=SQLite;Data Source=%1;").arg(path);
    c.Open();
    rails::applySchemaAdditions(c);
    c.Close();
    return QFileInfo(path).size() - before;
}

sqlite3 *openAsStore(const QString &path) {
    sqlite3 *db = nullptr;
    check(sqlite3_open_v2(path.toUtf8().constData(), &db,
                          SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr),
          db, "open");
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 2000);
    return db;
}

std::int64_t stepAll(const QString &path, const char *sql, std::int64_t *bytes) {
    sqlite3 *db = openAsStore(path);
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt *st = nullptr;
    check(sqlite3_prepare_v2(db, sql, -1, &st, nullptr), db, "prepare");
    const int n = sqlite3_column_count(st);
    std::int64_t rows = 0, total = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ++rows;
        for (int i = 0; i < n; ++i) {
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_NULL:
                break;
            case SQLITE_INTEGER:
                total += sqlite3_column_int64(st, i) & 1;
                break;
            case SQLITE_FLOAT:
                total += sqlite3_column_double(st, i) > 0;
                break;
            case SQLITE_BLOB:
                total += sqlite3_column_blob(st, i) != nullptr;
                total += sqlite3_column_bytes(st, i);
                break;
            default:
                total += sqlite3_column_text(st, i) != nullptr;
                total += sqlite3_column_bytes(st, i);
            }
        }
    }
    check(rc, db, "step");
    sqlite3_finalize(st);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close_v2(db);
    if (bytes)
        *bytes += total;
    return rows;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double ms(const QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e6;
}
double seconds(const QElapsedTimer &t) {
    return double(t.nsecsElapsed()) / 1e9;
}

std::string sizeLabel(int n) {
    return n % 1000 == 0 ? std::to_string(n / 1000) + "k" : std::to_string(n);
}

namespace {
double statusMiB(const char *key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray k(key);
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(k))
            return line.mid(k.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}
} // namespace

double residentMiB() {
    return statusMiB("VmRSS:");
}
double peakResidentMiB() {
    return statusMiB("VmHWM:");
}

void figure(const char *name, double value, const char *unit) {
    std::printf("figure %s %.2f %s\n", name, value, unit);
    std::fflush(stdout);
}

void figureRuns(const char *name, const std::vector<double> &runs, const char *unit) {
    if (runs.empty())
        return;
    const std::string base(name);
    const auto [least, most] = std::minmax_element(runs.begin(), runs.end());
    figure(name, median(runs), unit);
    figure((base + "_min").c_str(), *least, unit);
    figure((base + "_max").c_str(), *most, unit);
}

} // namespace bench

#pragma once
// The benchmarks' collections and floors: a program folder whose database holds N cars, N
// locomotives and N full sets with the lengths of text collectors type, and the SQLite C API
// doing a statement's work at its floor, opened the way the store opens its file.
#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;

namespace bench {

// Before the application object: the heap set up as the program sets it up, and the offscreen
// platform unless another is named.
void startLikeProgram();

// A new collection file at `path` holding the schema's empty tables, with a transaction open
// for the rows to come. Ends the process on failure.
sqlite3 *createFromSchema(const QString &path);
// Lays out `folder`/zerizori/rails.trk holding `perKind` items of each of the three kinds,
// added in turn (car, locomotive, set) as a collection grows. Ends the process on failure.
void buildCollection(const QString &folder, int perKind);
QString databasePath(const QString &folder);
// Adds what this build adds to every collection file (rails/SchemaAdditions.cpp), as start-up
// does; returns the file's growth in bytes.
qint64 applyAdditions(const QString &folder);

// Opens the file as the store's connection does (read-write, no per-call mutex, the same
// busy wait); the caller closes it with sqlite3_close_v2.
sqlite3 *openAsStore(const QString &path);

// What a statement's values cost at the floor: the statement run in a transaction on a fresh
// connection, every value of every row read through the C API. Returns the rows read and adds
// the bytes of every value to `bytes`.
std::int64_t stepAll(const QString &path, const char *sql, std::int64_t *bytes = nullptr);

double median(std::vector<double> v);
// The time since `t` started.
double ms(const QElapsedTimer &t);
double seconds(const QElapsedTimer &t);
// How a collection of `n` items of each kind is named in a figure: "1k", "10k", "100k"; a
// size that is not whole thousands by its number.
std::string sizeLabel(int n);
// The process's resident memory now and at its peak so far (VmRSS, VmHWM), in MiB.
double residentMiB();
double peakResidentMiB();

// The machine-readable line every benchmark ends with.
void figure(const char *name, double value, const char *unit);
// The median of the runs as `<name>`, then their least and greatest as `<name>_min` and
// `<name>_max`.
void figureRuns(const char *name, const std::vector<double> &runs, const char *unit);

} // namespace bench

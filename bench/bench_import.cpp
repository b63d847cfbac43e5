// Reading a collector's sheet: the preview of a 100,000-row sheet (German formats, semicolons,
// collectors' headers) against the floor of reading the same file line by line and splitting
// it; and the peak memory of checking and importing 1,000,000 rows, above the process's idle.
// Usage: bench_import [rows-for-memory] (default 1000000).
#include "bench/BenchData.h"
#include "rails/exchange/ItemExchange.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sqlite3.h>

namespace {

// A sheet as a collector keeps it: some cells blank, amounts and dates in German form.
void writeSheet(const QString &path, int rows) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        std::exit(1);
    QByteArray chunk = "Hersteller;Bahn;Typ;Road No.;Spur;Farbe;Gekauft bei;Preis;Wert;"
                       "Kaufdatum;Zustand;OVP;Cat. No.;Notes\r\n";
    const char *makers[] = {"M\xC3\xA4rklin", "Roco", "Fleischmann", "Piko", "Lionel"};
    const char *gauges[] = {"H0", "N", "ho gauge", "Z", "On30"};
    for (int i = 0; i < rows; ++i) {
        chunk += QByteArray(makers[i % 5]) + ";DB;G\xC3\xBCterwagen;" + QByteArray::number(i) +
                 ";" + gauges[i % 5] + ";rot;" + (i % 3 ? "Messe" : "") + ";" +
                 QByteArray::number(1000 + i % 900) + ",50 \xE2\x82\xAC;" + (i % 4 ? "12,00" : "") +
                 ";" + QByteArray::number(1 + i % 28) + "." + QByteArray::number(1 + i % 12) +
                 ".9" + QByteArray::number(i % 10) + ";gut;" + (i % 2 ? "Ja" : "Nein") + ";4711-" +
                 QByteArray::number(i) + ";\"gekauft mit \"\"Zubeh\xC3\xB6r\"\"\"\r\n";
        if (chunk.size() > (1 << 20)) {
            f.write(chunk);
            chunk.clear();
        }
    }
    f.write(chunk);
}

double ms(QElapsedTimer &t) {
    return t.nsecsElapsed() / 1e6;
}

double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The runs' wall-clock times, and the processor time this thread spent in them as
// `<name>_cpu`: on a machine others share, the second shows what the work itself costs.
void timed(const char *name, int runs, const std::function<void()> &work) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        const double c = cpuMs();
        t.start();
        work();
        wall.push_back(ms(t));
        cpu.push_back(cpuMs() - c);
    }
    bench::figureRuns(name, wall, "ms");
    bench::figureRuns((std::string(name) + "_cpu").c_str(), cpu, "ms");
}

exchange::ImportOptions sheetOptions() {
    exchange::ImportOptions o;
    o.kind = ItemKind::Car;
    o.today = QDate(2026, 12, 9);
    o.choices.makers = {"Marklin", "Lionel", "Other"};
    o.choices.gauges = {"HO Gauge", "N Gauge", "Z Guage", "Other"};
    return o;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int memoryRows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir dir;
    const QString sheet = dir.path() + "/sheet.csv";
    const QString db = dir.path() + "/rails.trk";
    writeSheet(sheet, 100000);
    bench::buildCollection(dir.path(), 0);
    const QString collection = bench::databasePath(dir.path());

    // The floor: the same bytes read, decoded and split into fields, nothing checked.
    qint64 fields = 0;
    timed("sheet_read_split_floor_100k", 5, [&] {
        QFile f(sheet);
        f.open(QIODevice::ReadOnly);
        QTextStream in(&f);
        QString line;
        while (in.readLineInto(&line))
            fields += line.split(QLatin1Char(';')).size();
    });
    exchange::ImportPlan plan;
    timed("sheet_preview_100k", 5,
          [&] { plan = exchange::planImport(sheet, sheetOptions(), collection); });
    if (plan.toWrite() != 100000) {
        std::fprintf(stderr, "unexpected preview: %lld to write, %lld refused\n",
                     qlonglong(plan.toWrite()), qlonglong(plan.refused));
        return 1;
    }

    // Peak memory of a whole import of many rows, above what the process holds idle.
    writeSheet(sheet, memoryRows);
    QFile::remove(collection);
    bench::buildCollection(dir.path(), 0);
    const double idle = bench::residentMiB();
    QFile reset("/proc/self/clear_refs");
    if (reset.open(QIODevice::WriteOnly))
        reset.write("5"); // the peak starts again from now
    reset.close();
    QElapsedTimer t;
    t.start();
    const exchange::ImportPlan big = exchange::planImport(sheet, sheetOptions(), collection);
    const qint64 written = exchange::importItems(collection, big);
    const double took = ms(t);
    if (written != memoryRows) {
        std::fprintf(stderr, "wrote %lld of %d rows\n", qlonglong(written), memoryRows);
        return 1;
    }
    std::printf("%d rows checked and imported in %.0f ms; %lld fields at the floor\n", memoryRows,
                took, qlonglong(fields));
    bench::figure("sheet_import_1m_peak_above_idle", bench::peakResidentMiB() - idle, "MiB");
    return 0;
}

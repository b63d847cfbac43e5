// Report output speed and memory: for 100, 1,000 and 10,000 rolling-stock items, the time to
// fetch the rows, open the report with its first page drawn, and write the whole report as a
// PDF, with the process's peak resident memory. Each size runs in a process of its own so the
// peak belongs to that size alone.
//
//   bench_reports            runs the three sizes and prints a table
//   bench_reports N          measures one size
#include "trains/modGlobal.h"
#include "trains/reports/CollectionReport.h"
#include "trains/reports/ReportPreview.h"
#include "trains/reports/dataReport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

long peakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

bool makeDatabase(const QString& folder, int items) {
    QDir(folder).mkpath(QStringLiteral("zerizori"));
    QFile schema(QStringLiteral(QUILLON_SCHEMA_FILE));
    if (!schema.open(QIODevice::ReadOnly))
        return false;
    sqlite3* db = nullptr;
    const QByteArray path = (folder + QStringLiteral("/zerizori/rails.trk")).toUtf8();
    if (sqlite3_open(path.constData(), &db) != SQLITE_OK)
        return false;
    bool ok =
        sqlite3_exec(db, schema.readAll().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    ok = ok && sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* st = nullptr;
    ok = ok && sqlite3_prepare_v2(db,
                                  "INSERT INTO tblMain (ItemID, Manufacturer, RailLine, CarType, "
                                  "CarNumber, Gauge, Curve, CarColor, AccquiredFrom, OriginalCost, "
                                  "CurrentValue, DateAccquired, Car, Loco, FullSet, Track, "
                                  "Accessory, Condition, Box, Notes) VALUES (?, 'Lionel', "
                                  "'Atchison, Topeka and Santa Fe', ?, ?, 'O', '031', 'Red', "
                                  "'Train show', ?, ?, '2007-08-16', 'YES', 'NO', 'NO', 'NO', "
                                  "'NO', 'Excellent', 'YES', 'Bought at the spring show')",
                                  -1, &st, nullptr) == SQLITE_OK;
    static const char* types[] = {"Boxcar", "Caboose", "Flatcar", "Hopper", "Tanker", "Gondola"};
    for (int i = 1; ok && i <= items; ++i) {
        const QByteArray id = "CL-" + QByteArray::number(i);
        const QByteArray number = QByteArray::number(10000 + i);
        sqlite3_bind_text(st, 1, id.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, types[i % 6], -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 3, number.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 4, 25.5 + i % 300);
        sqlite3_bind_double(st, 5, 1234.5 + i % 70);
        ok = sqlite3_step(st) == SQLITE_DONE;
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

int measure(int items) {
    QTemporaryDir dir;
    if (!dir.isValid() || !makeDatabase(dir.path(), items)) {
        std::fprintf(stderr, "cannot build the database\n");
        return 1;
    }
    SetProgramFolder(dir.path());
    QDir::setCurrent(dir.path());
    strOwnerName = QStringLiteral("Ann O'Neil");
    const long baseKiB = peakKiB();

    QElapsedTimer t;
    t.start();
    dataReport().cmdCars();
    const double fetchMs = t.nsecsElapsed() / 1e6;

    t.restart();
    reports::rptCar report;
    report.resize(1000, 700);
    report.grab(); // the preview as first shown: page 1 drawn
    const double openMs = t.nsecsElapsed() / 1e6;
    const int drawn = report.pageView()->pagesDrawn();

    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    t.restart();
    const bool saved = report.saveAsPdf(pdf);
    const double pdfMs = t.nsecsElapsed() / 1e6;
    if (!saved)
        return 1;
    std::printf("%d\t%d\t%.1f\t%.1f\t%d\t%.0f\t%.1f\t%ld\t%ld\n", items, report.pageCount(),
                fetchMs, openMs, drawn, pdfMs, QFileInfo(pdf).size() / 1048576.0, baseKiB / 1024,
                peakKiB() / 1024);
    ReleaseDataReport();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc > 1)
        return measure(std::atoi(argv[1]));

    std::printf("items\tpages\tfetch ms\topen+page1 ms\tpages drawn\tPDF ms\tPDF MiB\t"
                "peak MiB before\tpeak MiB after\n");
    std::fflush(stdout);
    for (int items : {100, 1000, 10000}) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        p.start(QCoreApplication::applicationFilePath(), {QString::number(items)});
        if (!p.waitForFinished(-1) || p.exitCode() != 0)
            return 1;
    }
    return 0;
}

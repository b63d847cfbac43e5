// Report output at collection size, as the user waits for it: a database of N cars, N
// locomotives and N full sets (N = 100,000 unless named), the Rolling Stock report's fetch, its
// preview's first page, and its whole PDF written the way Save as PDF writes it (on the
// report's own thread, the window's event loop running). Beside it:
//
//   - the floor: a bare QPdfWriter in the same process drawing the same pages (the same text,
//     formatted beforehand, at the same places, with the same rules), nothing else;
//   - the largest gap between ticks of a 10 ms timer in the window's thread while the PDF is
//     written (how long the window cannot repaint or answer);
//   - start-up's check of the collection file (quick_check and the table check) on the same
//     database.
//
//   bench_reports            N = 100,000
//   bench_reports N          any size
#include "bench/BenchData.h"
#include "trains/modGlobal.h"
#include "trains/reports/BandedRenderer.h"
#include "trains/reports/CollectionReport.h"
#include "trains/reports/ReportPreview.h"
#include "trains/reports/ReportWriter.h"
#include "trains/reports/dataReport.h"
#include "trains/shell/CollectionCheck.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sqlite3.h>
#include <sys/resource.h>
#include <vector>

namespace {

const char *const kMakers[] = {"Lionel",  "Bachmann",
                               "Athearn", "Walthers",
                               "Atlas",   "MTH Electric Trains",
                               "Kato",    "Broadway Limited Imports"};
const char *const kLines[] = {"Santa Fe",
                              "Union Pacific",
                              "Pennsylvania Railroad",
                              "Atchison, Topeka and Santa Fe Railway",
                              "Chicago, Burlington and Quincy",
                              "New York Central",
                              "Denver and Rio Grande Western Railroad"};
const char *const kTypes[] = {"Boxcar", "Caboose", "Flatcar", "Hopper",
                              "Tanker", "Gondola", "Reefer",  "Passenger Coach"};
const char *const kPowers[] = {"Diesel", "Steam", "Electric"};
const char *const kColors[] = {"Red", "Pullman Green", "Black", "Tuscan Red", "Silver/Blue"};
const char *const kGauges[] = {"O", "HO", "N", "S", "G"};
const char *const kConditions[] = {"Excellent", "Very Good", "Good", "Fair", "Mint"};
const char *const kFlags[3][3] = {{"YES", "NO", "NO"}, {"NO", "YES", "NO"}, {"NO", "NO", "YES"}};
const char *const kPrefixes[] = {"CL-", "LL-", "SL-"};

// Item `id` of `kind` (0 car, 1 locomotive, 2 set) bound to the insert and stored.
bool insertItem(sqlite3_stmt *st, int id, int kind) {
    const QByteArray itemId = kPrefixes[kind] + QByteArray::number(id);
    const QByteArray number = QByteArray::number(1000 + id % 90000);
    const QByteArray notes = "Bought at the " + QByteArray::number(2000 + id % 25) +
                             " spring meet; runs well, " + QByteArray(id % 60, 'x') +
                             " original box";
    const double cost = id % 97 == 0 ? 12345.67 : 5.25 + (id * 37) % 900;
    const double value = id % 331 == 0 ? 1234567.89 : cost * 1.4;
    const QByteArray date = QByteArray("20") + QByteArray::number(10 + id % 15) + "-0" +
                            QByteArray::number(1 + id % 9) + "-1" + QByteArray::number(id % 9);
    int c = 1;
    const auto text = [&](const char *t) { sqlite3_bind_text(st, c++, t, -1, SQLITE_TRANSIENT); };
    text(itemId.constData());
    text(kMakers[id % 8]);
    text(kLines[id % 7]);
    text(kind == 0 ? kTypes[id % 8] : kPowers[id % 3]);
    text(number.constData());
    text(kind == 2 ? number.constData() : "");
    text(kGauges[id % 5]);
    text("O-31");
    text(kColors[id % 5]);
    text("Train show");
    sqlite3_bind_double(st, c++, cost);
    sqlite3_bind_double(st, c++, value);
    text(date.constData());
    text("2024-01-01 10:00:00");
    text(kFlags[kind][0]);
    text(kFlags[kind][1]);
    text(kFlags[kind][2]);
    text(kConditions[id % 5]);
    text(id % 2 ? "YES" : "NO");
    text(notes.constData());
    const bool ok = sqlite3_step(st) == SQLITE_DONE;
    sqlite3_reset(st);
    return ok;
}

// Texts of the lengths collectors type, rail lines long enough that some are cut in the report,
// and amounts from a few dollars to a few million.
bool makeDatabase(const QString &folder, int n) {
    sqlite3 *db = bench::createFromSchema(bench::databasePath(folder));
    sqlite3_stmt *st = nullptr;
    bool ok = sqlite3_prepare_v2(
                  db,
                  "INSERT INTO tblMain (ItemID, Manufacturer, RailLine, CarType, CarNumber, "
                  "SetNumber, Gauge, Curve, CarColor, AccquiredFrom, OriginalCost, CurrentValue, "
                  "DateAccquired, DateAdd, Car, Loco, FullSet, Track, Accessory, Condition, Box, "
                  "Notes) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,'NO','NO',?,?,?)",
                  -1, &st, nullptr) == SQLITE_OK;
    int id = 0;
    for (int i = 0; ok && i < n; ++i)
        for (int kind = 0; ok && kind < 3; ++kind)
            ok = insertItem(st, ++id, kind);
    sqlite3_finalize(st);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// The floor: the same pages drawn straight onto a QPdfWriter. The texts are formatted before
// the clock starts, each is drawn at its box's left edge with one font set per band, and the
// rules are the same lines: everything the renderer adds (formatting, fitting, aligning) is
// left out.
struct FloorPages {
    reports::ReportLayout layout;
    std::vector<std::pair<qsizetype, qsizetype>> ranges;
    std::vector<QString> cells; // row-major, one per detail field
    int fieldsPerRow = 0;
    int pages = 0;
};

FloorPages prepareFloor(const reports::CollectionReport &report,
                        const std::shared_ptr<engine::Recordset> &rows) {
    FloorPages f;
    f.layout = report.renderer().layout();
    reports::BandedRenderer r(f.layout, rows, QStringLiteral("3/14/2026"));
    r.setPageSize(reports::BandedRenderer::defaultPageSize(f.layout.landscape));
    f.pages = r.pageCount();
    for (int p = 0; p < f.pages; ++p)
        f.ranges.push_back(r.rowRange(p));
    std::vector<std::pair<int, QString>> fields;
    for (const auto &c : f.layout.detail.controls)
        if (c.kind == reports::ReportControl::Kind::Field)
            fields.emplace_back(rows->fieldIndex(c.field), c.format);
    f.fieldsPerRow = int(fields.size());
    f.cells.reserve(std::size_t(rows->RecordCount()) * fields.size());
    for (qsizetype i = 0; i < rows->RecordCount(); ++i) {
        rows->moveTo(i);
        for (const auto &[column, format] : fields)
            f.cells.push_back(reports::formatField(rows->Fields(column), format));
    }
    return f;
}

QFont fontOf(const reports::TextStyle &s) {
    QFont f(s.family);
    f.setPixelSize(qRound(s.points * reports::kTwipsPerPoint));
    f.setBold(s.bold);
    return f;
}

bool writeFloor(const FloorPages &f, const QString &path) {
    QPdfWriter pdf(path);
    pdf.setPageLayout(reports::BandedRenderer::paperLayout(f.layout.landscape));
    QPainter p;
    if (!p.begin(&pdf))
        return false;
    const double scale = pdf.logicalDpiX() / double(reports::kTwipsPerInch);
    p.scale(scale, scale);
    p.setPen(QPen(Qt::black, 15));
    const QSize paper = reports::BandedRenderer::defaultPageSize(f.layout.landscape);
    const auto band = [&](const reports::ReportBand &b, int top, const QString *cells, int page) {
        bool fontSet = false;
        int field = 0;
        for (const auto &c : b.controls) {
            const QRect r = c.rect.translated(f.layout.leftMargin, top);
            if (c.kind == reports::ReportControl::Kind::Line) {
                p.drawLine(r.left(), r.top(), r.left() + c.rect.width(), r.top() + c.rect.height());
                continue;
            }
            QString text;
            if (c.kind == reports::ReportControl::Kind::Field)
                text = cells ? cells[field++] : QString();
            else if (c.text == QLatin1String("%i"))
                text = f.layout.title;
            else if (c.text == QLatin1String("%p"))
                text = QString::number(page + 1);
            else if (c.text == QLatin1String("%P"))
                text = QString::number(f.pages);
            else if (c.text == QLatin1String("%d"))
                text = QStringLiteral("3/14/2026");
            else
                text = c.text;
            if (!fontSet || c.style.bold) {
                p.setFont(fontOf(c.style));
                fontSet = !c.style.bold;
            }
            p.drawText(QPointF(r.left(), r.top() + 150), text);
        }
    };
    for (int page = 0; page < f.pages; ++page) {
        if (page > 0 && !pdf.newPage())
            return false;
        int y = f.layout.topMargin;
        band(f.layout.pageHeader, y, nullptr, page);
        y += f.layout.pageHeader.height;
        const auto [first, count] = f.ranges[std::size_t(page)];
        for (qsizetype row = first; row < first + count; ++row) {
            band(f.layout.detail, y, &f.cells[std::size_t(row) * std::size_t(f.fieldsPerRow)],
                 page);
            y += f.layout.detail.height;
        }
        band(f.layout.pageFooter,
             paper.height() - f.layout.bottomMargin - f.layout.pageFooter.height, nullptr, page);
    }
    return p.end();
}

// CPU seconds of the whole process: on a machine shared with other work the wall clock tells
// more about the neighbours than about the PDF.
double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The start-up check, on a file read once already (as after a recent use): best of three;
// a negative time when the file is not sound.
double checkMs(const QString &db) {
    double best = 1e12;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        const auto r = CheckCollectionFile(db);
        best = std::min(best, bench::ms(t));
        if (r.state != CollectionState::Sound)
            return -1;
    }
    return best;
}

// Floor and program in turn, five times each: wall and CPU time of every run, the longest the
// window's thread went without a tick of its 10 ms timer, and the longest start of a run.
struct PdfRuns {
    std::vector<double> floor, ours, floorCpu, ourCpu;
    double worstStallMs = 0;
    double startMs = 0; // what starting the run costs the window (the copy of the rows)
};

// The report's PDF written as Save as PDF writes it, from the event loop as a click starts it;
// false when it failed.
bool writeOurs(reports::rptCar &report, const QString &path, PdfRuns &runs) {
    QElapsedTimer t, tick;
    double stallMs = 0;
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        stallMs = std::max(stallMs, bench::ms(tick));
        tick.restart();
        // The window repaints now and then while it writes, as it does under a user.
        if (++ticks % 10 == 0)
            report.pageView()->update();
    });
    bool ok = false;
    QEventLoop loop;
    // The copy of the rows the writer takes counts as a stall.
    QTimer::singleShot(0, &report, [&] {
        t.restart();
        report.startPdf(path);
        runs.startMs = std::max(runs.startMs, bench::ms(t));
        QObject::connect(report.output(), &reports::ReportWriter::finished, &loop, [&](bool done) {
            ok = done;
            loop.quit();
        });
    });
    tick.start();
    ticker.start();
    const double cpu = cpuSeconds();
    loop.exec();
    ticker.stop();
    runs.ours.push_back(bench::seconds(t));
    runs.ourCpu.push_back(cpuSeconds() - cpu);
    runs.worstStallMs = std::max(runs.worstStallMs, stallMs);
    return ok;
}

bool runPdfs(reports::rptCar &report, const FloorPages &floor, const QString &floorPdf,
             const QString &ourPdf, PdfRuns &runs) {
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer t;
        t.start();
        const double cpu = cpuSeconds();
        if (!writeFloor(floor, floorPdf))
            return false;
        runs.floor.push_back(bench::seconds(t));
        runs.floorCpu.push_back(cpuSeconds() - cpu);
        if (!writeOurs(report, ourPdf, runs))
            return false;
    }
    return true;
}

int measure(int n) {
    QTemporaryDir dir;
    QElapsedTimer t;
    t.start();
    if (!dir.isValid() || !makeDatabase(dir.path(), n)) {
        std::fprintf(stderr, "cannot build the database\n");
        return 1;
    }
    const QString db = dir.filePath(QStringLiteral("zerizori/rails.trk"));
    std::printf("database: %d items of each kind, %.1f MiB, built in %.1f s\n", n,
                QFileInfo(db).size() / 1048576.0, bench::seconds(t));
    SetProgramFolder(dir.path());
    QDir::setCurrent(dir.path());
    strOwnerName = QStringLiteral("Ann O'Neil");

    const double check = checkMs(db);
    if (check < 0)
        return 1;
    t.restart();
    dataReport().cmdCars();
    const double fetchMs = bench::ms(t);

    t.restart();
    reports::rptCar report;
    report.resize(1000, 700);
    report.show();
    report.grab(); // the preview as first shown: page 1 drawn
    const double openMs = bench::ms(t);

    const FloorPages floor = prepareFloor(report, dataReport().rscmdCars);
    const QString floorPdf = dir.filePath(QStringLiteral("floor.pdf"));
    const QString ourPdf = dir.filePath(QStringLiteral("report.pdf"));
    PdfRuns runs;
    if (!runPdfs(report, floor, floorPdf, ourPdf, runs))
        return 1;

    const double floorS = bench::median(runs.floor), ourS = bench::median(runs.ours);
    const double floorCpu = bench::median(runs.floorCpu), ourCpu = bench::median(runs.ourCpu);
    std::printf("\nitems\tpages\tcheck ms\tfetch ms\topen+page1 ms\tPDF s\tfloor s\tratio\t"
                "PDF cpu s\tfloor cpu s\tcpu ratio\tmax stall ms\tPDF MiB\tfloor MiB\n");
    std::printf("%d\t%d\t%.0f\t%.0f\t%.0f\t%.2f\t%.2f\t%.2f\t%.2f\t%.2f\t%.2f\t%.0f\t%.1f\t%.1f\n",
                n, report.pageCount(), check, fetchMs, openMs, ourS, floorS, ourS / floorS, ourCpu,
                floorCpu, ourCpu / floorCpu, runs.worstStallMs,
                QFileInfo(ourPdf).size() / 1048576.0, QFileInfo(floorPdf).size() / 1048576.0);
    const QString k = QString::fromStdString(bench::sizeLabel(n));
    const auto figure = [&](const char *before, const char *after, double v, const char *unit) {
        std::printf("figure %s%s%s %.3g %s\n", before, qPrintable(k), after, v, unit);
    };
    figure("startup_check_", "_ms", check, "ms");
    figure("report_fetch_", "_ms", fetchMs, "ms");
    figure("report_preview_first_page_", "_ms", openMs, "ms");
    bench::figureRuns(("report_pdf_" + k.toStdString() + "_s").c_str(), runs.ours, "s");
    bench::figureRuns(("report_pdf_floor_" + k.toStdString() + "_s").c_str(), runs.floor, "s");
    figure("report_pdf_", "_ratio", ourS / floorS, "x");
    figure("report_pdf_", "_cpu_ratio", ourCpu / floorCpu, "x");
    std::printf("figure report_pdf_max_stall_ms %.3g ms\n", runs.worstStallMs);
    std::printf("figure report_pdf_start_ms %.3g ms\n", runs.startMs);
    ReleaseDataReport();
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    bench::startLikeProgram();
    QApplication app(argc, argv);
    return measure(argc > 1 ? std::atoi(argv[1]) : 100000);
}

// Opening an edit or deletion form over a large collection, as the user waits for it: the menu
// command's record check, the store's listing, the list filled and the form's first paint.
// The floor is the same two statements run at SQLite's C API in the same process, every value
// read, on a connection opened the way the store opens it. Also: a header click's sort, and the
// program's memory with a list shown (measured in a fresh child process). Run by hand
// (bench/README.md).
#include "BenchData.h"

#include "trains/delete/DeleteForms.h"
#include "trains/items/EditForms.h"
#include "trains/modGlobal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <string>
#include <vector>

namespace {

const char *kPresence = "SELECT ItemID FROM tblMain WHERE Car = 'YES';";
const char *kListing = "SELECT * FROM tblMain WHERE Car = 'YES' ORDER BY ItemID;";

using bench::ms;

// The menu command's record check, as the main window runs it before it opens the form.
void recordCheck() {
    auto rs = Rails().RefreshCars();
    if (!rs || (rs->isEOF() && rs->isBOF())) {
        std::fprintf(stderr, "record check found nothing\n");
        std::exit(1);
    }
}

// Record check, form construction (store listing and list fill) and the first paint.
template <typename Form> double openForm(int expectRows, Form **keep = nullptr) {
    QElapsedTimer t;
    t.start();
    recordCheck();
    auto *form = new Form;
    form->show();
    const QPixmap painted = form->grab();
    const double took = ms(t);
    if (painted.isNull() || form->list()->listModel()->rowCount() != expectRows) {
        std::fprintf(stderr, "listed %d of %d\n", form->list()->listModel()->rowCount(),
                     expectRows);
        std::exit(1);
    }
    if (keep)
        *keep = form;
    else
        delete form;
    return took;
}

// Child process: idle memory of a running program with its window painted, then the peak and
// the resident size with the deletion form's list shown and sorted once.
int measureMemory(const QString &folder, int rows) {
    SetProgramFolder(folder);
    NewRails();
    QWidget window;
    window.resize(1024, 768);
    window.show();
    (void)window.grab();
    QCoreApplication::processEvents();
    const double idle = bench::residentMiB();
    frmDeletecar *form = nullptr;
    openForm<frmDeletecar>(rows, &form);
    QCoreApplication::processEvents();
    const double openPeak = bench::peakResidentMiB();
    const double shown = bench::residentMiB();
    form->list()->sortByHeader(9);
    (void)form->grab();
    const double sortPeak = bench::peakResidentMiB();
    delete form;
    QCoreApplication::processEvents();
    malloc_trim(0);
    std::printf("%.2f %.2f %.2f %.2f %.2f\n", idle, openPeak, shown, sortPeak,
                bench::residentMiB());
    return 0;
}

// The forms opened over `n` items of each kind against the floor, the store's listing and two
// header clicks; prints the row of the table and the figures.
void measureForms(const QString &db, int n) {
    std::vector<double> floor, del, edit, load, loadFloor, sortCost, sortMaker;
    openForm<frmDeletecar>(n); // both sides read a warm file
    // Small collections open in milliseconds, where a neighbour's work moves one run by
    // half: they get more runs for a steady median.
    const int runs = n <= 10000 ? 15 : 5;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer t;
        t.start();
        bench::stepAll(db, kPresence);
        const double presence = ms(t);
        t.restart();
        bench::stepAll(db, kListing);
        loadFloor.push_back(ms(t));
        floor.push_back(presence + loadFloor.back());

        frmDeletecar *form = nullptr;
        del.push_back(openForm<frmDeletecar>(n, &form));
        t.restart();
        form->list()->sortByHeader(9);
        sortCost.push_back(ms(t));
        t.restart();
        form->list()->sortByHeader(1);
        sortMaker.push_back(ms(t));
        delete form;

        edit.push_back(openForm<frmEditCar>(n));

        t.restart();
        auto rs = Rails().LoadDeleteCar();
        load.push_back(ms(t));
    }
    const double f = bench::median(floor), d = bench::median(del), e = bench::median(edit);
    std::printf("%8d %9.1f %9.1f %9.1f %7.2f %7.2f %9.1f %9.1f %9.1f %9.1f\n", n, f, d, e, d / f,
                e / f, bench::median(load), bench::median(loadFloor), bench::median(sortCost),
                bench::median(sortMaker));
    std::fflush(stdout);
    const std::string k = bench::sizeLabel(n);
    auto fig = [&](const std::string &name, double v, const char *unit) {
        bench::figure((name + "_" + k + (std::string(unit) == "x" ? "_ratio" : "")).c_str(), v,
                      unit);
    };
    auto runsFig = [&](const std::string &name, const std::vector<double> &v) {
        bench::figureRuns((name + "_" + k).c_str(), v, "ms");
    };
    runsFig("open_floor", floor);
    runsFig("deleteform_open", del);
    runsFig("editform_open", edit);
    fig("deleteform_open", d / f, "x");
    fig("editform_open", e / f, "x");
    runsFig("store_listing", load);
    fig("store_listing", bench::median(load) / bench::median(loadFloor), "x");
    fig("sort_cost", bench::median(sortCost), "ms");
    fig("sort_manufacturer", bench::median(sortMaker), "ms");
}

struct Memory {
    int n;
    double idle, openPeak, shown, sortPeak, after;
};

// The memory of a list shown, measured by this program run again as a fresh child process.
bool measureInChild(const QString &folder, Memory &m) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--memory"), folder, QString::number(m.n)});
    if (!child.waitForFinished(300000) || child.exitCode() != 0) {
        std::fprintf(stderr, "memory run failed: %s\n", child.readAllStandardError().constData());
        return false;
    }
    const QList<QByteArray> v = child.readAllStandardOutput().trimmed().split(' ');
    if (v.size() != 5)
        return false;
    m = {m.n, v[0].toDouble(), v[1].toDouble(), v[2].toDouble(), v[3].toDouble(), v[4].toDouble()};
    return true;
}

} // namespace

int main(int argc, char **argv) {
    bench::startLikeProgram(); // as the program starts
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--memory"))
        return measureMemory(args[2], args[3].toInt());

    std::vector<int> sizes;
    for (const QString &a : args.mid(1))
        if (a.toInt() > 0)
            sizes.push_back(a.toInt());
    if (sizes.empty())
        sizes = {1000, 10000, 100000};

    std::printf("%8s %9s %9s %9s %7s %7s %9s %9s %9s %9s\n", "per kind", "floor", "delete", "edit",
                "del x", "edit x", "load", "load flr", "sort Cost", "sort Mfr");
    std::printf("%8s %9s %9s %9s %7s %7s %9s %9s %9s %9s\n", "", "ms", "ms", "ms", "", "", "ms",
                "ms", "ms", "ms");
    std::vector<Memory> memory;
    for (int n : sizes) {
        QTemporaryDir dir;
        bench::buildCollection(dir.path(), n);
        bench::applyAdditions(dir.path());
        SetProgramFolder(dir.path());
        NewRails();
        measureForms(bench::databasePath(dir.path()), n);
        objRails.reset();
        SetProgramFolder(QString());
        Memory m{};
        m.n = n;
        if (!measureInChild(dir.path(), m))
            return 1;
        memory.push_back(m);
    }

    std::printf("\nmemory (MiB, one fresh process per size, deletion form)\n");
    std::printf("%8s %9s %9s %9s %9s %9s\n", "per kind", "idle", "open peak", "shown", "sort peak",
                "closed");
    for (const Memory &m : memory) {
        std::printf("%8d %9.1f %9.1f %9.1f %9.1f %9.1f\n", m.n, m.idle, m.openPeak, m.shown,
                    m.sortPeak, m.after);
        const std::string k = bench::sizeLabel(m.n);
        bench::figure(("list_idle_rss_" + k).c_str(), m.idle, "MiB");
        bench::figure(("list_peak_rss_" + k).c_str(), std::max(m.openPeak, m.sortPeak) - m.idle,
                      "MiB");
        bench::figure(("list_shown_rss_" + k).c_str(), m.shown - m.idle, "MiB");
        bench::figure(("list_closed_rss_" + k).c_str(), m.after - m.idle, "MiB");
    }
    return 0;
}

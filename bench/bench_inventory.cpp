// The collection inventory PDF at the size an insurer asks for: N items (1,000 unless named),
// one photo each (1600 x 1200 JPEG, as the photo import keeps them), written as Collection
// Inventory writes it: the cover with its totals, two items to a page. Beside it, the floor: a
// bare QPdfWriter in the same process drawing the same pages (the same texts, formatted
// beforehand, and every photo decoded from its bytes at the size it prints), nothing else.
// Each is run five times, in turn; the medians, the fastest and slowest runs, and the peak
// memory of the inventory's first run are printed.
//
//   bench_inventory          N = 1,000
//   bench_inventory N        any size
#include "bench/BenchData.h"
#include "trains/collection/CollectionData.h"
#include "trains/reports/InventoryReport.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

// A photo with the detail of a real one (edges, gradients), so JPEG has work to do.
QByteArray makePhoto(int seed) {
    QImage img(1600, 1200, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 1600, 1200);
    g.setColorAt(0, QColor::fromHsv(seed * 37 % 360, 120, 200));
    g.setColorAt(1, QColor::fromHsv(seed * 71 % 360, 200, 90));
    p.fillRect(img.rect(), g);
    for (int i = 0; i < 60; ++i) {
        p.setBrush(QColor::fromHsv((seed + i * 13) % 360, 180, 160 + i % 90));
        p.drawEllipse(QPoint((i * 277 + seed) % 1600, (i * 151) % 1200), 40 + i % 70, 30 + i % 50);
    }
    p.end();
    QByteArray out;
    QBuffer b(&out);
    b.open(QIODevice::WriteOnly);
    img.save(&b, "JPEG", 85);
    return out;
}

// One photo per item, straight into the photo table in one transaction.
void addPhotos(const QString &db, const std::vector<QByteArray> &photos) {
    collection::CollectionData data(db);
    data.ensureSchema();
    sqlite3 *h = bench::openAsStore(db);
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(h,
                       "INSERT INTO tblPhoto (ItemID, Seq, Image, Thumb, DateAdd) SELECT ItemID, "
                       "1, ?, ?, '2026-01-01 00:00:00' FROM tblMain WHERE ID = ?",
                       -1, &st, nullptr);
    const int n = int(photos.size());
    for (int id = 1; id <= n; ++id) {
        const QByteArray &img = photos[std::size_t(id - 1)];
        sqlite3_bind_blob(st, 1, img.constData(), int(img.size()), SQLITE_STATIC);
        sqlite3_bind_blob(st, 2, img.constData(), 64, SQLITE_STATIC);
        sqlite3_bind_int(st, 3, id);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close_v2(h);
}

// The photos as the SQLite C API hands them over, in item order.
std::vector<QByteArray> readPhotos(const QString &db) {
    std::vector<QByteArray> out;
    sqlite3 *h = bench::openAsStore(db);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(h, "SELECT Image FROM tblPhoto ORDER BY PhotoID", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        out.emplace_back(static_cast<const char *>(sqlite3_column_blob(st, 0)),
                         sqlite3_column_bytes(st, 0));
    sqlite3_finalize(st);
    sqlite3_close_v2(h);
    return out;
}

// The floor: the photos read from the file, then the same number of pages, each with two
// blocks of fifteen caption/value lines and one photo read at its printed size, on a bare
// QPdfWriter.
void floorPdf(const QString &path, const QString &db) {
    const std::vector<QByteArray> photos = readPhotos(db);
    QPdfWriter pdf(path);
    pdf.setResolution(300);
    pdf.setPageLayout(
        QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
    QPainter p(&pdf);
    QFont f(QStringLiteral("Sans Serif"));
    f.setPointSizeF(9);
    p.setFont(f);
    std::vector<QString> lines;
    for (int i = 0; i < 15; ++i)
        lines.push_back(QStringLiteral("Caption %1").arg(i));
    const QString value = QStringLiteral("Lionel Santa Fe 2343 $1,234.50");
    p.drawText(QRect(177, 177, 2000, 200), QStringLiteral("Collection Inventory"));
    for (std::size_t i = 0; i < photos.size(); ++i) {
        const int slot = int(i % 2);
        if (slot == 0)
            pdf.newPage();
        const int top = 177 + slot * 1500;
        p.drawText(QRect(177, top, 2000, 90), QStringLiteral("CL-%1 Rolling Stock").arg(i));
        for (int l = 0; l < 15; ++l) {
            p.drawText(QRect(177, top + 120 + l * 54, 400, 54), lines[std::size_t(l)]);
            p.drawText(QRect(577, top + 120 + l * 54, 500, 54), value);
        }
        QByteArray bytes = photos[i];
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        QSize size = reader.size();
        size.scale(QSize(1200, 1350), Qt::KeepAspectRatio);
        reader.setScaledSize(size);
        p.drawImage(QRect(QPoint(1300, top + 120), size), reader.read());
        p.drawText(QRect(177, 3200, 2000, 60), QStringLiteral("Page %1 of %2").arg(i / 2 + 2));
    }
    p.end();
}

struct Runs {
    std::vector<double> seconds;
    void print(const char *name) const {
        const auto [lo, hi] = std::minmax_element(seconds.begin(), seconds.end());
        bench::figure(name, bench::median(seconds), "s");
        bench::figure((std::string(name) + "_min").c_str(), *lo, "s");
        bench::figure((std::string(name) + "_max").c_str(), *hi, "s");
    }
};

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::max(2, std::atoi(argv[1])) : 1000;
    QTemporaryDir dir;
    const int perKind = (n + 2) / 3;
    bench::buildCollection(dir.path(), perKind);
    const QString db = bench::databasePath(dir.path());
    std::vector<QByteArray> photos;
    for (int i = 0; i < perKind * 3; ++i)
        photos.push_back(makePhoto(i % 40));
    addPhotos(db, photos);
    photos = {};
    std::printf("%d items with one photo each\n", perKind * 3);

    // Ours and the floor in turn, so that whatever else the machine does weighs on both alike;
    // the peak memory is taken after the first run of ours, before the floor has run at all.
    Runs ours, floor;
    qint64 bytes = 0;
    double peak = 0;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        collection::CollectionData data(db);
        reports::writeInventory(data, dir.filePath("inventory.pdf"), {});
        ours.seconds.push_back(t.nsecsElapsed() / 1e9);
        bytes = QFileInfo(dir.filePath("inventory.pdf")).size();
        if (run == 0)
            peak = bench::peakResidentMiB();
        t.restart();
        floorPdf(dir.filePath("floor.pdf"), db);
        floor.seconds.push_back(t.nsecsElapsed() / 1e9);
    }
    ours.print("inventory_pdf");
    floor.print("inventory_pdf_floor");
    bench::figure("inventory_pdf_ratio", bench::median(ours.seconds) / bench::median(floor.seconds),
                  "x");
    bench::figure("inventory_pdf_size", bytes / 1048576.0, "MiB");
    bench::figure("inventory_peak_memory", peak, "MiB");
    return 0;
}

// The collection inventory PDF at the size an insurer asks for: N items (1,000 unless named),
// one photo each (1600 x 1200 JPEG, as the photo import keeps them), written as Collection
// Inventory writes it: the cover with its totals, two items to a page. Beside it, the floor: a
// bare QPdfWriter in the same process drawing the same pages plainly. Everything the program
// works out before it draws (which items, in which order, their captions and values cut to
// their boxes, the cover's totals) is worked out before the floor's clock starts; the floor
// then does what cannot be left out: the same page size and resolution, the same fonts, the
// same texts at the same places, and each photo read from the file through SQLite's C API,
// decoded at the size it prints and drawn there.
//
// Each side runs once untimed (fonts, image plugins and the file's pages warm for both), then
// five times each, alternating which goes first; the medians, the fastest and slowest runs,
// and the peak memory after the program's untimed run (before the floor has run) are printed.
//
//   bench_inventory          N = 1,000
//   bench_inventory N        any size
#include "bench/BenchData.h"
#include "platform/LocaleText.h"
#include "trains/collection/CollectionData.h"
#include "trains/collection/CollectionModel.h"
#include "trains/collection/ItemDetails.h"
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
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <numeric>
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
void addPhotos(const QString &db, int items) {
    collection::CollectionData data(db);
    data.ensureSchema();
    std::vector<QByteArray> photos;
    for (int i = 0; i < 40; ++i)
        photos.push_back(makePhoto(i));
    sqlite3 *h = bench::openAsStore(db);
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(h,
                       "INSERT INTO tblPhoto (ItemID, Seq, Image, Thumb, DateAdd) SELECT ItemID, "
                       "1, ?, ?, '2026-01-01 00:00:00' FROM tblMain WHERE ID = ?",
                       -1, &st, nullptr);
    for (int id = 1; id <= items; ++id) {
        const QByteArray &img = photos[std::size_t((id - 1) % 40)];
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

// The inventory's page geometry at its resolution: margins, the foot, the item blocks.
constexpr int kDpi = 300;
int mm(double millimetres) {
    return qRound(millimetres * kDpi / 25.4);
}

QFont font(double points, bool bold = false) {
    QFont f(QStringLiteral("Sans Serif"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

struct Geometry {
    QRect body;
    int footY = 0;
    int blockH = 0;
    explicit Geometry(const QSize &page) {
        body = QRect(QPoint(0, 0), page).adjusted(mm(15), mm(15), -mm(15), -mm(15 + 9));
        footY = page.height() - mm(15) - mm(9) / 2;
        blockH = body.height() / 2;
    }
};

// One item's block as the floor draws it: every text ready, and the photo to read.
struct FloorItem {
    QString heading;
    std::vector<std::pair<QString, QString>> fields; // caption, value cut to its box
    QString notes;                                   // empty when it is not shown
    qint64 photoId = 0;
};

struct FloorPages {
    QPageSize::PageSizeId paper = QPageSize::Letter;
    QString date;
    std::vector<QStringList> coverRows; // the totals table: header, kinds, whole collection
    QString coverText;                  // owner and date lines
    QString basis;
    std::vector<FloorItem> items;
};

std::map<QString, qint64> firstPhotos(const QString &db) {
    std::map<QString, qint64> out;
    sqlite3 *h = bench::openAsStore(db);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(h, "SELECT ItemID, MIN(PhotoID) FROM tblPhoto GROUP BY ItemID", -1, &st,
                       nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        out[QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)))] =
            sqlite3_column_int64(st, 1);
    sqlite3_finalize(st);
    sqlite3_close_v2(h);
    return out;
}

// The item's texts as the program lays them out: the fields that fit the block, each value
// cut to its box with the font it is drawn in, and the notes when a line is left for them.
FloorItem layOutItem(collection::ItemDetails d, const Geometry &g, const QFontMetrics &value) {
    FloorItem item;
    item.heading = d.itemId + QStringLiteral(" \u2014 ") + kindViewName(d.kind);
    const QRect inner =
        QRect(g.body.left(), 0, g.body.width(), g.blockH).adjusted(0, mm(8) + mm(2), 0, -mm(3));
    const int textW = inner.width() * 45 / 100, lineH = mm(4.6);
    int y = inner.top();
    for (const auto &[caption, text] : d.fields) {
        if (caption == QObject::tr("Item") || caption == QObject::tr("Kind"))
            continue;
        if (y + lineH > inner.bottom())
            break;
        item.fields.emplace_back(caption, value.elidedText(text, Qt::ElideRight, textW * 58 / 100));
        y += lineH;
    }
    if (!d.notes.trimmed().isEmpty() && y + lineH * 2 < inner.bottom())
        item.notes = d.notes.simplified();
    return item;
}

// What the program works out before it draws, worked out for the floor before its clock.
FloorPages prepareFloor(const QString &db) {
    FloorPages f;
    f.paper = platform::paperSize();
    f.date = QLocale().toString(QDate::currentDate(), QLocale::LongFormat);
    QPdfWriter metrics(QStringLiteral("/dev/null"));
    metrics.setResolution(kDpi);
    metrics.setPageLayout(QPageLayout(QPageSize(f.paper), QPageLayout::Portrait, QMarginsF()));
    const Geometry g(metrics.pageLayout().fullRectPixels(kDpi).size());
    const QFontMetrics value(font(9), &metrics);

    collection::CollectionData data(db);
    struct Row {
        qint64 id;
        QString itemId;
        int kind;
        double cost, value;
    };
    std::vector<Row> rows;
    for (auto rs = data.browseRows(); !rs->isEOF(); rs->MoveNext())
        rows.push_back({rs->Fields(collection::bcId).toLongLong(), rs->text(collection::bcItemId),
                        rs->Fields(collection::bcKind).toInt(),
                        rs->Fields(collection::bcCost).toDouble(),
                        rs->Fields(collection::bcValue).toDouble()});
    std::stable_sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) {
        return collection::naturalCompare(a.itemId, b.itemId) < 0;
    });
    const std::map<QString, qint64> photos = firstPhotos(db);
    double cost[5] = {}, worth[5] = {};
    qint64 count[5] = {};
    for (const Row &r : rows) {
        const auto rs = data.item(r.id);
        collection::ItemDetails d = collection::itemDetails(*rs);
        collection::addOwnRecords(d, db);
        FloorItem item = layOutItem(d, g, value);
        item.photoId = photos.at(r.itemId);
        f.items.push_back(item);
        ++count[r.kind];
        cost[r.kind] += r.cost;
        worth[r.kind] += r.value;
    }
    f.coverText = QObject::tr("Owner:") + QLatin1Char('\n');
    f.coverRows.push_back({QObject::tr("Kind"), QObject::tr("Items"), QObject::tr("Total cost"),
                           QObject::tr("Total value")});
    for (int k = 0; k < 5; ++k)
        if (count[k] > 0)
            f.coverRows.push_back({kindViewName(ItemKind(k)), QLocale().toString(count[k]),
                                   platform::moneyText(cost[k]), platform::moneyText(worth[k])});
    f.coverRows.push_back({QObject::tr("Whole collection"),
                           QLocale().toString(qlonglong(rows.size())),
                           platform::moneyText(std::accumulate(cost, cost + 5, 0.0)),
                           platform::moneyText(std::accumulate(worth, worth + 5, 0.0))});
    f.basis = QObject::tr("Basis of value: each item's current value is the owner's own estimate "
                          "of what it would cost to replace, as entered in Quillon; \"Changed\" "
                          "is the day the item's record, and so its value, was last changed. "
                          "Original cost is what the owner paid. Amounts are in %1.")
                  .arg(platform::currencySymbol());
    return f;
}

void drawFoot(QPainter &p, const Geometry &g, const QString &date, int page, int pages) {
    p.setFont(font(8));
    const QRect line(g.body.left(), g.footY, g.body.width(), mm(9) / 2);
    p.drawLine(g.body.left(), g.footY - mm(1), g.body.right(), g.footY - mm(1));
    p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, date);
    p.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter, QString());
    p.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
               QObject::tr("Page %1 of %2").arg(page).arg(pages));
}

void drawCover(QPainter &p, const Geometry &g, const FloorPages &f) {
    QRect r = g.body, used;
    p.setFont(font(20, true));
    p.drawText(r, Qt::AlignLeft | Qt::TextWordWrap, QObject::tr("Collection Inventory"), &used);
    r.setTop(r.top() + used.height() + mm(6));
    p.setFont(font(11));
    p.drawText(r, Qt::AlignLeft | Qt::TextWordWrap, f.coverText, &used);
    r.setTop(r.top() + used.height() + mm(4));
    p.drawText(r, Qt::AlignLeft | Qt::TextWordWrap,
               QObject::tr("Date: %1\nNumber of items: %2")
                   .arg(f.date, QLocale().toString(qlonglong(f.items.size()))),
               &used);
    r.setTop(r.top() + used.height() + mm(6));
    const int w = r.width(), rowH = mm(7);
    const int lefts[] = {0, w * 40 / 100, w * 55 / 100, w * 78 / 100, w};
    for (std::size_t row = 0; row < f.coverRows.size(); ++row) {
        const bool bold = row == 0 || row + 1 == f.coverRows.size();
        p.setFont(font(10.5, bold));
        for (int i = 0; i < 4; ++i)
            p.drawText(QRect(r.left() + lefts[i], r.top(), lefts[i + 1] - lefts[i] - mm(2), rowH),
                       (i == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                       f.coverRows[row][i]);
        r.setTop(r.top() + rowH);
        if (row == 0 || row + 2 == f.coverRows.size())
            p.drawLine(r.left(), r.top(), r.right(), r.top());
    }
    r.setTop(r.top() + mm(8));
    p.setFont(font(10));
    p.drawText(r, Qt::AlignLeft | Qt::TextWordWrap, f.basis);
}

void drawItem(QPainter &p, sqlite3_stmt *image, const FloorItem &item, const QRect &block) {
    const int head = mm(8);
    p.setFont(font(13, true));
    p.drawText(QRect(block.left(), block.top(), block.width(), head), Qt::AlignLeft, item.heading);
    p.drawLine(block.left(), block.top() + head, block.right(), block.top() + head);
    const QRect inner = block.adjusted(0, head + mm(2), 0, -mm(3));
    const int textW = inner.width() * 45 / 100, lineH = mm(4.6);
    int y = inner.top();
    for (const auto &[caption, value] : item.fields) {
        p.setFont(font(9, true));
        p.drawText(QRect(inner.left(), y, textW * 42 / 100, lineH), Qt::AlignLeft, caption);
        p.setFont(font(9));
        p.drawText(QRect(inner.left() + textW * 42 / 100, y, textW * 58 / 100, lineH),
                   Qt::AlignLeft, value);
        y += lineH;
    }
    if (!item.notes.isEmpty()) {
        p.setFont(font(9, true));
        p.drawText(QRect(inner.left(), y + mm(1), textW, lineH), Qt::AlignLeft,
                   QObject::tr("Notes"));
        p.setFont(font(9));
        p.drawText(QRect(inner.left(), y + mm(1) + lineH, textW, inner.bottom() - y - lineH),
                   Qt::AlignLeft | Qt::TextWordWrap, item.notes);
    }
    // The photo as the program reads it: its bytes from the file, decoded at the printed size.
    sqlite3_bind_int64(image, 1, item.photoId);
    sqlite3_step(image);
    QByteArray bytes(static_cast<const char *>(sqlite3_column_blob(image, 0)),
                     sqlite3_column_bytes(image, 0));
    sqlite3_reset(image);
    const QRect box(inner.left() + textW + mm(5), inner.top(), inner.width() - textW - mm(5),
                    inner.height() - mm(2));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    QSize size = reader.size();
    size.scale(box.size(), Qt::KeepAspectRatio);
    reader.setScaledSize(size);
    const QImage photo = reader.read();
    p.drawImage(QRect(box.left() + (box.width() - size.width()) / 2, box.top(), size.width(),
                      size.height()),
                photo);
}

// The floor: the prepared pages on a bare QPdfWriter, each photo read as it is drawn.
void floorPdf(const QString &path, const QString &db, const FloorPages &f) {
    sqlite3 *h = bench::openAsStore(db);
    sqlite3_stmt *image = nullptr;
    sqlite3_prepare_v2(h, "SELECT Image FROM tblPhoto WHERE PhotoID = ?", -1, &image, nullptr);
    {
        QPdfWriter pdf(path);
        pdf.setResolution(kDpi);
        pdf.setTitle(QObject::tr("Collection Inventory"));
        pdf.setCreator(QStringLiteral("Quillon"));
        pdf.setPageLayout(QPageLayout(QPageSize(f.paper), QPageLayout::Portrait, QMarginsF()));
        const Geometry g(pdf.pageLayout().fullRectPixels(kDpi).size());
        const int pages = 1 + int((f.items.size() + 1) / 2);
        QPainter p(&pdf);
        drawCover(p, g, f);
        drawFoot(p, g, f.date, 1, pages);
        for (std::size_t i = 0; i < f.items.size(); ++i) {
            const int slot = int(i % 2);
            if (slot == 0) {
                pdf.newPage();
                drawFoot(p, g, f.date, 2 + int(i / 2), pages);
            }
            drawItem(
                p, image, f.items[i],
                QRect(g.body.left(), g.body.top() + slot * g.blockH, g.body.width(), g.blockH));
        }
    }
    sqlite3_finalize(image);
    sqlite3_close_v2(h);
}

double seconds(const std::function<void()> &work) {
    QElapsedTimer t;
    t.start();
    work();
    return t.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::max(2, std::atoi(argv[1])) : 1000;
    QTemporaryDir dir;
    const int perKind = (n + 2) / 3;
    bench::buildCollection(dir.path(), perKind);
    const QString db = bench::databasePath(dir.path());
    addPhotos(db, perKind * 3);
    std::printf("%d items with one photo each\n", perKind * 3);

    const QString ourPath = dir.filePath("inventory.pdf"), floorPath = dir.filePath("floor.pdf");
    const auto ours = [&] {
        collection::CollectionData data(db);
        reports::writeInventory(data, ourPath, {});
    };
    const FloorPages pages = prepareFloor(db);
    const auto floor = [&] { floorPdf(floorPath, db, pages); };

    ours();
    const double peak = bench::peakResidentMiB();
    floor();
    std::vector<double> ourRuns, floorRuns;
    for (int run = 0; run < 5; ++run) {
        if (run % 2 == 0) {
            ourRuns.push_back(seconds(ours));
            floorRuns.push_back(seconds(floor));
        } else {
            floorRuns.push_back(seconds(floor));
            ourRuns.push_back(seconds(ours));
        }
    }
    bench::figureRuns("inventory_pdf", ourRuns, "s");
    bench::figureRuns("inventory_pdf_floor", floorRuns, "s");
    bench::figure("inventory_pdf_ratio", bench::median(ourRuns) / bench::median(floorRuns), "x");
    bench::figure("inventory_pdf_size", QFileInfo(ourPath).size() / 1048576.0, "MiB");
    bench::figure("inventory_pdf_floor_size", QFileInfo(floorPath).size() / 1048576.0, "MiB");
    bench::figure("inventory_peak_memory", peak, "MiB");
    return 0;
}

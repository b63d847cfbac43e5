#include "trains/reports/InventoryReport.h"

#include "rails/exchange/SafeTarget.h"

#include "rails/exchange/Collection.h"
#include "trains/collection/CollectionModel.h"
#include "trains/collection/ItemDetails.h"

#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/LocaleText.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cmath>

#ifdef Q_OS_UNIX
#endif

namespace reports {

namespace {

constexpr int kDpi = 300;
constexpr double kMargin = 15.0; // millimetres on every side
constexpr double kFooter = 9.0;  // millimetres kept for the page foot

int mm(double millimetres) {
    return qRound(millimetres * kDpi / 25.4);
}

struct Entry {
    qint64 id;
    QString itemId;
    ItemKind kind;
    double cost; // NaN when blank
    double value;
};

struct KindTotals {
    qint64 count = 0;
    double cost = 0;
    double value = 0;
    void add(const Entry &e) {
        ++count;
        cost += std::isnan(e.cost) ? 0 : e.cost;
        value += std::isnan(e.value) ? 0 : e.value;
    }
};

// The items to print, in natural order of their numbers ("LL-21" before "LL-209").
QList<Entry> chooseItems(collection::CollectionData &data, const InventoryOptions &options) {
    const auto rows = data.browseRows();
    QList<Entry> all;
    for (; !rows->isEOF(); rows->MoveNext()) {
        const auto amount = [&](int c) {
            const QVariant v = rows->Fields(c);
            return v.isNull() ? std::nan("") : v.toDouble();
        };
        all.append({rows->Fields(collection::bcId).toLongLong(), rows->text(collection::bcItemId),
                    ItemKind(rows->Fields(collection::bcKind).toInt()), amount(collection::bcCost),
                    amount(collection::bcValue)});
    }
    QList<Entry> out;
    if (!options.rowIds.isEmpty()) {
        for (const qint64 id : options.rowIds)
            for (const Entry &e : all)
                if (e.id == id)
                    out.append(e);
        return out;
    }
    for (const Entry &e : all)
        if (!options.kind || e.kind == *options.kind)
            out.append(e);
    std::stable_sort(out.begin(), out.end(), [](const Entry &a, const Entry &b) {
        return collection::naturalCompare(a.itemId, b.itemId) < 0;
    });
    return out;
}

class InventoryPainter {
  public:
    InventoryPainter(QPdfWriter &pdf, QPainter &p, int pages)
        : pdf_(pdf), p_(p), pages_(pages),
          dateText_(QLocale().toString(platform::now().date(), QLocale::LongFormat)) {
        const QRect page(QPoint(0, 0), pdf.pageLayout().fullRectPixels(kDpi).size());
        body_ = page.adjusted(mm(kMargin), mm(kMargin), -mm(kMargin), -mm(kMargin + kFooter));
        footY_ = page.height() - mm(kMargin) - mm(kFooter) / 2;
    }

    QRect body() const { return body_; }

    void setFont(double points, bool bold = false) {
        QFont f(QStringLiteral("Sans Serif"));
        f.setPointSizeF(points);
        f.setBold(bold);
        p_.setFont(f);
    }

    // Writes text wrapped in the rectangle, as much as fits; returns the height used.
    int text(const QRect &r, const QString &t, int flags = Qt::AlignLeft) {
        QRect used;
        p_.drawText(r, flags | Qt::TextWordWrap, t, &used);
        return used.height();
    }

    void foot(int page, const QString &owner) {
        setFont(8);
        const QRect line(body_.left(), footY_, body_.width(), mm(kFooter) / 2);
        p_.drawLine(body_.left(), footY_ - mm(1), body_.right(), footY_ - mm(1));
        p_.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, dateText_);
        p_.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter, owner);
        p_.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                    QObject::tr("Page %1 of %2").arg(page).arg(pages_));
    }

    bool newPage() { return pdf_.newPage(); }
    QPainter &painter() { return p_; }
    const QString &dateText() const { return dateText_; }

  private:
    QPdfWriter &pdf_;
    QPainter &p_;
    int pages_;
    QString dateText_;
    QRect body_;
    int footY_ = 0;
};

QString ownerName(const std::shared_ptr<engine::Recordset> &o) {
    if (!o || o->isEOF())
        return {};
    return (o->text(0) + QLatin1Char(' ') + o->text(1)).trimmed();
}

void drawCover(InventoryPainter &ip, const std::shared_ptr<engine::Recordset> &owner,
               const QList<Entry> &items) {
    QPainter &p = ip.painter();
    QRect r = ip.body();
    ip.setFont(20, true);
    r.setTop(r.top() + ip.text(r, QObject::tr("Collection Inventory")) + mm(6));
    ip.setFont(11);
    QStringList who;
    if (owner && !owner->isEOF()) {
        who << ownerName(owner) << owner->text(2)
            << QStringLiteral("%1, %2 %3").arg(owner->text(3), owner->text(4), owner->text(5))
            << owner->text(6);
    }
    who.removeAll(QString());
    r.setTop(r.top() + ip.text(r, QObject::tr("Owner:") + QLatin1Char('\n') + who.join('\n')) +
             mm(4));
    r.setTop(r.top() +
             ip.text(r, QObject::tr("Date: %1\nNumber of items: %2")
                            .arg(ip.dateText(), QLocale().toString(qlonglong(items.size())))) +
             mm(6));

    std::array<KindTotals, 5> perKind{};
    KindTotals all;
    for (const Entry &e : items) {
        perKind[std::size_t(e.kind)].add(e);
        all.add(e);
    }
    const int w = r.width();
    const std::array<int, 4> lefts{0, w * 40 / 100, w * 55 / 100, w * 78 / 100};
    const int rowH = mm(7);
    const auto row = [&](const QStringList &cells, bool bold) {
        ip.setFont(10.5, bold);
        for (int i = 0; i < 4; ++i) {
            const int right = i + 1 < 4 ? lefts[i + 1] : w;
            p.drawText(QRect(r.left() + lefts[i], r.top(), right - lefts[i] - mm(2), rowH),
                       (i == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, cells[i]);
        }
        r.setTop(r.top() + rowH);
    };
    const auto line = [&](const QString &name, const KindTotals &t, bool bold) {
        row({name, QLocale().toString(t.count), platform::moneyText(t.cost),
             platform::moneyText(t.value)},
            bold);
    };
    row({QObject::tr("Kind"), QObject::tr("Items"), QObject::tr("Total cost"),
         QObject::tr("Total value")},
        true);
    p.drawLine(r.left(), r.top(), r.right(), r.top());
    for (int k = 0; k < 5; ++k)
        if (perKind[std::size_t(k)].count > 0)
            line(kindViewName(ItemKind(k)), perKind[std::size_t(k)], false);
    p.drawLine(r.left(), r.top(), r.right(), r.top());
    line(QObject::tr("Whole collection"), all, true);
    r.setTop(r.top() + mm(8));

    ip.setFont(10);
    ip.text(r, QObject::tr("Basis of value: each item's current value is the owner's own estimate "
                           "of what it would cost to replace, as entered in Quillon; \"Changed\" "
                           "is the day the item's record, and so its value, was last changed. "
                           "Original cost is what the owner paid. Amounts are in %1.")
                   .arg(platform::currencySymbol()));
}

// The photos of one item in the rectangle: the first large, the others in a row beneath it.
void drawPhotos(QPainter &p, collection::CollectionData &data, const QString &itemId,
                const QRect &area, bool all) {
    QList<collection::PhotoInfo> photos = data.photos(itemId);
    if (photos.isEmpty())
        return;
    if (!all)
        photos = photos.mid(0, 1);
    const int extra = int(photos.size()) - 1;
    const int stripH = extra > 0 ? area.height() / 4 : 0;
    const auto draw = [&](const collection::PhotoInfo &info, const QRect &box) {
        QByteArray bytes = data.photoImage(info.photoId);
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        QSize size = reader.size();
        if (!size.isValid())
            return;
        // Read at the size it prints (300 dpi), not at its full size: memory stays small.
        size.scale(box.size(), Qt::KeepAspectRatio);
        reader.setScaledSize(size);
        const QImage image = reader.read();
        if (image.isNull())
            return;
        const QRect at(box.left() + (box.width() - size.width()) / 2, box.top(), size.width(),
                       size.height());
        p.drawImage(at, image);
    };
    draw(photos[0], QRect(area.left(), area.top(), area.width(), area.height() - stripH - mm(2)));
    for (int i = 0; i < extra; ++i) {
        const int w = area.width() / extra;
        draw(photos[i + 1], QRect(area.left() + i * w, area.bottom() - stripH, w - mm(2), stripH));
    }
}

void drawItem(InventoryPainter &ip, collection::CollectionData &data, const Entry &e,
              const QRect &block, bool allPhotos) {
    QPainter &p = ip.painter();
    const auto rs = data.item(e.id);
    if (!rs || rs->isEOF())
        return;
    collection::ItemDetails d = collection::itemDetails(*rs);
    collection::addOwnRecords(d, data.databasePath());
    ip.setFont(13, true);
    const int head = mm(8);
    p.drawText(QRect(block.left(), block.top(), block.width(), head), Qt::AlignLeft,
               d.itemId + QStringLiteral(" \u2014 ") + kindViewName(d.kind));
    p.drawLine(block.left(), block.top() + head, block.right(), block.top() + head);
    const QRect inner = block.adjusted(0, head + mm(2), 0, -mm(3));
    const int textW = inner.width() * 45 / 100;
    const QRect fields(inner.left(), inner.top(), textW, inner.height());
    const int lineH = mm(4.6);
    int y = fields.top();
    for (const auto &[caption, value] : d.fields) {
        if (caption == QObject::tr("Item") || caption == QObject::tr("Kind"))
            continue;
        if (y + lineH > fields.bottom())
            break; // a block holds what fits; the user's many fields do not spill over

        ip.setFont(9, true);
        p.drawText(QRect(fields.left(), y, textW * 42 / 100, lineH), Qt::AlignLeft, caption);
        ip.setFont(9);
        p.drawText(QRect(fields.left() + textW * 42 / 100, y, textW * 58 / 100, lineH),
                   Qt::AlignLeft,
                   p.fontMetrics().elidedText(value, Qt::ElideRight, textW * 58 / 100));
        y += lineH;
    }
    if (!d.notes.trimmed().isEmpty() && y + lineH * 2 < fields.bottom()) {
        ip.setFont(9, true);
        p.drawText(QRect(fields.left(), y + mm(1), textW, lineH), Qt::AlignLeft,
                   QObject::tr("Notes"));
        ip.setFont(9);
        ip.text(QRect(fields.left(), y + mm(1) + lineH, textW, fields.bottom() - y - lineH),
                d.notes.simplified());
    }
    drawPhotos(p, data, e.itemId,
               QRect(inner.left() + textW + mm(5), inner.top(), inner.width() - textW - mm(5),
                     inner.height()),
               allPhotos);
}

} // namespace

qint64 writeInventory(collection::CollectionData &data, const QString &pdfPath,
                      const InventoryOptions &options, const InventoryProgress &progress) {
    exchange::refuseCollectionTarget(data.databasePath(), pdfPath);
    const QList<Entry> items = chooseItems(data, options);
    const auto owner = data.owner();
    const int perPage = options.onePerPage ? 1 : 2;
    const int pages = 1 + int((items.size() + perPage - 1) / perPage);

    QSaveFile file(pdfPath);
    if (!file.open(QIODevice::WriteOnly))
        throw platform::Error(
            platform::ErrPathFileAccess,
            QObject::tr("%1 cannot be written: %2").arg(pdfPath, file.errorString()));
    {
        QPdfWriter pdf(&file);
        pdf.setResolution(kDpi);
        pdf.setTitle(QObject::tr("Collection Inventory"));
        pdf.setCreator(QStringLiteral("Quillon"));
        const QPageSize::PageSizeId paper =
            options.paper == QPageSize::Custom ? platform::paperSize() : options.paper;
        pdf.setPageLayout(QPageLayout(QPageSize(paper), QPageLayout::Portrait, QMarginsF()));
        QPainter painter;
        if (!painter.begin(&pdf))
            throw platform::Error(platform::ErrPathFileAccess,
                                  QObject::tr("%1 cannot be written.").arg(pdfPath));
        InventoryPainter ip(pdf, painter, pages);
        const QString name = ownerName(owner);
        const auto goOn = [&](int done) {
            if (progress && !progress(done, pages)) {
                painter.end();
                file.cancelWriting();
                throw platform::Error(exchange::ErrUserInterrupt, QObject::tr("Cancelled."));
            }
        };
        goOn(0);
        drawCover(ip, owner, items);
        ip.foot(1, name);
        const QRect body = ip.body();
        const int blockH = body.height() / perPage;
        for (qsizetype i = 0; i < items.size(); ++i) {
            const int slot = int(i % perPage);
            if (slot == 0) {
                goOn(1 + int(i / perPage));
                ip.newPage();
                ip.foot(2 + int(i / perPage), name);
            }
            drawItem(ip, data, items[i],
                     QRect(body.left(), body.top() + slot * blockH, body.width(), blockH),
                     options.allPhotos);
        }
        if (!painter.end())
            throw platform::Error(platform::ErrPathFileAccess,
                                  QObject::tr("%1 cannot be written.").arg(pdfPath));
    }
    if (!file.commit())
        throw platform::Error(
            platform::ErrPathFileAccess,
            QObject::tr("%1 cannot be written: %2").arg(pdfPath, file.errorString()));
    if (progress)
        progress(pages, pages);
    return items.size();
}

} // namespace reports

#include "trains/reports/BandedRenderer.h"

#include "platform/LocaleText.h"

#include "platform/Error.h"
#include "rails/engine/Recordset.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <array>
#include <optional>

namespace reports {

namespace {
// Rules are one screen pixel wide, as the layout was drawn.
constexpr int kRuleWidth = 15;

bool rowsReadable(const std::shared_ptr<engine::Recordset> &rs) {
    return rs && rs->State() == engine::Recordset::adStateOpen;
}
} // namespace

// Widths of one font's text, in twips. Almost every value is Latin-1 text well inside its box:
// the sum of the characters' advances (taken once per font) settles those without laying the
// text out a second time; only a text near its box's width is measured exactly.
class BandedRenderer::TextMeasure {
  public:
    explicit TextMeasure(const QFont &font)
        : font_(font), metrics_(font), ascent_(metrics_.ascent()),
          ellipsisWidth_(metrics_.horizontalAdvance(QChar(0x2026))) {
        for (int c = 0; c < int(advances_.size()); ++c)
            advances_[std::size_t(c)] = metrics_.horizontalAdvance(QChar(c));
    }
    const QFont &font() const { return font_; }
    const QFontMetricsF &metrics() const { return metrics_; }
    qreal ascent() const { return ascent_; }
    // Less than 0 when the text holds a character beyond Latin-1 (but for "…").
    qreal estimate(const QString &text) const {
        qreal w = 0;
        for (const QChar c : text) {
            if (c.unicode() < advances_.size())
                w += advances_[c.unicode()];
            else if (c.unicode() == 0x2026)
                w += ellipsisWidth_;
            else
                return -1;
        }
        return w;
    }
    qreal exact(const QString &text) const { return metrics_.horizontalAdvance(text); }
    // The text cut at its end with "…" to fit the room. Latin-1 text is cut by the characters'
    // advances, with a little room to spare for kerning, instead of laying it out again for
    // every length tried.
    QString elided(const QString &text, qreal room) const {
        const qreal target = room * 0.98 - ellipsisWidth_;
        qreal w = 0;
        for (qsizetype n = 0; n < text.size(); ++n) {
            const char16_t c = text[n].unicode();
            if (c >= advances_.size() || QChar::isHighSurrogate(c))
                return metrics_.elidedText(text, Qt::ElideRight, room);
            w += advances_[c];
            if (w > target)
                return QStringView(text).left(n).trimmed().toString() + QChar(0x2026);
        }
        return text;
    }

  private:
    QFont font_;
    QFontMetricsF metrics_;
    qreal ascent_;
    qreal ellipsisWidth_;
    std::array<qreal, 256> advances_{};
};

BandedRenderer::BandedRenderer(ReportLayout layout, std::shared_ptr<engine::Recordset> rows,
                               QString dateText)
    : layout_(std::move(layout)), rows_(std::move(rows)), dateText_(std::move(dateText)),
      page_(defaultPageSize(layout_.landscape)) {
    rowCount_ = rowsReadable(rows_) ? rows_->RecordCount() : 0;
    reportHeader_ = prepare(layout_.reportHeader);
    pageHeader_ = prepare(layout_.pageHeader);
    detail_ = prepare(layout_.detail);
    pageFooter_ = prepare(layout_.pageFooter);
    reportFooter_ = prepare(layout_.reportFooter);
    paginate();
}

QSize BandedRenderer::defaultPageSize(bool landscape) {
    const QSizeF pt = paperLayout(landscape).fullRectPoints().size();
    return QSize(qRound(pt.width() * kTwipsPerPoint), qRound(pt.height() * kTwipsPerPoint));
}

QPageLayout BandedRenderer::paperLayout(bool landscape) {
    return QPageLayout(QPageSize(platform::paperSize()),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
}

void BandedRenderer::setPageSize(QSize twips) {
    page_ = twips;
    paginate();
}

BandedRenderer::Prepared BandedRenderer::prepare(const ReportBand &band) {
    Prepared p{&band, {}, {}, {}};
    p.columns.reserve(std::size_t(band.controls.size()));
    p.measures.reserve(std::size_t(band.controls.size()));
    for (const ReportControl &c : band.controls) {
        QFont f(c.style.family);
        // Font sizes in twips: the painter's unit.
        f.setPixelSize(qRound(c.style.points * kTwipsPerPoint));
        f.setBold(c.style.bold);
        int column = -1;
        if (c.kind == ReportControl::Kind::Field && rowsReadable(rows_))
            column = rows_->fieldIndex(c.field);
        p.columns.push_back(column);
        p.shrink.push_back(c.kind == ReportControl::Kind::Field && isNumberFormat(c.format));
        // A report uses two or three fonts: their measures are shared by every control.
        auto same = std::find_if(measureCache_.begin(), measureCache_.end(),
                                 [&](const auto &m) { return m->font() == f; });
        if (same == measureCache_.end())
            same = measureCache_.insert(measureCache_.end(), std::make_shared<TextMeasure>(f));
        p.measures.push_back(*same);
    }
    return p;
}

void BandedRenderer::paginate() {
    const int body = page_.height() - layout_.topMargin - layout_.bottomMargin -
                     layout_.pageHeader.height - layout_.pageFooter.height;
    const int rowHeight = std::max(1, layout_.detail.height);
    // A page holds at least one row, however small the paper.
    firstPageRows_ = std::max(1, (body - layout_.reportHeader.height) / rowHeight);
    pageRows_ = std::max(1, body / rowHeight);

    int used = layout_.reportHeader.height;
    if (rowCount_ <= firstPageRows_) {
        pages_ = 1;
        used += int(rowCount_) * rowHeight;
    } else {
        const qsizetype rest = rowCount_ - firstPageRows_;
        pages_ = 1 + int((rest + pageRows_ - 1) / pageRows_);
        used = int((rest - 1) % pageRows_ + 1) * rowHeight;
    }
    if (layout_.reportFooter.height > 0 && used + layout_.reportFooter.height > body)
        ++pages_;
}

std::pair<qsizetype, qsizetype> BandedRenderer::rowRange(int page) const {
    if (page < 0 || page >= pages_)
        return {rowCount_, 0};
    const qsizetype first = page == 0 ? 0 : firstPageRows_ + qsizetype(page - 1) * pageRows_;
    const qsizetype size = page == 0 ? firstPageRows_ : pageRows_;
    const qsizetype begin = std::min(first, rowCount_);
    return {begin, std::min(size, rowCount_ - begin)};
}

QString BandedRenderer::substitute(const QString &text, int page) const {
    // One pass over the label's own text: a replacement is never scanned again, so a title
    // that holds "%p" prints as written.
    if (!text.contains(QLatin1Char('%')))
        return text;
    QString out;
    out.reserve(text.size() + 32);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('%') && i + 1 < text.size()) {
            const QChar k = text[i + 1];
            if (k == QLatin1Char('i')) {
                out += layout_.title;
                ++i;
                continue;
            }
            if (k == QLatin1Char('d')) {
                out += dateText_;
                ++i;
                continue;
            }
            if (k == QLatin1Char('p')) {
                out += QString::number(page + 1);
                ++i;
                continue;
            }
            if (k == QLatin1Char('P')) {
                out += QString::number(pages_);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

void BandedRenderer::drawFitted(QPainter &painter, const Prepared &band, std::size_t i,
                                const QRect &r, QString text, const QFont *&current) const {
    const ReportControl &c = band.band->controls[qsizetype(i)];
    const TextMeasure &m = *band.measures[i];
    const qreal room = r.width() - 2 * kFitInset;
    qreal width = m.estimate(text);
    // Kerning moves the estimate by a little: near the edge the text is measured exactly.
    if (width < 0 || width > room * 0.97)
        width = m.exact(text);
    // Controls with equal fonts share one: the painter's font changes only where the font does
    // (a PDF writer starts a new text object at every change).
    const QFont *font = &m.font();
    std::optional<QFont> smaller;
    if (width > room) {
        if (band.shrink[i]) {
            // An amount is never cut: it prints at the largest size that fits its box.
            smaller = *font;
            int px = smaller->pixelSize();
            while (width > room && px > 1) {
                px = std::max(1, std::min(px - 1, int(px * room / width)));
                smaller->setPixelSize(px);
                width = QFontMetricsF(*smaller).horizontalAdvance(text);
            }
            font = &*smaller;
        } else {
            text = m.elided(text, room);
            width = m.estimate(text);
            if (width < 0)
                width = m.exact(text);
        }
    }
    qreal x = r.left();
    if (c.align & Qt::AlignRight)
        x = r.left() + r.width() - width;
    else if (c.align & Qt::AlignHCenter)
        x = r.left() + (r.width() - width) / 2;
    if (font != current || smaller) {
        painter.setFont(*font);
        current = smaller ? nullptr : font;
    }
    // The designed font's baseline: a smaller amount stays on its row's line.
    painter.drawText(QPointF(x, r.top() + m.ascent()), text);
}

void BandedRenderer::paintBand(QPainter &painter, const Prepared &band, int top, int page,
                               const QFont *&current) const {
    const auto &controls = band.band->controls;
    for (qsizetype i = 0; i < controls.size(); ++i) {
        const ReportControl &c = controls[i];
        const QRect r = c.rect.translated(layout_.leftMargin, top);
        if (c.kind == ReportControl::Kind::Line) {
            painter.drawLine(r.left(), r.top(), r.left() + c.rect.width(),
                             r.top() + c.rect.height());
            continue;
        }
        QString text;
        if (c.kind == ReportControl::Kind::Label) {
            text = substitute(c.text, page);
        } else {
            const int column = band.columns[std::size_t(i)];
            if (column >= 0)
                text = formatField(rows_->Fields(column), c.format);
        }
        if (text.isEmpty())
            continue;
        drawFitted(painter, band, std::size_t(i), r, std::move(text), current);
    }
}

void BandedRenderer::paintPage(QPainter &painter, int page) const {
    if (page < 0 || page >= pages_)
        return;
    painter.save();
    painter.setPen(QPen(Qt::black, kRuleWidth));
    painter.setBrush(Qt::NoBrush);

    const QFont *current = nullptr; // the font last set on the painter
    int y = layout_.topMargin;
    if (page == 0) {
        paintBand(painter, reportHeader_, y, page, current);
        y += layout_.reportHeader.height;
    }
    paintBand(painter, pageHeader_, y, page, current);
    y += layout_.pageHeader.height;

    const auto [first, count] = rowRange(page);
    if (count > 0 && rowsReadable(rows_)) {
        for (qsizetype row = first; row < first + count; ++row) {
            rows_->moveTo(row);
            paintBand(painter, detail_, y, page, current);
            y += layout_.detail.height;
        }
    }
    if (page == pages_ - 1)
        paintBand(painter, reportFooter_, y, page, current);

    paintBand(painter, pageFooter_,
              page_.height() - layout_.bottomMargin - layout_.pageFooter.height, page, current);
    painter.restore();
}

bool BandedRenderer::print(QPagedPaintDevice &device, int from, int to,
                           const PageProgress &progress) {
    QPageLayout pl = device.pageLayout();
    const QSizeF paper = pl.fullRectPoints().size() * kTwipsPerPoint;
    // Paper narrower than the report (portrait chosen in the print dialog) gets the whole
    // report scaled down to its width rather than losing the right-hand columns.
    const double needed = layout_.leftMargin + layout_.width + layout_.rightMargin;
    const double fit = std::min(1.0, paper.width() / needed);
    setPageSize(QSize(qRound(paper.width() / fit), qRound(paper.height() / fit)));
    from = std::clamp(from, 1, pages_);
    to = to < 1 ? pages_ : std::clamp(to, from, pages_);

    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // The device's origin is the printable area's corner; ours is the paper's.
    const QRectF printable = pl.paintRectPoints();
    const double scale = device.logicalDpiX() / double(kTwipsPerInch);
    painter.scale(scale, scale);
    painter.translate(-printable.left() * kTwipsPerPoint, -printable.top() * kTwipsPerPoint);
    painter.scale(fit, fit);
    const int total = to - from + 1;
    const auto goOn = [&](int done) { return !progress || progress(done, total); };
    if (!goOn(0))
        return false;
    for (int page = from - 1; page < to; ++page) {
        if (page > from - 1 && !device.newPage())
            return false;
        paintPage(painter, page);
        if (!goOn(page - from + 2))
            return false;
    }
    return painter.end();
}

} // namespace reports

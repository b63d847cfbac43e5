#include "trains/reports/ReportPreview.h"

#include "trains/reports/BandedRenderer.h"
#include "trains/reports/ReportWriter.h"

#include <QMutex>

#include <QPaintEvent>
#include <QPainter>

namespace reports {

ReportPageView::ReportPageView(QWidget *parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    setPalette(pal);
    setAccessibleName(tr("Report page"));
}

void ReportPageView::setRenderer(const BandedRenderer *renderer) {
    renderer_ = renderer;
    cachedPage_ = -1;
    refresh();
}

void ReportPageView::setPage(int page) {
    if (page == page_)
        return;
    page_ = page;
    update();
}

void ReportPageView::setScale(double pixelsPerTwip) {
    if (pixelsPerTwip <= 0 || qFuzzyCompare(pixelsPerTwip, scale_))
        return;
    scale_ = pixelsPerTwip;
    refresh();
}

void ReportPageView::refresh() {
    setFixedSize(sizeHint());
    updateGeometry();
    update();
}

QSize ReportPageView::sizeHint() const {
    const QSize paper = renderer_ ? renderer_->pageSize() : BandedRenderer::defaultPageSize();
    return QSize(qRound(paper.width() * scale_) + 2 * kGap,
                 qRound(paper.height() * scale_) + 2 * kGap);
}

void ReportPageView::paintEvent(QPaintEvent *) {
    QPainter p(this);
    if (!renderer_)
        return;
    const QSize paper = renderer_->pageSize();
    const QSize px(qRound(paper.width() * scale_), qRound(paper.height() * scale_));
    if (cachedPage_ != page_ || !qFuzzyCompare(cachedScale_, scale_)) {
        const qreal dpr = devicePixelRatioF();
        cache_ = QImage(px * dpr, QImage::Format_RGB32);
        cache_.setDevicePixelRatio(dpr);
        cache_.fill(Qt::white);
        QPainter ip(&cache_);
        ip.setRenderHint(QPainter::TextAntialiasing);
        ip.scale(scale_, scale_);
        {
            const QMutexLocker lock(&sharedRowsMutex());
            renderer_->paintPage(ip, page_);
        }
        ip.end();
        cachedPage_ = page_;
        cachedScale_ = scale_;
        ++pagesDrawn_;
    }
    p.fillRect(QRect(QPoint(kGap + 3, kGap + 3), px), QColor(0x40, 0x40, 0x40));
    p.drawImage(QPoint(kGap, kGap), cache_);
}

} // namespace reports

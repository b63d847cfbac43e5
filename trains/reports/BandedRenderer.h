#pragma once
// Draws a banded report layout over the rows of a record set, one page at a time. Pagination
// is arithmetic on the band heights, so the page count is known before any page is drawn and
// showing page 200 costs the same as showing page 1.
#include "trains/reports/ReportLayout.h"

#include <QFont>
#include <QSize>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QPageLayout;
class QPainter;
class QPagedPaintDevice;

namespace engine {
class Recordset;
}

namespace reports {

class BandedRenderer {
  public:
    // dateText is what "%d" shows on every page of this rendering.
    BandedRenderer(ReportLayout layout, std::shared_ptr<engine::Recordset> rows, QString dateText);

    const ReportLayout &layout() const { return layout_; }
    // The paper in twips; pagination follows it. The user's paper in the layout's orientation
    // until set.
    void setPageSize(QSize twips);
    QSize pageSize() const { return page_; }

    qsizetype rowCount() const { return rowCount_; }
    int pageCount() const { return pages_; }
    // Rows on a page (0-based page): first row and number of rows.
    std::pair<qsizetype, qsizetype> rowRange(int page) const;

    // Draws one page (0-based). The painter's unit must be one twip with the paper's top-left
    // corner at the origin.
    void paintPage(QPainter &painter, int page) const;

    // Told after each page printed: pages done and pages to print in all (first call with
    // done 0). Returning false stops the printing there.
    using PageProgress = std::function<bool(int done, int total)>;

    // Prints pages from..to (1-based, inclusive; to < 1 means the last page) on a printer or
    // PDF writer, paginated for its paper. False when the device cannot be painted on or the
    // progress callback stopped it. A renderer may print on a thread of its own when nothing
    // else uses it or its rows meanwhile.
    bool print(QPagedPaintDevice &device, int from = 1, int to = 0,
               const PageProgress &progress = {});

    // The user's paper in twips.
    static QSize defaultPageSize(bool landscape = true);
    // The paper layout a report's pages are written on: the user's paper, no margins.
    static QPageLayout paperLayout(bool landscape);

    // Space kept free on both sides of a text that has to be fitted, so that it never touches
    // the rules at its box's edges.
    static constexpr int kFitInset = 15;

  private:
    class TextMeasure;
    struct Prepared {
        const ReportBand *band;
        std::vector<int> columns; // record set column of each field, -1 for none
        std::vector<bool> shrink; // amounts shrink to fit; other texts are elided
        std::vector<std::shared_ptr<const TextMeasure>> measures;
    };
    Prepared prepare(const ReportBand &band);
    void paginate();
    void paintBand(QPainter &painter, const Prepared &band, int top, int page,
                   const QFont *&current) const;
    void drawFitted(QPainter &painter, const Prepared &band, std::size_t i, const QRect &r,
                    QString text, const QFont *&current) const;
    QString substitute(const QString &text, int page) const;

    ReportLayout layout_;
    std::shared_ptr<engine::Recordset> rows_;
    QString dateText_;
    QSize page_;
    qsizetype rowCount_ = 0;
    int pages_ = 1;
    qsizetype firstPageRows_ = 1;
    qsizetype pageRows_ = 1;
    std::vector<std::shared_ptr<const TextMeasure>> measureCache_;
    Prepared reportHeader_, pageHeader_, detail_, pageFooter_, reportFooter_;
};

} // namespace reports

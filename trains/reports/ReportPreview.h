#pragma once
// The preview's page: draws one page of a banded report at the chosen zoom. Only the page on
// show is ever drawn; the last drawing is kept until the page or the zoom changes.
#include <QImage>
#include <QWidget>

namespace reports {

class BandedRenderer;

class ReportPageView : public QWidget {
    Q_OBJECT
  public:
    explicit ReportPageView(QWidget *parent = nullptr);

    void setRenderer(const BandedRenderer *renderer);
    // 0-based page index.
    void setPage(int page);
    int page() const { return page_; }
    // Screen pixels per twip.
    void setScale(double pixelsPerTwip);
    double scale() const { return scale_; }
    // How many pages have been drawn so far; a preview of 400 pages opened at page 1 draws 1.
    int pagesDrawn() const { return pagesDrawn_; }

    QSize sizeHint() const override;

    // Grey border around the paper, in pixels.
    static constexpr int kGap = 12;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    void refresh();
    const BandedRenderer *renderer_ = nullptr;
    int page_ = 0;
    double scale_ = 0.05;
    QImage cache_;
    int cachedPage_ = -1;
    double cachedScale_ = 0;
    int pagesDrawn_ = 0;
};

} // namespace reports

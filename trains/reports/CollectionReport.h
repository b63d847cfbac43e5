#pragma once
// A collection report's window: a page preview with page-through and zoom, Print and Save as
// PDF. One class serves the three reports; rptCar, rptLoco and rptSets pass their descriptor.
#include "trains/reports/BandedRenderer.h"
#include "trains/reports/CollectionReports.h"
#include "trains/reports/ReportWriter.h"

#include <QWidget>
#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QPrinter;
class QProgressBar;
class QTimer;
class QScrollArea;
class QSpinBox;
class QToolBar;
class QAction;

namespace reports {

class ReportPageView;

class CollectionReport : public QWidget {
    Q_OBJECT
  public:
    ~CollectionReport() override;

    const CollectionReportKind &kind() const { return kind_; }
    QString title() const { return layout_.title; }
    int pageCount() const;
    int currentPage() const; // 1-based
    void showPage(int page); // 1-based, clamped
    const BandedRenderer &renderer() const { return *renderer_; }
    ReportPageView *pageView() const { return view_; }

    // Zoom: a percentage of the paper's real size, or one of the fitting modes.
    enum class Fit { None, Width, Page };
    void setZoomPercent(int percent);
    void setFit(Fit fit);

    // Writes every page to a PDF file and waits for it, the window still answering; false
    // (after a message) when the file cannot be written, false and silent when cancelled.
    bool saveAsPdf(const QString &path);
    // Starts writing the PDF on a thread of its own and returns at once; the window shows the
    // pages done with a Cancel button meanwhile. A failure is told when the run ends.
    void startPdf(const QString &path);
    // Prints on a printer that is already set up (the print dialog's choice of pages applies),
    // waiting as saveAsPdf does.
    bool printTo(QPrinter &printer);
    // The run writing or printing now, if any; Cancel on the window stops it.
    ReportWriter *output() const { return writer_.get(); }
    void cancelOutput();
    // Waits for the run under way, if any; its result.
    bool waitForOutput();
    // The file name Save as PDF suggests: the report's title, as printing to a file names it.
    QString suggestedPdfName() const;

    // Asks the user for the PDF file name; tests replace it. Receives the window and a suggested
    // name, returns the chosen path or empty for cancel.
    using FileNameAsker = std::function<QString(QWidget *, const QString &)>;
    static void setPdfFileNameAsker(FileNameAsker asker);

    void cmdPrint_Click();
    void cmdSavePdf_Click();

    // Unloads the report's window.
    void DataReport_Terminate();

  protected:
    explicit CollectionReport(const CollectionReportKind &kind, QWidget *parent = nullptr);
    // A report of its own layout and rows in the same window (the value summary).
    CollectionReport(const CollectionReportKind &kind, ReportLayout layout,
                     std::shared_ptr<engine::Recordset> rows, QWidget *parent = nullptr);
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void DataReport_Initialize();
    void buildWindow();
    QToolBar *buildToolBar();
    void buildProgressStrip();
    void applyFit();
    void updatePageControls();
    void startOutput(std::unique_ptr<ReportWriter> writer, const QString &failure);
    void startPrint(QPrinter &printer);
    void outputFinished(bool ok);

    const CollectionReportKind &kind_;
    ReportLayout layout_;
    std::shared_ptr<engine::Recordset> rows_;
    QString dateText_;
    std::unique_ptr<BandedRenderer> renderer_;
    int startPage_ = 1;
    Fit fit_ = Fit::Width;

    ReportPageView *view_ = nullptr;
    QScrollArea *scroll_ = nullptr;
    QSpinBox *spnPage_ = nullptr;
    QLabel *lblPageCount_ = nullptr;
    QComboBox *cboZoom_ = nullptr;
    QAction *actFirst_ = nullptr;
    QAction *actPrevious_ = nullptr;
    QAction *actNext_ = nullptr;
    QAction *actLast_ = nullptr;
    QAction *actSave_ = nullptr;
    QAction *actPrint_ = nullptr;

    // Writing or printing under way; the run goes before the printer it prints on.
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<ReportWriter> writer_;
    QString outputFailure_;
    QWidget *progressStrip_ = nullptr;
    QLabel *lblProgress_ = nullptr;
    QProgressBar *barProgress_ = nullptr;
    QTimer *progressTimer_ = nullptr;
};

class rptCar : public CollectionReport {
    Q_OBJECT
  public:
    explicit rptCar(QWidget *parent = nullptr) : CollectionReport(carReport(), parent) {}
};

class rptLoco : public CollectionReport {
    Q_OBJECT
  public:
    explicit rptLoco(QWidget *parent = nullptr) : CollectionReport(locoReport(), parent) {}
};

class rptSets : public CollectionReport {
    Q_OBJECT
  public:
    explicit rptSets(QWidget *parent = nullptr) : CollectionReport(setsReport(), parent) {}
};

} // namespace reports

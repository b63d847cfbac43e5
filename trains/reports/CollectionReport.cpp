#include "trains/reports/CollectionReport.h"

#include "platform/Clock.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"
#include "trains/modGlobal.h"
#include "trains/reports/ReportPreview.h"
#include "trains/reports/dataReport.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace reports {

namespace {
CollectionReport::FileNameAsker &fileNameAsker() {
    static CollectionReport::FileNameAsker asker;
    return asker;
}

QString askPdfFileName(QWidget *parent, const QString &suggested) {
    if (fileNameAsker())
        return fileNameAsker()(parent, suggested);
    return QFileDialog::getSaveFileName(parent, QObject::tr("Save Report as PDF"), suggested,
                                        QObject::tr("PDF files (*.pdf)"));
}

const int kZoomSteps[] = {25, 50, 75, 100, 125, 150, 200};
} // namespace

CollectionReport::CollectionReport(const CollectionReportKind &kind, QWidget *parent)
    : QWidget(parent), kind_(kind) {
    setObjectName(QString::fromLatin1(kind_.name));
    layout_ = buildLayout(kind_);
    DataReport_Initialize();
    // The rows are the command's record set as it stands now; the main window runs the
    // command just before it creates the report.
    rows_ = dataReport().recordsetOf(QString::fromLatin1(kind_.command));
    dateText_ = platform::shortDate(platform::now().date());
    renderer_ = std::make_unique<BandedRenderer>(layout_, rows_, dateText_);
    buildWindow();
    showPage(startPage_);
}

CollectionReport::CollectionReport(const CollectionReportKind &kind, ReportLayout layout,
                                   std::shared_ptr<engine::Recordset> rows, QWidget *parent)
    : QWidget(parent), kind_(kind), layout_(std::move(layout)), rows_(std::move(rows)) {
    setObjectName(QString::fromLatin1(kind_.name));
    setWindowTitle(kAppTitle + kind_.captionSuffix);
    dateText_ = platform::shortDate(platform::now().date());
    renderer_ = std::make_unique<BandedRenderer>(layout_, rows_, dateText_);
    buildWindow();
    showPage(startPage_);
}

CollectionReport::~CollectionReport() = default;

void CollectionReport::DataReport_Initialize() {
    setWindowTitle(kAppTitle + kind_.captionSuffix);
    layout_.width = kReportWidth;
    layout_.bottomMargin = 1000;
    layout_.landscape = true;
    layout_.title = strOwnerName + kind_.titleSuffix;
    layout_.leftMargin = 400;
    layout_.rightMargin = 500;
    layout_.topMargin = 500;
    // The preview opens at the first page.
    startPage_ = 1;
}

void CollectionReport::DataReport_Terminate() {
    QWidget *window = this;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        window = sub;
    window->close();
    window->deleteLater();
}

QToolBar *CollectionReport::buildToolBar() {
    auto *bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    const auto icon = [this](QStyle::StandardPixmap sp) { return style()->standardIcon(sp); };

    actFirst_ = bar->addAction(icon(QStyle::SP_MediaSkipBackward), tr("First Page"), this,
                               [this] { showPage(1); });
    actPrevious_ = bar->addAction(icon(QStyle::SP_MediaSeekBackward), tr("Previous Page"), this,
                                  [this] { showPage(currentPage() - 1); });
    auto *lblPage = new QLabel(tr("&Page"), bar);
    spnPage_ = new QSpinBox(bar);
    spnPage_->setRange(1, pageCount());
    spnPage_->setKeyboardTracking(false);
    lblPage->setBuddy(spnPage_);
    lblPageCount_ = new QLabel(tr("of %1").arg(pageCount()), bar);
    bar->addWidget(lblPage);
    bar->addWidget(spnPage_);
    bar->addWidget(lblPageCount_);
    actNext_ = bar->addAction(icon(QStyle::SP_MediaSeekForward), tr("Next Page"), this,
                              [this] { showPage(currentPage() + 1); });
    actLast_ = bar->addAction(icon(QStyle::SP_MediaSkipForward), tr("Last Page"), this,
                              [this] { showPage(pageCount()); });
    connect(spnPage_, &QSpinBox::valueChanged, this, [this](int v) { showPage(v); });
    bar->addSeparator();

    auto *lblZoom = new QLabel(tr("&Zoom"), bar);
    cboZoom_ = new QComboBox(bar);
    cboZoom_->addItem(tr("Fit Width"), -1);
    cboZoom_->addItem(tr("Whole Page"), -2);
    for (int z : kZoomSteps)
        cboZoom_->addItem(QStringLiteral("%1%").arg(z), z);
    lblZoom->setBuddy(cboZoom_);
    bar->addWidget(lblZoom);
    bar->addWidget(cboZoom_);
    connect(cboZoom_, &QComboBox::activated, this, [this](int index) {
        const int z = cboZoom_->itemData(index).toInt();
        if (z == -1)
            setFit(Fit::Width);
        else if (z == -2)
            setFit(Fit::Page);
        else
            setZoomPercent(z);
    });
    bar->addSeparator();
    actSave_ = bar->addAction(icon(QStyle::SP_DialogSaveButton), tr("Save as PDF..."), this,
                              [this] { cmdSavePdf_Click(); });
    actPrint_ = bar->addAction(tr("Print..."), this, [this] { cmdPrint_Click(); });
    QAction *actSave = actSave_;
    QAction *actPrint = actPrint_;

    // The toolbar's buttons take no focus, so every command also has a key.
    actFirst_->setShortcut(QKeySequence::MoveToStartOfDocument);
    actPrevious_->setShortcut(QKeySequence::MoveToPreviousPage);
    actNext_->setShortcut(QKeySequence::MoveToNextPage);
    actLast_->setShortcut(QKeySequence::MoveToEndOfDocument);
    actSave->setShortcut(QKeySequence::Save);
    actPrint->setShortcut(QKeySequence::Print);
    for (QAction *a : {actFirst_, actPrevious_, actNext_, actLast_, actSave, actPrint})
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    return bar;
}

void CollectionReport::buildWindow() {
    QToolBar *bar = buildToolBar();
    view_ = new ReportPageView;
    view_->setRenderer(renderer_.get());
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(view_);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    scroll_->installEventFilter(this);
    buildProgressStrip();

    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(bar);
    box->addWidget(scroll_, 1);
    box->addWidget(progressStrip_);
    resize(900, 640);
}

// Shown only while the report is written or printed.
void CollectionReport::buildProgressStrip() {
    progressStrip_ = new QWidget(this);
    lblProgress_ = new QLabel(progressStrip_);
    barProgress_ = new QProgressBar(progressStrip_);
    barProgress_->setFormat(tr("%v of %m pages"));
    barProgress_->setAccessibleName(tr("Pages written"));
    auto *cmdCancel = new QPushButton(tr("Cancel"), progressStrip_);
    cmdCancel->setObjectName(QStringLiteral("cmdCancelOutput"));
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cancelOutput(); });
    auto *strip = new QHBoxLayout(progressStrip_);
    strip->setContentsMargins(6, 3, 6, 3);
    strip->addWidget(lblProgress_);
    strip->addWidget(barProgress_, 1);
    strip->addWidget(cmdCancel);
    progressStrip_->hide();
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, [this] {
        if (!writer_)
            return;
        barProgress_->setMaximum(std::max(1, writer_->pageTotal()));
        barProgress_->setValue(writer_->pagesDone());
    });
}

int CollectionReport::pageCount() const {
    return renderer_->pageCount();
}

int CollectionReport::currentPage() const {
    return view_ ? view_->page() + 1 : startPage_;
}

void CollectionReport::showPage(int page) {
    page = std::clamp(page, 1, pageCount());
    view_->setPage(page - 1);
    scroll_->verticalScrollBar()->setValue(0);
    updatePageControls();
}

void CollectionReport::updatePageControls() {
    const int page = currentPage();
    const QSignalBlocker block(spnPage_);
    spnPage_->setValue(page);
    actFirst_->setEnabled(page > 1);
    actPrevious_->setEnabled(page > 1);
    actNext_->setEnabled(page < pageCount());
    actLast_->setEnabled(page < pageCount());
}

void CollectionReport::setZoomPercent(int percent) {
    fit_ = Fit::None;
    const double dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    view_->setScale(percent / 100.0 * dpi / kTwipsPerInch);
    const int index = cboZoom_->findData(percent);
    if (index >= 0)
        cboZoom_->setCurrentIndex(index);
}

void CollectionReport::setFit(Fit fit) {
    fit_ = fit;
    cboZoom_->setCurrentIndex(fit == Fit::Page ? 1 : 0);
    applyFit();
}

void CollectionReport::applyFit() {
    if (fit_ == Fit::None || !scroll_)
        return;
    const QSize paper = renderer_->pageSize();
    // The room without scroll bars, less a vertical bar for a fitted width, so that a bar
    // appearing cannot change the fit again.
    const int border = 2 * ReportPageView::kGap;
    QSize room = scroll_->maximumViewportSize() - QSize(border, border);
    if (fit_ == Fit::Width)
        room.rwidth() -= scroll_->verticalScrollBar()->sizeHint().width();
    double s = double(room.width()) / paper.width();
    if (fit_ == Fit::Page)
        s = std::min(s, double(room.height()) / paper.height());
    view_->setScale(std::max(s, 0.005));
}

bool CollectionReport::eventFilter(QObject *watched, QEvent *event) {
    if (watched == scroll_ && event->type() == QEvent::Resize)
        applyFit();
    return QWidget::eventFilter(watched, event);
}

void CollectionReport::startOutput(std::unique_ptr<ReportWriter> writer, const QString &failure) {
    writer_ = std::move(writer);
    outputFailure_ = failure;
    connect(writer_.get(), &ReportWriter::finished, this, &CollectionReport::outputFinished);
    actSave_->setEnabled(false);
    actPrint_->setEnabled(false);
    barProgress_->setRange(0, pageCount());
    barProgress_->setValue(0);
    progressStrip_->show();
    progressTimer_->start();
}

void CollectionReport::outputFinished(bool ok) {
    progressTimer_->stop();
    progressStrip_->hide();
    actSave_->setEnabled(true);
    actPrint_->setEnabled(true);
    // A cancelled run is what the user asked for: nothing to report.
    if (!ok && !writer_->cancelled()) {
        const QString reason = writer_->failure();
        platform::MsgBox(reason.isEmpty() ? outputFailure_
                                          : outputFailure_ + reason.left(1).toUpper() +
                                                reason.mid(1) + QLatin1Char('.'),
                         platform::critical(), kAppTitle);
    }
}

void CollectionReport::startPdf(const QString &path) {
    if (writer_ && writer_->isRunning())
        return;
    auto writer = std::make_unique<ReportWriter>(layout_, rows_, dateText_);
    ReportWriter *w = writer.get();
    lblProgress_->setText(tr("Saving %1").arg(QFileInfo(path).fileName()));
    startOutput(std::move(writer), QStringLiteral("The report could not be saved as ") +
                                       QDir::toNativeSeparators(path) + QStringLiteral(". "));
    w->writePdf(path);
}

bool CollectionReport::saveAsPdf(const QString &path) {
    startPdf(path);
    return waitForOutput();
}

void CollectionReport::startPrint(QPrinter &printer) {
    int from = 1, to = 0;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage();
        to = printer.toPage();
    }
    auto writer = std::make_unique<ReportWriter>(layout_, rows_, dateText_);
    ReportWriter *w = writer.get();
    lblProgress_->setText(tr("Printing"));
    startOutput(std::move(writer), QStringLiteral("The report could not be printed. "));
    w->print(&printer, from, to);
}

bool CollectionReport::printTo(QPrinter &printer) {
    if (writer_ && writer_->isRunning())
        return false;
    startPrint(printer);
    return waitForOutput();
}

bool CollectionReport::waitForOutput() {
    if (!writer_)
        return false;
    const QPointer<CollectionReport> self(this);
    const bool ok = writer_->waitForFinished();
    return self && ok;
}

void CollectionReport::cancelOutput() {
    if (writer_)
        writer_->cancel();
}

QString CollectionReport::suggestedPdfName() const {
    QString name = layout_.title.trimmed();
    // An owner name may hold characters a file name cannot.
    static const QRegularExpression unfit(QStringLiteral("[/\\\\:*?\"<>|]"));
    name.replace(unfit, QStringLiteral("-"));
    return (name.isEmpty() ? QString::fromLatin1(kind_.name) : name) + QStringLiteral(".pdf");
}

void CollectionReport::cmdPrint_Click() {
    if (writer_ && writer_->isRunning())
        return;
    // The printer lives on with the window: the run prints on it after this returns.
    writer_.reset();
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrinter &printer = *printer_;
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageOrientation(layout_.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setFullPage(true);
    printer.setDocName(layout_.title);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dialog.exec() != QDialog::Accepted)
        return;
    startPrint(printer);
}

void CollectionReport::cmdSavePdf_Click() {
    if (writer_ && writer_->isRunning())
        return;
    const QString path = askPdfFileName(this, QDir::home().filePath(suggestedPdfName()));
    if (path.isEmpty())
        return;
    startPdf(path);
}

void CollectionReport::setPdfFileNameAsker(FileNameAsker asker) {
    fileNameAsker() = std::move(asker);
}

} // namespace reports

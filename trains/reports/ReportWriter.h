#pragma once
// Writes a report's pages to a PDF file or a printer on a thread of its own, so that the window
// keeps repainting and answering while thousands of pages are drawn. A PDF is written under a
// temporary name and takes its own only when every page is in it: a cancelled or failed run
// leaves no partial file behind.
#include "trains/reports/ReportLayout.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

class QMutex;
class QPrinter;
class QThread;

namespace engine {
class Recordset;
}

namespace reports {

// Held while a report's shared rows move their cursor, are closed, or are copied: the preview
// walks them on the window's thread while a run takes its own copy on its thread.
QMutex &sharedRowsMutex();

class ReportWriter : public QObject {
    Q_OBJECT
  public:
    // The run copies the rows on its own thread (a 100,000-row copy would hold up the window),
    // so the preview may go on moving through them meanwhile.
    ReportWriter(ReportLayout layout, const std::shared_ptr<engine::Recordset> &rows,
                 QString dateText, QObject *parent = nullptr);
    // Stops a run still going (after the page being drawn) and waits for its thread.
    ~ReportWriter() override;

    // One run per writer. The printer must outlive the run; pages as BandedRenderer::print.
    void writePdf(const QString &path);
    void print(QPrinter *printer, int from, int to);

    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }
    bool isRunning() const { return running_; }
    bool succeeded() const { return ok_; }
    // Why a PDF could not be written, when the file said (read after finished).
    QString failure() const { return failure_; }
    int pagesDone() const { return done_; }
    int pageTotal() const { return total_; }
    // Lets window events run until the run has ended; its result.
    bool waitForFinished();

  signals:
    // In the window's thread, once the run has ended; false when it failed or was cancelled.
    void finished(bool ok);

  private:
    void start(std::function<bool()> work);
    bool progress(int done, int total);

    const ReportLayout layout_;
    const std::shared_ptr<engine::Recordset> shared_;
    std::shared_ptr<engine::Recordset> rows_; // the run's own copy
    const QString dateText_;
    QThread *thread_ = nullptr;
    QPrinter *printer_ = nullptr;
    std::atomic<bool> cancelled_{false};
    std::atomic<int> done_{0};
    std::atomic<int> total_{0};
    bool ok_ = false;
    QString failure_;
    bool running_ = false;
};

} // namespace reports

#include "trains/reports/ReportWriter.h"

#include "rails/engine/Recordset.h"
#include "rails/exchange/SafeTarget.h"
#include "trains/modGlobal.h"
#include "trains/reports/BandedRenderer.h"

#include "platform/Error.h"

#include <QEventLoop>
#include <QMutex>
#include <QPdfWriter>
#include <QPointer>
#include <QPrinter>
#include <QSaveFile>
#include <QThread>

namespace reports {

ReportWriter::ReportWriter(ReportLayout layout, const std::shared_ptr<engine::Recordset> &rows,
                           QString dateText, QObject *parent)
    : QObject(parent), layout_(std::move(layout)), shared_(rows), dateText_(std::move(dateText)) {}

ReportWriter::~ReportWriter() {
    if (thread_) {
        cancel();
        thread_->wait();
        delete thread_;
    }
}

QMutex &sharedRowsMutex() {
    static QMutex m;
    return m;
}

bool ReportWriter::progress(int done, int total) {
    total_ = total;
    done_ = done;
    if (!cancelled_)
        return true;
    // A printer told to abort drops the pages it was given instead of printing them.
    if (printer_)
        printer_->abort();
    return false;
}

void ReportWriter::start(std::function<bool()> work) {
    if (thread_)
        return;
    running_ = true;
    thread_ = QThread::create([this, work = std::move(work)] {
        if (shared_) {
            const QMutexLocker lock(&sharedRowsMutex());
            rows_ = std::make_shared<engine::Recordset>(shared_->clone());
        }
        ok_ = work() && !cancelled_;
        // The copy goes with the thread that used it, not with the window's next event.
        rows_.reset();
    });
    connect(thread_, &QThread::finished, this, [this] {
        running_ = false;
        emit finished(ok_);
    });
    thread_->start();
}

void ReportWriter::writePdf(const QString &path) {
    start([this, path] {
        try {
            exchange::refuseCollectionTarget(
                ProgramFolder() + QStringLiteral("/zerizori/rails.trk"), path);
        } catch (const platform::Error &e) {
            failure_ = e.Description();
            failure_.chop(failure_.endsWith(QLatin1Char('.')) ? 1 : 0); // the caller ends it
            return false;
        }
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            failure_ = platform::writeFailureReason(file);
            return false;
        }
        bool ok = false;
        {
            QPdfWriter pdf(&file);
            pdf.setCreator(kAppTitle);
            pdf.setTitle(layout_.title);
            pdf.setPageLayout(BandedRenderer::paperLayout(layout_.landscape));
            // Fonts and the renderer belong to the thread that draws with them.
            BandedRenderer out(layout_, rows_, dateText_);
            ok = out.print(pdf, 1, 0, [this](int d, int t) { return progress(d, t); });
        }
        if (!ok || cancelled_) {
            file.cancelWriting();
            return false;
        }
        if (!file.commit()) {
            failure_ = platform::writeFailureReason(file);
            return false;
        }
        return true;
    });
}

void ReportWriter::print(QPrinter *printer, int from, int to) {
    printer_ = printer;
    start([this, printer, from, to] {
        BandedRenderer out(layout_, rows_, dateText_);
        return out.print(*printer, from, to, [this](int d, int t) { return progress(d, t); });
    });
}

bool ReportWriter::waitForFinished() {
    if (!running_)
        return ok_;
    QPointer<ReportWriter> self(this);
    QEventLoop loop;
    connect(this, &ReportWriter::finished, &loop, &QEventLoop::quit);
    // The window may close while the run is waited for; its writer goes with it.
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
    return self && self->ok_;
}

} // namespace reports

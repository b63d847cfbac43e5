#include "trains/collection/BackgroundWork.h"

#include "platform/Error.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"

#include <QDir>
#include <QEventLoop>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <memory>

namespace collection {

WorkResult runInBackground(QWidget *parent, const QString &label,
                           const std::function<void(const exchange::Progress &)> &work) {
    std::atomic<qint64> done{0}, total{0};
    std::atomic<bool> cancel{false};
    WorkResult result;

    QProgressDialog dialog(label, QStringLiteral("Cancel"), 0, 0, parent);
    dialog.setObjectName(QStringLiteral("collectionProgress"));
    dialog.setWindowTitle(QStringLiteral("Quillon"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(400);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    QObject::connect(&dialog, &QProgressDialog::canceled, [&] { cancel = true; });

    std::unique_ptr<QThread> thread(QThread::create([&] {
        platform::trap(
            [&] {
                work([&](qint64 d, qint64 n) {
                    done = d;
                    total = n;
                    return !cancel.load();
                });
            },
            [&](const platform::Error &e) {
                result = {false, e.Number(), e.Description()};
            });
    }));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer tick;
    tick.setInterval(100);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 n = total.load();
        // Percent steps keep counts beyond int's range usable.
        dialog.setMaximum(n > 0 ? 100 : 0);
        dialog.setValue(n > 0 ? int(done.load() * 100 / n) : 0);
    });
    thread->start();
    tick.start();
    loop.exec();
    thread->wait();
    return result;
}

QString documentsFolder() {
    const QString d = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return d.isEmpty() ? QDir::homePath() : d;
}

QString itemCount(qint64 n) {
    return platform::formatNumber(double(n), QStringLiteral("##,##0")) +
           (n == 1 ? QStringLiteral(" item") : QStringLiteral(" items"));
}

void reportFailure(const WorkResult &r, const QString &title) {
    platform::MsgBox(r.description + platform::vbCrLf + platform::vbCrLf +
                         QStringLiteral("Nothing was changed."),
                     r.cancelled() ? platform::exclamation() : platform::critical(), title);
}

void reportDone(const QString &text, const QString &title) {
    platform::MsgBox(
        text, {platform::MsgIcon::None, platform::MsgButtons::OK, platform::MsgDefault::Button1},
        title);
}

} // namespace collection

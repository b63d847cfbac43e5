#include "trains/collection/BackgroundWork.h"

#include "platform/Error.h"

#include <QEventLoop>
#include <QProgressDialog>
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

} // namespace collection

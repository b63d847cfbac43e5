#pragma once
// What the shell tests share: a program folder laid out like an installation, a clean set of
// program-wide variables between tests, and driving a modal form while its loop runs.
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QTimer>
#include <functional>
#include <memory>

namespace testing {

// The program folder the build lays out (build/Quillon), seen from a test executable.
QString builtProgramFolder();
// Copies the pictures, the About text and the help collection of the built program folder
// into `folder`.
void copyProgramResources(const QString &folder);

// Drops the program-wide variables and closes every top-level window.
void resetProgramState();

// Runs `drive` on the first modal widget of type T that appears, while its modal loop runs.
template <class T> void whenModal(std::function<void(T *)> drive) {
    auto *poll = new QTimer;
    poll->setInterval(2);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, drive] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            drive(w);
        }
    });
    poll->start();
}

} // namespace testing

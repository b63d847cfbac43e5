#include "platform/Pointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace platform {

namespace {
Pointer current = Pointer::Default;
}

void setScreenPointer(Pointer p) {
    current = p;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    switch (p) {
    case Pointer::Default:
        break;
    case Pointer::Arrow:
        QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
        break;
    case Pointer::Wait:
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        break;
    case Pointer::IBeam:
        QGuiApplication::setOverrideCursor(QCursor(Qt::IBeamCursor));
        break;
    }
}

Pointer screenPointer() {
    return current;
}

} // namespace platform

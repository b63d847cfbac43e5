#include "platform/Clock.h"

namespace platform {

namespace {
std::function<QDateTime()> &clock() {
    static std::function<QDateTime()> c;
    return c;
}
} // namespace

QDateTime now() {
    return clock() ? clock()() : QDateTime::currentDateTime();
}

void setClock(std::function<QDateTime()> c) {
    clock() = std::move(c);
}

} // namespace platform

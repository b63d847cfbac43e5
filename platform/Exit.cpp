#include "platform/Exit.h"

#include "platform/Instance.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {
ExitHook &hook() {
    static ExitHook h;
    return h;
}
bool requested = false;
} // namespace

void setExitHook(ExitHook h) {
    hook() = std::move(h);
    requested = false;
}

bool exitRequested() {
    return requested;
}

void exitProcess(int code) {
    requested = true;
    if (hook()) {
        hook()(code);
        return;
    }
    releaseInstanceLocks();
    std::fflush(nullptr);
    std::_Exit(code);
}

} // namespace platform

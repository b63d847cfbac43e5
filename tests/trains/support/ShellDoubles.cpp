#include "tests/trains/support/ShellDoubles.h"

#include "platform/Clock.h"
#include "platform/Exit.h"
#include "platform/Help.h"

namespace testing {

std::shared_ptr<FakeRegistry> FakeRegistry::install() {
    auto r = std::shared_ptr<FakeRegistry>(new FakeRegistry);
    platform::setRegistryBackend(r);
    return r;
}

FakeRegistry::~FakeRegistry() = default;

QString FakeRegistry::keyOf(std::uint32_t root, const QString &path) {
    return QString::number(root) + QLatin1Char('|') + path.toLower();
}

void FakeRegistry::setValue(std::uint32_t root, const QString &key, const QString &name,
                            const platform::RegistryValue &value) {
    keys_[keyOf(root, key)].insert(name.toLower(), value);
}

void FakeRegistry::addKey(std::uint32_t root, const QString &key) {
    keys_[keyOf(root, key)];
}

bool FakeRegistry::hasKey(std::uint32_t root, const QString &path) const {
    return keys_.contains(keyOf(root, path));
}

std::optional<platform::RegistryValue> FakeRegistry::value(std::uint32_t root, const QString &path,
                                                           const QString &name) const {
    const auto k = keys_.constFind(keyOf(root, path));
    if (k == keys_.constEnd())
        return std::nullopt;
    const auto v = k->constFind(name.toLower());
    if (v == k->constEnd())
        return std::nullopt;
    return *v;
}

FakeShell::FakeShell() {
    platform::setShellHandler([this](const QString &commandLine, platform::WindowStyle style) {
        calls.append({commandLine, style});
        return !fail;
    });
}

FakeShell::~FakeShell() {
    platform::setShellHandler({});
}

namespace {
ExitRecorder *currentExitRecorder = nullptr;
}

ExitRecorder::ExitRecorder() {
    currentExitRecorder = this;
    platform::setExitHook([this](int) { ++exits; });
}

// `exits = std::make_unique<ExitRecorder>()` builds the new recorder before the old one goes:
// only the newest one may restore the real exit, or the test process would end in silence.
ExitRecorder::~ExitRecorder() {
    if (currentExitRecorder != this)
        return;
    currentExitRecorder = nullptr;
    platform::setExitHook({});
}

HelpRecorder::HelpRecorder() {
    platform::setHelpHandler([this](const QString &file) { shown << file; });
}

HelpRecorder::~HelpRecorder() {
    platform::setHelpHandler({});
}

RunningClock::RunningClock(int stepMs, QDateTime start) : now_(std::move(start)) {
    platform::setClock([this] { return now_; });
    timer_.setInterval(1);
    QObject::connect(&timer_, &QTimer::timeout, this, [this, stepMs] {
        now_ = now_.addMSecs(stepMs);
        ++ticks_;
    });
    timer_.start();
}

RunningClock::~RunningClock() {
    platform::setClock({});
}

} // namespace testing

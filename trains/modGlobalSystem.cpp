// The shared procedures that reach beyond the forms: waiting, ending the program and reading
#include "rails/BlankTrim.h"
// the registry.
#include "trains/modGlobal.h"

#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/Exit.h"
#include "platform/Pointer.h"
#include "platform/Registry.h"

#include <QDir>
#include <QEventLoop>
#include <QMdiSubWindow>
#include <QTimer>
#include <QWidget>

namespace {
std::function<void()> &reportRelease() {
    static std::function<void()> r;
    return r;
}

QDateTime toWholeSecond(QDateTime t) {
    const QTime tm = t.time();
    t.setTime(QTime(tm.hour(), tm.minute(), tm.second()));
    return t;
}

} // namespace

dllRails &Rails() {
    if (!objRails)
        throw platform::Error(platform::ErrObjectNotSet,
                              QStringLiteral("Object variable or With block variable not set"));
    return *objRails;
}

void UnloadForm(QWidget *form) {
    if (!form)
        return;
    if (auto *sub = qobject_cast<QMdiSubWindow *>(form->parentWidget()))
        sub->close();
    else
        form->close();
}

bool Pause(qint16 seconds) {
    platform::resumeNext([seconds] {
        const QDateTime start = toWholeSecond(platform::now());
        const auto passed = [&] { return start.secsTo(toWholeSecond(platform::now())) > seconds; };
        if (passed())
            return;
        // Wait in the event loop, looking at the clock on every short tick, instead of
        // spinning: window events run as before and the processor stays free.
        QEventLoop loop;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            if (passed())
                loop.quit();
        });
        tick.start();
        loop.exec();
    });
    return true;
}

void SetReportRelease(std::function<void()> release) {
    reportRelease() = std::move(release);
}

void ShutDown() {
    using platform::resumeNext;
    // No file stays open between writes (every log entry closes its file), so there is
    // nothing to close before the shared objects are released.
    resumeNext([] {
        if (reportRelease())
            reportRelease()();
    });
    resumeNext([] { CloseRecordset(); });
    resumeNext([] { objRails.reset(); });
    resumeNext([] { QDir::setCurrent(ProgramFolder()); });
    resumeNext([] { platform::setScreenPointer(platform::Pointer::Default); });
    platform::exitProcess(0);
}

std::uint32_t RootKeyFromFlags(bool classesRoot, bool currentConfig, bool currentUser, bool dynData,
                               bool localMachine, bool performanceData, bool users) {
    using namespace platform;
    const std::pair<bool, std::uint32_t> order[] = {{classesRoot, HKEY_CLASSES_ROOT},
                                                    {currentConfig, HKEY_CURRENT_CONFIG},
                                                    {currentUser, HKEY_CURRENT_USER},
                                                    {dynData, HKEY_DYN_DATA},
                                                    {localMachine, HKEY_LOCAL_MACHINE},
                                                    {performanceData, HKEY_PERFORMANCE_DATA},
                                                    {users, HKEY_USERS}};
    for (const auto &[set, root] : order)
        if (set)
            return root;
    return 0;
}

QString GetRegistryString(const QString &keyPath, const QString &valueName, bool classesRoot,
                          bool currentConfig, bool currentUser, bool dynData, bool localMachine,
                          bool performanceData, bool users, bool trailingSeparator) {
    using namespace platform;
    constexpr std::uint32_t kBufferSize = 255;
    QByteArray buffer(kBufferSize, ' ');
    std::uint32_t size = kBufferSize;
    const std::uint32_t root = RootKeyFromFlags(classesRoot, currentConfig, currentUser, dynData,
                                                localMachine, performanceData, users);
    QString result;
    HKEY key = 0;
    if (RegOpenKeyEx(root, keyPath, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS &&
        RegQueryValueEx(key, valueName, nullptr, buffer.data(), &size) == ERROR_SUCCESS) {
        // The size counts the terminating zero.
        result = trimBlanks(QString::fromLocal8Bit(buffer.constData(), size > 0 ? size - 1 : 0));
        if (trailingSeparator && !result.endsWith(QLatin1Char('\\')))
            result += QLatin1Char('\\');
    }
    RegCloseKey(key);
    return result;
}

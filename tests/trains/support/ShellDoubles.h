#pragma once
// Test doubles for the desktop services the program shell uses: a registry map, a recording
// program starter, a recorded process exit, a recorded help window and a clock that runs on
// its own while the program waits.
#include "platform/Registry.h"
#include "platform/Shell.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

namespace testing {

// A registry made of a map; installed for the double's lifetime.
class FakeRegistry : public platform::RegistryBackend {
  public:
    static std::shared_ptr<FakeRegistry> install();
    ~FakeRegistry() override;
    void setValue(std::uint32_t root, const QString &key, const QString &name,
                  const platform::RegistryValue &value);
    void setText(std::uint32_t root, const QString &key, const QString &name, const QString &text) {
        setValue(root, key, name, platform::RegistryValue::text(text));
    }
    void addKey(std::uint32_t root, const QString &key);

    bool hasKey(std::uint32_t root, const QString &path) const override;
    std::optional<platform::RegistryValue> value(std::uint32_t root, const QString &path,
                                                 const QString &name) const override;

  private:
    static QString keyOf(std::uint32_t root, const QString &path);
    QHash<QString, QHash<QString, platform::RegistryValue>> keys_;
};

// Records every command line instead of starting it; `fail` makes starting fail.
class FakeShell {
  public:
    FakeShell();
    ~FakeShell();
    struct Call {
        QString commandLine;
        platform::WindowStyle style;
    };
    QList<Call> calls;
    bool fail = false;
};

// Records process exits instead of ending the test.
class ExitRecorder {
  public:
    ExitRecorder();
    ~ExitRecorder();
    int exits = 0;
};

// Records the collections the help window is asked to show.
class HelpRecorder {
  public:
    HelpRecorder();
    ~HelpRecorder();
    QStringList shown;
};

// A fake clock that moves forward by `step` milliseconds every millisecond of real time the
// event loop runs, so a wait of seconds passes in a few real milliseconds.
class RunningClock : public QObject {
  public:
    explicit RunningClock(int stepMs = 20,
                          QDateTime start = QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));
    ~RunningClock() override;
    QDateTime now() const { return now_; }
    qint64 ticks() const { return ticks_; }

  private:
    QDateTime now_;
    QTimer timer_;
    qint64 ticks_ = 0;
};

} // namespace testing

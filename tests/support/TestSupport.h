#pragma once
// Fixtures shared by the test executables: a temporary program folder with an empty database,
// a scripted message box, a fake clock, and direct reads of the database and error.log.
#include "platform/MsgBox.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <deque>

namespace testing {

// A program folder of its own: zerizori/rails.trk created from the schema; the store points
// at it for the fixture's lifetime.
class ProgramFolder {
  public:
    ProgramFolder();
    ~ProgramFolder();
    QString path() const { return dir_.path(); }
    QString databasePath() const { return dir_.path() + QStringLiteral("/zerizori/rails.trk"); }
    QString logPath() const { return dir_.path() + QStringLiteral("/error.log"); }
    QString readLog() const; // whole file, empty when absent

    // Direct reads and writes through SQLite, not through the code under test.
    QList<QVariantList> query(const QString &sql) const;
    QVariant scalar(const QString &sql) const;
    void exec(const QString &sql) const;

  private:
    QTemporaryDir dir_;
};

// Stores the owner profile Ann Lee (OwnerID O-1, 1 Depot Road, Springfield IL 62701, added
// 2026-03-01 10:00:00) with this e-mail address (plain text, no quotes), as the owner's entry
// form would.
void storeOwnerProfile(const ProgramFolder &pf,
                       const QString &email = QStringLiteral("ann@example.org"));

// Records every message box and answers from a queue. A box that finds no answer queued is
// answered OK, No or Cancel and counted as unexpected.
class ScriptedMsgBox {
  public:
    ScriptedMsgBox();
    ~ScriptedMsgBox();
    void answer(platform::MsgResult r) { answers_.push_back(r); }
    const QList<platform::MsgRequest> &boxes() const { return boxes_; }
    int unexpected() const { return unexpected_; }
    void clear() {
        boxes_.clear();
        unexpected_ = 0;
        answers_.clear();
    }
    // A hook run while a box is "on screen" (for example to look at the database then).
    std::function<void(const platform::MsgRequest &)> onShow;

  private:
    QList<platform::MsgRequest> boxes_;
    std::deque<platform::MsgResult> answers_;
    int unexpected_ = 0;
};

// A fixed clock that tests move by hand.
class FakeClock {
  public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53)));
    ~FakeClock();
    void set(const QDateTime &t) { now_ = t; }
    void advance(int seconds) { now_ = now_.addSecs(seconds); }
    QDateTime now() const { return now_; }

  private:
    QDateTime now_;
};

// A disk that fills up, as far as this process can tell: while it lives, no file may grow
// past `bytes` (a write beyond fails as on a full disk, instead of ending the process).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(long long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

  private:
    unsigned long long saved_ = 0;
    void (*savedHandler_)(int) = nullptr;
};

} // namespace testing

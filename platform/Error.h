#pragma once
// One error type for the whole program, shaped like a classic error object: a number and a
// description. Two styles cover every procedure: run a step and go on regardless
// (resumeNext), or trap the errors of a block in one handler (trap).
#include <QString>
#include <exception>
#include <functional>

class QFileDevice;

namespace platform {

// Numbers the program logic tests for.
enum ErrorNumber : int {
    ErrFileNotFound = 53,
    ErrPathFileAccess = 75,
    ErrObjectNotSet = 91,
    ErrClassNotCreated = 430,
    ErrNoCurrentRecord = 3021,
    ErrObjectOpen = 3705,
    ErrObjectClosed = 3704,
    ErrItemNotFound = 3265,
};

class Error : public std::exception {
  public:
    Error(int number, QString description);
    int Number() const { return number_; }
    const QString &Description() const { return description_; }
    const char *what() const noexcept override { return what_.constData(); }

  private:
    int number_;
    QString description_;
    QByteArray what_;
};

// Runs one step; any error it raises is dropped and the caller goes on with its next step.
// Returns true when the step ran without an error.
bool resumeNext(const std::function<void()> &step);

// Runs a block; the first error it raises ends the block and goes to the handler.
// Errors that are not ours (std::exception) are turned into an Error with number 5
// ("Invalid procedure call") so the handler sees one type. Returns true when no error.
bool trap(const std::function<void()> &block, const std::function<void(const Error &)> &handler);

// Why writing a file failed, as the file reports it; a write the system refused without a
// reason (a full disk, a file grown past what the disk or the user may have) says what is
// likely instead of "Unknown error".
QString writeFailureReason(const QFileDevice &file);

} // namespace platform

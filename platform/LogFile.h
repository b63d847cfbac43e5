#pragma once
// Appending blocks of lines to the shared error.log: plain text, CR LF line ends, the file
// closed after each block.
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace platform {

// Appends the lines; when the file does not exist yet, `banner` is written first.
// Returns false when the file cannot be written (the caller goes on regardless).
bool appendLogBlock(const QString &path, const QStringList &bannerIfNew, const QStringList &lines);

// The record line of a log entry: the date, the time and the error text as three items on
// one line, each starting at the next print zone of 14 columns.
QString logRecordLine(const QDateTime &when, const QString &errorText);

} // namespace platform

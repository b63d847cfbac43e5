#pragma once
// The store's entries in error.log.
#include "platform/Error.h"

#include <QString>

namespace rails {

enum class LogEntryKind {
    Operation,   // a failed operation: banner with 14 blanks before the product name
    OwnerUpdate, // a failed owner update: its banner has 13 blanks
    Creation,    // a failed object creation: its own heading and a shorter closing rule
};

// Writes one entry for the error under the given label; false when the file is unwritable.
bool writeErrorLog(const QString &folder, const QString &label, const platform::Error &e,
                   LogEntryKind kind);

} // namespace rails

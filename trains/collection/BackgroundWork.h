#pragma once
// Long collection work (backup, restore, export, import) runs on a worker thread while a
// progress dialog with Cancel keeps the window painting. The work must not touch widgets or
// show message boxes; it reports through the progress function and raises platform::Error.
#include "rails/exchange/Collection.h"

#include <QString>
#include <functional>

class QWidget;

namespace collection {

struct WorkResult {
    bool ok = true;
    int number = 0; // exchange::ErrUserInterrupt when the user cancelled
    QString description;
    bool cancelled() const { return number == exchange::ErrUserInterrupt; }
};

WorkResult runInBackground(QWidget *parent, const QString &label,
                           const std::function<void(const exchange::Progress &)> &work);

} // namespace collection

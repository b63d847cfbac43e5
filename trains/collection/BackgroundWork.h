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

// What the collection's file dialogs share: where they first look, how they count items, and
// the boxes that end a piece of work (a failure or a cancel says nothing was changed).
QString documentsFolder();
QString itemCount(qint64 n);
void reportFailure(const WorkResult &r, const QString &title);
void reportDone(const QString &text, const QString &title);

} // namespace collection

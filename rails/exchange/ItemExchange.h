#pragma once
// Items in and out of the collection as CSV. Export writes every item or one kind; import
// reads the program's own files and common spreadsheet layouts, checks each row with the
// rules of the add forms, and writes the rows that pass in one transaction, numbered as the
// add forms number new items.
#include "rails/exchange/Collection.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariantList>
#include <optional>

namespace exchange {

enum class ItemKind { Car, Loco, Set, Track, Accessory };

// "cars", "locos" or "sets" (and the names the Kind column takes); nullopt when unknown.
std::optional<ItemKind> kindFromText(const QString &text);
QString kindName(ItemKind kind); // as the Kind column writes it

// Writes the items (all, or one kind) to `file` (replaced whole, or left as it was on a
// failure). Returns the number of items written.
qint64 exportItems(const QString &db, const QString &file, std::optional<ItemKind> kind = {},
                   const Progress &progress = {});

struct ImportProblem {
    int line = 0;
    QString reason;
};

struct ImportRow {
    int line = 0;
    ItemKind kind = ItemKind::Car;
    // Manufacturer, rail line, type, number, gauge, curve, colour, acquired from, condition,
    // box, notes; the two amounts; the date.
    QStringList text;
    double cost = 0;
    double value = 0;
    QDate acquired;
};

struct ImportPlan {
    QString encoding;
    QChar delimiter;
    QStringList columns;        // the file's header as matched ("Rail Line" for "Road Name")
    QStringList ignoredColumns; // header names the import does not use
    QList<ImportRow> ready;
    QList<ImportProblem> problems;
};

// Reads and checks a file without writing anything. `kind` is the kind of rows without a
// Kind column or with an empty one; rows of no known kind are problems. Dates after `today`
// are problems, as on the add forms. Raises platform::Error when the file as a whole cannot
// be read (empty, not text, no header, unterminated quote, overlong line).
ImportPlan planImport(const QString &file, std::optional<ItemKind> kind, const QDate &today);

// Writes the ready rows in one transaction: all of them, or (on a failure or Cancel) none.
// Returns the number written.
qint64 importItems(const QString &db, const ImportPlan &plan, const Progress &progress = {});

} // namespace exchange

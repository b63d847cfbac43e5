#pragma once
// Inside the item exchange: the kinds' columns, the rules a row is checked by once the file's
// formats and mapping are settled, and the items already in the collection that a row may
// repeat or update.
#include "rails/engine/Connection.h"
#include "rails/exchange/Csv.h"
#include "rails/exchange/ItemExchange.h"

#include <QHash>
#include <QSet>
#include <array>

namespace exchange::detail {

engine::Connection &openConnection(engine::Connection &c, const QString &db);

// Indexes into ImportRow::text.
enum TextAt {
    tMaker,
    tLine,
    tType,
    tNumber,
    tGauge,
    tCurve,
    tColor,
    tFrom,
    tCondition,
    tBox,
    tNotes,
    kTextCount
};

struct RowRules {
    ImportOptions options; // settled: kind, formats and mapping
    QStringList header;
    QStringList firstValues;
    std::array<int, kFieldCount> at{}; // the column of each field, -1 when none
    QList<int> notesColumns;           // appended to the notes as "Header: value"
    bool boxBlankIsNo = false;         // the box column marks with x and leaves the rest blank
};

// Reads a sample of the file (the first rows) and settles what options leave open.
RowRules settleRules(CsvReader &reader, const ImportOptions &options);

// Checks one record. A refused row comes back with status Refused and `problem` filled;
// an incomplete one with status Incomplete and `problem` naming what is missing.
ImportRow checkRecord(const RowRules &rules, const CsvRecord &record, ImportProblem &problem);

// The items of the collection as import compares rows with them.
class ExistingItems {
  public:
    ExistingItems() = default;
    ExistingItems(engine::Connection &c, const RowRules &rules);
    bool isDuplicate(const ImportRow &row) const;
    // The fields of the item the row names that differ; nullopt when no such item exists.
    std::optional<QStringList> changesTo(const ImportRow &row) const;
    bool exists(const QString &itemId) const {
        return byId_.contains(itemId.toUpper()) || claimed_.contains(itemId.toUpper());
    }
    void claim(const QString &itemId) { claimed_.insert(itemId.toUpper()); }
    void add(const ImportRow &row, const QString &itemId);
    bool compares(Field f) const { return compared_[f]; }

  private:
    QByteArray key(const ImportRow &row) const;
    std::array<bool, kFieldCount> compared_{};
    QSet<QByteArray> keys_;
    QHash<QString, ImportRow> byId_;
    QSet<QString> claimed_; // numbers this import gave out
};

// Settles a checked row against the collection: a duplicate, an update of the item it names,
// or (as checked) a row to add.
RowStatus classify(const ExistingItems &existing, ImportRow &row, const ImportOptions &options);

} // namespace exchange::detail

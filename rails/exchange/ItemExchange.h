#pragma once
// Items in and out of the collection as CSV. Export writes every item or one kind; import
// reads the program's own files and the sheets collectors keep: each column goes to the field
// the mapping names, values are read in the formats the file uses, and only rows that cannot
// be an item are refused. Rows lacking what the add forms require come in with those fields
// blank; rows already in the collection are skipped or update their item. The file is read as
// a stream twice (to check, then to write), so memory stays bounded whatever its size.
#include "rails/ItemKind.h"
#include "rails/exchange/Collection.h"
#include "rails/exchange/ImportFormats.h"
#include "rails/exchange/ImportMapping.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace exchange {

// The display names, plural forms and the usual words ("Wagon", "Engine", "Set"); nullopt
// when unknown. The Kind column writes kindName().
std::optional<ItemKind> kindFromText(const QString &text);

// Writes the items (all, or one kind) to `file` (replaced whole, or left as it was on a
// failure). Returns the number of items written.
qint64 exportItems(const QString &db, const QString &file, std::optional<ItemKind> kind = {},
                   const Progress &progress = {});

struct ExportOptions {
    std::optional<ItemKind> kind;  // one kind, or all
    QList<int> fields;             // the columns (Field values) in their order; empty: all
    std::optional<QLocale> locale; // a spreadsheet's form in this locale; none: plain
    QList<qint64> ids;             // only these items, in this order (as Browse shows them)
    // The collector's fields (FieldIDs) written after the designed columns, one column each
    // headed by the field's name; none given: every field.
    std::optional<QList<qint64>> ownFields;
};
qint64 exportItems(const QString &db, const QString &file, const ExportOptions &options,
                   const Progress &progress = {});

// The fixed lists a value is matched to; empty lists match nothing.
struct ChoiceLists {
    QStringList makers, carTypes, locoTypes, gauges, curves, conditions;
};

struct ImportOptions {
    std::optional<ItemKind> kind; // of rows without a Kind column or with an empty one
    QDate today;                  // dates after it are refused, as on the add forms
    std::optional<QChar> delimiter;
    std::optional<DateOrder> dateOrder;
    std::optional<DecimalMark> decimalMark;
    std::optional<Mapping> mapping; // guessed when not given
    QStringList mapChoices;         // "Header=Field" choices applied over the guesses
    ChoiceLists choices;
    bool addDuplicates = false; // rows equal to an item of their kind: skipped by default
    bool addExisting = false;   // rows naming an existing item number: update it by default
    QList<OwnField> ownFields;  // the collector's fields a column may go to
};

enum class RowStatus { Ready, Incomplete, Refused, Duplicate, Update };

struct ImportProblem {
    int line = 0; // the spreadsheet's row number (the header is row 1)
    RowStatus status = RowStatus::Refused;
    QString item;   // maker, type and number as far as the row has them
    QString column; // the column at fault (empty for the row as a whole)
    QString value;
    QString reason;
    QStringList fields; // the row as read, for a refused row to be fixed and read again
};

struct ImportRow {
    int line = 0;
    ItemKind kind = ItemKind::Car;
    RowStatus status = RowStatus::Ready;
    // Manufacturer, rail line, type, number, gauge, curve, colour, acquired from, condition,
    // box, notes; the two amounts and the date (blank: unknown).
    QStringList text;
    std::optional<double> cost, value;
    QDate acquired;
    QString itemId;         // the number the row names, when it does
    QStringList newChoices; // fields whose value no list holds
    QStringList missing;    // fields the add forms require that the row leaves blank
    QStringList changed;    // for an update: the fields that differ
    QList<std::pair<qint64, QString>> ownValues; // FieldID and value of the collector's fields
};

struct ImportPlan {
    QString file;
    ImportOptions options; // as settled: delimiter, formats and mapping filled in
    QString encoding;
    QStringList header;
    QStringList firstValues;    // each column's first filled value
    QStringList columns;        // the fields the file fills, named as the export does
    QStringList ignoredColumns; // header names the import does not use
    qint64 rows = 0;
    qint64 ready = 0, incomplete = 0, refused = 0, duplicates = 0, updates = 0;
    qint64 newChoices = 0;
    // The values of the rows to write that no choice list holds, by list ("Manufacturer",
    // "CarType", "LocoType", "Gauge", "Curve", "Condition"), each once.
    QMap<QString, QStringList> newChoiceEntries;
    QList<ImportRow> sample;       // the first rows, for the preview
    QList<ImportProblem> problems; // refused, incomplete and duplicate rows (the first ones)
    qint64 fileSize = 0;
    QDateTime fileModified;

    qint64 toWrite() const { return ready + incomplete + updates; }
    qint64 toSkip() const { return refused + duplicates; }
};

// How many problem rows a plan keeps (the counts go on); enough for any sheet kept by hand.
inline constexpr int kMaxListedProblems = 10000;
inline constexpr int kSampleRows = 200;

// Reads and checks a file without writing anything. Raises platform::Error when the file as
// a whole cannot be read (empty, not text, no header, unterminated quote, overlong line) or
// when no kind is known for a file without a Kind column.
ImportPlan planImport(const QString &file, const ImportOptions &options, const QString &db = {},
                      const Progress &progress = {});
ImportPlan planImport(const QString &file, std::optional<ItemKind> kind, const QDate &today);

// Writes the rows the plan takes in one transaction: all of them, or (on a failure or Cancel)
// none. The file is read again and must not have changed since the plan. Returns the number
// of items added or updated.
qint64 importItems(const QString &db, const ImportPlan &plan, const Progress &progress = {});

// The refused rows as CSV (the file's header and a Reason column), ready to fix and import.
void saveProblems(const ImportPlan &plan, const QString &file);

} // namespace exchange

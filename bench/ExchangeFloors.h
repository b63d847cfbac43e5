#pragma once
// The floors of CSV export and import: the same work the program does, written plainly over
// SQLite's C API and bytes, with nothing of the program's own code.
#include <QString>
#include <cstdint>

namespace bench {

// Writes every item of the collection at `db` to `file` as the export's plain form does: the
// same SELECT, the same sixteen columns (kind from the flags, number and colour chosen as the
// export chooses them), amounts with two decimals, ISO dates, a leading apostrophe before a
// text a spreadsheet would take for a formula, RFC 4180 quoting, a UTF-8 byte-order mark and
// CR LF line ends, into a temporary file renamed into place. Returns the items written.
std::int64_t exportFloor(const QString &db, const QString &file);

// Reads the plain-form CSV `csv` (a byte-order mark, quoted fields) and adds its rows to the
// collection at `db` as the import does: every cell with the formula apostrophe removed and
// trimmed, the kind read from its words, the item number kept when it is free, each text
// checked against its form's length and for line breaks, amounts read and checked from 0 to
// 9,999,999.99, dates read and checked against `today` (yyyy-mm-dd), the box read as yes or
// no, the notes' line ends folded, the rows the add forms would find incomplete noted, a
// duplicate key looked up, and every row inserted by one prepared statement in one
// transaction with the same 23 columns, `added` as DateAdd. Returns the rows written.
std::int64_t importFloor(const QString &db, const QString &csv, int todayYmd, const char *added,
                         std::int64_t *incompleteRows = nullptr);

} // namespace bench

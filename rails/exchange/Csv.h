#pragma once
// Comma-separated text as spreadsheets write and read it (RFC 4180): fields quoted when they
// hold the delimiter, a quote or a line break, quotes doubled inside. Reading finds the
// encoding (UTF-8 with or without a byte-order mark, UTF-16 with one, else Windows-1252) and
// the delimiter (comma, semicolon or tab) itself.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace exchange {

struct CsvRecord {
    int line = 0; // line of the file where the record starts (1-based)
    QStringList fields;
};

struct CsvTable {
    QString encoding; // "UTF-8", "UTF-16" or "Windows-1252"
    QChar delimiter;
    CsvRecord header;
    QList<CsvRecord> rows;
};

// The longest record the reader takes; a longer one means the file is not a table.
inline constexpr qsizetype kMaxRecordChars = 1 << 20;

// Decodes the file's bytes; raises platform::Error when they are not text.
QString decodeText(const QByteArray &bytes, QString *encoding = nullptr);

// Reads the whole table. `scoreHeader` says how many fields of a candidate header it knows;
// the delimiter that gives the most known fields wins. Raises platform::Error for an empty
// file, a file that is not text, an unterminated quote or an overlong record.
CsvTable readCsv(const QByteArray &bytes,
                 const std::function<int(const QStringList &)> &scoreHeader);

// One record with its line break (CR LF, as RFC 4180 writes it).
QString csvLine(const QStringList &fields, QChar delimiter = QLatin1Char(','));

} // namespace exchange

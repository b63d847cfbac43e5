#pragma once
// Comma-separated text as spreadsheets write and read it (RFC 4180): fields quoted when they
// hold the delimiter, a quote or a line break, quotes doubled inside. The reader works on a
// stream, so memory stays bounded whatever the file holds; it finds the encoding (UTF-8 with
// or without a byte-order mark, UTF-16 with one, Windows-1252 only for a file with no UTF-8
// sequence at all) and, when asked, the delimiter (comma, semicolon, tab or bar).
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <functional>
#include <memory>

namespace exchange {

struct CsvRecord {
    int line = 0; // line of the file where the record starts (1-based)
    QStringList fields;
};

// The longest record the reader takes; a longer one means the file is not a table.
inline constexpr qsizetype kMaxRecordChars = 64 * 1024;
// The largest file the reader takes (a million items fill about a quarter of it).
inline constexpr qint64 kMaxCsvBytes = qint64(1) << 30;

class CsvReader {
  public:
    // Opens the file and settles its encoding; raises platform::Error when it cannot be read,
    // is too large, or is not text (a NUL byte, a bad UTF-8 byte, a lone UTF-16 surrogate).
    explicit CsvReader(const QString &file);
    ~CsvReader();

    QString encoding() const { return encoding_; } // "UTF-8", "UTF-16" or "Windows-1252"
    QChar delimiter() const { return delimiter_; }
    void setDelimiter(QChar d) { delimiter_ = d; }
    // Reads the first record with each delimiter and keeps the one `score` likes best (ties:
    // the one giving more fields). Rewinds afterwards.
    void chooseDelimiter(const std::function<int(const QStringList &)> &score);

    // The next record, false at the end. Blank lines are skipped. Raises platform::Error for
    // an unterminated quote, an overlong record or a character that is not text.
    bool next(CsvRecord &record);
    void rewind();

    qint64 size() const { return size_; }
    qint64 position() const; // bytes consumed so far

  private:
    bool fill();
    // How many characters from the current one (at most `limit`) are plain field text.
    qsizetype plainRun(qsizetype limit) const;
    bool get(QChar &c);
    bool peekIs(QChar c);
    [[noreturn]] void fail(const QString &why) const;

    QFile file_;
    QString encoding_;
    QChar delimiter_ = QLatin1Char(',');
    qint64 size_ = 0;
    qint64 bomBytes_ = 0;
    std::unique_ptr<QStringDecoder> decoder_;
    QString buf_;
    qsizetype pos_ = 0;
    qint64 charsBefore_ = 0; // characters of earlier buffers
    int line_ = 1;
    bool highPending_ = false;
};

// Reads every record of a file (for small files and tests).
QList<CsvRecord> readAllRecords(const QString &file, QChar delimiter);

// One record with its line break (CR LF, as RFC 4180 writes it).
QString csvLine(const QStringList &fields, QChar delimiter = QLatin1Char(','));

// A text a spreadsheet would take for a formula (it begins with =, +, -, @, a tab or a carriage
// return) is written with a leading apostrophe, and reading removes exactly that apostrophe,
// so the round trip is exact whatever the text.
QString guardFormula(const QString &text);
QString unguardFormula(const QString &text);

} // namespace exchange

#include "rails/exchange/Csv.h"

#include "platform/Error.h"

#include <QDir>
#include <algorithm>
#include <array>

namespace exchange {

namespace {

using platform::Error;

constexpr qint64 kChunkBytes = 256 * 1024;

// Windows-1252 differs from Latin-1 only in 0x80-0x9F.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

QString fromCp1252(const QByteArray &bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *d = out.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *d++ = (b >= 0x80 && b < 0xA0) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
    }
    return out;
}

Error fileError(const QString &text) {
    return Error(platform::ErrPathFileAccess, text);
}

// What a pass over the bytes finds out about UTF-8.
struct Utf8Scan {
    bool multiByte = false; // at least one whole multi-byte sequence
    bool bad = false;
    qint64 badOffset = 0;
    int badLine = 0;
    unsigned char badByte = 0;
    bool nul = false;
};

// Checks the bytes as UTF-8 (no overlong forms, no surrogates), noting the first bad byte: the
// first byte of a broken sequence, or a byte that cannot start one.
Utf8Scan scanUtf8(QFile &f) {
    Utf8Scan s;
    int need = 0;
    unsigned char lo = 0x80, hi = 0xBF; // range of the next continuation byte
    unsigned char lead = 0;
    qint64 offset = 0, leadOffset = 0;
    int line = 1;
    const auto markBad = [&](unsigned char b, qint64 at) {
        if (!s.bad) {
            s.bad = true;
            s.badOffset = at;
            s.badLine = line;
            s.badByte = b;
        }
        need = 0;
    };
    QByteArray chunk;
    while (!(chunk = f.read(kChunkBytes)).isEmpty()) {
        for (const char ch : std::as_const(chunk)) {
            const auto b = static_cast<unsigned char>(ch);
            if (b == 0) {
                s.nul = true;
                return s;
            }
            if (need && b >= lo && b <= hi) {
                s.multiByte = s.multiByte || need == 1;
                --need;
                lo = 0x80;
                hi = 0xBF;
                ++offset;
                continue;
            }
            if (need) // the sequence broke off; this byte starts afresh
                markBad(lead, leadOffset);
            lo = 0x80;
            hi = 0xBF;
            lead = b;
            leadOffset = offset;
            if (b >= 0xC2 && b <= 0xDF) {
                need = 1;
            } else if (b >= 0xE0 && b <= 0xEF) {
                need = 2;
                lo = b == 0xE0 ? 0xA0 : 0x80;
                hi = b == 0xED ? 0x9F : 0xBF;
            } else if (b >= 0xF0 && b <= 0xF4) {
                need = 3;
                lo = b == 0xF0 ? 0x90 : 0x80;
                hi = b == 0xF4 ? 0x8F : 0xBF;
            } else if (b >= 0x80) {
                markBad(b, offset);
            } else if (b == '\n') {
                ++line;
            }
            ++offset;
            if (s.bad && s.multiByte)
                return s;
        }
    }
    if (need)
        markBad(lead, leadOffset);
    return s;
}

} // namespace

CsvReader::CsvReader(const QString &file) : file_(file) {
    const QString shown = QDir::toNativeSeparators(file);
    if (!file_.open(QIODevice::ReadOnly))
        throw Error(platform::ErrFileNotFound,
                    QStringLiteral("Cannot read %1: %2").arg(shown, file_.errorString()));
    size_ = file_.size();
    if (!file_.isSequential() && size_ > kMaxCsvBytes)
        throw fileError(QStringLiteral("%1 is larger than %2 MB; a table of items is far smaller.")
                            .arg(shown)
                            .arg(kMaxCsvBytes >> 20));
    const QByteArray head = file_.peek(4);
    if (head.isEmpty())
        throw fileError(QStringLiteral("The file is empty."));
    const auto bom = QStringConverter::encodingForData(head);
    if (bom && *bom != QStringConverter::Utf8) {
        encoding_ = QStringLiteral("UTF-16");
        bomBytes_ =
            (*bom == QStringConverter::Utf32LE || *bom == QStringConverter::Utf32BE) ? 4 : 2;
        decoder_ = std::make_unique<QStringDecoder>(*bom);
    } else {
        const Utf8Scan s = scanUtf8(file_);
        if (s.nul)
            throw fileError(QStringLiteral("The file is not a text file."));
        if (s.bad && s.multiByte)
            throw fileError(QStringLiteral("Line %1 holds the byte 0x%2 (byte %3 of the file), "
                                           "which is not UTF-8 text; the file is damaged or "
                                           "mixes encodings. Save it again as UTF-8.")
                                .arg(s.badLine)
                                .arg(int(s.badByte), 2, 16, QLatin1Char('0'))
                                .arg(s.badOffset + 1));
        encoding_ = s.bad ? QStringLiteral("Windows-1252") : QStringLiteral("UTF-8");
        if (!s.bad) {
            decoder_ = std::make_unique<QStringDecoder>(QStringConverter::Utf8);
            bomBytes_ = head.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        }
    }
    rewind();
}

CsvReader::~CsvReader() = default;

void CsvReader::rewind() {
    file_.seek(bomBytes_);
    if (decoder_)
        decoder_->resetState();
    buf_.clear();
    pos_ = 0;
    charsBefore_ = 0;
    line_ = 1;
    highPending_ = false;
}

qint64 CsvReader::position() const {
    return file_.pos();
}

void CsvReader::fail(const QString &why) const {
    throw fileError(why);
}

bool CsvReader::fill() {
    charsBefore_ += buf_.size();
    buf_.clear();
    pos_ = 0;
    while (buf_.isEmpty()) {
        const QByteArray bytes = file_.read(kChunkBytes);
        if (bytes.isEmpty())
            return false;
        buf_ = decoder_ ? decoder_->decode(bytes) : fromCp1252(bytes);
        if (decoder_ && decoder_->hasError())
            fail(QStringLiteral("Line %1 is not readable text.").arg(line_));
    }
    return true;
}

bool CsvReader::get(QChar &c) {
    if (pos_ >= buf_.size() && !fill()) {
        if (highPending_)
            fail(QStringLiteral("Line %1 ends in half a character (a lone surrogate).").arg(line_));
        return false;
    }
    c = buf_[pos_++];
    const ushort u = c.unicode();
    const bool low = QChar::isLowSurrogate(u);
    if (low != highPending_) {
        // Each character of a UTF-16 file is two bytes, after the two of its mark.
        fail(QStringLiteral("Line %1 holds half a character (a lone surrogate) at byte %2 of "
                            "the file; the file is damaged.")
                 .arg(line_)
                 .arg(bomBytes_ + 2 * (charsBefore_ + pos_ - (low ? 1 : 2)) + 1));
    }
    highPending_ = QChar::isHighSurrogate(u);
    if (u < 0x20 && u != '\t' && u != '\r' && u != '\n')
        fail(QStringLiteral("The file is not a text file (line %1 holds a control character).")
                 .arg(line_));
    return true;
}

bool CsvReader::peekIs(QChar c) {
    if (pos_ >= buf_.size()) {
        // Keep the characters not yet read: refilling drops the buffer.
        if (!fill())
            return false;
    }
    return buf_[pos_] == c;
}

qsizetype CsvReader::plainRun(qsizetype limit) const {
    // Characters that end a run or need the checks of get(): the delimiter, a quote, line
    // ends, other control characters and surrogates.
    if (highPending_) // the next character must be checked as the other half of a pair
        return 0;
    const char16_t d = delimiter_.unicode();
    const QChar *p = buf_.constData();
    qsizetype i = pos_;
    const qsizetype end = std::min(buf_.size(), pos_ + limit);
    while (i < end) {
        const char16_t u = p[i].unicode();
        if (u < 0x20 || u == '"' || u == d || (u >= 0xD800 && u <= 0xDFFF))
            break;
        ++i;
    }
    return i - pos_;
}

bool CsvReader::next(CsvRecord &record) {
    const QChar quote = QLatin1Char('"');
    for (;;) {
        record.fields.clear();
        record.line = line_;
        QString field;
        bool quoted = false, started = false, any = false;
        qsizetype chars = 0;
        int quoteLine = 0;
        QChar c;
        bool ended = false;
        for (;;) {
            // Ordinary characters are taken a run at a time; the rest one by one below.
            if (const qsizetype run = plainRun(kMaxRecordChars + 1 - chars); run > 0) {
                field.append(buf_.constData() + pos_, run);
                pos_ += run;
                chars += run;
                any = true;
                started = started || !quoted;
                if (chars > kMaxRecordChars)
                    fail(QStringLiteral("Line %1 is longer than %2 characters; the file does "
                                        "not look like a table.")
                             .arg(record.line)
                             .arg(kMaxRecordChars));
                continue;
            }
            if (!get(c))
                break;
            any = true;
            if (++chars > kMaxRecordChars)
                fail(QStringLiteral("Line %1 is longer than %2 characters; the file does not "
                                    "look like a table.")
                         .arg(record.line)
                         .arg(kMaxRecordChars));
            if (quoted) {
                if (c == quote) {
                    if (peekIs(quote)) {
                        get(c);
                        field += quote;
                    } else {
                        quoted = false;
                    }
                } else {
                    if (c == QLatin1Char('\n'))
                        ++line_;
                    field += c;
                }
            } else if (c == quote && !started) {
                quoted = started = true;
                quoteLine = line_;
            } else if (c == delimiter_) {
                record.fields.append(field);
                field.clear();
                started = false;
            } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                if (c == QLatin1Char('\r') && peekIs(QLatin1Char('\n')))
                    get(c);
                ++line_;
                ended = true;
                break;
            } else {
                field += c;
                started = true;
            }
        }
        if (quoted)
            fail(QStringLiteral("The quote opened on line %1 is never closed.").arg(quoteLine));
        if (!any)
            return false;
        record.fields.append(field);
        const bool blank = record.fields.size() == 1 && record.fields.first().trimmed().isEmpty();
        if (!blank)
            return true;
        if (!ended)
            return false;
    }
}

void CsvReader::chooseDelimiter(const std::function<int(const QStringList &)> &score) {
    int best = -1;
    qsizetype bestFields = 0;
    QChar chosen = QLatin1Char(',');
    for (const QChar d :
         {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t'), QLatin1Char('|')}) {
        rewind();
        delimiter_ = d;
        CsvRecord head;
        try {
            if (!next(head))
                fail(QStringLiteral("The file is empty."));
        } catch (const Error &) {
            if (d == QLatin1Char('|')) // every delimiter failed alike: say why once
                if (best < 0)
                    throw;
            continue;
        }
        const int s = score(head.fields);
        if (s > best || (s == best && head.fields.size() > bestFields)) {
            best = s;
            bestFields = head.fields.size();
            chosen = d;
        }
    }
    delimiter_ = chosen;
    rewind();
}

QList<CsvRecord> readAllRecords(const QString &file, QChar delimiter) {
    CsvReader r(file);
    r.setDelimiter(delimiter);
    QList<CsvRecord> out;
    CsvRecord rec;
    while (r.next(rec))
        out.append(rec);
    return out;
}

QString csvLine(const QStringList &fields, QChar delimiter) {
    QString out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            out += delimiter;
        const QString &f = fields[i];
        if (f.contains(delimiter) || f.contains(QLatin1Char('"')) ||
            f.contains(QLatin1Char('\n')) || f.contains(QLatin1Char('\r'))) {
            QString q = f;
            q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            out += QLatin1Char('"') + q + QLatin1Char('"');
        } else {
            out += f;
        }
    }
    out += QStringLiteral("\r\n");
    return out;
}

namespace {
// True when a spreadsheet would read the text as a formula once one apostrophe is removed
// from each leading run of apostrophes, counted from the start.
bool formulaLike(QStringView t) {
    while (t.startsWith(QLatin1Char('\'')))
        t = t.sliced(1);
    if (t.isEmpty())
        return false;
    const QChar c = t.front();
    return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') ||
           c == QLatin1Char('@') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}
} // namespace

QString guardFormula(const QString &text) {
    return formulaLike(text) ? QLatin1Char('\'') + text : text;
}

QString unguardFormula(const QString &text) {
    return text.startsWith(QLatin1Char('\'')) && formulaLike(text) ? text.mid(1) : text;
}

} // namespace exchange

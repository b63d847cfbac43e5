#include "rails/exchange/Csv.h"

#include "platform/Error.h"

#include <QStringDecoder>
#include <array>

namespace exchange {

namespace {

using platform::Error;

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

// Splits the text into records; `limit` stops after that many records (0: all).
QList<CsvRecord> parse(const QString &text, QChar delim, int limit) {
    QList<CsvRecord> records;
    CsvRecord rec;
    QString field;
    bool quoted = false; // inside a quoted field
    bool fieldStarted = false;
    int line = 1;
    int quoteLine = 0;
    qsizetype recordChars = 0;
    rec.line = 1;
    const auto endField = [&] {
        rec.fields.append(field);
        field.clear();
        fieldStarted = false;
    };
    const auto endRecord = [&](int nextLine) {
        endField();
        // A blank line is no record.
        if (!(rec.fields.size() == 1 && rec.fields.first().isEmpty()))
            records.append(rec);
        rec = CsvRecord{};
        rec.line = nextLine;
        recordChars = 0;
    };
    const auto tooLong = [&] {
        throw fileError(QStringLiteral("Line %1 is longer than %2 characters; the file does "
                                       "not look like a table.")
                            .arg(rec.line)
                            .arg(kMaxRecordChars));
    };
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (++recordChars > kMaxRecordChars)
            tooLong();
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < n && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
            quoteLine = line;
        } else if (c == delim) {
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            ++line;
            endRecord(line);
            if (limit && records.size() >= limit)
                return records;
        } else {
            // Copy the run of ordinary characters up to the next delimiter, quote or break.
            qsizetype j = i + 1;
            while (j < n && text[j] != delim && text[j] != QLatin1Char('\r') &&
                   text[j] != QLatin1Char('\n') && text[j] != QLatin1Char('"'))
                ++j;
            recordChars += j - i - 1;
            if (recordChars > kMaxRecordChars)
                tooLong();
            field += QStringView(text).sliced(i, j - i);
            i = j - 1;
            fieldStarted = true;
        }
    }
    if (quoted)
        throw fileError(
            QStringLiteral("The quote opened on line %1 is never closed.").arg(quoteLine));
    if (!field.isEmpty() || !rec.fields.isEmpty())
        endRecord(line + 1);
    return records;
}

} // namespace

QString decodeText(const QByteArray &bytes, QString *encoding) {
    QString name;
    QString text;
    if (auto bom = QStringConverter::encodingForData(bytes);
        bom && *bom != QStringConverter::Utf8) {
        name = QStringLiteral("UTF-16");
        QStringDecoder dec(*bom);
        text = dec.decode(bytes);
        if (dec.hasError())
            throw fileError(QStringLiteral("The file is not readable text."));
    } else {
        if (bytes.contains('\0'))
            throw fileError(QStringLiteral("The file is not a text file."));
        QStringDecoder utf8(QStringConverter::Utf8);
        text = utf8.decode(bytes);
        name = QStringLiteral("UTF-8");
        if (utf8.hasError()) {
            text = fromCp1252(bytes);
            name = QStringLiteral("Windows-1252");
        }
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    for (const QChar c : std::as_const(text)) {
        // Control characters other than tab and line breaks do not occur in a table.
        if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\r') &&
            c != QLatin1Char('\n'))
            throw fileError(QStringLiteral("The file is not a text file."));
    }
    if (encoding)
        *encoding = name;
    return text;
}

CsvTable readCsv(const QByteArray &bytes,
                 const std::function<int(const QStringList &)> &scoreHeader) {
    CsvTable t;
    const QString text = decodeText(bytes, &t.encoding);
    if (text.trimmed().isEmpty())
        throw fileError(QStringLiteral("The file is empty."));
    int best = -1;
    for (const QChar d : {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')}) {
        QList<CsvRecord> head;
        try {
            head = parse(text, d, 1);
        } catch (const Error &) {
            continue; // the full read below reports it
        }
        if (head.isEmpty())
            continue;
        const int score = scoreHeader(head.first().fields);
        if (score > best) {
            best = score;
            t.delimiter = d;
        }
    }
    if (best <= 0) {
        parse(text, QLatin1Char(','), 0); // an unreadable file says why
        throw fileError(QStringLiteral("The first line names no column this program knows "
                                       "(such as Manufacturer, Rail Line or Number), so the file "
                                       "has no header it can read."));
    }
    QList<CsvRecord> all = parse(text, t.delimiter, 0);
    t.header = all.takeFirst();
    t.rows = std::move(all);
    return t;
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

} // namespace exchange

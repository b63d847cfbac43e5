#include "platform/LocaleText.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace platform {

QString shortDateFormat() {
    // Lists convert every row's date; the widened pattern is worked out once per locale.
    thread_local QLocale cachedFor(QLocale::c());
    thread_local QString cached;
    const QLocale now;
    if (!cached.isEmpty() && now == cachedFor)
        return cached;
    QString f = now.dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
    cachedFor = now;
    cached = f;
    return f;
}

QString shortDate(const QDate& d) { return QLocale().toString(d, shortDateFormat()); }

QDate parseShortDate(const QString& text) {
    const QString t = text.trimmed();
    QDate d = QLocale().toDate(t, shortDateFormat());
    if (!d.isValid())
        d = QDate::fromString(t.left(10), Qt::ISODate);
    return d;
}

QString timeText(const QTime& t) {
    QString f = QLocale().timeFormat(QLocale::LongFormat);
    f.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    return QLocale().toString(t, f.trimmed());
}

namespace {
bool readNumber(const QString& text, double* out) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    bool ok = false;
    double v = QLocale().toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    if (out)
        *out = v;
    return true;
}
} // namespace

bool isNumeric(const QString& text) { return readNumber(text, nullptr); }

double toNumber(const QString& text) {
    double v = 0;
    return readNumber(text, &v) ? v : 0.0;
}

namespace {
// A number pattern taken apart: literal text around the digits, grouping, decimals.
struct NumberPattern {
    QString prefix, suffix;
    bool grouped = false;
    int decimals = 0;
};

NumberPattern parsePattern(const QString& pattern) {
    NumberPattern out;
    QString digits;
    // Split the pattern into quoted literal text and the digit placeholders.
    bool inQuote = false, seenDigits = false;
    for (QChar c : pattern) {
        if (c == QLatin1Char('"')) {
            inQuote = !inQuote;
            continue;
        }
        const bool placeholder = !inQuote && (c == QLatin1Char('#') || c == QLatin1Char('0') ||
                                              c == QLatin1Char(',') || c == QLatin1Char('.'));
        if (placeholder) {
            digits += c;
            seenDigits = true;
        } else if (!seenDigits) {
            out.prefix += c;
        } else {
            out.suffix += c;
        }
    }
    const int point = digits.indexOf(QLatin1Char('.'));
    const QString intPart = point < 0 ? digits : digits.left(point);
    out.decimals = point < 0 ? 0 : int(digits.size() - point - 1);
    out.grouped = intPart.contains(QLatin1Char(','));
    return out;
}
} // namespace

QString formatNumber(double value, const QString& pattern) {
    // Lists format two amounts per row with one pattern; it is taken apart once.
    thread_local QString lastPattern;
    thread_local NumberPattern parsed;
    if (pattern != lastPattern || lastPattern.isNull()) {
        parsed = parsePattern(pattern);
        lastPattern = pattern;
    }
    QLocale loc;
    if (!parsed.grouped)
        loc.setNumberOptions(QLocale::OmitGroupSeparator);
    const QString number = loc.toString(value, 'f', parsed.decimals);
    if (parsed.prefix.isEmpty() && parsed.suffix.isEmpty())
        return number;
    return parsed.prefix + number + parsed.suffix;
}

QString sqlAmount(double value) { return QString::number(value, 'g', 15); }

QString sqlDate(const QDateTime& value) {
    if (value.time() == QTime(0, 0))
        return value.date().toString(Qt::ISODate);
    return sqlTimestamp(value);
}

QString sqlTimestamp(const QDateTime& value) {
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime fromStorage(const QString& text) {
    const QString t = text.trimmed();
    // The two stored forms, read without building a format parser for every value.
    if (t.size() == 10) {
        const QDate d = QDate::fromString(t, Qt::ISODate);
        if (d.isValid())
            return QDateTime(d, QTime(0, 0));
    } else if (t.size() == 19 && t[10] == QLatin1Char(' ')) {
        const QDate d = QDate::fromString(QStringView(t).left(10), Qt::ISODate);
        const QTime tm = QTime::fromString(QStringView(t).mid(11), Qt::ISODate);
        if (d.isValid() && tm.isValid())
            return QDateTime(d, tm);
    }
    QDateTime dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime(QDate::fromString(t.left(10), Qt::ISODate), QTime(0, 0));
    return dt;
}

NumberFormat::NumberFormat(const QString& pattern, const QLocale& locale) : locale_(locale) {
    const NumberPattern parsed = parsePattern(pattern);
    prefix_ = parsed.prefix;
    suffix_ = parsed.suffix;
    decimals_ = parsed.decimals;
    if (!parsed.grouped)
        locale_.setNumberOptions(QLocale::OmitGroupSeparator);
}

QString NumberFormat::operator()(double value) const {
    const QString number = locale_.toString(value, 'f', decimals_);
    if (prefix_.isEmpty() && suffix_.isEmpty())
        return number;
    return prefix_ + number + suffix_;
}

QDate dateFromStorage(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() == 10 || (t.size() == 19 && t[10] == QLatin1Char(' '))) {
        const QDate d = QDate::fromString(QStringView(t).left(10), Qt::ISODate);
        if (d.isValid() && (t.size() == 10 ||
                            QTime::fromString(QStringView(t).mid(11), Qt::ISODate).isValid()))
            return d;
    }
    return fromStorage(t).date();
}

} // namespace platform

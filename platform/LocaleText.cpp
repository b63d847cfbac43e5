#include "platform/LocaleText.h"

#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace platform {

QString shortDateFormat() {
    QString f = QLocale().dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QRegularExpression(QStringLiteral("y+")), QStringLiteral("yyyy"));
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

QString formatNumber(double value, const QString& pattern) {
    QString prefix, suffix, digits;
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
            prefix += c;
        } else {
            suffix += c;
        }
    }
    const int point = digits.indexOf(QLatin1Char('.'));
    const QString intPart = point < 0 ? digits : digits.left(point);
    const int decimals = point < 0 ? 0 : int(digits.size() - point - 1);
    QLocale loc;
    if (!intPart.contains(QLatin1Char(',')))
        loc.setNumberOptions(QLocale::OmitGroupSeparator);
    const QString number = loc.toString(value, 'f', decimals);
    return prefix + number + suffix;
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
    QDateTime dt = QDateTime::fromString(t, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime(QDate::fromString(t.left(10), Qt::ISODate), QTime(0, 0));
    return dt;
}

} // namespace platform

#include "trains/reports/ReportLayout.h"

#include "platform/LocaleText.h"

#include <QLocale>

namespace reports {

// Digit placeholders outside quotes make a number format; anything else is a date pattern.
bool isNumberFormat(const QString &format) {
    bool inQuote = false;
    for (QChar c : format) {
        if (c == QLatin1Char('"'))
            inQuote = !inQuote;
        else if (!inQuote && (c == QLatin1Char('#') || c == QLatin1Char('0')))
            return true;
    }
    return false;
}

namespace {
QString formatAmount(double value, const QString &format) {
    const QString zero = platform::formatNumber(0.0, format);
    const QString magnitude = platform::formatNumber(value < 0 ? -value : value, format);
    // The sign goes in front of the literal text: -$5.00, not $-5.00.
    if (value < 0 && magnitude != zero)
        return QLatin1Char('-') + magnitude;
    return magnitude;
}
} // namespace

QString formatField(const QVariant &value, const QString &format) {
    if (value.isNull())
        return {};
    if (format.isEmpty())
        return value.toString();
    if (isNumberFormat(format)) {
        bool ok = false;
        const double v = value.toDouble(&ok);
        return ok ? formatAmount(v, format) : value.toString();
    }
    const QString stored = value.toString();
    // Only the date prints: the stored forms start with it, and reading it alone spares a
    // local time (a look at the system's time zone) for every row of a long report.
    QDate date;
    if (stored.size() == 10 || (stored.size() > 10 && stored[10] == QLatin1Char(' ')))
        date = QDate::fromString(QStringView(stored).left(10), Qt::ISODate);
    if (!date.isValid()) {
        const QDateTime when = platform::fromStorage(stored);
        if (!when.isValid())
            return stored;
        date = when.date();
    }
    return QLocale::c().toString(date, format);
}

} // namespace reports

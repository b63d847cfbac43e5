#include "platform/LocaleText.h"

#include <QLocale>
#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <optional>

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

QString shortDate(const QDate &d) {
    return QLocale().toString(d, shortDateFormat());
}

QDate parseShortDate(const QString &text) {
    const QString t = text.trimmed();
    QDate d = QLocale().toDate(t, shortDateFormat());
    if (!d.isValid())
        d = QDate::fromString(t.left(10), Qt::ISODate);
    return d;
}

QString timeText(const QTime &t) {
    QString f = QLocale().timeFormat(QLocale::LongFormat);
    f.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    return QLocale().toString(t, f.trimmed());
}

namespace {
bool readNumber(const QString &text, double *out) {
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

bool isNumeric(const QString &text) {
    return readNumber(text, nullptr);
}

double toNumber(const QString &text) {
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

NumberPattern parsePattern(const QString &pattern) {
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

QString formatNumber(double value, const QString &pattern) {
    // Lists and reports format many amounts with one pattern; it is taken apart once for each
    // pattern and locale.
    thread_local QString lastPattern;
    thread_local QLocale lastLocale;
    thread_local std::optional<NumberFormat> format;
    const QLocale now;
    if (!format || pattern != lastPattern || now != lastLocale) {
        format.emplace(pattern, now);
        lastPattern = pattern;
        lastLocale = now;
    }
    return (*format)(value);
}

namespace {
QString &chosenCurrency() {
    static QString symbol;
    return symbol;
}
QPageSize::PageSizeId &chosenPaper() {
    static QPageSize::PageSizeId paper = QPageSize::Custom;
    return paper;
}
} // namespace

void setCurrencySymbol(const QString &symbol) {
    chosenCurrency() = symbol.trimmed();
}

QString currencySymbol() {
    if (!chosenCurrency().isEmpty())
        return chosenCurrency();
    const QString own = QLocale().currencySymbol();
    return own.isEmpty() ? QStringLiteral("$") : own;
}

namespace {
QString localeMoneyPattern(const QLocale &locale, const QString &symbol) {
    // The C locale knows no currency: the program's own dollar sign before the amount.
    if (locale.language() == QLocale::C)
        return QStringLiteral("\"") + symbol + QStringLiteral("\"#,##0.00");
    // Where the locale puts the sign and its space, read from a sample amount.
    const double sample = 1234.5;
    const QString number = locale.toString(sample, 'f', 2);
    const QString money = locale.toCurrencyString(sample, symbol, 2);
    const qsizetype at = money.indexOf(number);
    QString prefix = at < 0 ? symbol : money.left(at);
    QString suffix = at < 0 ? QString() : money.mid(at + number.size());
    prefix.remove(QLatin1Char('"'));
    suffix.remove(QLatin1Char('"'));
    return QLatin1Char('"') + prefix + QStringLiteral("\"#,##0.00\"") + suffix + QLatin1Char('"');
}
} // namespace

QString moneyPattern() {
    // Lists format every amount on show; the pattern is worked out once per locale and sign.
    thread_local QLocale cachedFor(QLocale::c());
    thread_local QString cachedSymbol, cached;
    const QLocale locale;
    const QString symbol = currencySymbol();
    if (!cached.isEmpty() && locale == cachedFor && symbol == cachedSymbol)
        return cached;
    cachedFor = locale;
    cachedSymbol = symbol;
    cached = localeMoneyPattern(locale, symbol);
    return cached;
}

QString moneyText(double value) {
    // The sign goes in front of the currency sign: -$5.00, not $-5.00.
    const QString magnitude = formatNumber(std::abs(value), moneyPattern());
    return value < 0 && magnitude != formatNumber(0.0, moneyPattern())
               ? QLatin1Char('-') + magnitude
               : magnitude;
}

void setPaperChoice(QPageSize::PageSizeId paper) {
    chosenPaper() = paper;
}

QPageSize::PageSizeId paperChoice() {
    return chosenPaper();
}

QPageSize::PageSizeId paperSize() {
    if (chosenPaper() != QPageSize::Custom)
        return chosenPaper();
    switch (QLocale().territory()) {
    case QLocale::AnyTerritory: // the C locale: the program's own paper
    case QLocale::UnitedStates:
    case QLocale::Canada:
    case QLocale::Mexico:
    case QLocale::Philippines:
    case QLocale::Chile:
    case QLocale::Colombia:
    case QLocale::Venezuela:
    case QLocale::PuertoRico:
        return QPageSize::Letter;
    default:
        return QPageSize::A4;
    }
}

QString sqlAmount(double value) {
    return QString::number(value, 'g', 15);
}

QString sqlDate(const QDateTime &value) {
    if (value.time() == QTime(0, 0))
        return value.date().toString(Qt::ISODate);
    return sqlTimestamp(value);
}

QString sqlTimestamp(const QDateTime &value) {
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime fromStorage(const QString &text) {
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

NumberFormat::NumberFormat(const QString &pattern, const QLocale &locale) : locale_(locale) {
    const NumberPattern parsed = parsePattern(pattern);
    prefix_ = parsed.prefix;
    suffix_ = parsed.suffix;
    decimals_ = parsed.decimals;
    if (!parsed.grouped)
        locale_.setNumberOptions(QLocale::OmitGroupSeparator);

    const QString group = (locale_.numberOptions() & QLocale::OmitGroupSeparator)
                              ? QString()
                              : locale_.groupSeparator();
    const QString point = locale_.decimalPoint();
    if (locale_.zeroDigit() != QLatin1String("0") || group.size() > 1 || point.size() != 1 ||
        decimals_ > 9)
        return;
    group_ = group.isEmpty() ? QChar() : group[0];
    point_ = point[0];
    direct_ = true;
    // Amounts that show any difference in grouping, rounding or separators.
    for (const double sample : {0.0, 0.004, 0.5, 7.25, 99.999, 999.0, 1000.0, 1234.5, 12345.67,
                                123456.78, 1234567.891, 98765432.1, 123456789012.34}) {
        QString direct;
        if (!writeDirect(sample, direct) ||
            direct != prefix_ + locale_.toString(sample, 'f', decimals_) + suffix_) {
            direct_ = false;
            return;
        }
    }
}

bool NumberFormat::writeDirect(double value, QString &out) const {
    static constexpr double kScale[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    // Negative amounts, huge ones and exact halves (QLocale rounds those up, the standard
    // library to even) take the general route. Below 2^52 the scaled amount holds a half
    // exactly, so every exact half is seen.
    if (!direct_ || !(value >= 0) || std::signbit(value))
        return false;
    const double scaled = value * kScale[decimals_];
    if (scaled >= 0x1p52 || scaled - std::floor(scaled) == 0.5)
        return false;
    char digits[40];
    const auto [end, ec] =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals_);
    if (ec != std::errc())
        return false;
    const char *dot = decimals_ > 0 ? end - decimals_ - 1 : end;
    const qsizetype whole = dot - digits;
    char16_t text[64];
    qsizetype n = 0;
    for (qsizetype i = 0; i < whole; ++i) {
        if (i > 0 && !group_.isNull() && (whole - i) % 3 == 0)
            text[n++] = group_.unicode();
        text[n++] = char16_t(digits[i]);
    }
    if (decimals_ > 0) {
        text[n++] = point_.unicode();
        for (const char *d = dot + 1; d < end; ++d)
            text[n++] = char16_t(*d);
    }
    out.reserve(prefix_.size() + n + suffix_.size());
    out += prefix_;
    out.append(reinterpret_cast<const QChar *>(text), n);
    out += suffix_;
    return true;
}

QString NumberFormat::operator()(double value) const {
    QString direct;
    if (writeDirect(value, direct))
        return direct;
    const QString number = locale_.toString(value, 'f', decimals_);
    if (prefix_.isEmpty() && suffix_.isEmpty())
        return number;
    return prefix_ + number + suffix_;
}

QDate dateFromStorage(const QString &text) {
    const QString t = text.trimmed();
    if (t.size() == 10 || (t.size() == 19 && t[10] == QLatin1Char(' '))) {
        const QDate d = QDate::fromString(QStringView(t).left(10), Qt::ISODate);
        if (d.isValid() &&
            (t.size() == 10 || QTime::fromString(QStringView(t).mid(11), Qt::ISODate).isValid()))
            return d;
    }
    return fromStorage(t).date();
}

} // namespace platform

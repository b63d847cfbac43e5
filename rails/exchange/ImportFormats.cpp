#include "rails/exchange/ImportFormats.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace exchange {

namespace {

// \s as the formats have always read it: ASCII white space only.
bool isSpace(QChar c) {
    const char16_t u = c.unicode();
    return u == ' ' || (u >= '\t' && u <= '\r');
}

bool isDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// Reads a run of ASCII digits at `at` (moving past it); its length.
int digitRun(QStringView t, qsizetype &at, int &value) {
    value = 0;
    const qsizetype from = at;
    while (at < t.size() && isDigit(t[at]) && at - from < 10)
        value = value * 10 + (t[at++].unicode() - '0');
    return int(at - from);
}

void skipSpaces(QStringView t, qsizetype &at) {
    while (at < t.size() && isSpace(t[at]))
        ++at;
}

bool separatorAt(QStringView t, qsizetype at) {
    return at < t.size() && (t[at] == u'.' || t[at] == u'/' || t[at] == u'-');
}

// Splits "14.03.19" or "11/07/1993" into its three numbers; false for anything else: one to
// four digits, a separator (. / -), one or two digits, a separator, two to four digits and
// an optional point, with blanks around each part.
bool numericParts(QStringView t, int parts[3], int *yearDigits = nullptr) {
    static constexpr int lo[3] = {1, 1, 2}, hi[3] = {4, 2, 4};
    qsizetype at = 0;
    int len[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        skipSpaces(t, at);
        len[i] = digitRun(t, at, parts[i]);
        if (len[i] < lo[i] || len[i] > hi[i])
            return false;
        skipSpaces(t, at);
        if (i < 2) {
            if (!separatorAt(t, at))
                return false;
            ++at;
        }
    }
    if (at < t.size() && t[at] == u'.')
        ++at;
    skipSpaces(t, at);
    if (at != t.size())
        return false;
    if (yearDigits)
        *yearDigits = len[2];
    return len[0] <= 2;
}

// 2019-03-14 (or with / or . between the parts), optionally followed by a time after a blank
// or a T.
bool isoParts(QStringView t, int parts[3]) {
    qsizetype at = 0;
    static constexpr int lo[3] = {4, 1, 1}, hi[3] = {4, 2, 2};
    for (int i = 0; i < 3; ++i) {
        const int len = digitRun(t, at, parts[i]);
        if (len < lo[i] || len > hi[i])
            return false;
        if (i < 2) {
            if (!separatorAt(t, at))
                return false;
            ++at;
        }
    }
    if (at == t.size())
        return true;
    return (t[at] == u' ' || t[at] == u'T') && !t.sliced(at).contains(u'\n');
}

int fullYear(int year, int digits, const QDate &today) {
    if (digits > 2)
        return year;
    int y = today.year() / 100 * 100 + year;
    if (y > today.year())
        y -= 100;
    return y;
}

// Month names of the languages collectors write in, folded, long and short.
int monthFromWord(const QString &word) {
    static const QList<QPair<QString, int>> names = [] {
        QList<QPair<QString, int>> n;
        for (const auto lang : {QLocale::English, QLocale::German, QLocale::French, QLocale::Dutch,
                                QLocale::Italian, QLocale::Spanish}) {
            const QLocale l(lang);
            for (int m = 1; m <= 12; ++m) {
                n.append({foldText(l.monthName(m, QLocale::LongFormat)), m});
                n.append({foldText(l.monthName(m, QLocale::ShortFormat)), m});
                n.append({foldText(l.standaloneMonthName(m, QLocale::LongFormat)), m});
            }
        }
        n.append({QStringLiteral("sept"), 9});
        return n;
    }();
    const QString w = foldText(word);
    if (w.size() < 3)
        return 0;
    for (const auto &[name, m] : names)
        if (name == w)
            return m;
    return 0;
}

QDate wordDate(const QString &t, const QDate &today) {
    // A date in words names its month: text without a letter is no such date.
    if (std::none_of(t.cbegin(), t.cend(), [](QChar c) { return c.isLetter(); }))
        return {};
    static const QRegularExpression token(QStringLiteral("(\\d+|[^\\W\\d_]+)"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    QList<int> numbers;
    QList<int> digits;
    int month = 0;
    bool monthBeforeDay = false;
    for (auto it = token.globalMatch(t); it.hasNext();) {
        const QString s = it.next().captured(1);
        if (s.front().isDigit()) {
            numbers.append(s.toInt());
            digits.append(int(s.size()));
        } else {
            const int m = monthFromWord(s);
            if (!m || month)
                return {};
            month = m;
            monthBeforeDay = numbers.isEmpty();
        }
    }
    if (!month || numbers.isEmpty() || numbers.size() > 2)
        return {};
    if (numbers.size() == 1) // "März 2019": the first of the month
        return digits[0] == 4 ? QDate(numbers[0], month, 1) : QDate();
    const int day = numbers[0];
    const int year = fullYear(numbers[1], digits[1], today);
    Q_UNUSED(monthBeforeDay);
    return QDate(year, month, day);
}

} // namespace

QString foldText(const QString &text) {
    // Plain ASCII text needs no decomposition: only its letters and digits, in lower case.
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; })) {
        QString out;
        out.reserve(text.size());
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if ((u >= 'a' && u <= 'z') || (u >= '0' && u <= '9'))
                out += c;
            else if (u >= 'A' && u <= 'Z')
                out += QChar(u + ('a' - 'A'));
        }
        return out;
    }
    const QString d = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(d.size());
    for (const QChar c : d)
        if (c.isLetterOrNumber())
            out += c.toLower();
    return out;
}

DateOrder detectDateOrder(const QStringList &values, DateOrder fallback) {
    int dayFirst = 0, monthFirst = 0;
    for (const QString &v : values) {
        int p[3];
        if (!numericParts(v, p))
            continue;
        dayFirst += p[0] > 12 && p[1] <= 12;
        monthFirst += p[1] > 12 && p[0] <= 12;
    }
    if (dayFirst != monthFirst)
        return dayFirst > monthFirst ? DateOrder::DayMonth : DateOrder::MonthDay;
    return fallback;
}

DecimalMark detectDecimalMark(const QStringList &values, DecimalMark fallback) {
    int point = 0, comma = 0;
    static const QRegularExpression decimals(QStringLiteral("([.,])(\\d{1,2}|\\d{4,})\\D*$"));
    for (const QString &v : values) {
        const qsizetype p = v.lastIndexOf(QLatin1Char('.')), c = v.lastIndexOf(QLatin1Char(','));
        if (p >= 0 && c >= 0) {
            (p > c ? point : comma) += 1;
        } else if (const auto m = decimals.match(v); m.hasMatch()) {
            (m.captured(1) == QLatin1String(".") ? point : comma) += 1;
        }
    }
    if (point != comma)
        return point > comma ? DecimalMark::Point : DecimalMark::Comma;
    return fallback;
}

DateOrder localeDateOrder() {
    const QString f = QLocale().dateFormat(QLocale::ShortFormat);
    return f.indexOf(QLatin1Char('d')) < f.indexOf(QLatin1Char('M')) ? DateOrder::DayMonth
                                                                     : DateOrder::MonthDay;
}

DecimalMark localeDecimalMark() {
    return QLocale().decimalPoint() == QLatin1String(",") ? DecimalMark::Comma : DecimalMark::Point;
}

QDate parseDate(const QString &raw, DateOrder order, const QDate &today) {
    const QString t = raw.trimmed();
    int p[3];
    if (isoParts(t, p))
        return QDate(p[0], p[1], p[2]);
    int yearDigits = 0;
    if (numericParts(t, p, &yearDigits)) {
        const int year = fullYear(p[2], yearDigits, today);
        return order == DateOrder::DayMonth ? QDate(year, p[1], p[0]) : QDate(year, p[0], p[1]);
    }
    return wordDate(t, today);
}

namespace {

// The length of the currency sign or code at `at` ($, €, £, EUR, USD, CHF, GBP, and before the
// amount US$), 0 when there is none.
qsizetype currencyAt(QStringView t, qsizetype at, bool before) {
    if (at >= t.size())
        return 0;
    const QChar c = t[at];
    if (c == u'$' || c == u'\u20AC' || c == u'\u00A3')
        return 1;
    const QStringView rest = t.sliced(at);
    for (const char *code : {"EUR", "USD", "CHF", "GBP"})
        if (rest.startsWith(QLatin1String(code), Qt::CaseInsensitive))
            return 3;
    return before && rest.startsWith(u"US$", Qt::CaseInsensitive) ? 3 : 0;
}

// Characters an amount's digits may hold: group and decimal marks, apostrophes, blanks.
bool amountChar(QChar c) {
    return isDigit(c) || c == u'.' || c == u',' || c == u'\'' || isSpace(c) || c == u'\u00A0' ||
           c == u'\u202F';
}

// Whatever may follow an amount's digits from `at`: a currency, or ",-" / ".-" when
// `dashAfterMark` (the digits ended in the mark), then blanks to the end.
bool amountTail(QStringView t, qsizetype at, bool dashAfterMark) {
    if (dashAfterMark)
        ++at;
    else
        at += currencyAt(t, at, false);
    skipSpaces(t, at);
    return at == t.size();
}

} // namespace

std::optional<double> parseAmount(const QString &raw, DecimalMark mark) {
    // [currency] [-] [currency] digits [currency | ,- | .-], blanks anywhere between.
    const QStringView t(raw);
    qsizetype at = 0;
    skipSpaces(t, at);
    at += currencyAt(t, at, true);
    skipSpaces(t, at);
    const bool negative = at < t.size() && t[at] == u'-';
    at += negative;
    skipSpaces(t, at);
    at += currencyAt(t, at, true);
    skipSpaces(t, at);
    if (at >= t.size() || !isDigit(t[at]))
        return std::nullopt;
    const qsizetype start = at;
    while (at < t.size() && amountChar(t[at]))
        ++at;
    qsizetype end = at;
    if (!amountTail(t, end, false)) {
        // "12,-": the mark before the dash belongs to the tail.
        const bool dash =
            at < t.size() && t[at] == u'-' && (t[at - 1] == u',' || t[at - 1] == u'.');
        if (!dash || !amountTail(t, end, true))
            return std::nullopt;
        --end;
    }
    const QChar decimal = mark == DecimalMark::Comma ? QLatin1Char(',') : QLatin1Char('.');
    const QChar group = mark == DecimalMark::Comma ? QLatin1Char('.') : QLatin1Char(',');
    QString n;
    n.reserve(end - start);
    int decimals = 0;
    for (qsizetype i = start; i < end; ++i) {
        const QChar c = t[i];
        if (c == decimal) {
            ++decimals;
            n += QLatin1Char('.');
        } else if (c != group && amountChar(c) && c != u'\'' && !isSpace(c) && c != u'\u00A0' &&
                   c != u'\u202F') {
            n += c; // a digit
        }
    }
    if (decimals > 1)
        return std::nullopt;
    bool ok = false;
    double v = n.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    v = std::round(v * 100.0) / 100.0;
    return negative ? -v : v;
}

std::optional<bool> parseYesNo(const QString &text) {
    static const QStringList yes{"yes", "y",   "true", "1",  "x",    "ja",
                                 "j",   "oui", "o",    "si", "wahr", "vrai"};
    static const QStringList no{"no", "n", "false", "0", "nein", "non", "falsch", "faux"};
    const QString t = foldText(text);
    if (yes.contains(t))
        return true;
    if (no.contains(t))
        return false;
    return std::nullopt;
}

namespace {

QString matchUncached(const QString &value, const QStringList &choices) {
    // Suffixes a list adds to its entries ("HO Gauge") and typists leave off or misspell.
    static const QStringList suffixes{QStringLiteral("gauge"), QStringLiteral("guage"),
                                      QStringLiteral("scale"), QStringLiteral("spur")};
    const auto bare = [](QString f) {
        for (const QString &s : suffixes)
            if (f.size() > s.size() && (f.endsWith(s) || f.startsWith(s)))
                return f.endsWith(s) ? f.chopped(s.size()) : f.mid(s.size());
        return f;
    };
    // German sheets write the gauge H0 with a zero.
    const auto letterO = [](QString f) { return f.replace(QLatin1Char('0'), QLatin1Char('o')); };
    const QString v = foldText(value);
    if (v.isEmpty())
        return {};
    QStringList folded;
    for (const QString &c : choices)
        folded.append(foldText(c));
    for (qsizetype i = 0; i < choices.size(); ++i)
        if (folded[i] == v)
            return choices[i];
    const QString vb = bare(v);
    for (qsizetype i = 0; i < choices.size(); ++i)
        if (bare(folded[i]) == vb)
            return choices[i];
    for (qsizetype i = 0; i < choices.size(); ++i)
        if (letterO(bare(folded[i])) == letterO(vb))
            return choices[i];
    return {};
}

} // namespace

QString matchChoice(const QString &value, const QStringList &choices) {
    // A sheet repeats its makers and gauges thousands of times: each value is matched once
    // per list (lists are told apart by their content).
    thread_local QHash<size_t, QHash<QString, QString>> known;
    if (known.size() > 64)
        known.clear();
    QHash<QString, QString> &forList = known[qHash(choices)];
    if (forList.size() > 20000)
        forList.clear();
    const auto it = forList.constFind(value);
    if (it != forList.constEnd())
        return *it;
    const QString match = matchUncached(value, choices);
    forList.insert(value, match);
    return match;
}

} // namespace exchange

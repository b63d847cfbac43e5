#pragma once
// How a collector's sheet writes its values, settled once per file from the values themselves:
// the order of day and month, the decimal mark of amounts, the words for yes and no. Also the
// matching of a typed value to a choice-list entry (without regard to case, accents and the
// list's own suffixes) and the words that name a kind of item.
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace exchange {

enum class DateOrder { DayMonth, MonthDay };
enum class DecimalMark { Point, Comma };

// The order the values prove (a first part over 12 means day first, a second part over 12
// month first); `fallback` when none of them settles it.
DateOrder detectDateOrder(const QStringList &values, DateOrder fallback);
// The decimal mark the values prove ("1.234,50", "12,5" or "1,234.50", "12.5").
DecimalMark detectDecimalMark(const QStringList &values, DecimalMark fallback);
// The user's locale's habits, used when a file settles nothing.
DateOrder localeDateOrder();
DecimalMark localeDecimalMark();

// A date as collectors type it: 2019-03-14, 14.03.19, 11/07/93, 14 Mar 2019, Mar 14, 2019,
// März 2019 (the first of the month). A two-digit year is the nearest such year not after
// `today`. Invalid when the text is no date or a date that does not exist.
QDate parseDate(const QString &text, DateOrder order, const QDate &today);

// An amount with or without a currency sign or code before or after and group separators.
// nullopt when the text is not an amount; a negative amount is returned as such.
std::optional<double> parseAmount(const QString &text, DecimalMark mark);

// Yes or no in the usual words of several languages; nullopt when it is neither.
std::optional<bool> parseYesNo(const QString &text);

// Lower case, accents and everything but letters and digits removed.
QString foldText(const QString &text);
// The list entry the value names (as the list spells it), or an empty text.
QString matchChoice(const QString &value, const QStringList &choices);

} // namespace exchange

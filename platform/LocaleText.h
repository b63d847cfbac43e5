#pragma once
// Texts that follow the user's regional settings (QLocale's default locale), and the
// storage forms used inside SQL text, which never do.
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QPageSize>
#include <QString>

namespace platform {

// The locale's short date pattern, always with a four-digit year: a date shown in a list
// must read back as the same date.
QString shortDateFormat();
QString shortDate(const QDate &d);
// Reads a date written in the short date form (or yyyy-MM-dd); invalid QDate when unreadable.
QDate parseShortDate(const QString &text);
// The locale's time of day with seconds.
QString timeText(const QTime &t);

// Locale-aware numeric test: accepts 1250, 1,250.00 and 12.5 in an English locale, and the
// locale's own separators elsewhere. Blanks around the number are allowed.
bool isNumeric(const QString &text);
// Reads a number the way isNumeric accepts it; 0 when unreadable.
double toNumber(const QString &text);

// Formats an amount with a pattern such as "##,##0.#0", "###,#0.#0" or "\"$\"#,##0.00":
// a comma in the digits asks for grouping, the placeholders after the point give the
// number of decimals, and quoted text is copied as it stands.
QString formatNumber(double value, const QString &pattern);

// Money as the user reads it: the locale's currency sign, placed and spaced the locale's way,
// or the sign the user chose instead (empty for the locale's). Stored amounts never carry it.
void setCurrencySymbol(const QString &symbol);
QString currencySymbol();
// A pattern for formatNumber with two decimals and grouping: "\"$\"#,##0.00" in the US,
// "#,##0.00\" €\"" in Germany.
QString moneyPattern();
QString moneyText(double value);

// The paper reports are written on: the user's choice, else the locale's (US Letter in the
// Americas' Letter countries and where no country is known, A4 elsewhere).
void setPaperChoice(QPageSize::PageSizeId paper); // QPageSize::Custom for the locale's
QPageSize::PageSizeId paperChoice();
QPageSize::PageSizeId paperSize();

// Storage forms inside SQL text.
QString sqlAmount(double value);              // '.' as decimal separator, no grouping
QString sqlDate(const QDateTime &value);      // yyyy-MM-dd, plus HH:mm:ss when it has a time
QString sqlTimestamp(const QDateTime &value); // yyyy-MM-dd HH:mm:ss
// Reads a stored date or time stamp back.
QDateTime fromStorage(const QString &text);

// A number pattern taken apart once, with the locale it was made in: the text formatNumber
// gives, for code that formats many amounts with one pattern (a list's amount columns).
class NumberFormat {
  public:
    explicit NumberFormat(const QString &pattern, const QLocale &locale = QLocale());
    QString operator()(double value) const;

  private:
    // Digits written directly, without QLocale's general machinery: used only where the
    // locale writes plain ASCII digits grouped by threes, and only after sample amounts came
    // out exactly as QLocale writes them. False when the amount needs the general route.
    bool writeDirect(double value, QString &out) const;

    QLocale locale_;
    QString prefix_, suffix_;
    int decimals_ = 0;
    bool direct_ = false;
    QChar group_, point_;
};

// The date of a stored date or time stamp: fromStorage(text).date() without building a
// local time for it.
QDate dateFromStorage(const QString &text);

} // namespace platform

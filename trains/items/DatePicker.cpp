#include "trains/items/DatePicker.h"

#include "platform/Clock.h"
#include "platform/LocaleText.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>
#include <array>

namespace items {

namespace {

int daysIn(int year, int month) {
    return QDate(year, month, 1).daysInMonth();
}

// A year of one or two digits: the nearest such year that is not in the future (a date acquired
// is not): 19 is 2019, 97 is 1997.
int wholeYear(int yy) {
    const int thisYear = platform::now().date().year();
    const int year = thisYear / 100 * 100 + yy;
    return year > thisYear ? year - 100 : year;
}

using Order = std::array<QDateTimeEdit::Section, 3>;

// Keys read as a whole, the way the box moves from part to part while they are typed: a day or
// month is over at two digits or when no further digit can follow, a year at four digits, and a
// separator right after that is agreement, not a move. Parts not typed stay 0.
struct TypedDate {
    bool readable = true;
    int day = 0, month = 0, year = 0, yearDigits = 0;
};

TypedDate readKeys(const QString &keys, const Order &order) {
    TypedDate out;
    std::array<QString, 3> parts;
    int part = 0;
    bool movedOn = false;
    for (const QChar c : keys) {
        if (!c.isDigit()) {
            if (movedOn) {
                movedOn = false;
                continue;
            }
            if (part >= 2 || parts[part].isEmpty())
                return {false};
            ++part;
            continue;
        }
        if (part > 2)
            return {false};
        QString &t = parts[part];
        t += c;
        const bool isYear = order[part] == QDateTimeEdit::YearSection;
        const int most = isYear ? 9999 : order[part] == QDateTimeEdit::DaySection ? 31 : 12;
        const int value = t.toInt();
        if (t.size() > (isYear ? 4 : 2) || value > most || (!isYear && t.size() == 2 && value == 0))
            return {false};
        movedOn = isYear ? t.size() == 4 : (t.size() == 2 || value * 10 > most);
        if (movedOn)
            ++part;
    }
    for (int i = 0; i < 3; ++i) {
        const int value = parts[i].toInt();
        if (order[i] == QDateTimeEdit::DaySection)
            out.day = value;
        else if (order[i] == QDateTimeEdit::MonthSection)
            out.month = value;
        else {
            out.year = value;
            out.yearDigits = int(parts[i].size());
        }
    }
    return out;
}

bool isEditingKey(int key) {
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

// "2019-03-14": four digits and a separator, where the box does not begin with the year.
bool yearFirst(const QString &keys) {
    return keys.size() > 4 && !keys[4].isDigit() &&
           std::all_of(keys.begin(), keys.begin() + 4, [](QChar c) { return c.isDigit(); });
}

const Order kYearFirst{QDateTimeEdit::YearSection, QDateTimeEdit::MonthSection,
                       QDateTimeEdit::DaySection};

} // namespace

DatePicker::DatePicker(QWidget *parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    // A date set from outside the keys (the calendar, the form loading an item, Clear) is whole.
    connect(this, &QDateEdit::dateChanged, this, [this] {
        if (!ownChange_)
            setUnreadable(false);
    });
}

QString DatePicker::unreadableMessage(const QString &caption) {
    const QDate sample(platform::now().date().year(), 3, 14);
    return QStringLiteral("%1 is not a date: type it as %2 or %3. ")
        .arg(caption, platform::shortDate(sample), sample.toString(Qt::ISODate));
}

void DatePicker::showCalendar() {
    if (!calendarPopup() || isReadOnly())
        return;
    // Qt opens the calendar from a press on the arrow only; press it where the style draws it.
    QStyleOptionComboBox opt;
    opt.initFrom(this);
    opt.editable = true;
    opt.frame = true;
    opt.subControls = QStyle::SC_All;
    const QPoint at =
        style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, this).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    mousePressEvent(&press);
}

void DatePicker::keyPressEvent(QKeyEvent *event) {
    const QScopedValueRollback keyChange(ownChange_, true);
    if (isBlank() && (!event->text().isEmpty() || isEditingKey(event->key()))) {
        // Typing into a blank box starts from today's date, part by part as in any other box.
        const Section part = currentSection();
        setSpecialValueText(QString());
        setDate(platform::now().date());
        setSelectedSection(part == NoSection ? sectionAt(0) : part);
    }
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Down && mods == Qt::AltModifier) ||
        (event->key() == Qt::Key_F4 && mods == Qt::NoModifier)) {
        event->accept();
        completeShortYear();
        applyWantedDay();
        showCalendar();
        return;
    }
    const QString text = event->text();
    const bool plain = !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    const bool oneChar = plain && text.size() == 1 && !isReadOnly();
    if (oneChar && text.front().isPrint()) {
        // Month names are left to Qt part by part; digits and separators are read as a whole.
        if (keys_.isEmpty())
            reading_ = currentSectionIndex() == 0;
        if (text.front().isLetter())
            reading_ = false;
        if (reading_) {
            keys_ += text;
            if (typingYearFirst()) {
                event->accept();
                showYearFirst();
                return;
            }
        }
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        finishTyped();
    } else if (isEditingKey(event->key())) {
        // Deleting or stepping: what the box shows is then the user's own edit.
        reading_ = false;
        keys_.clear();
        setUnreadable(false);
    }
    if (oneChar) {
        const QChar c = text.front();
        const Section part = currentSection();
        if (c.isDigit() && (part == DaySection || part == MonthSection)) {
            event->accept();
            typeDigit(c.digitValue());
            return;
        }
        if (c.isPrint() && !c.isLetterOrNumber()) {
            event->accept();
            typeSeparator();
            return;
        }
    }

    // The year, month names, arrows, deleting: Qt's own handling.
    const bool typing = oneChar && text.front().isLetterOrNumber();
    const int before = currentSectionIndex();
    if (typing && typedPart_ != before) {
        // The first key typed into a part replaces it, wherever the cursor stood.
        selectPart(before);
        typedPart_ = before;
        typed_.clear();
    }
    if (!typing)
        wantedDay_ = 0; // stepping and deleting change the date on their own terms
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        completeShortYear();
    QDateEdit::keyPressEvent(event);
    movedOn_ = typing && currentSectionIndex() != before;
    // A year is whole at four digits; a shorter one is still being typed.
    if (typing && sectionText(YearSection).size() >= 4)
        applyWantedDay();
}

void DatePicker::typeDigit(int digit) {
    const int part = currentSectionIndex();
    const bool isDay = currentSection() == DaySection;
    const int most = isDay ? 31 : 12;
    if (typedPart_ != part) {
        typed_.clear();
        typedPart_ = part;
    }
    typed_ += QString::number(digit);
    int value = typed_.toInt();
    if (typed_.size() > 2 || value > most) {
        // No such day or month: the digit starts the part afresh.
        typed_ = QString::number(digit);
        value = digit;
    }
    movedOn_ = false;
    const QDate shown = date();
    if (wantedDay_ == 0)
        wantedDay_ = shown.day();
    if (value > 0) {
        if (isDay)
            wantedDay_ = value;
        const int month = isDay ? shown.month() : value;
        setDateKeepingPart(
            QDate(shown.year(), month, std::min(wantedDay_, daysIn(shown.year(), month))));
    }
    if (typed_.size() == 2 || value * 10 > most) {
        typed_.clear();
        if (part + 1 < sectionCount()) {
            selectPart(part + 1);
            movedOn_ = true;
        }
    }
}

void DatePicker::typeSeparator() {
    if (movedOn_) {
        movedOn_ = false;
        return;
    }
    completeShortYear();
    applyWantedDay();
    typed_.clear();
    const int part = currentSectionIndex();
    selectPart(part + 1 < sectionCount() ? part + 1 : part);
}

void DatePicker::selectPart(int index) {
    if (index >= 0 && index < sectionCount())
        setSelectedSection(sectionAt(index));
}

void DatePicker::setDateKeepingPart(const QDate &d) {
    const int part = currentSectionIndex();
    setDate(d);
    if (hasFocus())
        selectPart(part);
}

void DatePicker::applyWantedDay() {
    const QDate shown = date();
    if (wantedDay_ <= 0 || wantedDay_ == shown.day())
        return;
    const int day = std::min(wantedDay_, shown.daysInMonth());
    if (day != shown.day())
        setDateKeepingPart(QDate(shown.year(), shown.month(), day));
}

void DatePicker::completeShortYear() {
    if (!(displayedSections() & YearSection))
        return;
    const QString t = sectionText(YearSection);
    bool digits = false;
    const int yy = t.toInt(&digits);
    if (!digits || t.isEmpty() || t.size() > 2)
        return;
    const int year = wholeYear(yy);
    // The box still holds the last whole date; only its year was being typed.
    const QDate shown = date();
    const int want = wantedDay_ > 0 ? wantedDay_ : shown.day();
    setDateKeepingPart(QDate(year, shown.month(), std::min(want, daysIn(year, shown.month()))));
}

bool DatePicker::typingYearFirst() const {
    return displayedSections() & YearSection && sectionAt(0) != YearSection && yearFirst(keys_);
}

void DatePicker::showYearFirst() {
    const TypedDate t = readKeys(keys_, kYearFirst);
    if (!t.readable)
        return;
    const QDate shown = date();
    const int month = t.month > 0 ? t.month : shown.month();
    const int day = t.day > 0 ? t.day : shown.day();
    setDateKeepingPart(QDate(t.year, month, std::min(day, daysIn(t.year, month))));
    wantedDay_ = day;
}

void DatePicker::finishTyped() {
    if (!reading_ || keys_.isEmpty() || sectionCount() != 3)
        return;
    const QScopedValueRollback keyChange(ownChange_, true);
    Order order{};
    for (int i = 0; i < 3; ++i)
        order[i] = sectionAt(i);
    const TypedDate t = readKeys(keys_, typingYearFirst() ? kYearFirst : order);
    const QDate shown = date();
    int year = t.yearDigits == 0 ? shown.year() : t.year;
    if (t.yearDigits > 0 && t.yearDigits <= 2)
        year = wholeYear(t.year);
    const QDate typed(year, t.month > 0 ? t.month : shown.month(), t.day > 0 ? t.day : shown.day());
    keys_.clear();
    reading_ = false;
    const bool readable = t.readable && t.yearDigits != 3 && typed.isValid() &&
                          typed >= minimumDate() && typed <= maximumDate();
    if (readable)
        setDateKeepingPart(typed);
    setUnreadable(!readable);
}

bool DatePicker::acceptTyped() {
    finishTyped();
    return !unreadable_ && !isBlank();
}

void DatePicker::setBlank() {
    keys_.clear();
    reading_ = false;
    setSpecialValueText(QStringLiteral(" "));
    setDate(minimumDate());
}

bool DatePicker::isBlank() const {
    return !specialValueText().isEmpty() && date() == minimumDate();
}

void DatePicker::setUnreadable(bool on) {
    if (on == unreadable_)
        return;
    unreadable_ = on;
    QPalette p = lineEdit()->palette();
    if (on) {
        p.setColor(QPalette::Base, QColor(255, 205, 205));
        p.setColor(QPalette::Text, QColor(140, 0, 0));
    } else {
        p = palette();
    }
    lineEdit()->setPalette(p);
    setAccessibleDescription(on ? QStringLiteral("Not a date") : QString());
}

void DatePicker::focusInEvent(QFocusEvent *event) {
    {
        const QScopedValueRollback keyChange(ownChange_, true);
        QDateEdit::focusInEvent(event);
    }
    // Sent back here by a check or its caption's access key, the user types the date afresh.
    if (event->reason() == Qt::OtherFocusReason || event->reason() == Qt::ShortcutFocusReason)
        selectPart(0);
    keys_.clear();
    reading_ = false;
    typed_.clear();
    typedPart_ = -1;
    wantedDay_ = 0;
    movedOn_ = false;
}

void DatePicker::focusOutEvent(QFocusEvent *event) {
    {
        const QScopedValueRollback keyChange(ownChange_, true);
        completeShortYear();
        applyWantedDay();
    }
    finishTyped();
    const QScopedValueRollback leaving(ownChange_, true);
    QDateEdit::focusOutEvent(event);
}

bool DatePicker::focusNextPrevChild(bool next) {
    // QDateEdit walks its parts on Tab and on typed separators; here separators are handled
    // above and Tab always leaves, as in every other field of the form.
    return QWidget::focusNextPrevChild(next);
}

} // namespace items

#include "trains/items/DatePicker.h"

#include "platform/Clock.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>

namespace items {

namespace {

int daysIn(int year, int month) {
    return QDate(year, month, 1).daysInMonth();
}

} // namespace

DatePicker::DatePicker(QWidget *parent) : QDateEdit(parent) {
    setCalendarPopup(true);
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
    // A date acquired is not in the future: 19 is 2019, 97 is 1997.
    const int thisYear = platform::now().date().year();
    int year = thisYear / 100 * 100 + yy;
    if (year > thisYear)
        year -= 100;
    // The box still holds the last whole date; only its year was being typed.
    const QDate shown = date();
    const int want = wantedDay_ > 0 ? wantedDay_ : shown.day();
    setDateKeepingPart(QDate(year, shown.month(), std::min(want, daysIn(year, shown.month()))));
}

void DatePicker::focusInEvent(QFocusEvent *event) {
    QDateEdit::focusInEvent(event);
    typed_.clear();
    typedPart_ = -1;
    wantedDay_ = 0;
    movedOn_ = false;
}

void DatePicker::focusOutEvent(QFocusEvent *event) {
    completeShortYear();
    applyWantedDay();
    QDateEdit::focusOutEvent(event);
}

bool DatePicker::focusNextPrevChild(bool next) {
    // QDateEdit walks its parts on Tab and on typed separators; here separators are handled
    // above and Tab always leaves, as in every other field of the form.
    return QWidget::focusNextPrevChild(next);
}

} // namespace items

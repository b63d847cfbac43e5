#pragma once
// The date box of the item forms: a date edit with a drop-down calendar that takes a date typed
// the way people type one. Qt's own date edit jumps to the next part by itself once a part looks
// complete and then lets the separator the user types skip one more part; with the day first it
// also judges "complete" and cuts the day by the month on show (31 in February becomes 28 before
// the month is typed). Here the day and the month are typed by this class; the year is left to
// Qt, which types it well.
//
// - Digits fill the part that is selected. A part moves on by itself when no further digit can
//   follow (two digits, or 4 in a day, 2 in a month); a separator typed right after that is taken
//   as agreement and does not move again. Otherwise a separator (any printable sign that is
//   neither a letter nor a digit) moves to the next part inside the box.
// - A day typed before its month is kept whole and shown as soon as the month has that day.
// - A year of one or two digits becomes the nearest such year that is not in the future.
// - Tab leaves the box; Alt+Down and F4 open the calendar.
// - The keys typed since the box got focus are read once more as a whole when the box is left:
//   in the locale's order or as year-month-day (2019-03-14). That date is the one kept; keys
//   that read as neither (14/03/2019 where the month comes first) leave the box red and
//   unreadable, and the form's check refuses it, so no other date is ever stored silently.
#include <QDateEdit>

namespace items {

class DatePicker : public QDateEdit {
    Q_OBJECT
  public:
    explicit DatePicker(QWidget *parent = nullptr);

    // Opens the drop-down calendar, as a click on the arrow does.
    void showCalendar();

    // Reads the keys typed so far as leaving the box does (a shortcut may save without leaving
    // it); false while they read as no date, and the box then shows red.
    bool acceptTyped();
    // Shows no date at all, for an item stored without one: the box is blank (its least date
    // behind a blank text) and acceptTyped() stays false until a date is typed or chosen, so
    // no date the user never gave is saved.
    void setBlank();
    bool isBlank() const;
    // The check's message for an unreadable box, naming its caption and the forms it reads.
    static QString unreadableMessage(const QString &caption);

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    // Tab and Backtab leave the box whatever part is selected.
    bool focusNextPrevChild(bool next) override;

  private:
    void typeDigit(int digit);
    void typeSeparator();
    void selectPart(int index);
    // The date with the day the user typed, where the month and year on show have that day.
    void applyWantedDay();
    // A year typed with one or two digits, made whole.
    void completeShortYear();
    void setDateKeepingPart(const QDate &d);
    // Keys typed year first where the locale puts the year last: typed here, not part by part.
    bool typingYearFirst() const;
    void showYearFirst();
    // Reads the keys typed since focus came in and keeps that date, or marks the box unreadable.
    void finishTyped();
    void setUnreadable(bool on);

    QString keys_;            // printable keys typed since focus came in, while they are read
    bool reading_ = false;    // the keys are still read as a whole (no editing key in between)
    bool unreadable_ = false; // the last keys read as no date
    bool ownChange_ = false;  // a date set while typing: does not lift the red mark

    QString typed_;        // digits typed so far into the selected day or month
    int typedPart_ = -1;   // the part `typed_` belongs to
    int wantedDay_ = 0;    // the day last typed; 0 when none was typed since the box got focus
    bool movedOn_ = false; // the last key completed its part and selected the next one
};

} // namespace items

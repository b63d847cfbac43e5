#pragma once
// Drives item forms the way a person does: finds fields by their captions, types with the
// keyboard and clicks with the mouse.
#include "trains/FieldHighlight.h"

#include "platform/MsgBox.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>

namespace kit {

// A store that refused a save: its own failure box naming the operation, then the form's
// critical box with its message.
inline void checkRefusedSave(const QList<platform::MsgRequest> &boxes, const QString &operation,
                             const QString &message) {
    QCOMPARE(boxes.size(), 2);
    QVERIFY(boxes[0].prompt.endsWith("Function: " + operation));
    QCOMPARE(boxes[1].prompt, message);
    QCOMPARE(boxes[1].title, QStringLiteral(" ERROR"));
    QCOMPARE(boxes[1].icon, platform::MsgIcon::Critical);
    QCOMPARE(boxes[1].buttons, platform::MsgButtons::OK);
}

// The input a caption label announces.
inline QWidget *field(QWidget *form, const QString &caption) {
    for (QLabel *l : form->findChildren<QLabel *>())
        if (l->text() == caption && l->buddy())
            return l->buddy();
    return nullptr;
}
inline QLabel *caption(QWidget *form, const QString &text) {
    for (QLabel *l : form->findChildren<QLabel *>())
        if (l->text() == text && l->buddy())
            return l;
    return nullptr;
}
template <class T> T *fieldAs(QWidget *form, const QString &caption) {
    return qobject_cast<T *>(field(form, caption));
}
inline QAbstractButton *button(QWidget *form, const QString &text) {
    for (QAbstractButton *b : form->findChildren<QAbstractButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}
// Captions drawn bold and blue right now.
inline QStringList litCaptions(QWidget *form) {
    QStringList lit;
    for (QLabel *l : form->findChildren<QLabel *>())
        if (FieldBehaviour::isHighlighted(l))
            lit << l->text();
    return lit;
}
// The caption of the field that has the focus (the buddy label pointing at it).
inline QString focusCaption(QWidget *form) {
    QWidget *f = QApplication::focusWidget();
    if (auto *b = qobject_cast<QAbstractButton *>(f))
        return b->text();
    for (QLabel *l : form->findChildren<QLabel *>())
        if (f && l->buddy() == f)
            return l->text();
    return f ? f->objectName() : QString();
}

inline bool show(QWidget *form) {
    form->resize(1000, 640);
    form->show();
    form->activateWindow();
    return QTest::qWaitForWindowActive(form);
}

// Types text key by key; characters beyond ASCII arrive as a key event carrying the character,
// as an input method delivers them.
inline void keys(QWidget *w, const QString &text) {
    for (QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Replaces the text of a text box by typing it.
inline void type(QWidget *form, const QString &cap, const QString &text) {
    QWidget *w = field(form, cap);
    QVERIFY2(w, qPrintable(cap));
    if (auto *line = qobject_cast<QLineEdit *>(w)) {
        QTest::mouseClick(line, Qt::LeftButton);
        QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(line, Qt::Key_Delete);
        else
            keys(line, text);
    } else if (auto *notes = qobject_cast<QTextEdit *>(w)) {
        QTest::mouseClick(notes->viewport(), Qt::LeftButton);
        QTest::keyClick(notes, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(notes, Qt::Key_Delete);
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (int i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(notes, Qt::Key_Return);
            keys(notes, lines[i]);
        }
    }
}

// Picks a list item with the keyboard.
inline void choose(QWidget *form, const QString &cap, const QString &item) {
    auto *combo = fieldAs<QComboBox>(form, cap);
    QVERIFY2(combo, qPrintable(cap));
    if (item.isEmpty())
        return;
    combo->setFocus(Qt::TabFocusReason);
    // Home takes the first item, each Down the next one; the list stays closed.
    const int index = combo->findText(item);
    QVERIFY2(index >= 0, qPrintable(item));
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentText(), item);
}

// Types a date part by part (month, day, year), as a person does in the date picker.
inline void typeDate(QWidget *form, const QDate &d) {
    auto *date = fieldAs<QDateEdit>(form, QStringLiteral("Date Accquired"));
    QVERIFY(date);
    date->setFocus(Qt::TabFocusReason);
    date->setSelectedSection(QDateTimeEdit::MonthSection);
    QTest::keyClicks(date, QString::number(d.month()));
    date->setSelectedSection(QDateTimeEdit::DaySection);
    QTest::keyClicks(date, QString::number(d.day()));
    date->setSelectedSection(QDateTimeEdit::YearSection);
    QTest::keyClicks(date, QString::number(d.year()));
    QCOMPARE(date->date(), d);
}

inline void click(QWidget *form, const QString &buttonText) {
    QAbstractButton *b = button(form, buttonText);
    QVERIFY2(b, qPrintable(buttonText));
    QTest::mouseClick(b, Qt::LeftButton);
}

// One item as a person enters it; an empty text leaves the field as it is.
struct Entry {
    QString manufacturer = QStringLiteral("Lionel");
    QString railLine = QStringLiteral("Santa Fe");
    QString type; // the kind's first type when empty
    QString number = QStringLiteral("4021");
    QString gauge = QStringLiteral("O-27");
    QString curve = QStringLiteral("O-31");
    QString colour = QStringLiteral("Red");
    QString from = QStringLiteral("Train show");
    QString cost = QStringLiteral("12.50");
    QString value = QStringLiteral("20");
    QString condition = QStringLiteral("Good");
    QString box = QStringLiteral("Yes"); // "Yes", "No" or empty for no answer
    QString notes = QStringLiteral("Bought at the spring show");
};

inline void fill(QWidget *form, const QString &typeCaption, const QString &numberCaption,
                 const Entry &e) {
    choose(form, QStringLiteral("Manufacturer"), e.manufacturer);
    type(form, QStringLiteral("Rail Line"), e.railLine);
    choose(form, typeCaption, e.type);
    type(form, numberCaption, e.number);
    choose(form, QStringLiteral("Gauge / Scale"), e.gauge);
    choose(form, QStringLiteral("Minimum Curve"), e.curve);
    type(form, QStringLiteral("Color"), e.colour);
    type(form, QStringLiteral("Accquired From"), e.from);
    type(form, QStringLiteral("Original Cost"), e.cost);
    type(form, QStringLiteral("Current Value"), e.value);
    choose(form, QStringLiteral("Condition"), e.condition);
    if (!e.box.isEmpty())
        click(form, e.box);
    type(form, QStringLiteral("Notes"), e.notes);
}

} // namespace kit

#include "trains/FieldHighlight.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QWidget>

FieldBehaviour::FieldBehaviour(QObject *parent) : QObject(parent) {}

void FieldBehaviour::addField(QWidget *input, QLabel *caption) {
    captions_.insert(input, caption);
    caption->setBuddy(input);
    input->installEventFilter(this);
}

void FieldBehaviour::addEnterNext(QWidget *from, QWidget *to) {
    next_.insert(from, to);
    from->installEventFilter(this);
}

void FieldBehaviour::highlight(QLabel *caption, bool on) {
    if (!caption)
        return;
    QFont f = caption->font();
    f.setBold(on);
    caption->setFont(f);
    QPalette p = caption->palette();
    p.setColor(QPalette::WindowText, on ? QColor(0, 0, 255) : QColor(0, 0, 0));
    caption->setPalette(p);
}

bool FieldBehaviour::isHighlighted(const QLabel *caption) {
    return caption && caption->font().bold() &&
           caption->palette().color(QPalette::WindowText) == QColor(0, 0, 255);
}

bool FieldBehaviour::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::FocusIn:
        highlight(captions_.value(watched), true);
        break;
    case QEvent::FocusOut:
        highlight(captions_.value(watched), false);
        break;
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            break;
        if (QWidget *to = next_.value(watched)) {
            to->setFocus(Qt::TabFocusReason);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

#include "trains/items/ItemFormParts.h"

#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>

namespace items {

QLabel *makeHeading(QWidget *form, const QString &text) {
    auto *l = new QLabel(text, form);
    l->setObjectName(QStringLiteral("Label25"));
    QFont f(QStringLiteral("Verdana"));
    f.setPointSizeF(14.25);
    f.setBold(true);
    l->setFont(f);
    return l;
}

QPushButton *makeButton(QWidget *form, const QString &text, const char *name) {
    auto *b = new QPushButton(text, form);
    b->setObjectName(QLatin1String(name));
    QFont f(QStringLiteral("Verdana"));
    f.setPointSizeF(9.75);
    f.setBold(true);
    b->setFont(f);
    QPalette p = b->palette();
    p.setColor(QPalette::Button, QColor(224, 224, 224));
    b->setPalette(p);
    b->setAutoDefault(false);
    b->setMinimumWidth(90);
    return b;
}

void closeItemForm(QWidget *form) {
    if (auto *sub = qobject_cast<QMdiSubWindow *>(form->parentWidget()))
        sub->close();
    else
        form->close();
}

} // namespace items

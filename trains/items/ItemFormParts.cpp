#include "trains/items/ItemFormParts.h"

#include "trains/FormUnits.h"
#include "trains/items/ItemFieldSet.h"
#include "trains/modGlobal.h"

#include "platform/Clock.h"

#include <QBoxLayout>
#include <QDateEdit>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>

namespace items {

QLabel *makeHeading(QWidget *form, const QString &text) {
    auto *l = new QLabel(text, form);
    l->setObjectName(QStringLiteral("Label25"));
    l->setFont(verdana(14.25, true));
    return l;
}

QPushButton *makeButton(QWidget *form, const QString &text, const char *name) {
    auto *b = new QPushButton(text, form);
    b->setObjectName(QLatin1String(name));
    b->setFont(verdana(9.75, true));
    QPalette p = b->palette();
    p.setColor(QPalette::Button, QColor(224, 224, 224));
    b->setPalette(p);
    b->setAutoDefault(false);
    b->setMinimumWidth(90);
    return b;
}

ItemFormButtons makeItemFormButtons(QWidget *form) {
    ItemFormButtons b{makeButton(form, QStringLiteral("&Save"), "cmdSave"),
                      makeButton(form, QStringLiteral("&Clear"), "cmdClear"),
                      makeButton(form, QStringLiteral("e&Xit"), "cmdExit")};
    b.clear->setToolTip(QStringLiteral(" Clears all fields in the form "));
    return b;
}

QLabel *startItemForm(QWidget *form, const char *name, const QString &heading) {
    form->setObjectName(QLatin1String(name));
    form->setAttribute(Qt::WA_DeleteOnClose);
    return makeHeading(form, heading);
}

void loadItemForm(QWidget *form, ItemFieldSet *fields) {
    form->setWindowTitle(AppCaption());
    NewRails();
    fields->datBox->setDate(platform::now().date());
}

void layoutItemForm(QWidget *form, QLabel *heading, QWidget *list, ItemFieldSet *fields,
                    const ItemFormButtons &b) {
    // The heading also names the form, for assistive tools and the Windows menu.
    form->setAccessibleName(heading->text());
    auto *columns = new QHBoxLayout;
    columns->addWidget(fields->fieldColumn(), 0, Qt::AlignTop);
    columns->addSpacing(24);
    columns->addWidget(fields->notesColumn(), 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(b.save);
    buttons->addWidget(b.clear);
    buttons->addWidget(b.exit);
    auto *page = new QVBoxLayout(form);
    page->addWidget(heading);
    if (list)
        page->addWidget(list, 1);
    page->addSpacing(8);
    // Without a list the fields take the room; with one, the list does.
    page->addLayout(columns, list ? 0 : 1);
    page->addLayout(buttons);

    // Tab order: the list first when there is one, the fields, then the buttons.
    QWidget *last = fields->setTabOrderAfter(list);
    QWidget::setTabOrder(last, b.save);
    QWidget::setTabOrder(b.save, b.clear);
    QWidget::setTabOrder(b.clear, b.exit);
}

void closeItemForm(QWidget *form) {
    if (auto *sub = qobject_cast<QMdiSubWindow *>(form->parentWidget()))
        sub->close();
    else
        form->close();
}

} // namespace items

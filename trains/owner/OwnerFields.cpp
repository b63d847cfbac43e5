#include "trains/owner/OwnerFields.h"

#include "trains/FormUnits.h"

#include "trains/FieldHighlight.h"
#include "trains/modGlobal.h"

#include "platform/Error.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

namespace owner {

namespace {
struct Field {
    const char *caption;
    int maxLength;
    int widthTwips;
    const char *missing; // empty for the optional e-mail
};

const Field kFields[kFieldCount] = {
    {"Last Name", 35, 3495, "Last Name is missing! "},
    {"First Name", 35, 3495, "First Name is missing! "},
    {"Address", 35, 3495, "Address is missing! "},
    {"City", 35, 3495, "City Name is missing! "},
    {"State/Prov", 3, 615, "State/Prov is missing! "},
    {"Postal Code", 10, 2115, "Postal Code is missing! "},
    {"Email Address", 45, 3495, ""},
};

QPushButton *button(QWidget *form, const QString &caption, const char *name, QRect where) {
    auto *b = new QPushButton(caption, form);
    b->setObjectName(QLatin1String(name));
    b->setFont(verdana(9.75, true));
    QPalette p = b->palette();
    p.setColor(QPalette::Button, QColor(224, 224, 224));
    b->setPalette(p);
    b->setGeometry(where);
    // Enter on a focused button presses it, also outside a dialog.
    b->setAutoDefault(true);
    return b;
}
} // namespace

const OwnerFormKind &entryKind() {
    static const OwnerFormKind k{QStringLiteral("Owner Profile"), 4125 / 15, true};
    return k;
}

const OwnerFormKind &editKind() {
    static const OwnerFormKind k{QStringLiteral("Edit Owner Profile"), 3750 / 15, false};
    return k;
}

const QString OwnerTexts::saved = QStringLiteral("Profile Information Saved! ");
const QString OwnerTexts::savedTitle = QStringLiteral("Record Saved Successfully");
const QString OwnerTexts::notSaved = QStringLiteral("Profile Record was NOT Saved! ");
const QString OwnerTexts::discard = QStringLiteral("Discard the owner profile you have typed? ");

QString OwnerTexts::missing(int index) {
    if (index < 0 || index >= kFieldCount)
        return {};
    return QString::fromLatin1(kFields[index].missing);
}

void OwnerFields::build(QWidget *form, const OwnerFormKind &kind) {
    form->setFont(verdana(9.75, false));
    form->setFixedSize(5550 / 15, kind.clientHeight);

    // The heading also names the form, for assistive tools and the Windows menu.
    form->setAccessibleName(kind.title);
    Label12 = new QLabel(kind.title, form);
    Label12->setObjectName(QStringLiteral("Label12"));
    Label12->setFont(verdana(14.25, true));
    Label12->setAlignment(Qt::AlignCenter);
    Label12->setGeometry(twips(120, 120, 5295, 435));

    behaviour = new FieldBehaviour(form);
    for (int i = 0; i < kFieldCount; ++i) {
        const int top = 600 + 360 * i;
        auto *caption = new QLabel(QString::fromLatin1(kFields[i].caption), form);
        caption->setObjectName(QStringLiteral("lblData_%1").arg(i));
        caption->setGeometry(twips(120, top, 1755, 315));
        caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        auto *box = new QLineEdit(form);
        box->setObjectName(QStringLiteral("txtBox_%1").arg(i));
        box->setMaxLength(kFields[i].maxLength);
        box->setGeometry(twips(1920, top, kFields[i].widthTwips, 315));
        box->setCursor(Qt::IBeamCursor);
        if (i == 4)
            box->setAlignment(Qt::AlignHCenter);
        lblData[i] = caption;
        txtBox[i] = box;
        behaviour->addField(box, caption);
    }

    cmdSave = button(form, QStringLiteral("&Save"), "cmdSave", twips(120, 3180, 1215, 435));
    cmdExit = button(form, QStringLiteral("e&Xit"), "cmdExit", twips(4200, 3180, 1215, 435));

    for (int i = 0; i + 1 < kFieldCount; ++i)
        behaviour->addEnterNext(txtBox[i], txtBox[i + 1]);
    behaviour->addEnterNext(txtBox[kFieldCount - 1], cmdSave);

    QWidget::setTabOrder(txtBox[0], txtBox[1]);
    for (int i = 1; i + 1 < kFieldCount; ++i)
        QWidget::setTabOrder(txtBox[i], txtBox[i + 1]);
    QWidget::setTabOrder(txtBox[kFieldCount - 1], cmdSave);
    QWidget::setTabOrder(cmdSave, cmdExit);

    if (kind.firstUseNote) {
        Label1 = new QLabel(QStringLiteral("This only needs to be done on first use"), form);
        Label1->setObjectName(QStringLiteral("Label1"));
        Label1->setFont(verdana(8.25, false));
        Label1->setAlignment(Qt::AlignCenter);
        QPalette p = Label1->palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 255));
        Label1->setPalette(p);
        Label1->setGeometry(twips(120, 3720, 5295, 255));
    }
    typed.keep(shownTexts());
}

bool OwnerFields::ValidateOwner() {
    for (int i = 0; i < kFieldCount - 1; ++i) {
        if (!txtBox[i]->text().isEmpty())
            continue;
        platform::setScreenPointer(platform::Pointer::Default);
        platform::MsgBox(OwnerTexts::missing(i), platform::critical(), kAppTitle);
        txtBox[i]->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

QStringList OwnerFields::profileTexts() const {
    QStringList t;
    for (QLineEdit *box : txtBox)
        t << box->text();
    t << t[1] + QLatin1Char(' ') + t[0];
    return t;
}

bool OwnerFields::saveProfile(QWidget *form, const std::function<bool(QStringList &)> &store) {
    using platform::resumeNext;
    resumeNext([form] { TrimTextBoxes(form); });
    bool valid = false;
    resumeNext([&] { valid = ValidateOwner(); });
    if (!valid)
        return false;
    QStringList strText = profileTexts();
    // The store doubles quotes inside the array it is given; the name kept for the reports is
    // the one entered.
    const QString fullName = strText[7];
    bool saved = false;
    resumeNext([&] { saved = store(strText); });
    strOwnerName = fullName;
    strText.clear();
    if (saved) {
        typed.keep(shownTexts());
        platform::MsgBox(OwnerTexts::saved, platform::exclamation(), OwnerTexts::savedTitle);
    } else
        platform::MsgBox(OwnerTexts::notSaved, platform::critical(), kAppTitle);
    return saved;
}

QStringList OwnerFields::shownTexts() const {
    QStringList texts;
    for (const QLineEdit *box : txtBox)
        texts << box->text();
    return texts;
}

} // namespace owner

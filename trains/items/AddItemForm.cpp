#include "trains/items/AddItemForm.h"

#include "trains/CollectionEvents.h"
#include "trains/items/ItemFieldSet.h"
#include "trains/items/ItemFormParts.h"
#include "trains/modGlobal.h"

#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/MsgBox.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace items {

using platform::Error;
using platform::MsgBox;

namespace {
const QString kDiscardNewItem = QStringLiteral("Discard the new item you have typed? ");
}

AddItemForm::AddItemForm(ItemKind kind, QWidget *parent) : QWidget(parent), kind_(kindInfo(kind)) {
    Label25 = startItemForm(this, kind_.addFormName, kind_.addHeading);
    fields_ = new ItemFieldSet(this, kind_.typeCaption, kind_.numberCaption, kind_.addTypes);
    fields_->txtBox[0]->setToolTip(QStringLiteral(" Road name "));
    layoutItemForm(this, Label25, nullptr, fields_, addItemFormButtons(this));

    Form_Load();
}

void AddItemForm::Form_Load() {
    loadItemForm(this, fields_);
    if (kind_.showsPicture)
        platform::resumeNext([this] { loadPicture(); });
    typed_.keep(fields_->shownValues());
}

void AddItemForm::closeEvent(QCloseEvent *event) {
    if (!typed_.mayDrop(fields_->shownValues(), kDiscardNewItem)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

// The locomotive drawing beside the notes. The form works without it: a missing or
// unreadable file leaves the box empty.
void AddItemForm::loadPicture() {
    const QString file = ProgramFolder() + QStringLiteral("/images/loco.svg");
    if (!QFileInfo::exists(file))
        return;
    QSvgRenderer svg(file);
    if (!svg.isValid())
        return;
    QSize size = svg.defaultSize();
    if (size.isEmpty())
        return;
    size.scale(QSize(260, 180), Qt::KeepAspectRatio);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    svg.render(&painter);
    painter.end();
    fields_->imgBox->setPixmap(pixmap);
}

bool AddItemForm::CheckFields() {
    return fields_->CheckFields(
        {kind_.typeMissing, kind_.numberMissing, kind_.checksConditionAndBox});
}

QString AddItemForm::MakeItemID() {
    QString id;
    platform::trap(
        [&] {
            if (!objRails)
                throw Error(platform::ErrObjectNotSet,
                            QStringLiteral("Object variable or With block variable not set"));
            rsRecords = objRails->GetNewItemID();
            if (!rsRecords)
                throw Error(platform::ErrObjectNotSet,
                            QStringLiteral("Object variable or With block variable not set"));
            rsRecords->MoveFirst();
            const QVariant newest = rsRecords->Fields(QStringLiteral("NewItemID"));
            const qlonglong number =
                newest.isNull() || newest.toLongLong() == 0 ? 1 : newest.toLongLong() + 1;
            id = kind_.itemPrefix + QString::number(number);
        },
        // The store has shown its own failure; without the largest row number there is no
        // number that is sure not to belong to a stored item.
        [](const Error &) {});
    CloseRecordset();
    return id;
}

void AddItemForm::cmdSave_Click() {
    TrimTextBoxes(this);
    if (!CheckFields())
        return;

    QStringList strText(12);
    QList<double> sngMoney;
    QDateTime datDate;
    bool result = false;
    strText[0] = MakeItemID();
    if (!strText[0].isEmpty()) {
        fields_->fillArguments(strText, sngMoney, datDate);
        platform::resumeNext([&] {
            if (!objRails)
                throw Error(platform::ErrObjectNotSet,
                            QStringLiteral("Object variable or With block variable not set"));
            result = ((*objRails).*kind_.addOperation)(strText, datDate, sngMoney);
        });
    }

    if (result) {
        typed_.keep(fields_->shownValues());
        notifyCollectionChanged();
        const auto answer =
            MsgBox(kind_.savedFirst + platform::vbCrLf + platform::vbCrLf + kind_.savedQuestion,
                   {platform::MsgIcon::Question, platform::MsgButtons::YesNo,
                    platform::MsgDefault::Button2},
                   text::SavedTitle);
        if (answer == platform::MsgResult::Yes)
            cmdClear_Click();
        else
            closeItemForm(this);
    } else {
        // The entries stay so the user can try again.
        MsgBox(kind_.notSaved, platform::critical(), text::ErrorTitle);
    }
}

void AddItemForm::cmdClear_Click() {
    fields_->clearFields();
    if (kind_.clearResetsBox)
        fields_->clearBoxAnswer();
    if (kind_.clearMovesFocus)
        platform::resumeNext([this] { fields_->cboBox[0]->setFocus(Qt::OtherFocusReason); });
    typed_.keep(fields_->shownValues());
}

void AddItemForm::cmdExit_Click() {
    closeItemForm(this);
}

} // namespace items

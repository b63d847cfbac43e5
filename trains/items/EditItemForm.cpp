#include "trains/items/EditItemForm.h"

#include "trains/CollectionEvents.h"
#include "trains/DiscardQuestion.h"
#include "trains/items/ItemFieldSet.h"
#include "trains/items/ItemFormParts.h"
#include "trains/lists/ItemList.h"
#include "trains/modGlobal.h"

#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace items {

using platform::Error;
using platform::MsgBox;

namespace {

Error objectNotSet() {
    return Error(platform::ErrObjectNotSet,
                 QStringLiteral("Object variable or With block variable not set"));
}

// The text a list cell shows for a stored value. A Null shows as an empty cell.
} // namespace

EditItemForm::EditItemForm(ItemKind kind, QWidget *parent) : EditItemForm(kind, parent, true) {}

QSize EditItemForm::sizeNeeded(ItemKind kind) {
    const EditItemForm measured(kind, nullptr, false);
    return measured.sizeHint();
}

EditItemForm::EditItemForm(ItemKind kind, QWidget *parent, bool load)
    : QWidget(parent), kind_(kindInfo(kind)) {
    Label25 = startItemForm(this, kind_.editFormName, kind_.editHeading);
    list_ = new ItemListView(listColumns(kind_.columns), this);
    list_->setObjectName(QLatin1String(kind_.listName));
    list_->setAccessibleName(kind_.editHeading);
    list_->setMinimumHeight(180);
    connect(list_, &ItemListView::rowChosen, this, &EditItemForm::rowChosen);

    fields_ = new ItemFieldSet(this, kind_.typeCaption, kind_.numberCaption, kind_.editTypes);
    if (!kind_.notesToolTip.isEmpty())
        fields_->rtBox->setToolTip(kind_.notesToolTip);
    lblID = new QLabel(this);
    lblID->setObjectName(QStringLiteral("lblID"));
    lblID->setVisible(false);

    layoutItemForm(this, Label25, list_, fields_, addItemFormButtons(this));

    if (load)
        Form_Load();
}

void EditItemForm::Form_Load() {
    loadItemForm(this, fields_);
    setRowChosen(QString());
    LoadList();
}

void EditItemForm::setRowChosen(const QString &itemId) {
    lblID->setText(itemId);
    // Without a chosen row an update would match no stored item.
    cmdSave->setEnabled(!itemId.isEmpty());
}

void EditItemForm::LoadList() {
    platform::setScreenPointer(platform::Pointer::Wait);
    ItemListModel *model = list_->listModel();
    platform::trap(
        [&] {
            if (!objRails)
                throw objectNotSet();
            rsRecords = ((*objRails).*kind_.listOperation)();
            if (!rsRecords)
                throw objectNotSet();
            fillItemList(model, *rsRecords, kind_.columns);
        },
        [&](const Error &e) {
            platform::setScreenPointer(platform::Pointer::Default);
            if (kind_.loadReportsErrors)
                MsgBox(platform::errorBoxText(e, kind_.loadErrorWhere,
                                              QStringLiteral("Procedure: ") + kind_.loadProcedure +
                                                  QStringLiteral(" ")),
                       platform::critical(), kAppTitle);
        });
    CloseRecordset();
    platform::setScreenPointer(platform::Pointer::Default);
}

bool EditItemForm::chooseItem(const QString &itemId) {
    const ItemListModel *model = list_->listModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->key(row).compare(itemId, Qt::CaseInsensitive) != 0)
            continue;
        const QModelIndex index = model->index(row, 0);
        list_->scrollTo(index);
        if (list_->currentIndex() == index)
            rowChosen(row);
        else
            list_->setCurrentIndex(index);
        return true;
    }
    return false;
}

void EditItemForm::rowChosen(int row) {
    if (returning_)
        return;
    if (!changesMayGo()) {
        // The list has already moved; it goes back once the choosing click or key is over.
        QTimer::singleShot(0, this, &EditItemForm::backToChosenRow);
        return;
    }
    platform::setScreenPointer(platform::Pointer::Wait);
    const ItemListModel *model = list_->listModel();
    platform::resumeNext([&] { setRowChosen(model->key(row)); });
    platform::resumeNext([&] { fields_->showRow(model->rowCells(row)); });
    chosenValues_ = fields_->shownValues();
    platform::setScreenPointer(platform::Pointer::Default);
}

bool EditItemForm::changesMayGo() {
    const QString itemId = lblID->text();
    if (itemId.isEmpty() || fields_->shownValues() == chosenValues_)
        return true;
    return askToDiscard(text::DiscardChanges(itemId));
}

void EditItemForm::backToChosenRow() {
    const ItemListModel *model = list_->listModel();
    const QString itemId = lblID->text();
    QModelIndex chosen;
    for (int r = 0; r < model->rowCount() && !chosen.isValid(); ++r)
        if (model->key(r) == itemId)
            chosen = model->index(r, 0);
    returning_ = true;
    if (chosen.isValid())
        list_->setCurrentIndex(chosen);
    else
        list_->selectionModel()->clear();
    returning_ = false;
}

void EditItemForm::closeEvent(QCloseEvent *event) {
    if (!changesMayGo()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

bool EditItemForm::CheckFields() {
    return fields_->CheckFields({kind_.typeMissing, kind_.numberMissing, false});
}

void EditItemForm::cmdSave_Click() {
    if (lblID->text().isEmpty())
        return;
    TrimTextBoxes(this);
    if (!CheckFields())
        return;

    QStringList strText(12);
    QList<double> sngMoney;
    QDateTime datDate;
    bool result = false;
    strText[0] = lblID->text();
    fields_->fillArguments(strText, sngMoney, datDate);
    platform::resumeNext([&] {
        if (!objRails)
            throw objectNotSet();
        result = ((*objRails).*kind_.updateOperation)(strText, datDate, sngMoney);
    });

    if (result) {
        chosenValues_ = fields_->shownValues();
        notifyCollectionChanged();
        const auto answer =
            MsgBox(kind_.updatedFirst + platform::vbCrLf + platform::vbCrLf + kind_.updatedQuestion,
                   {platform::MsgIcon::Question, platform::MsgButtons::YesNo,
                    platform::MsgDefault::Button2},
                   kind_.updatedTitle);
        if (answer == platform::MsgResult::Yes) {
            cmdClear_Click();
            list_->listModel()->clear();
            LoadList();
        } else {
            closeItemForm(this);
        }
    } else {
        // The changes and the chosen row stay so the user can try again.
        MsgBox(kind_.notUpdated, platform::critical(), text::ErrorTitle);
    }
}

void EditItemForm::cmdClear_Click() {
    if (!changesMayGo())
        return;
    fields_->clearFields();
    setRowChosen(QString());
    fields_->clearBoxAnswer();
}

void EditItemForm::cmdExit_Click() {
    // Closing asks about unsaved changes.
    closeItemForm(this);
}

} // namespace items

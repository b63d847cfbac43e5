#include "trains/delete/DeleteForm.h"

#include "trains/CollectionEvents.h"
#include "trains/FormUnits.h"

#include "platform/Error.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"
#include "trains/modGlobal.h"

#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>

DeleteForm::DeleteForm(const DeleteKind &kind, QWidget *parent) : QWidget(parent), kind_(kind) {
    setObjectName(QString::fromLatin1(kind_.formName));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    Form_Load();
}

void DeleteForm::buildControls() {
    setFont(verdana(9.75, false));
    resize(px(kind_.clientWidth), px(kind_.clientHeight));

    // The heading also names the form, for assistive tools and the Windows menu.
    setAccessibleName(kind_.title);
    Label1 = new QLabel(kind_.title, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(verdana(14.25, true));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(twips(120, 120, 10935, 435));

    lvList = new ItemListView(listColumns(kind_.columns), this);
    lvList->setObjectName(kind_.listName);
    lvList->setToolTip(deletetexts::kListTip);
    lvList->setAccessibleName(kind_.title);
    lvList->setGeometry(twips(120, 600, 10935, 4395));
    connect(lvList, &ItemListView::rowChosen, this, &DeleteForm::lvList_Click);

    const std::array<QString, 5> captions = {QStringLiteral("ID"), QStringLiteral("Manufacturer"),
                                             kind_.typeCaption, QStringLiteral("Rail Line"),
                                             QStringLiteral("Gauge")};
    const std::array<const char *, 5> labelNames = {"Label13", "Label11", "Label9", "Label7",
                                                    "Label5"};
    const QColor tipBack = palette().color(QPalette::ToolTipBase);
    for (std::size_t i = 0; i < txtBox.size(); ++i) {
        auto *box = new QLineEdit(this);
        box->setObjectName(QStringLiteral("txtBox_%1").arg(i));
        box->setReadOnly(true);
        // Only shows the chosen row: a click still reaches it to copy, Tab passes it by.
        box->setFocusPolicy(Qt::ClickFocus);
        box->setAlignment(Qt::AlignCenter);
        box->setCursor(Qt::ArrowCursor);
        QPalette p = box->palette();
        p.setColor(QPalette::Base, tipBack);
        p.setColor(QPalette::Text, palette().color(QPalette::ToolTipText));
        box->setPalette(p);
        box->setGeometry(twips(kind_.boxLefts[i], 5400, kind_.boxWidths[i], 315));
        txtBox[i] = box;

        auto *caption = new QLabel(captions[i], this);
        caption->setObjectName(QString::fromLatin1(labelNames[i]));
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        caption->setGeometry(twips(kind_.boxLefts[i], 5040, kind_.boxWidths[i], 315));
        caption->setBuddy(box);
        lblCaption[i] = caption;
    }

    auto button = [this](const QString &text, const char *name, int left) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setFont(verdana(9.75, true));
        QPalette p = b->palette();
        p.setColor(QPalette::Button, QColor(224, 224, 224));
        b->setPalette(p);
        b->setAutoFillBackground(true);
        b->setGeometry(twips(left, 5820, 1215, 435));
        return b;
    };
    cmdDelete = button(QStringLiteral("&Delete"), "cmdDelete", 120);
    cmdClear = button(QStringLiteral("&Clear"), "cmdClear", 4995);
    cmdExit = button(QStringLiteral("e&Xit"), "cmdExit", 9840);
    connect(cmdDelete, &QPushButton::clicked, this, &DeleteForm::cmdDelete_Click);
    connect(cmdClear, &QPushButton::clicked, this, &DeleteForm::cmdClear_Click);
    connect(cmdExit, &QPushButton::clicked, this, &DeleteForm::cmdExit_Click);
    updateDeleteEnabled();
}

QSize DeleteForm::sizeHint() const {
    return {px(kind_.clientWidth), px(kind_.clientHeight)};
}

void DeleteForm::Form_Load() {
    setWindowTitle(AppCaption());
    NewRails();
    FillList();
}

void DeleteForm::FillList() {
    platform::setScreenPointer(platform::Pointer::Wait);
    rsRecords.reset();
    if (objRails)
        platform::resumeNext([&] { rsRecords = ((*objRails).*kind_.load)(); });
    // No record set means the store has already reported its failure: the list stays empty.
    if (rsRecords && rsRecords->State() == engine::Recordset::adStateOpen)
        // A failure ends the walk; the rows added so far stay listed.
        platform::resumeNext([&] { fillItemList(lvList->listModel(), *rsRecords, kind_.columns); });
    CloseRecordset();
    platform::setScreenPointer(platform::Pointer::Default);
}

void DeleteForm::lvList_Click(int row) {
    platform::setScreenPointer(platform::Pointer::Wait);
    const ItemListModel *m = lvList->listModel();
    if (row >= 0 && row < m->rowCount()) {
        // The boxes follow their captions left to right: type (cell 3) before rail line (2).
        txtBox[0]->setText(m->key(row));
        txtBox[1]->setText(m->cell(row, 1));
        txtBox[2]->setText(m->cell(row, 3));
        txtBox[3]->setText(m->cell(row, 2));
        txtBox[4]->setText(m->cell(row, 5));
    }
    updateDeleteEnabled();
    platform::setScreenPointer(platform::Pointer::Default);
}

void DeleteForm::cmdDelete_Click() {
    QString strID = txtBox[0]->text();
    if (strID.isEmpty())
        return;
    // The store handles its own failures and answers false; without a store there is nothing
    // to delete through.
    const bool deleted = objRails && ((*objRails).*kind_.remove)(strID);
    platform::setScreenPointer(platform::Pointer::Default);
    if (deleted) {
        notifyCollectionChanged();
        const auto answer = platform::MsgBox(
            kind_.deletedLine + platform::vbCrLf + platform::vbCrLf + kind_.anotherQuestion,
            {platform::MsgIcon::Question, platform::MsgButtons::YesNo,
             platform::MsgDefault::Button1},
            deletetexts::kDeletedTitle);
        if (answer == platform::MsgResult::Yes) {
            cmdClear_Click();
            lvList->listModel()->clear();
            FillList();
        } else {
            cmdExit_Click();
        }
        return;
    }
    platform::MsgBox(kind_.notDeleted, {}, kAppTitle);
    cmdClear_Click();
}

void DeleteForm::cmdClear_Click() {
    for (QLineEdit *box : txtBox)
        box->clear();
    updateDeleteEnabled();
}

void DeleteForm::cmdExit_Click() {
    // The main window shows the form inside a sub-window; closing that closes the form too.
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

void DeleteForm::updateDeleteEnabled() {
    cmdDelete->setEnabled(!txtBox[0]->text().isEmpty());
}

#include "trains/records/frmChoiceLists.h"

#include "trains/CollectionEvents.h"
#include "trains/items/ChoiceLists.h"

#include "platform/Error.h"
#include "platform/MsgBox.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace records {

namespace {
const QString kTitle = QStringLiteral("Choice Lists");
constexpr int kChoiceRole = Qt::UserRole;
constexpr int kHiddenRole = Qt::UserRole + 1;

void showRefusal(const platform::Error &e) {
    platform::MsgBox(e.Description() + platform::vbCrLf + platform::vbCrLf +
                         QObject::tr("Nothing was changed."),
                     platform::exclamation(), kTitle);
}
} // namespace

frmChoiceLists::frmChoiceLists(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmChoiceLists"));
    setWindowTitle(kTitle);
    cboList = new QComboBox(this);
    cboList->setObjectName(QStringLiteral("cboList"));
    for (const items::ChoiceListInfo &l : items::choiceListInfos())
        cboList->addItem(l.caption);
    lstEntries = new QListWidget(this);
    lstEntries->setObjectName(QStringLiteral("lstEntries"));
    txtEntry = new QLineEdit(this);
    txtEntry->setObjectName(QStringLiteral("txtEntry"));
    txtEntry->setMaxLength(255);
    cmdAdd = new QPushButton(tr("&Add"), this);
    cmdRename = new QPushButton(tr("&Rename"), this);
    cmdHide = new QPushButton(tr("&Hide"), this);
    cmdClose = new QPushButton(tr("&Close"), this);

    auto *top = new QFormLayout;
    auto *listLabel = new QLabel(tr("&List:"), this);
    listLabel->setBuddy(cboList);
    top->addRow(listLabel, cboList);
    auto *entryLabel = new QLabel(tr("&Entry:"), this);
    entryLabel->setBuddy(txtEntry);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdAdd, cmdRename, cmdHide})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(new QLabel(tr("Designed entries (grey) cannot be changed; your own follow "
                                    "in alphabetical order."),
                                 this));
    layout->addWidget(lstEntries);
    auto *entryRow = new QHBoxLayout;
    entryRow->addWidget(entryLabel);
    entryRow->addWidget(txtEntry);
    layout->addLayout(entryRow);
    layout->addLayout(buttons);

    connect(cboList, &QComboBox::currentIndexChanged, this, &frmChoiceLists::cboList_Click);
    connect(lstEntries, &QListWidget::currentRowChanged, this, [this] {
        if (chosenChoice() != 0)
            txtEntry->setText(lstEntries->currentItem()->text());
        updateButtons();
    });
    connect(txtEntry, &QLineEdit::returnPressed, this, &frmChoiceLists::cmdAdd_Click);
    connect(cmdAdd, &QPushButton::clicked, this, &frmChoiceLists::cmdAdd_Click);
    connect(cmdRename, &QPushButton::clicked, this, &frmChoiceLists::cmdRename_Click);
    connect(cmdHide, &QPushButton::clicked, this, &frmChoiceLists::cmdHide_Click);
    connect(cmdClose, &QPushButton::clicked, this, [this] {
        if (parentWidget())
            parentWidget()->close();
    });
    fill();
    txtEntry->setFocus();
    resize(460, 480);
}

void frmChoiceLists::cboList_Click() {
    fill();
}

void frmChoiceLists::fill(qint64 choose) {
    const items::ChoiceListInfo &info =
        items::choiceListInfos().at(qMax(0, cboList->currentIndex()));
    lstEntries->clear();
    for (const QString &d : info.designed) {
        auto *row = new QListWidgetItem(d, lstEntries);
        row->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
        row->setToolTip(tr("Designed entry"));
    }
    platform::trap(
        [&] {
            for (const Choice &c : store_.choices(info.key)) {
                auto *row =
                    new QListWidgetItem(c.hidden ? c.entry + tr(" (hidden)") : c.entry, lstEntries);
                row->setData(kChoiceRole, c.id);
                row->setData(kHiddenRole, c.hidden);
                if (c.id == choose)
                    lstEntries->setCurrentItem(row);
            }
        },
        showRefusal);
    updateButtons();
}

qint64 frmChoiceLists::chosenChoice() const {
    const QListWidgetItem *row = lstEntries->currentItem();
    return row ? row->data(kChoiceRole).toLongLong() : 0;
}

void frmChoiceLists::updateButtons() {
    const qint64 id = chosenChoice();
    cmdRename->setEnabled(id != 0);
    cmdHide->setEnabled(id != 0);
    const bool hidden = id != 0 && lstEntries->currentItem()->data(kHiddenRole).toBool();
    cmdHide->setText(hidden ? tr("S&how") : tr("&Hide"));
}

void frmChoiceLists::cmdAdd_Click() {
    const items::ChoiceListInfo &info = items::choiceListInfos().at(cboList->currentIndex());
    const QString text = txtEntry->text().trimmed();
    if (info.designed.contains(text, Qt::CaseInsensitive)) {
        platform::MsgBox(tr("\"%1\" is already in this list.").arg(text), platform::exclamation(),
                         kTitle);
        return;
    }
    qint64 id = 0;
    if (platform::trap([&] { id = store_.addChoice(info.key, text); }, showRefusal)) {
        // The new entry is chosen, ready for a rename; the box is left empty for the next.
        fill(id);
        txtEntry->clear();
    }
}

void frmChoiceLists::cmdRename_Click() {
    const qint64 id = chosenChoice();
    if (id == 0)
        return;
    const items::ChoiceListInfo &info = items::choiceListInfos().at(cboList->currentIndex());
    const QString text = txtEntry->text().trimmed();
    if (info.designed.contains(text, Qt::CaseInsensitive)) {
        platform::MsgBox(tr("\"%1\" is already in this list.").arg(text), platform::exclamation(),
                         kTitle);
        return;
    }
    int followed = 0;
    if (!platform::trap(
            [&] { followed = store_.renameChoice(id, text, info.column, info.kindFlags); },
            showRefusal))
        return;
    fill(id);
    if (followed > 0)
        notifyCollectionChanged();
    platform::MsgBox(
        tr("The entry is now \"%1\"; %n item(s) holding it were changed.", nullptr, followed)
            .arg(text),
        {platform::MsgIcon::None, platform::MsgButtons::OK, platform::MsgDefault::Button1}, kTitle);
}

void frmChoiceLists::cmdHide_Click() {
    const qint64 id = chosenChoice();
    if (id == 0)
        return;
    const bool hidden = lstEntries->currentItem()->data(kHiddenRole).toBool();
    if (platform::trap([&] { store_.setChoiceHidden(id, !hidden); }, showRefusal))
        fill(id);
}

} // namespace records

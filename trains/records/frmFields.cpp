#include "trains/records/frmFields.h"

#include "platform/Error.h"
#include "platform/MsgBox.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace records {

namespace {
const QString kTitle = QStringLiteral("Fields");

void showRefusal(const platform::Error &e) {
    platform::MsgBox(e.Description() + platform::vbCrLf + platform::vbCrLf +
                         QObject::tr("Nothing was changed."),
                     platform::exclamation(), kTitle);
}

QLabel *caption(const QString &text, QWidget *buddy) {
    auto *l = new QLabel(text, buddy->parentWidget());
    l->setBuddy(buddy);
    return l;
}
} // namespace

frmFields::frmFields(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmFields"));
    setWindowTitle(kTitle);
    lvFields = new QTreeWidget(this);
    lvFields->setObjectName(QStringLiteral("lvFields"));
    lvFields->setHeaderLabels({tr("Field"), tr("Type"), tr("Choices")});
    lvFields->setRootIsDecorated(false);
    lvFields->setAccessibleName(tr("Fields"));
    txtName = new QLineEdit(this);
    txtName->setObjectName(QStringLiteral("txtName"));
    txtName->setMaxLength(255);
    cboType = new QComboBox(this);
    cboType->setObjectName(QStringLiteral("cboType"));
    for (int t = 0; t <= int(FieldType::Choice); ++t)
        cboType->addItem(fieldTypeName(FieldType(t)));
    txtChoices = new QLineEdit(this);
    txtChoices->setObjectName(QStringLiteral("txtChoices"));
    txtChoices->setPlaceholderText(tr("For a choice field: Era III; Era IV; Era V"));
    cmdAdd = new QPushButton(tr("&Add"), this);
    cmdRename = new QPushButton(tr("&Rename"), this);
    cmdRemove = new QPushButton(tr("Re&move"), this);
    cmdClose = new QPushButton(tr("&Close"), this);

    auto *form = new QFormLayout;
    form->addRow(caption(tr("&Name:"), txtName), txtName);
    form->addRow(caption(tr("&Type:"), cboType), cboType);
    form->addRow(caption(tr("C&hoices:"), txtChoices), txtChoices);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdAdd, cmdRename, cmdRemove})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lvFields);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(lvFields, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *row) {
        if (row)
            txtName->setText(row->text(0));
        cmdRename->setEnabled(row);
        cmdRemove->setEnabled(row);
    });
    connect(cmdAdd, &QPushButton::clicked, this, &frmFields::cmdAdd_Click);
    connect(cmdRename, &QPushButton::clicked, this, &frmFields::cmdRename_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmFields::cmdRemove_Click);
    connect(cmdClose, &QPushButton::clicked, this, [this] {
        if (parentWidget())
            parentWidget()->close();
    });
    fill();
    resize(480, 400);
}

void frmFields::fill(qint64 choose) {
    lvFields->clear();
    platform::trap(
        [&] {
            for (const Field &f : store_.fields()) {
                auto *row = new QTreeWidgetItem(lvFields, {f.name, fieldTypeName(f.type),
                                                           f.choices.join(QStringLiteral("; "))});
                row->setData(0, Qt::UserRole, f.id);
                if (f.id == choose)
                    lvFields->setCurrentItem(row);
            }
        },
        showRefusal);
    const bool any = lvFields->currentItem() != nullptr;
    cmdRename->setEnabled(any);
    cmdRemove->setEnabled(any);
    lvFields->resizeColumnToContents(0);
}

qint64 frmFields::chosenField() const {
    const QTreeWidgetItem *row = lvFields->currentItem();
    return row ? row->data(0, Qt::UserRole).toLongLong() : 0;
}

void frmFields::cmdAdd_Click() {
    const auto type = FieldType(cboType->currentIndex());
    const QStringList choices =
        type == FieldType::Choice ? txtChoices->text().split(QLatin1Char(';')) : QStringList();
    qint64 id = 0;
    if (platform::trap([&] { id = store_.addField(txtName->text(), type, choices); },
                       showRefusal)) {
        txtChoices->clear();
        fill(id);
    }
}

void frmFields::cmdRename_Click() {
    const qint64 id = chosenField();
    if (id != 0 && platform::trap([&] { store_.renameField(id, txtName->text()); }, showRefusal))
        fill(id);
}

void frmFields::cmdRemove_Click() {
    const qint64 id = chosenField();
    if (id == 0)
        return;
    const QString name = lvFields->currentItem()->text(0);
    int holding = 0;
    if (!platform::trap([&] { holding = store_.itemsHolding(id); }, showRefusal))
        return;
    const QString prompt =
        holding == 0 ? tr("Remove the field \"%1\"? No item holds a value in it.").arg(name)
                     : tr("Remove the field \"%1\"? %n item(s) hold a value in it; the values "
                          "are removed with the field.",
                          nullptr, holding)
                           .arg(name);
    if (platform::MsgBox(prompt,
                         {platform::MsgIcon::Question, platform::MsgButtons::YesNo,
                          platform::MsgDefault::Button2},
                         kTitle) != platform::MsgResult::Yes)
        return;
    if (platform::trap([&] { store_.removeField(id); }, showRefusal)) {
        txtName->clear();
        fill();
    }
}

} // namespace records

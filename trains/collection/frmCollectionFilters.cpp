// Browse's find and filters: the words to find, the kind, the condition, the incomplete items
// only, and a field of the collector's that must hold a value (containing a text, when one is
// typed).
#include "trains/collection/CollectionModel.h"
#include "trains/collection/frmCollection.h"
#include "trains/items/ChoiceLists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <numeric>

namespace collection {

QLayout *frmCollection::buildFilters() {
    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setClearButtonEnabled(true);
    txtFind->setPlaceholderText(tr("Words to find in any column"));
    txtFind->installEventFilter(this);
    for (QToolButton *clear : txtFind->findChildren<QToolButton *>())
        clear->setAccessibleName(tr("Clear Find"));
    const auto captioned = [this](const QString &caption, QWidget *w, const char *name) {
        w->setObjectName(QLatin1String(name));
        auto *label = new QLabel(caption, this);
        label->setBuddy(w);
        return label;
    };
    QLabel *lblFind = captioned(tr("&Find:"), txtFind, "txtFind");
    cboKind = new QComboBox(this);
    QLabel *lblKind = captioned(tr("&Kind:"), cboKind, "cboKind");
    cboCondition = new QComboBox(this);
    QLabel *lblCondition = captioned(tr("C&ondition:"), cboCondition, "cboCondition");
    chkIncomplete = new QCheckBox(tr("&Incomplete only"), this);
    chkIncomplete->setObjectName(QStringLiteral("chkIncomplete"));
    chkIncomplete->setToolTip(tr("Items lacking a field the add forms require"));
    cboField = new QComboBox(this);
    QLabel *lblField = captioned(tr("Fiel&d:"), cboField, "cboField");
    txtFieldValue = new QLineEdit(this);
    txtFieldValue->setPlaceholderText(tr("any value"));
    txtFieldValue->setClearButtonEnabled(true);
    QLabel *lblFieldValue = captioned(tr("co&ntains:"), txtFieldValue, "txtFieldValue");

    // The find above the filters, so that the view fits the main window at its smallest.
    auto *find = new QHBoxLayout;
    find->addWidget(lblFind);
    find->addWidget(txtFind, 1);
    auto *filters = new QHBoxLayout;
    filters->addWidget(lblKind);
    filters->addWidget(cboKind, 1);
    filters->addWidget(lblCondition);
    filters->addWidget(cboCondition, 1);
    filters->addWidget(chkIncomplete);
    auto *fields = new QHBoxLayout;
    fields->addWidget(lblField);
    fields->addWidget(cboField, 1);
    fields->addWidget(lblFieldValue);
    fields->addWidget(txtFieldValue, 1);
    auto *box = new QVBoxLayout;
    box->addLayout(find);
    box->addLayout(filters);
    box->addLayout(fields);

    connect(txtFind, &QLineEdit::textChanged, this, &frmCollection::applyFilter);
    connect(cboKind, &QComboBox::currentIndexChanged, this, &frmCollection::applyFilter);
    connect(cboCondition, &QComboBox::currentIndexChanged, this, &frmCollection::applyFilter);
    connect(chkIncomplete, &QCheckBox::toggled, this, &frmCollection::applyFilter);
    connect(cboField, &QComboBox::currentIndexChanged, this, &frmCollection::applyFilter);
    connect(txtFieldValue, &QLineEdit::textChanged, this, &frmCollection::applyFilter);
    return box;
}

void frmCollection::fillFilterLists() {
    const QSignalBlocker blockKind(cboKind);
    const QSignalBlocker blockCondition(cboCondition);
    const int kind = cboKind->currentData().isValid() ? cboKind->currentData().toInt() : -1;
    const QString condition =
        cboCondition->currentIndex() > 0 ? cboCondition->currentText() : QString();
    cboKind->clear();
    cboKind->addItem(tr("All kinds"), -1);
    for (ItemKind k : model_->kindsPresent())
        cboKind->addItem(kindViewName(k), int(k));
    cboKind->setCurrentIndex(std::max(0, cboKind->findData(kind)));
    cboCondition->clear();
    cboCondition->addItem(tr("All conditions"), -1);
    // The conditions in the forms' order, from best to worst; others after them.
    const QStringList &conditions = model_->conditions();
    const QStringList &designed = items::conditions();
    const auto rank = [&](const QString &c) {
        const qsizetype at = designed.indexOf(c, Qt::CaseInsensitive);
        return at < 0 ? designed.size() : at;
    };
    std::vector<int> byRank(std::size_t(conditions.size()));
    std::iota(byRank.begin(), byRank.end(), 0);
    std::stable_sort(byRank.begin(), byRank.end(), [&](int a, int b) {
        const qsizetype ra = rank(conditions[a]), rb = rank(conditions[b]);
        return ra != rb ? ra < rb : naturalCompare(conditions[a], conditions[b]) < 0;
    });
    for (const int i : byRank)
        cboCondition->addItem(conditions[i].isEmpty() ? tr("(none)") : conditions[i], i);
    const int found = condition.isEmpty() ? 0 : cboCondition->findText(condition);
    cboCondition->setCurrentIndex(std::max(0, found));
    fillFieldFilter();
    // The row indexes of the conditions may have changed with the reload.
    applyFilter();
    updateTotals();
}

void frmCollection::fillFieldFilter() {
    const QSignalBlocker block(cboField);
    const qint64 was = cboField->currentData().toLongLong();
    cboField->clear();
    cboField->addItem(tr("Any or none"), qint64(0));
    for (const CollectionModel::OwnField &f : model_->ownFields())
        cboField->addItem(f.name, f.id);
    cboField->setCurrentIndex(std::max(0, cboField->findData(was)));
    cboField->setEnabled(cboField->count() > 1);
    txtFieldValue->setEnabled(cboField->currentIndex() > 0);
}

void frmCollection::applyFilter() {
    txtFieldValue->setEnabled(cboField->currentIndex() > 0);
    CollectionModel::Filter f;
    f.text = txtFind->text();
    f.kind = cboKind->currentData().isValid() ? cboKind->currentData().toInt() : -1;
    f.condition = cboCondition->currentData().isValid() ? cboCondition->currentData().toInt() : -1;
    f.incompleteOnly = chkIncomplete->isChecked();
    f.field = cboField->currentIndex() - 1;
    f.fieldText = f.field >= 0 ? txtFieldValue->text() : QString();
    model_->setFilter(f);
}

} // namespace collection

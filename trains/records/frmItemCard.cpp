#include "trains/records/frmItemCard.h"

#include "trains/CollectionEvents.h"
#include "trains/collection/CollectionData.h"

#include "platform/Error.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace records {

namespace {
const QString kTitle = QStringLiteral("Item Card");
const QString kMoney = QStringLiteral("##,##0.#0");
const QString kDay = QStringLiteral("yyyy-MM-dd");

// The designed fields as the card lists them: caption and column.
const std::pair<const char *, const char *> kDesigned[] = {{"Item", "ItemID"},
                                                           {"Manufacturer", "Manufacturer"},
                                                           {"Rail Line", "RailLine"},
                                                           {"Type", "CarType"},
                                                           {"Car Number", "CarNumber"},
                                                           {"Set Number", "SetNumber"},
                                                           {"Gauge", "Gauge"},
                                                           {"Minimum Curve", "Curve"},
                                                           {"Color", "CarColor"},
                                                           {"Set Color", "Color"},
                                                           {"Accquired From", "AccquiredFrom"},
                                                           {"Original Cost", "OriginalCost"},
                                                           {"Current Value", "CurrentValue"},
                                                           {"Date Accquired", "DateAccquired"},
                                                           {"Condition", "Condition"},
                                                           {"Box Included", "Box"}};

QString amount(const QVariant &v) {
    return v.isNull() ? QString() : platform::formatNumber(v.toDouble(), kMoney);
}

void warn(const QString &text) {
    platform::MsgBox(text, platform::exclamation(), kTitle);
}
} // namespace

frmItemCard::frmItemCard(const QString &itemId, Neighbour neighbour, QWidget *parent)
    : QWidget(parent), itemId_(itemId), neighbour_(std::move(neighbour)) {
    setObjectName(QStringLiteral("frmItemCard"));
    lblDesigned = new QLabel(this);
    lblDesigned->setObjectName(QStringLiteral("lblDesigned"));
    lblDesigned->setTextFormat(Qt::RichText);
    lblDesigned->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *extraBox = new QGroupBox(tr("Your Fields"), this);
    extraForm_ = new QFormLayout(extraBox);
    auto *valueBox = new QGroupBox(tr("Value"), this);
    auto *valueForm = new QFormLayout(valueBox);
    txtValue = new QLineEdit(valueBox);
    txtValue->setObjectName(QStringLiteral("txtValue"));
    txtValue->setMaxLength(20);
    datValuation = new QDateEdit(valueBox);
    datValuation->setObjectName(QStringLiteral("datValuation"));
    datValuation->setDisplayFormat(platform::shortDateFormat());
    datValuation->setCalendarPopup(true);
    cboSource = new QComboBox(valueBox);
    cboSource->setObjectName(QStringLiteral("cboSource"));
    cboSource->addItems(valueSources());
    valueForm->addRow(tr("Current &Value:"), txtValue);
    valueForm->addRow(tr("Valuation &Date:"), datValuation);
    valueForm->addRow(tr("S&ource:"), cboSource);
    for (QWidget *w : {static_cast<QWidget *>(txtValue), static_cast<QWidget *>(datValuation),
                       static_cast<QWidget *>(cboSource)})
        if (auto *l = qobject_cast<QLabel *>(valueForm->labelForField(w)))
            l->setBuddy(w);
    lvHistory = new QTreeWidget(this);
    lvHistory->setObjectName(QStringLiteral("lvHistory"));
    lvHistory->setHeaderLabels({tr("Changed"), tr("What"), tr("Old"), tr("New"), tr("Source")});
    lvHistory->setRootIsDecorated(false);
    lvHistory->setAccessibleName(tr("Value history"));
    lstPhotos = new QListWidget(this);
    lstPhotos->setObjectName(QStringLiteral("lstPhotos"));
    lstPhotos->setViewMode(QListView::IconMode);
    lstPhotos->setIconSize(QSize(96, 96));
    lstPhotos->setMaximumHeight(130);
    txtNotes = new QTextBrowser(this);
    txtNotes->setObjectName(QStringLiteral("txtNotes"));
    txtNotes->setMaximumHeight(90);
    cmdPrevious = new QPushButton(tr("&Previous"), this);
    cmdNext = new QPushButton(tr("&Next"), this);
    cmdSave = new QPushButton(tr("&Save"), this);
    cmdClose = new QPushButton(tr("&Close"), this);

    arrange(extraBox, valueBox);
    connect(cmdPrevious, &QPushButton::clicked, this, &frmItemCard::cmdPrevious_Click);
    connect(cmdNext, &QPushButton::clicked, this, &frmItemCard::cmdNext_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmItemCard::cmdSave_Click);
    connect(cmdClose, &QPushButton::clicked, this, [this] {
        if (parentWidget())
            parentWidget()->close();
    });
    buildExtraEditors();
    load();
    resize(860, 640);
}

// The item on the left, what can be changed and the history on the right, photos below.
void frmItemCard::arrange(QWidget *extraBox, QWidget *valueBox) {
    auto *columns = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    left->addWidget(lblDesigned);
    left->addWidget(new QLabel(tr("Notes:"), this));
    left->addWidget(txtNotes);
    left->addStretch();
    auto *right = new QVBoxLayout;
    right->addWidget(extraBox);
    right->addWidget(valueBox);
    right->addWidget(new QLabel(tr("History of cost and value:"), this));
    right->addWidget(lvHistory, 1);
    columns->addLayout(left, 2);
    columns->addLayout(right, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdPrevious);
    buttons->addWidget(cmdNext);
    buttons->addStretch();
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(lstPhotos);
    layout->addLayout(buttons);
}

void frmItemCard::buildExtraEditors() {
    platform::trap([&] { fields_ = store_.fields(); },
                   [](const platform::Error &e) { warn(e.Description()); });
    for (const Field &f : fields_) {
        QWidget *editor = nullptr;
        if (f.type == FieldType::YesNo || f.type == FieldType::Choice) {
            auto *box = new QComboBox(this);
            box->addItem(QString());
            box->addItems(f.type == FieldType::YesNo ? QStringList{tr("Yes"), tr("No")}
                                                     : f.choices);
            editor = box;
        } else {
            auto *line = new QLineEdit(this);
            line->setMaxLength(f.type == FieldType::Text ? 255 : 30);
            if (f.type == FieldType::Date)
                line->setPlaceholderText(platform::shortDateFormat());
            editor = line;
        }
        editor->setObjectName(QStringLiteral("extra_%1").arg(f.id));
        auto *caption = new QLabel(f.name + QLatin1Char(':'), this);
        caption->setBuddy(editor);
        extraForm_->addRow(caption, editor);
        extraEditors << editor;
    }
}

QString frmItemCard::editorText(int index) const {
    if (auto *box = qobject_cast<QComboBox *>(extraEditors[index]))
        return box->currentText();
    return static_cast<QLineEdit *>(extraEditors[index])->text().trimmed();
}

void frmItemCard::setEditorText(int index, const QString &stored) {
    const Field &f = fields_[index];
    if (auto *box = qobject_cast<QComboBox *>(extraEditors[index])) {
        int at = box->findText(stored, Qt::MatchFixedString);
        if (at < 0) { // a value no longer among the choices is kept as it is
            box->addItem(stored);
            at = box->count() - 1;
        }
        box->setCurrentIndex(at);
        return;
    }
    QString shown = stored;
    if (f.type == FieldType::Date && !stored.isEmpty())
        shown = platform::shortDate(QDate::fromString(stored, kDay));
    else if (f.type == FieldType::Amount && !stored.isEmpty())
        shown = platform::formatNumber(stored.toDouble(), kMoney);
    else if (f.type == FieldType::Number && !stored.isEmpty())
        shown = QLocale().toString(stored.toDouble(), 'g', 15);
    static_cast<QLineEdit *>(extraEditors[index])->setText(shown);
}

void frmItemCard::load() {
    std::shared_ptr<engine::Recordset> rs;
    QMap<qint64, QString> values;
    Valuation valuation;
    QList<HistoryEntry> history;
    const bool read = platform::trap(
        [&] {
            rs = store_.item(itemId_);
            values = store_.fieldValues(itemId_);
            valuation = store_.valuation(itemId_);
            history = store_.history(itemId_);
        },
        [](const platform::Error &e) { warn(e.Description()); });
    const bool found = read && rs && !rs->isEOF();
    setWindowTitle(kTitle + QStringLiteral(" - ") + itemId_);
    QString html = QStringLiteral("<table>");
    for (const auto &[caption, column] : kDesigned) {
        if (!found)
            break;
        const QVariant v = rs->Fields(QLatin1String(column));
        QString text = rs->text(rs->fieldIndex(QLatin1String(column)));
        if (QLatin1String(column).endsWith(QLatin1String("Cost")) ||
            QLatin1String(column).endsWith(QLatin1String("Value")))
            text = amount(v);
        else if (QLatin1String(column) == QLatin1String("DateAccquired") && !text.isEmpty())
            text = platform::shortDate(QDate::fromString(text.left(10), kDay));
        if (!text.isEmpty())
            html += QStringLiteral("<tr><td><b>%1:</b></td><td>%2</td></tr>")
                        .arg(tr(caption), text.toHtmlEscaped());
    }
    lblDesigned->setText(found ? html + QStringLiteral("</table>")
                               : tr("The item %1 is no longer in the collection.").arg(itemId_));
    txtNotes->setPlainText(found ? rs->text(rs->fieldIndex(QStringLiteral("Notes"))) : QString());
    for (int i = 0; i < fields_.size(); ++i)
        setEditorText(i, values.value(fields_[i].id));
    txtValue->setText(found ? amount(rs->Fields(QStringLiteral("CurrentValue"))) : QString());
    datValuation->setDate(valuation.date.isValid() ? valuation.date : QDate::currentDate());
    cboSource->setCurrentIndex(
        qMax(0, valueSources().indexOf(valuation.source.isEmpty() ? QStringLiteral("own estimate")
                                                                  : valuation.source)));
    lvHistory->clear();
    for (const HistoryEntry &h : history)
        new QTreeWidgetItem(lvHistory, {platform::shortDate(h.changed.date()),
                                        h.value ? tr("Value") : tr("Cost"), amount(h.oldAmount),
                                        amount(h.newAmount), h.source});
    for (int c = 0; c < lvHistory->columnCount(); ++c)
        lvHistory->resizeColumnToContents(c);
    lstPhotos->clear();
    platform::trap(
        [&] {
            for (const collection::PhotoInfo &p : collection::CollectionData().photos(itemId_)) {
                QPixmap thumb;
                thumb.loadFromData(p.thumb);
                new QListWidgetItem(QIcon(thumb), p.caption, lstPhotos);
            }
        },
        [](const platform::Error &) {});
    for (QWidget *w : extraEditors)
        w->setEnabled(found);
    for (QWidget *w : {static_cast<QWidget *>(txtValue), static_cast<QWidget *>(datValuation),
                       static_cast<QWidget *>(cboSource), static_cast<QWidget *>(cmdSave)})
        w->setEnabled(found);
    cmdPrevious->setEnabled(neighbour_ && !neighbour_(itemId_, -1).isEmpty());
    cmdNext->setEnabled(neighbour_ && !neighbour_(itemId_, 1).isEmpty());
    markClean();
}

void frmItemCard::markClean() {
    cleanState_.clear();
    for (int i = 0; i < extraEditors.size(); ++i)
        cleanState_ << editorText(i);
    cleanState_ << txtValue->text() << datValuation->date().toString(kDay)
                << cboSource->currentText();
}

bool frmItemCard::changed() const {
    QStringList now;
    for (int i = 0; i < extraEditors.size(); ++i)
        now << editorText(i);
    now << txtValue->text() << datValuation->date().toString(kDay) << cboSource->currentText();
    return now != cleanState_;
}

bool frmItemCard::cmdSave_Click() {
    QStringList stored;
    for (int i = 0; i < fields_.size(); ++i) {
        const QString text = editorText(i);
        QString value = text;
        const FieldType t = fields_[i].type;
        if (!text.isEmpty() && (t == FieldType::Number || t == FieldType::Amount)) {
            if (!platform::isNumeric(text)) {
                warn(tr("%1 must be a number.").arg(fields_[i].name));
                extraEditors[i]->setFocus();
                return false;
            }
            value = QString::number(platform::toNumber(text), 'g', 15);
        } else if (!text.isEmpty() && t == FieldType::Date) {
            const QDate d = platform::parseShortDate(text);
            if (!d.isValid()) {
                warn(tr("%1 must be a date like %2.")
                         .arg(fields_[i].name, platform::shortDate(QDate::currentDate())));
                extraEditors[i]->setFocus();
                return false;
            }
            value = d.toString(kDay);
        }
        stored << value;
    }
    const QString valueText = txtValue->text().trimmed();
    if (!valueText.isEmpty() && !platform::isNumeric(valueText)) {
        warn(tr("Current Value must be an amount."));
        txtValue->setFocus();
        return false;
    }
    const bool valueChanged = cleanState_.mid(extraEditors.size()) !=
                              QStringList{txtValue->text(), datValuation->date().toString(kDay),
                                          cboSource->currentText()};
    const bool saved = platform::trap(
        [&] {
            for (int i = 0; i < fields_.size(); ++i)
                if (stored[i] != cleanState_[i])
                    store_.setFieldValue(itemId_, fields_[i].id, stored[i]);
            if (valueChanged && !valueText.isEmpty())
                store_.setValuation(itemId_, platform::toNumber(valueText), datValuation->date(),
                                    cboSource->currentText());
        },
        [](const platform::Error &e) {
            warn(tr("The card could not be saved: %1").arg(e.Description()));
        });
    if (saved)
        notifyCollectionChanged();
    load();
    return saved;
}

bool frmItemCard::showItem(const QString &itemId) {
    if (changed()) {
        const auto answer =
            platform::MsgBox(tr("Save the changes to item %1 first?").arg(itemId_),
                             {platform::MsgIcon::Question, platform::MsgButtons::YesNo,
                              platform::MsgDefault::Button1},
                             kTitle);
        if (answer == platform::MsgResult::Yes && !cmdSave_Click())
            return false;
    }
    itemId_ = itemId;
    load();
    return true;
}

void frmItemCard::cmdPrevious_Click() {
    if (neighbour_)
        if (const QString id = neighbour_(itemId_, -1); !id.isEmpty())
            showItem(id);
}

void frmItemCard::cmdNext_Click() {
    if (neighbour_)
        if (const QString id = neighbour_(itemId_, 1); !id.isEmpty())
            showItem(id);
}

} // namespace records

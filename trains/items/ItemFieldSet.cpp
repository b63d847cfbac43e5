#include "trains/items/ItemFieldSet.h"

#include "trains/FieldHighlight.h"
#include "trains/items/ChoiceLists.h"
#include "trains/items/DatePicker.h"
#include "trains/items/ItemKinds.h"
#include "trains/modGlobal.h"

#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyleOptionComboBox>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>
#include <functional>

namespace items {

namespace {

constexpr std::array<int, 6> kTextLimits{35, 15, 35, 35, 10, 10};

// Caption label of each combo box and text box.
constexpr std::array<int, 5> kComboCaption{0, 2, 4, 5, 11};
constexpr std::array<int, 6> kTextCaption{1, 3, 6, 7, 8, 9};

// Styles that open a list over its box (Fusion among them) show every row of it and ignore the
// visible-row limit; this one draws as the program's style does but drops the list below the box.
class DropDownStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QStyle *dropDownStyle() {
    static QPointer<QStyle> style;
    if (!style) {
        style = new DropDownStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(qApp);
    }
    return style;
}

// A long list (46 car types) drops down as about twenty rows with a scroll bar, and the box
// takes the width its column gives it, as wide as twelve letters and an icon. A box builds its
// list's view as soon as it is given a style or a way to size itself, which was a third of
// building an item form: this one takes the style when it first drops down and measures itself
// as a box sized by its least contents length (AdjustToMinimumContentsLengthWithIcon) does.
// Measuring every item of every list when a form is first shown, as a box does by default,
// made showing an edit form take twice as long.
class DropDownList : public QComboBox {
  public:
    static constexpr int kLetters = 12;
    using QComboBox::QComboBox;
    void showPopup() override {
        if (style() != dropDownStyle()) {
            setStyle(dropDownStyle());
            // A click builds the list's view before it drops, for a list laid over the box,
            // which has no scroll bar.
            view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        }
        QComboBox::showPopup();
    }
    QSize sizeHint() const override {
        const QFontMetrics fm = fontMetrics();
        const QSize icon = iconSize();
        const QSize text(
            kLetters * fm.horizontalAdvance(QLatin1Char('X')) + icon.width() + 4,
            std::max(std::max(qCeil(QFontMetricsF(fm).height()), 14) + 2, icon.height() + 2));
        QStyleOptionComboBox opt;
        initStyleOption(&opt);
        return style()->sizeFromContents(QStyle::CT_ComboBox, &opt, text, this);
    }
    QSize minimumSizeHint() const override { return sizeHint(); }
};

QComboBox *dropDownList(QWidget *parent, const QStringList &items) {
    auto *c = new DropDownList(parent);
    c->setEditable(false);
    c->addItems(items);
    c->setCurrentIndex(-1);
    c->setMaxVisibleItems(20);
    return c;
}

// A stored value can be longer than a box takes by typing (an amount shown with its groups,
// say). The box then holds it whole instead of cutting it, so saving cannot lose a part.
void setTextWhole(QLineEdit *box, int limit, const QString &text) {
    box->setMaxLength(std::max(limit, int(text.size())));
    box->setText(text);
}

// Marks the item a list gains for a stored value that is none of its own.
constexpr int kStoredOnlyRole = Qt::UserRole + 1;

// Takes away the stored value a list gained for the item chosen before.
void dropStoredOnly(QComboBox *box) {
    for (int i = box->count() - 1; i >= 0; --i)
        if (box->itemData(i, kStoredOnlyRole).toBool())
            box->removeItem(i);
}

// Chooses the list item with the text. A stored value that is none of the list's items (an
// import's maker, say) is shown as it is stored, as one more item in italics at the end of the
// list, so that the item is neither shown with an empty box nor refused when saved unchanged.
void chooseByText(QComboBox *box, const QString &text) {
    dropStoredOnly(box);
    int at = text.isEmpty() ? -1 : box->findText(text, Qt::MatchFixedString);
    if (at < 0 && !text.isEmpty()) {
        box->addItem(text);
        at = box->count() - 1;
        box->setItemData(at, true, kStoredOnlyRole);
        QFont italic = box->font();
        italic.setItalic(true);
        box->setItemData(at, italic, Qt::FontRole);
        box->setItemData(at, QObject::tr("As stored; not one of this list's choices"),
                         Qt::ToolTipRole);
    }
    box->setCurrentIndex(at);
}

} // namespace

ItemFieldSet::ItemFieldSet(QWidget *form, const QString &typeCaption, const QString &numberCaption,
                           const QStringList &types)
    : QObject(form) {
    fieldColumn_ = new QWidget(form);
    fieldColumn_->setObjectName(QStringLiteral("itemFields"));
    notesColumn_ = new QWidget(form);
    notesColumn_->setObjectName(QStringLiteral("itemNotes"));

    const std::array<QString, 14> captionText{QStringLiteral("Manufacturer"),
                                              QStringLiteral("Rail Line"),
                                              typeCaption,
                                              numberCaption,
                                              QStringLiteral("Gauge / Scale"),
                                              QStringLiteral("Minimum Curve"),
                                              QStringLiteral("Color"),
                                              QStringLiteral("Accquired From"),
                                              QStringLiteral("Original Cost"),
                                              QStringLiteral("Current Value"),
                                              QStringLiteral("Date Accquired"),
                                              QStringLiteral("Condition"),
                                              QStringLiteral("Box Included"),
                                              QStringLiteral("Notes")};
    for (int i = 0; i < 14; ++i) {
        lblData[i] = new QLabel(captionText[i], i == 13 ? notesColumn_ : fieldColumn_);
        lblData[i]->setObjectName(QStringLiteral("lblData_%1").arg(i));
    }

    const std::array<const QStringList *, 5> lists{&manufacturers(), &types, &gauges(),
                                                   &minimumCurves(), &conditions()};
    for (int i = 0; i < 5; ++i) {
        cboBox[i] = dropDownList(fieldColumn_, offeredEntries(choiceListKey(i, types), *lists[i]));
        cboBox[i]->setObjectName(QStringLiteral("cboBox_%1").arg(i));
    }
    for (int i = 0; i < 6; ++i) {
        txtBox[i] = new QLineEdit(fieldColumn_);
        txtBox[i]->setObjectName(QStringLiteral("txtBox_%1").arg(i));
        txtBox[i]->setMaxLength(kTextLimits[i]);
    }
    QGroupBox *boxRow = buildBoxRow(captionText[12]);

    datBox = new DatePicker(fieldColumn_);
    datBox->setObjectName(QStringLiteral("datBox"));
    datBox->setDisplayFormat(platform::shortDateFormat());
    datBox->setDate(platform::now().date());

    rtBox = new QTextEdit(notesColumn_);
    rtBox->setObjectName(QStringLiteral("rtBox"));
    rtBox->setAcceptRichText(false);
    rtBox->setTabChangesFocus(true);
    rtBox->setAccessibleName(captionText[13]);

    imgBox = new QLabel(notesColumn_);
    imgBox->setObjectName(QStringLiteral("imgBox"));
    imgBox->setAlignment(Qt::AlignCenter);
    imgBox->setMinimumSize(200, 150);

    layOut(boxRow);
    wireBehaviour();
}

QGroupBox *ItemFieldSet::buildBoxRow(const QString &caption) {
    // Yes and No form a group named by their caption, so assistive tools announce both as the
    // answers to "Box Included".
    auto *boxRow = new QGroupBox(fieldColumn_);
    boxRow->setObjectName(QStringLiteral("boxGroup"));
    boxRow->setFlat(true);
    boxRow->setAccessibleName(caption);
    boxRow->setStyleSheet(QStringLiteral("QGroupBox { border: none; margin: 0; padding: 0; }"));
    optBox[0] = new QRadioButton(QStringLiteral("Yes"), boxRow);
    optBox[1] = new QRadioButton(QStringLiteral("No"), boxRow);
    optBox[0]->setObjectName(QStringLiteral("optBox_0"));
    optBox[1]->setObjectName(QStringLiteral("optBox_1"));
    auto *group = new QButtonGroup(this);
    group->addButton(optBox[0], 0);
    group->addButton(optBox[1], 1);
    auto *boxLayout = new QHBoxLayout(boxRow);
    boxLayout->setContentsMargins(0, 0, 0, 0);
    boxLayout->addWidget(optBox[0]);
    boxLayout->addWidget(optBox[1]);
    boxLayout->addStretch();
    return boxRow;
}

// Captions on the left, inputs beside them, in field order; the notes and picture beside.
void ItemFieldSet::layOut(QGroupBox *boxRow) {
    auto *grid = new QGridLayout(fieldColumn_);
    grid->setContentsMargins(0, 0, 0, 0);
    const std::array<QWidget *, 13> inputs{cboBox[0], txtBox[0], cboBox[1], txtBox[1], cboBox[2],
                                           cboBox[3], txtBox[2], txtBox[3], txtBox[4], txtBox[5],
                                           datBox,    cboBox[4], boxRow};
    for (int row = 0; row < 13; ++row) {
        grid->addWidget(lblData[row], row, 0);
        grid->addWidget(inputs[row], row, 1);
    }
    grid->setColumnMinimumWidth(1, 240);
    grid->setRowStretch(13, 1);

    auto *notes = new QVBoxLayout(notesColumn_);
    notes->setContentsMargins(0, 0, 0, 0);
    notes->addWidget(lblData[13]);
    notes->addWidget(rtBox, 2);
    notes->addWidget(imgBox, 1);
}

// Captions that follow their field's focus, and Enter moving on through the text boxes.
void ItemFieldSet::wireBehaviour() {
    behaviour_ = new FieldBehaviour(this);
    for (int i = 0; i < 5; ++i)
        behaviour_->addField(cboBox[i], lblData[kComboCaption[i]]);
    for (int i = 0; i < 6; ++i)
        behaviour_->addField(txtBox[i], lblData[kTextCaption[i]]);
    behaviour_->addField(datBox, lblData[10]);
    behaviour_->addField(optBox[1], lblData[12]);
    behaviour_->addField(optBox[0], lblData[12]); // the caption's buddy is "Yes"
    behaviour_->addField(rtBox, lblData[13]);

    behaviour_->addEnterNext(txtBox[0], cboBox[1]);
    behaviour_->addEnterNext(txtBox[1], cboBox[2]);
    behaviour_->addEnterNext(txtBox[2], txtBox[3]);
    behaviour_->addEnterNext(txtBox[3], txtBox[4]);
    behaviour_->addEnterNext(txtBox[4], txtBox[5]);
    behaviour_->addEnterNext(txtBox[5], datBox);
}

QWidget *ItemFieldSet::setTabOrderAfter(QWidget *before) {
    const std::array<QWidget *, 15> order{cboBox[0], txtBox[0], cboBox[1], txtBox[1], cboBox[2],
                                          cboBox[3], txtBox[2], txtBox[3], txtBox[4], txtBox[5],
                                          datBox,    cboBox[4], optBox[0], optBox[1], rtBox};
    QWidget *prev = before;
    for (QWidget *w : order) {
        if (prev)
            QWidget::setTabOrder(prev, w);
        prev = w;
    }
    return prev;
}

void ItemFieldSet::clearFields() {
    for (QComboBox *c : cboBox) {
        dropStoredOnly(c);
        c->setCurrentIndex(-1);
    }
    for (int i = 0; i < 6; ++i) {
        txtBox[i]->clear();
        txtBox[i]->setMaxLength(kTextLimits[i]);
    }
    datBox->setDate(platform::now().date());
    rtBox->clear();
}

QStringList ItemFieldSet::shownValues() const {
    QStringList values;
    for (const QComboBox *c : cboBox)
        values << c->currentText();
    for (const QLineEdit *t : txtBox)
        values << t->text();
    values << datBox->date().toString(Qt::ISODate)
           << QString::number(optBox[0]->isChecked()) + QString::number(optBox[1]->isChecked())
           << rtBox->toPlainText();
    return values;
}

void ItemFieldSet::clearBoxAnswer() {
    // An exclusive group keeps one button checked; lift that for a moment to check neither.
    QButtonGroup *g = optBox[0]->group();
    g->setExclusive(false);
    optBox[0]->setChecked(false);
    optBox[1]->setChecked(false);
    g->setExclusive(true);
}

QString ItemFieldSet::boxAnswer() const {
    return optBox[0]->isChecked() ? QStringLiteral("YES") : QStringLiteral("NO");
}

bool ItemFieldSet::CheckFields(const CheckTexts &texts) {
    struct Check {
        bool failed;
        QString message;
        QWidget *field;
        QLineEdit *amountBox;
    };
    const auto empty = [](const QString &t) { return t.isEmpty(); };
    const auto notAmount = [](const QString &t) { return !t.isEmpty() && !platform::isNumeric(t); };
    // Each check looks only at its own field, so evaluating them in order and stopping at
    // the first failure is the same as running them one by one.
    const std::function<Check()> checks[] = {
        [&] {
            return Check{empty(cboBox[0]->currentText()), text::ManufacturerMissing, cboBox[0],
                         nullptr};
        },
        [&] {
            return Check{empty(txtBox[0]->text()), text::RailLineMissing, txtBox[0], nullptr};
        },
        [&] {
            return Check{empty(cboBox[1]->currentText()), texts.typeMissing, cboBox[1], nullptr};
        },
        [&] {
            return Check{empty(txtBox[1]->text()), texts.numberMissing, txtBox[1], nullptr};
        },
        [&] {
            return Check{empty(cboBox[2]->currentText()), text::GaugeMissing, cboBox[2], nullptr};
        },
        [&] {
            return Check{empty(cboBox[3]->currentText()), text::CurveMissing, cboBox[3], nullptr};
        },
        [&] {
            return Check{empty(txtBox[2]->text()), text::ColorMissing, txtBox[2], nullptr};
        },
        [&] {
            return Check{empty(txtBox[3]->text()), text::FromMissing, txtBox[3], nullptr};
        },
        [&] {
            return Check{notAmount(txtBox[4]->text()), text::CostIncorrect, txtBox[4], txtBox[4]};
        },
        [&] {
            return Check{notAmount(txtBox[5]->text()), text::ValueIncorrect, txtBox[5], txtBox[5]};
        },
        [&] {
            auto *picker = qobject_cast<DatePicker *>(datBox);
            return Check{picker && !picker->acceptTyped(),
                         DatePicker::unreadableMessage(lblData[10]->text()), datBox, nullptr};
        },
        [&] {
            return Check{datBox->date() > platform::now().date(), text::DateLater, datBox, nullptr};
        },
        [&] {
            return Check{texts.conditionAndBox && empty(cboBox[4]->currentText()),
                         text::ConditionMissing, cboBox[4], nullptr};
        },
        [&] {
            return Check{texts.conditionAndBox && !optBox[0]->isChecked() &&
                             !optBox[1]->isChecked(),
                         text::BoxUnanswered, optBox[0], nullptr};
        },
    };
    for (const auto &run : checks) {
        const Check c = run();
        if (!c.failed)
            continue;
        platform::setScreenPointer(platform::Pointer::Default);
        platform::MsgBox(c.message, platform::critical(), kAppTitle);
        if (c.amountBox)
            c.amountBox->clear();
        platform::resumeNext([&] { c.field->setFocus(Qt::OtherFocusReason); });
        return false;
    }
    return true;
}

double ItemFieldSet::amountFromText(const QString &text) {
    if (text.isEmpty())
        return 0.0;
    return platform::toNumber(
        platform::formatNumber(platform::toNumber(text), text::AmountPattern));
}

void ItemFieldSet::fillArguments(QStringList &strText, QList<double> &sngMoney,
                                 QDateTime &datDate) const {
    while (strText.size() < 12)
        strText.append(QString());
    strText[1] = cboBox[0]->currentText();
    strText[3] = cboBox[1]->currentText();
    strText[5] = cboBox[2]->currentText();
    strText[6] = cboBox[3]->currentText();
    strText[2] = txtBox[0]->text();
    strText[4] = txtBox[1]->text();
    strText[7] = txtBox[2]->text();
    strText[8] = txtBox[3]->text();
    strText[9] = rtBox->toPlainText();
    strText[10] = cboBox[4]->currentText();
    strText[11] = boxAnswer();
    sngMoney = {amountFromText(txtBox[4]->text()), amountFromText(txtBox[5]->text())};
    datDate = QDateTime(datBox->date(), QTime(0, 0));
}

void ItemFieldSet::showRow(const QStringList &cells) {
    const auto cell = [&cells](int i) { return cells.value(i); };
    const auto amount = [](const QString &t) {
        return t.isEmpty() ? QString()
                           : platform::formatNumber(platform::toNumber(t), text::AmountPattern);
    };
    // Each copy is a step of its own: one that cannot be made leaves the others standing.
    using platform::resumeNext;
    resumeNext([&] { chooseByText(cboBox[0], cell(1)); });
    resumeNext([&] { setTextWhole(txtBox[0], kTextLimits[0], cell(2)); });
    resumeNext([&] { chooseByText(cboBox[1], cell(3)); });
    resumeNext([&] { setTextWhole(txtBox[1], kTextLimits[1], cell(4)); });
    resumeNext([&] { chooseByText(cboBox[2], cell(5)); });
    resumeNext([&] { chooseByText(cboBox[3], cell(6)); });
    resumeNext([&] { setTextWhole(txtBox[2], kTextLimits[2], cell(7)); });
    resumeNext([&] { setTextWhole(txtBox[3], kTextLimits[3], cell(8)); });
    resumeNext([&] { setTextWhole(txtBox[4], kTextLimits[4], amount(cell(9))); });
    resumeNext([&] { setTextWhole(txtBox[5], kTextLimits[5], amount(cell(10))); });
    resumeNext([&] {
        const QDate d = platform::parseShortDate(cell(11));
        if (d.isValid())
            datBox->setDate(d);
        else if (auto *picker = qobject_cast<DatePicker *>(datBox); picker && cell(11).isEmpty())
            picker->setBlank(); // stored without a date: never show (and save) another
    });
    resumeNext([&] { chooseByText(cboBox[4], cell(12)); });
    if (cell(13) == QLatin1String("YES"))
        optBox[0]->setChecked(true);
    else
        optBox[1]->setChecked(true);
    rtBox->setPlainText(cell(14));
}

} // namespace items

#pragma once
// The fourteen fields every item form shows, as indexed control arrays, with their captions,
// limits and choice lists; the caption highlight and the Enter chain; and what the forms do
// with the fields as a whole: clear them, check them, hand them to the store, fill them from
// a list row.
#include <QGroupBox>
#include <QObject>
#include <QStringList>
#include <array>

class FieldBehaviour;
class QComboBox;
class QDateEdit;
class QDateTime;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTextEdit;
class QWidget;

namespace items {

class ItemFieldSet : public QObject {
    Q_OBJECT
  public:
    // Builds the fields as children of `form`. `typeCaption`, `numberCaption` and `types`
    // are what differs between the kinds.
    ItemFieldSet(QWidget *form, const QString &typeCaption, const QString &numberCaption,
                 const QStringList &types);

    std::array<QComboBox *, 5> cboBox{};
    std::array<QLineEdit *, 6> txtBox{};
    std::array<QRadioButton *, 2> optBox{};
    QDateEdit *datBox = nullptr;
    QTextEdit *rtBox = nullptr;
    std::array<QLabel *, 14> lblData{};
    QLabel *imgBox = nullptr;

    // The captions with their inputs, and the notes with the picture box below them.
    QWidget *fieldColumn() const { return fieldColumn_; }
    QWidget *notesColumn() const { return notesColumn_; }

    // Chains the tab order through the field set after `before` (nullptr: the field set comes
    // first); returns the last field, after which the form's buttons follow.
    QWidget *setTabOrderAfter(QWidget *before);

    // Every combo box without a chosen item, every text box and the notes empty, the date
    // today. The Yes/No answer is left alone.
    void clearFields();
    void clearBoxAnswer();
    // Every field as it stands, to tell whether anything was changed since.
    QStringList shownValues() const;
    // "YES" when "Yes" is selected, otherwise "NO" (also when neither is).
    QString boxAnswer() const;

    struct CheckTexts {
        QString typeMissing;
        QString numberMissing;
        bool conditionAndBox = false; // the two checks only some forms run
    };
    // Runs the checks in their fixed order; the first that fails is reported, its amount box
    // emptied where it is an amount, and the focus put on its field.
    bool CheckFields(const CheckTexts &texts);

    // Fills elements 1 to 11 of the store's text arguments, the two amounts and the date.
    void fillArguments(QStringList &strText, QList<double> &sngMoney, QDateTime &datDate) const;

    // Copies a list row (cells in the order of the edit lists' columns) into the fields.
    void showRow(const QStringList &cells);

    // An amount as it is stored: empty is 0, anything else is rounded to two decimals by
    // going through the amount boxes' number pattern.
    static double amountFromText(const QString &text);

  private:
    QGroupBox *buildBoxRow(const QString &caption);
    void layOut(QGroupBox *boxRow);
    void wireBehaviour();
    QWidget *fieldColumn_ = nullptr;
    QWidget *notesColumn_ = nullptr;
    FieldBehaviour *behaviour_ = nullptr;
};

} // namespace items

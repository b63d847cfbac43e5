#pragma once
// The owner profile's fields, shared by the entry form and the editing form: captions, boxes,
// buttons, the field highlight and Enter chain, the required-field check and the texts.
#include "trains/DiscardQuestion.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class FieldBehaviour;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace owner {

inline constexpr int kFieldCount = 7;

// What tells the two owner forms apart.
struct OwnerFormKind {
    QString title;     // heading label
    int clientHeight;  // pixels
    bool firstUseNote; // "This only needs to be done on first use"
};
const OwnerFormKind &entryKind();
const OwnerFormKind &editKind();

// The messages of the owner forms, in one place.
struct OwnerTexts {
    static const QString saved;        // "Profile Information Saved! "
    static const QString savedTitle;   // "Record Saved Successfully"
    static const QString notSaved;     // "Profile Record was NOT Saved! "
    static QString missing(int index); // "Last Name is missing! " ... for boxes 0 to 5
    static const QString discard;      // asked before a typed profile is dropped
};

class OwnerFields {
  public:
    // Builds the controls on `form` (which gets the form font and its fixed client size).
    void build(QWidget *form, const OwnerFormKind &kind);

    // Boxes 0 to 5 must hold text; the first empty one is reported and gets the focus.
    bool ValidateOwner();
    // The texts of boxes 0 to 6, then the full name (first name, one blank, last name).
    QStringList profileTexts() const;
    // The save sequence both owner forms share: trim, check, hand the texts to the store,
    // keep the full name for the reports, and say how it went. True when the store saved.
    bool saveProfile(QWidget *form, const std::function<bool(QStringList &)> &store);
    // The texts on show as they stand now; the profile last loaded or saved is kept in `typed`.
    QStringList shownTexts() const;
    // True when nothing typed would be lost, or the user agrees to lose it.
    bool mayDrop() const { return typed.mayDrop(shownTexts(), OwnerTexts::discard); }

    TypedSinceKept typed;

    std::array<QLabel *, kFieldCount> lblData{};
    std::array<QLineEdit *, kFieldCount> txtBox{};
    QLabel *Label12 = nullptr;
    QLabel *Label1 = nullptr; // the first-use note; entry form only
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdExit = nullptr;
    FieldBehaviour *behaviour = nullptr;
};

} // namespace owner

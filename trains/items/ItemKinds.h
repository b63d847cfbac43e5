#pragma once
// What sets the three kinds of item apart on their forms: captions, choice lists, item number
// prefixes, store operations, list columns and every message text. The add and edit forms
// are one implementation each; a kind is nothing but one of these tables.
#include "rails/ItemKind.h"
#include "rails/dllRails.h"
#include "trains/lists/ListFill.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <Qt>
#include <vector>

namespace items {

using WriteOperation = bool (dllRails::*)(QStringList &, QDateTime &, QList<double> &);
using ListOperation = RecordsetPtr (dllRails::*)();

struct ItemKindInfo {
    ItemKind kind;

    // Field set.
    QString typeCaption;   // lblData(2)
    QString numberCaption; // lblData(3)
    QStringList addTypes;  // cboBox(1) on the add form
    QStringList editTypes; // cboBox(1) on the edit form
    QString typeMissing;   // check 3
    QString numberMissing; // check 4

    // Add form.
    const char *addFormName;
    QString addHeading;
    QString itemPrefix; // the store's prefix of the kind
    WriteOperation addOperation;
    bool checksConditionAndBox; // checks 12 and 13
    bool clearResetsBox;        // Clear unselects "Yes" and "No"
    bool clearMovesFocus;       // Clear puts the focus on the manufacturer
    bool showsPicture;          // the locomotive picture beside the notes
    QString savedFirst;
    QString savedQuestion;
    QString notSaved;

    // Edit form.
    const char *editFormName;
    QString editHeading;
    const char *listName;
    QString notesToolTip;
    ListOperation listOperation;
    WriteOperation updateOperation;
    QString loadProcedure;  // LoadCars, LoadLocos, LoadSets
    bool loadReportsErrors; // only the rolling stock list reports its own errors
    QString loadErrorWhere; // line of the list's error message naming the procedure family
    QString updatedFirst;
    QString updatedQuestion;
    QString updatedTitle;
    QString notUpdated;
    QList<ListField> columns;
};

const ItemKindInfo &kindInfo(ItemKind kind); // one of the designed three

// Texts shared by every item form.
namespace text {
inline const QString ManufacturerMissing = QStringLiteral("Manufacturer is missing! ");
inline const QString RailLineMissing = QStringLiteral("Rail Line is missing! ");
inline const QString GaugeMissing = QStringLiteral("Gauge is missing! ");
inline const QString CurveMissing = QStringLiteral("Minimum Curve is missing! ");
inline const QString ColorMissing = QStringLiteral("Color is missing! ");
inline const QString FromMissing = QStringLiteral("Accquired From is missing! ");
inline const QString CostIncorrect = QStringLiteral("Incorrect data in the Original Cost box! ");
inline const QString ValueIncorrect = QStringLiteral("Incorrect data in the Current Value box! ");
inline const QString DateLater = QStringLiteral("Date Accquired is later than the current date! ");
inline const QString ConditionMissing = QStringLiteral("Condition is missing! ");
inline const QString BoxUnanswered = QStringLiteral("Is Box included?");

inline const QString SavedTitle = QStringLiteral("Record Saved Successfully");
inline const QString ErrorTitle = QStringLiteral(" ERROR");

// Asked before changes to the chosen item would be dropped.
inline QString DiscardChanges(const QString &itemId) {
    return QStringLiteral("Discard your changes to ") + itemId + QStringLiteral("? ");
}

// Number pattern of the amount boxes.
inline const QString AmountPattern = QStringLiteral("##,##0.#0");
} // namespace text

} // namespace items

#pragma once
// What the three deletion forms (rolling stock, locomotive, full set) do differently: texts,
// one column of the list, the store calls and a few positions. Everything else is shared by
// DeleteForm.
#include "rails/ItemKind.h"
#include "rails/dllRails.h"
#include "trains/lists/ListFill.h"

#include <QList>
#include <QString>
#include <array>

struct DeleteKind {
    const char *formName; // object name: "frmDeletecar", ...
    QString title;        // Label1
    QString listName;     // lvCars, lvLocos, lvSets
    QString typeCaption;  // caption of the third box
    QList<ListField> columns;

    RecordsetPtr (dllRails::*load)();
    bool (dllRails::*remove)(QString &strID);

    // After the store's answer.
    QString deletedLine;     // first line after success
    QString anotherQuestion; // "Do you want to delete another ... record? "
    QString notDeleted;      // shown on a false result

    // Lower row of captions and boxes, in twips.
    std::array<int, 5> boxLefts;
    std::array<int, 5> boxWidths;
    int clientWidth;  // twips
    int clientHeight; // twips
};

const DeleteKind &deleteKind(ItemKind kind); // one of the designed three

// Texts the three forms share.
namespace deletetexts {
inline const QString kListTip = QStringLiteral(" Click to select a record to delete ");
inline const QString kDeletedTitle = QStringLiteral("Record Deleted Successfully");
} // namespace deletetexts

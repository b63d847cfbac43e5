#include "trains/items/ItemKinds.h"

#include "trains/items/ChoiceLists.h"

#include <algorithm>
#include <iterator>

namespace items {

namespace {

using F = CellFormat;
constexpr Qt::Alignment Left = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment Centre = Qt::AlignHCenter | Qt::AlignVCenter;
constexpr Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;

QList<ListField> carColumns() {
    return {
        {{QStringLiteral("ID"), Left, 1000}, QStringLiteral("ItemID")},
        {{QStringLiteral("Manufacturer"), Centre, 2000}, QStringLiteral("Manufacturer")},
        {{QStringLiteral("Rail Line"), Centre, 2500}, QStringLiteral("RailLine")},
        {{QStringLiteral("Car Type"), Centre, 3500}, QStringLiteral("CarType")},
        {{QStringLiteral("Number"), Centre, 1440},
         QLatin1String(kindRow(ItemKind::Car).numberColumn)},
        {{QStringLiteral("Gauge"), Centre, 1200}, QStringLiteral("Gauge")},
        {{QStringLiteral("Curve"), Centre, 1200}, QStringLiteral("Curve")},
        {{QStringLiteral("Color"), Centre, 1500}, QStringLiteral("CarColor")},
        {{QStringLiteral("Accquired From"), Centre, 2000}, QStringLiteral("AccquiredFrom")},
        {{QStringLiteral("Cost"), Right, 1440}, QStringLiteral("OriginalCost"), F::Money},
        {{QStringLiteral("Value"), Right, 1440}, QStringLiteral("CurrentValue"), F::Money},
        {{QStringLiteral("Accquired"), Centre, 1500}, QStringLiteral("DateAccquired"), F::Date},
        {{QStringLiteral("Condition"), Centre, 1500}, QStringLiteral("Condition")},
        {{QStringLiteral("Box"), Centre, 1000}, QStringLiteral("Box")},
        {{QStringLiteral("Notes"), Left, 3500}, QStringLiteral("Notes")},
    };
}

// Locomotives and full sets share one list layout; only the number column differs.
QList<ListField> engineColumns(ItemKind kind, const QString &numberHeader) {
    const QString numberField = QLatin1String(kindRow(kind).numberColumn);
    return {
        {{QStringLiteral("ID"), Left, 1000}, QStringLiteral("ItemID")},
        {{QStringLiteral("Manufacturer"), Centre, 2500}, QStringLiteral("Manufacturer")},
        {{QStringLiteral("Rail Line"), Centre, 3000}, QStringLiteral("RailLine")},
        {{QStringLiteral("Loco Type"), Centre, 1500}, QStringLiteral("CarType")},
        {{numberHeader, Centre, 1500}, numberField},
        {{QStringLiteral("Gauge"), Centre, 1200}, QStringLiteral("Gauge")},
        {{QStringLiteral("Curve"), Centre, 1200}, QStringLiteral("Curve")},
        {{QStringLiteral("Loco Color"), Centre, 1500}, QStringLiteral("CarColor")},
        {{QStringLiteral("Accquired From"), Centre, 3500}, QStringLiteral("AccquiredFrom")},
        {{QStringLiteral("Cost"), Right, 1200}, QStringLiteral("OriginalCost"), F::Money},
        {{QStringLiteral("Value"), Right, 1200}, QStringLiteral("CurrentValue"), F::Money},
        {{QStringLiteral("Accquired"), Centre, 1500}, QStringLiteral("DateAccquired"), F::Date},
        {{QStringLiteral("Condition"), Centre, 1500}, QStringLiteral("Condition")},
        {{QStringLiteral("Box"), Centre, 1000}, QStringLiteral("Box")},
        {{QStringLiteral("Notes"), Left, 3500}, QStringLiteral("Notes")},
    };
}

ItemKindInfo car() {
    ItemKindInfo k;
    k.kind = ItemKind::Car;
    k.typeCaption = QStringLiteral("Car Type");
    k.numberCaption = QStringLiteral("Car Number");
    k.addTypes = carTypesAddOrder();
    k.editTypes = carTypesEditOrder();
    k.typeMissing = QStringLiteral("Car Type is missing! ");
    k.numberMissing = QStringLiteral("Car Number is missing! ");

    k.addFormName = "frmAddCar";
    k.addHeading = QStringLiteral("Add New Rolling Stock");
    k.addOperation = &dllRails::AddCar;
    k.checksConditionAndBox = false;
    k.clearResetsBox = false;
    k.clearMovesFocus = true;
    k.showsPicture = false;
    k.savedFirst = QStringLiteral("New Rolling Stock Record Saved! ");
    k.savedQuestion = QStringLiteral("Do you want to add another Rolling Stock record? ");
    k.notSaved = QStringLiteral("Rolling Stock Record was NOT Saved! ");

    k.editFormName = "frmEditCar";
    k.editHeading = QStringLiteral("Edit Rolling Stock Record");
    k.listName = "lvCars";
    k.notesToolTip = QStringLiteral(" 250 characters max!");
    k.listOperation = &dllRails::LoadEditCar;
    k.updateOperation = &dllRails::UpdateCar;
    k.loadProcedure = QStringLiteral("LoadCars");
    k.loadReportsErrors = true;
    k.loadErrorWhere = QStringLiteral("In the Edit Cars Procedure");
    k.updatedFirst = QStringLiteral("Rolling Stock Record Updated! ");
    k.updatedQuestion = QStringLiteral("Do you want to edit another Rolling Stock record? ");
    k.updatedTitle = QStringLiteral("Record Saved Successfully");
    k.notUpdated = QStringLiteral("Rolling Stock Record was NOT Updated! ");
    k.columns = carColumns();
    return k;
}

// Locomotives and full sets are both engines: the same type list, checks and Clear.
ItemKindInfo engineKind(ItemKind kind) {
    ItemKindInfo k;
    k.kind = kind;
    k.typeCaption = QStringLiteral("Locomotive Type");
    k.addTypes = locomotiveTypes();
    k.editTypes = locomotiveTypes();
    k.typeMissing = QStringLiteral("Locomotive Type is missing! ");
    k.checksConditionAndBox = true;
    k.clearResetsBox = true;
    k.loadReportsErrors = false;
    k.updatedTitle = QStringLiteral("Record Updated Successfully");
    return k;
}

ItemKindInfo loco() {
    ItemKindInfo k = engineKind(ItemKind::Loco);
    k.numberCaption = QStringLiteral("Car Number");
    k.numberMissing = QStringLiteral("Locomotive Number is missing! ");

    k.addFormName = "frmAddLoco";
    k.addHeading = QStringLiteral("Add New Locomotive");
    k.addOperation = &dllRails::AddLoco;
    k.clearMovesFocus = true;
    k.showsPicture = true;
    k.savedFirst = QStringLiteral("New Locomotive Record Saved! ");
    k.savedQuestion = QStringLiteral("Do you want to add another Locomotive? ");
    k.notSaved = QStringLiteral("Locomotive Record was NOT Saved! ");

    k.editFormName = "frmEditLoco";
    k.editHeading = QStringLiteral("Edit Locomotive Record");
    k.listName = "lvLoco";
    k.listOperation = &dllRails::LoadEditLoco;
    k.updateOperation = &dllRails::UpdateLoco;
    k.loadProcedure = QStringLiteral("LoadLocos");
    k.updatedFirst = QStringLiteral("Locomotive Record Updated! ");
    k.updatedQuestion = QStringLiteral("Do you want to edit another Locomotive record? ");
    k.notUpdated = QStringLiteral("Locomotive Record was NOT Updated! ");
    k.columns = engineColumns(ItemKind::Loco, QStringLiteral("Loco Number"));
    return k;
}

ItemKindInfo set() {
    ItemKindInfo k = engineKind(ItemKind::Set);
    k.numberCaption = QStringLiteral("Set Number");
    k.numberMissing = QStringLiteral("Set Number is missing! ");

    k.addFormName = "frmAddSet";
    k.addHeading = QStringLiteral("Add New Train Set");
    k.addOperation = &dllRails::AddSet;
    k.clearMovesFocus = false;
    k.showsPicture = false;
    k.savedFirst = QStringLiteral("New Full Set Record Saved! ");
    k.savedQuestion = QStringLiteral("Do you want to add another Full Set record? ");
    k.notSaved = QStringLiteral("Full Set Record was NOT Saved! ");

    k.editFormName = "frmEditSet";
    k.editHeading = QStringLiteral("Edit Train Set Record");
    k.listName = "lvSets";
    k.listOperation = &dllRails::LoadEditSet;
    k.updateOperation = &dllRails::UpdateSet;
    k.loadProcedure = QStringLiteral("LoadSets");
    k.updatedFirst = QStringLiteral("Full Set Record Updated! ");
    k.updatedQuestion = QStringLiteral("Do you want to edit another Full Set record? ");
    k.notUpdated = QStringLiteral("Full Set Record was NOT Updated! ");
    k.columns = engineColumns(ItemKind::Set, QStringLiteral("Set Number"));
    return k;
}

// What the store's kind table says: the prefix of the numbers the add form gives out.
ItemKindInfo withStoreFacts(ItemKindInfo k) {
    k.itemPrefix = QLatin1String(kindRow(k.kind).prefix);
    return k;
}

} // namespace

const ItemKindInfo &kindInfo(ItemKind kind) {
    static const ItemKindInfo kinds[] = {withStoreFacts(car()), withStoreFacts(loco()),
                                         withStoreFacts(set())};
    return kinds[std::min(std::size_t(kind), std::size(kinds) - 1)];
}

} // namespace items

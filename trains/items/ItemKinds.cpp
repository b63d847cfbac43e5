#include "trains/items/ItemKinds.h"

#include "trains/items/ChoiceLists.h"

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
        {{QStringLiteral("Number"), Centre, 1440}, QStringLiteral("CarNumber")},
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
QList<ListField> engineColumns(const QString &numberHeader, const QString &numberField) {
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
    k.itemPrefix = QStringLiteral("CL-");
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

ItemKindInfo loco() {
    ItemKindInfo k;
    k.kind = ItemKind::Loco;
    k.typeCaption = QStringLiteral("Locomotive Type");
    k.numberCaption = QStringLiteral("Car Number");
    k.addTypes = locomotiveTypes();
    k.editTypes = locomotiveTypes();
    k.typeMissing = QStringLiteral("Locomotive Type is missing! ");
    k.numberMissing = QStringLiteral("Locomotive Number is missing! ");

    k.addFormName = "frmAddLoco";
    k.addHeading = QStringLiteral("Add New Locomotive");
    k.itemPrefix = QStringLiteral("LL-");
    k.addOperation = &dllRails::AddLoco;
    k.checksConditionAndBox = true;
    k.clearResetsBox = true;
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
    k.loadReportsErrors = false;
    k.updatedFirst = QStringLiteral("Locomotive Record Updated! ");
    k.updatedQuestion = QStringLiteral("Do you want to edit another Locomotive record? ");
    k.updatedTitle = QStringLiteral("Record Updated Successfully");
    k.notUpdated = QStringLiteral("Locomotive Record was NOT Updated! ");
    k.columns = engineColumns(QStringLiteral("Loco Number"), QStringLiteral("CarNumber"));
    return k;
}

ItemKindInfo fullSet() {
    ItemKindInfo k;
    k.kind = ItemKind::Set;
    k.typeCaption = QStringLiteral("Locomotive Type");
    k.numberCaption = QStringLiteral("Set Number");
    k.addTypes = locomotiveTypes();
    k.editTypes = locomotiveTypes();
    k.typeMissing = QStringLiteral("Locomotive Type is missing! ");
    k.numberMissing = QStringLiteral("Set Number is missing! ");

    k.addFormName = "frmAddSet";
    k.addHeading = QStringLiteral("Add New Train Set");
    k.itemPrefix = QStringLiteral("SL-");
    k.addOperation = &dllRails::AddSet;
    k.checksConditionAndBox = true;
    k.clearResetsBox = true;
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
    k.loadReportsErrors = false;
    k.updatedFirst = QStringLiteral("Full Set Record Updated! ");
    k.updatedQuestion = QStringLiteral("Do you want to edit another Full Set record? ");
    k.updatedTitle = QStringLiteral("Record Updated Successfully");
    k.notUpdated = QStringLiteral("Full Set Record was NOT Updated! ");
    k.columns = engineColumns(QStringLiteral("Set Number"), QStringLiteral("SetNumber"));
    return k;
}

} // namespace

const ItemKindInfo &kindInfo(ItemKind kind) {
    static const ItemKindInfo kinds[] = {car(), loco(), fullSet()};
    switch (kind) {
    case ItemKind::Car:
        return kinds[0];
    case ItemKind::Loco:
        return kinds[1];
    case ItemKind::Set:
        return kinds[2];
    }
    return kinds[0];
}

} // namespace items

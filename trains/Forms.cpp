#include "trains/Forms.h"

#include "trains/delete/DeleteForms.h"
#include "trains/items/AddForms.h"
#include "trains/items/EditForms.h"
#include "trains/owner/frmEditOwner.h"
#include "trains/reports/CollectionReport.h"
#include "trains/reports/Reports.h"

const char *formName(FormId id) {
    switch (id) {
    case FormId::AddCar:
        return "frmAddCar";
    case FormId::AddLoco:
        return "frmAddLoco";
    case FormId::AddSet:
        return "frmAddSet";
    case FormId::EditCar:
        return "frmEditCar";
    case FormId::EditLoco:
        return "frmEditLoco";
    case FormId::EditSet:
        return "frmEditSet";
    case FormId::EditOwner:
        return "frmEditOwner";
    case FormId::DeleteCar:
        return "frmDeletecar";
    case FormId::DeleteLoco:
        return "frmDeleteLoco";
    case FormId::DeleteSet:
        return "frmDeleteSet";
    }
    return "";
}

QWidget *createForm(FormId id) {
    switch (id) {
    case FormId::AddCar:
        return new frmAddCar;
    case FormId::AddLoco:
        return new frmAddLoco;
    case FormId::AddSet:
        return new frmAddSet;
    case FormId::EditCar:
        return new frmEditCar;
    case FormId::EditLoco:
        return new frmEditLoco;
    case FormId::EditSet:
        return new frmEditSet;
    case FormId::DeleteCar:
        return new frmDeletecar;
    case FormId::DeleteLoco:
        return new frmDeleteLoco;
    case FormId::DeleteSet:
        return new frmDeleteSet;
    case FormId::EditOwner:
        return new frmEditOwner;
    default:
        return nullptr;
    }
}

const char *reportName(ItemKind kind) {
    switch (kind) {
    case ItemKind::Car:
        return "rptCar";
    case ItemKind::Loco:
        return "rptLoco";
    case ItemKind::Set:
        return "rptSets";
    default:
        return "";
    }
}

QWidget *createReport(ItemKind kind) {
    return reports::RunReport(kind);
}

QSize largestTaskFormSize() {
    // The edit forms (list above the fields) are the tallest; the deletion forms the widest of
    // those with a designed size. The add and owner forms are smaller than both.
    QSize largest;
    for (const ItemKind k : kDesignedKinds) {
        largest = largest.expandedTo(items::EditItemForm::sizeNeeded(k));
        const DeleteKind &d = deleteKind(k);
        largest = largest.expandedTo(QSize(d.clientWidth / 15, d.clientHeight / 15));
    }
    return largest;
}

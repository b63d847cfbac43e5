#include "trains/Forms.h"

#include "trains/owner/frmEditOwner.h"

const char* formName(FormId id) {
    switch (id) {
    case FormId::AddCar: return "frmAddCar";
    case FormId::AddLoco: return "frmAddLoco";
    case FormId::AddSet: return "frmAddSet";
    case FormId::EditCar: return "frmEditCar";
    case FormId::EditLoco: return "frmEditLoco";
    case FormId::EditSet: return "frmEditSet";
    case FormId::EditOwner: return "frmEditOwner";
    case FormId::DeleteCar: return "frmDeletecar";
    case FormId::DeleteLoco: return "frmDeleteLoco";
    case FormId::DeleteSet: return "frmDeleteSet";
    }
    return "";
}

QWidget* createForm(FormId id) {
    switch (id) {
    case FormId::EditOwner: return new frmEditOwner;
    default: return nullptr;
    }
}

const char* reportName(ReportId id) {
    switch (id) {
    case ReportId::Cars: return "rptCar";
    case ReportId::Locos: return "rptLoco";
    case ReportId::Sets: return "rptSets";
    }
    return "";
}

QWidget* createReport(ReportId) { return nullptr; }

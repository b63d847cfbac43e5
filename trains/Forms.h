#pragma once
// The task forms and reports the main window opens by name. Each form family adds its entries
// in Forms.cpp; a form that does not exist yet yields nullptr and the command does nothing.
#include "rails/ItemKind.h"

#include <QSize>

class QWidget;

enum class FormId {
    AddCar,
    AddLoco,
    AddSet,
    EditCar,
    EditLoco,
    EditSet,
    EditOwner,
    DeleteCar,
    DeleteLoco,
    DeleteSet,
};

// Object names of the forms ("frmAddCar", "frmDeletecar", ...), used to find an open one.
const char *formName(FormId id);
QWidget *createForm(FormId id);

// The reports of the designed kinds (rptCar, rptLoco, rptSets); the other kinds have none.
const char *reportName(ItemKind kind);
// Closes an open run of the report, runs its command for fresh rows and returns the report
// window to show; nullptr when reports are not available.
QWidget *createReport(ItemKind kind);

// The room the largest task form needs, so that the main window can open with space for it.
QSize largestTaskFormSize();

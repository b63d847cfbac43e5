#pragma once
// Program-wide variables and the small procedures more than one form calls.
#include "rails/dllRails.h"

#include <QString>
#include <memory>

class QWidget;

// The store object every form reaches the database through; each task form's load replaces
// it with a fresh one.
extern std::shared_ptr<dllRails> objRails;
// Scratch record set: filled from the store, inspected, then closed with CloseRecordset.
extern RecordsetPtr rsRecords;
// The owner's full name, shown in the report titles.
extern QString strOwnerName;

// The application title, the product name of every message box without its own title.
inline const QString kAppTitle = QStringLiteral("Quillon");
// Caption of the main window and the task forms: title, "  -  ", major.minor.
QString AppCaption();

// The folder that holds the program; paths are built from it with '/' separators.
QString ProgramFolder();
// Tests run the program against a temporary folder; this also points the store there.
void SetProgramFolder(const QString& folder);

void CloseRecordset();
// Removes leading and trailing blanks (only blanks) from every text box and rich text box of
// the form, in the form's control order.
void TrimTextBoxes(QWidget* form);
// Replaces objRails by a fresh store object, as every task form does when it loads.
void NewRails();

#pragma once
// Program-wide variables and the small procedures more than one form calls.
#include "rails/dllRails.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class QWidget;
namespace platform {
class Error;
}

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
void SetProgramFolder(const QString &folder);

void CloseRecordset();
// Removes leading and trailing blanks (only blanks) from every text box and rich text box of
// the form, in the form's control order.
void TrimTextBoxes(QWidget *form);
// Replaces objRails by a fresh store object, as every task form does when it loads.
void NewRails();

// Tells the user that the collection could not be read just now and why (another program
// holding it is the usual reason); the command that asked opens nothing.
void ShowCollectionNotReadable(const platform::Error &e);

// The current store object; raises error 91 (object not set) when there is none.
dllRails &Rails();
// Closes a task form: the child window that holds it, or the form itself when it stands alone.
void UnloadForm(QWidget *form);

// Waits until the clock has passed `seconds` whole seconds (0: until its next second),
// letting window events run meanwhile. Returns true.
bool Pause(qint16 seconds);
// Ends the program in order: releases the report data source, the store object and the shared
// record set, makes the program folder current, restores the pointer and ends the process at
// once. Returns only when a test has replaced the process exit.
void ShutDown();
// The report data source registers here how it is released when the program ends.
void SetReportRelease(std::function<void()> release);

// The root key of the first flag that is set, in this order: classes root, current config,
// current user, dynamic data, local machine, performance data, users; 0 when none is set.
std::uint32_t RootKeyFromFlags(bool classesRoot, bool currentConfig, bool currentUser, bool dynData,
                               bool localMachine, bool performanceData, bool users);
// A text value of the registry (an empty name reads the key's default value), trimmed of
// blanks; empty when the key or value is missing or does not fit in 255 bytes. With
// `trailingSeparator`, a value not ending in a backslash gets one.
QString GetRegistryString(const QString &keyPath, const QString &valueName, bool classesRoot,
                          bool currentConfig, bool currentUser, bool dynData, bool localMachine,
                          bool performanceData, bool users, bool trailingSeparator);

#pragma once
// Start-up: Main prepares the process, refuses a second instance, checks the database and the
// owner profile, plays the splash screen and shows the main window.
#include "platform/Error.h"

#include <QList>
#include <functional>

class frmMain;

// The process entry point of the program logic. Returns once the main window is shown, or
// after the program has ended (which only returns when a test replaced the process exit).
void Main();

// True when the database file is in the program folder's zerizori folder; makes the program
// folder the current folder first.
bool DatabaseExists();

// Shows the owner profile entry form, modally, when the store holds no profile; otherwise
// keeps the stored owner name for the reports.
void CheckOwnerProfile();

// The main window once start-up has loaded it.
frmMain *MainForm();

// Runs the checked steps of start-up in order. An error numbered 53 or 75 skips to the next
// step; any other error is logged, reported and ends the program. Also stops when a step has
// ended the program.
void RunStartupSteps(const QList<std::function<void()>> &steps);

// Appends the start-up entry for the error to error.log; false when the log cannot be written.
bool WriteStartupErrorLog(const platform::Error &error);

#pragma once
// Running a collection report the way the main window's report command does: the previous
// run's rows and window go, the command fetches fresh rows, and a new report is built on them.
#include "rails/ItemKind.h"
#include "trains/reports/dataReport.h"

namespace reports {

class CollectionReport;

// Closes the report's record set when it is open, unloads the report when it is loaded, runs
// the report's command and returns the new report window (not yet shown). nullptr when the
// command fails or the kind has no report.
CollectionReport *RunReport(ItemKind kind);
// The report of this kind that is loaded now, if any.
CollectionReport *loadedReport(ItemKind kind);

} // namespace reports

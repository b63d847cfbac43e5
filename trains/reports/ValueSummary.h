#pragma once
// The value summary for the insurer and the heirs: per kind the item count, total cost and
// total value, split by condition; the overall totals; then the most valuable items. Shown in
// the collection reports' window (preview, Print, Save as PDF) and drawn by the same banded
// renderer; its rows are the summary's lines, built here from the collection's totals.
#include "trains/reports/CollectionReport.h"

namespace reports {

class rptValueSummary : public CollectionReport {
    Q_OBJECT
  public:
    rptValueSummary(ReportLayout layout, std::shared_ptr<engine::Recordset> lines,
                    QWidget *parent = nullptr);
};

// How many of the most valuable items the summary lists.
inline constexpr int kMostValuable = 25;

// The lines of the summary from the collection file (one record set row per printed line);
// an empty record set when the collection holds no items. Raises platform::Error when the
// file cannot be read.
std::shared_ptr<engine::Recordset> valueSummaryLines(const QString &databasePath);
ReportLayout valueSummaryLayout();

// Reads the collection and returns the report window (not yet shown); when the collection is
// empty or cannot be read, says so and returns nullptr.
QWidget *RunValueSummary();

} // namespace reports

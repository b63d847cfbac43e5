#pragma once
// The three collection reports as data: which command feeds them, their window caption and
// title suffixes, and the caption and field of each column. buildLayout turns a descriptor
// into the common landscape layout every collection report shares.
#include "trains/reports/ReportLayout.h"

#include <array>

namespace reports {

struct ColumnSpec {
    QString caption;
    QString field;
    QString format;
};

struct CollectionReportKind {
    const char *name;    // "rptCar"
    const char *command; // "cmdCars"
    QString captionSuffix;
    QString titleSuffix;
    std::array<ColumnSpec, 12> columns;
};

const CollectionReportKind &carReport();
const CollectionReportKind &locoReport();
const CollectionReportKind &setsReport();

// The product's web page address, printed in every page footer.
inline const QString kProductWebAddress = QStringLiteral("www.quillon.example.com");

constexpr int kReportWidth = 14595;
// Column boxes: left edge and width of each column's field, shared by the three reports.
struct ColumnBox {
    int left;
    int width;
};
extern const std::array<ColumnBox, 12> kColumnBoxes;

// The full layout for one report; the title is left empty for the report to set.
ReportLayout buildLayout(const CollectionReportKind &kind);

} // namespace reports

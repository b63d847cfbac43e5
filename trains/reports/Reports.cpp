#include "trains/reports/Reports.h"

#include "platform/Error.h"
#include "trains/modGlobal.h"
#include "trains/reports/CollectionReport.h"
#include "trains/reports/ReportWriter.h"

#include <QMutex>
#include <QPointer>
#include <array>

namespace reports {

namespace {
std::array<QPointer<CollectionReport>, 3> &loaded() {
    static std::array<QPointer<CollectionReport>, 3> reports;
    return reports;
}

std::size_t slot(ItemKind kind) {
    return std::size_t(kind);
}

const CollectionReportKind *kindOf(ItemKind kind) {
    switch (kind) {
    case ItemKind::Car:
        return &carReport();
    case ItemKind::Loco:
        return &locoReport();
    case ItemKind::Set:
        return &setsReport();
    default:
        return nullptr;
    }
}

CollectionReport *makeReport(ItemKind kind) {
    switch (kind) {
    case ItemKind::Car:
        return new rptCar;
    case ItemKind::Loco:
        return new rptLoco;
    case ItemKind::Set:
        return new rptSets;
    default:
        return nullptr;
    }
}
} // namespace

CollectionReport *loadedReport(ItemKind kind) {
    return kindOf(kind) ? loaded()[slot(kind)].data() : nullptr;
}

CollectionReport *RunReport(ItemKind kind) {
    if (!kindOf(kind))
        return nullptr;
    const ItemKind id = kind;
    const QString command = QString::fromLatin1(kindOf(id)->command);
    // Every step goes on whatever the one before did, as the main window's command does.
    platform::resumeNext([&] {
        auto &rs = dataReport().recordsetOf(command);
        const QMutexLocker lock(&sharedRowsMutex());
        if (rs && rs->State() == engine::Recordset::adStateOpen)
            rs->Close();
    });
    platform::resumeNext([id] {
        if (CollectionReport *old = loadedReport(id))
            old->DataReport_Terminate();
        loaded()[slot(id)].clear();
    });
    // Without fresh rows there is nothing to show: a report over a failed run would print
    // an empty list as if the collection were empty.
    bool ran = false;
    platform::trap(
        [&] {
            dataReport().Run(command);
            ran = true;
        },
        [](const platform::Error &e) { ShowCollectionNotReadable(e); });
    if (!ran)
        return nullptr;
    CollectionReport *report = makeReport(id);
    loaded()[slot(id)] = report;
    return report;
}

} // namespace reports

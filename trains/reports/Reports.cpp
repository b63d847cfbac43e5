#include "trains/reports/Reports.h"

#include "platform/Error.h"
#include "trains/reports/CollectionReport.h"
#include "trains/reports/ReportWriter.h"
#include "trains/shell/CollectionCheck.h"

#include <QMutex>
#include <QPointer>
#include <array>

namespace reports {

namespace {
std::array<QPointer<CollectionReport>, 3>& loaded() {
    static std::array<QPointer<CollectionReport>, 3> reports;
    return reports;
}

std::size_t slot(ReportId id) { return std::size_t(id); }

const CollectionReportKind& kindOf(ReportId id) {
    switch (id) {
    case ReportId::Cars: return carReport();
    case ReportId::Locos: return locoReport();
    case ReportId::Sets: return setsReport();
    }
    return carReport();
}

CollectionReport* makeReport(ReportId id) {
    switch (id) {
    case ReportId::Cars: return new rptCar;
    case ReportId::Locos: return new rptLoco;
    case ReportId::Sets: return new rptSets;
    }
    return nullptr;
}
} // namespace

CollectionReport* loadedReport(ReportId id) { return loaded()[slot(id)].data(); }

CollectionReport* RunReport(ReportId id) {
    const QString command = QString::fromLatin1(kindOf(id).command);
    // Every step goes on whatever the one before did, as the main window's command does.
    platform::resumeNext([&] {
        auto& rs = dataReport().recordsetOf(command);
        const QMutexLocker lock(&sharedRowsMutex());
        if (rs && rs->State() == engine::Recordset::adStateOpen)
            rs->Close();
    });
    platform::resumeNext([id] {
        if (CollectionReport* old = loadedReport(id))
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
        [](const platform::Error& e) { ShowCollectionNotReadable(e); });
    if (!ran)
        return nullptr;
    CollectionReport* report = makeReport(id);
    loaded()[slot(id)] = report;
    return report;
}

} // namespace reports

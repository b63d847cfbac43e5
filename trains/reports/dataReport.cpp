#include "trains/reports/dataReport.h"

#include "trains/modGlobal.h"
#include "trains/reports/ReportWriter.h"

#include "rails/collection/ReportRows.h"

#include <QMutex>
#include <optional>

#include "platform/Error.h"

namespace {
std::unique_ptr<DataReportSource> &instance() {
    static std::unique_ptr<DataReportSource> source;
    return source;
}

// The kind whose rows a command fetches.
std::optional<ItemKind> kindOfCommand(const QString &command) {
    if (command == QLatin1String("cmdCars"))
        return ItemKind::Car;
    if (command == QLatin1String("cmdLoco"))
        return ItemKind::Loco;
    if (command == QLatin1String("cmdSets"))
        return ItemKind::Set;
    return std::nullopt;
}

void closeIfOpen(const std::shared_ptr<engine::Recordset> &rs) {
    // A report being written may be taking its copy of these rows right now.
    const QMutexLocker lock(&reports::sharedRowsMutex());
    if (rs && rs->State() == engine::Recordset::adStateOpen)
        rs->Close();
}
} // namespace

DataReportSource::DataReportSource()
    : rscmdCars(std::make_shared<engine::Recordset>()),
      rscmdLoco(std::make_shared<engine::Recordset>()),
      rscmdSets(std::make_shared<engine::Recordset>()) {
    // Relative to the current folder, which start-up makes the program folder; the engine
    // finds the store's "zerizori" folder under this spelling.
    conReport.ConnectionString = QStringLiteral(
        "Provider=SQLite;Data Source=ZeriZori\\rails.trk;Persist Security Info=False;");
    conReport.CursorLocation = engine::adUseClient;
}

DataReportSource::~DataReportSource() {
    platform::resumeNext([this] { closeIfOpen(rscmdCars); });
    platform::resumeNext([this] { closeIfOpen(rscmdLoco); });
    platform::resumeNext([this] { closeIfOpen(rscmdSets); });
    if (conReport.State() == engine::Connection::adStateOpen)
        platform::resumeNext([this] { conReport.Close(); });
}

std::shared_ptr<engine::Recordset> &DataReportSource::recordsetOf(const QString &command) {
    if (command == QLatin1String("cmdCars"))
        return rscmdCars;
    if (command == QLatin1String("cmdLoco"))
        return rscmdLoco;
    if (command == QLatin1String("cmdSets"))
        return rscmdSets;
    unknown_.reset();
    return unknown_;
}

void DataReportSource::Run(const QString &command) {
    const std::optional<ItemKind> kind = kindOfCommand(command);
    if (!kind)
        throw platform::Error(platform::ErrItemNotFound,
                              QStringLiteral("Item cannot be found in the collection "
                                             "corresponding to the requested name or ordinal."));
    auto &rs = recordsetOf(command);
    // A run always starts from a closed record set, so that a failed run leaves no stale
    // rows behind for a report to show.
    platform::resumeNext([&rs] { closeIfOpen(rs); });
    rs = std::make_shared<engine::Recordset>();
    if (auto rows = collection::reportRows(conReport, *kind))
        rs = std::move(rows);
}

DataReportSource &dataReport() {
    auto &s = instance();
    if (!s) {
        s = std::make_unique<DataReportSource>();
        // The program's end releases the data source with the other shared objects.
        SetReportRelease(&ReleaseDataReport);
    }
    return *s;
}

void ReleaseDataReport() {
    instance().reset();
}

#pragma once
// The reports' own data source: one connection to the collection database, named by the
// relative path every report uses, and one command per report that asks the store for the
// rows of the report's kind. Running a command keeps
// its rows in the record set named "rs" followed by the command's name, where the report
// reads them when it is created.
#include "rails/engine/Connection.h"
#include "rails/engine/Recordset.h"

#include <QString>
#include <memory>

class DataReportSource {
  public:
    DataReportSource();
    ~DataReportSource();
    DataReportSource(const DataReportSource &) = delete;
    DataReportSource &operator=(const DataReportSource &) = delete;

    engine::Connection conReport;

    // The three commands; each replaces its record set with freshly fetched rows.
    void cmdCars() { Run(QStringLiteral("cmdCars")); }
    void cmdLoco() { Run(QStringLiteral("cmdLoco")); }
    void cmdSets() { Run(QStringLiteral("cmdSets")); }

    // Runs a command by name. Raises an error for an unknown name or when the database
    // cannot be read; the command's record set is then left closed.
    void Run(const QString &command);

    // Record sets of the commands; closed until their command has run.
    std::shared_ptr<engine::Recordset> rscmdCars;
    std::shared_ptr<engine::Recordset> rscmdLoco;
    std::shared_ptr<engine::Recordset> rscmdSets;

    // The record set of a command by the command's name ("cmdCars" -> rscmdCars).
    std::shared_ptr<engine::Recordset> &recordsetOf(const QString &command);

  private:
    std::shared_ptr<engine::Recordset> unknown_;
};

// The program's one data source, created on first use.
DataReportSource &dataReport();
// Closes the data source's record sets and connection and releases it; the program's
// shutdown calls this. The next dataReport() starts a fresh one.
void ReleaseDataReport();

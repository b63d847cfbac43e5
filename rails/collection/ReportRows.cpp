#include "rails/collection/ReportRows.h"

#include "platform/Error.h"

namespace collection {

std::shared_ptr<engine::Recordset> reportRows(engine::Connection &c, ItemKind kind) {
    const QString sql = QStringLiteral("SELECT * FROM tblMain WHERE %1 = 'YES' ORDER BY CarType")
                            .arg(QLatin1String(kindRow(kind).flagColumn));
    c.ErrorsClear();
    if (c.State() == engine::Connection::adStateClosed)
        c.Open();
    std::shared_ptr<engine::Recordset> rows;
    platform::trap([&] { rows = c.Execute(sql); },
                   [&c](const platform::Error &e) {
                       platform::resumeNext([&c] { c.Close(); });
                       throw e;
                   });
    c.Close();
    return rows;
}

} // namespace collection

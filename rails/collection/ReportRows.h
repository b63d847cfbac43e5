#pragma once
// The rows the collection reports print, read on the reports' own connection.
#include "rails/ItemKind.h"
#include "rails/engine/Connection.h"
#include "rails/engine/Recordset.h"

#include <memory>

namespace collection {

// Every item of the kind, ordered by type, detached from the file. The connection is opened
// for the read when it is closed and is closed again afterwards, also when the read fails
// (the error then goes on to the caller), so it holds no file handle while a report is shown.
std::shared_ptr<engine::Recordset> reportRows(engine::Connection &c, ItemKind kind);

} // namespace collection

#pragma once
// After an import that met values no choice list holds: one question naming how many per list,
// and on Yes the values become the collector's own entries of those lists.
#include "rails/exchange/ItemExchange.h"

namespace collection {

// Returns how many entries were added.
int offerNewChoices(const exchange::ImportPlan &plan, const QString &db, const QString &title);

} // namespace collection

#include "trains/collection/CollectionData.h"

#include "trains/modGlobal.h"

namespace collection {

CollectionData::CollectionData()
    : CollectionData(ProgramFolder() + QStringLiteral("/zerizori/rails.trk")) {}

} // namespace collection

#pragma once
// One item's fields as the collector reads them, caption by caption: the details pane of
// Browse and the inventory's item blocks show the same.
#include "trains/collection/CollectionData.h"

#include <QList>
#include <QString>
#include <utility>

namespace engine {
class Recordset;
}

namespace collection {

struct ItemDetails {
    ItemKind kind = ItemKind::Car;
    QString itemId;
    QList<std::pair<QString, QString>> fields; // caption, value as shown (plain text)
    QString notes;
};

// The current row of a set read by CollectionData::item().
ItemDetails itemDetails(const engine::Recordset &rs);
// Adds what the collector records beside the designed fields: the value's date and source,
// and each field of their own that holds a value. A file without those tables adds nothing.
void addOwnRecords(ItemDetails &details, const QString &databasePath);
// One paragraph per field, then the notes, as rich text.
QString detailHtml(const ItemDetails &details);

} // namespace collection

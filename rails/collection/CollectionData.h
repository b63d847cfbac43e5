#pragma once
// What the collection view, the photos and the value summary read and write, beside the
// designed store: one connection per call to the collection file, every value bound to its
// placeholder. The designed tables are only read; photos live in their own table, which the
// first use adds to a collection made by an earlier build.
#include "rails/ItemKind.h"
#include "rails/engine/Connection.h"
#include "rails/engine/Recordset.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

namespace collection {

// Columns of browseRows(), in this order.
enum BrowseColumn {
    bcId,
    bcKind, // the ItemKind code
    bcItemId,
    bcManufacturer,
    bcRailLine,
    bcType,
    bcNumber,
    bcGauge,
    bcCurve,
    bcColour,
    bcFrom,
    bcCost,
    bcValue,
    bcAcquired,
    bcCondition,
    bcBox,
    bcNotes,      // found by the find, not shown as a column
    bcIncomplete, // 1 when a field its add form requires is blank
    bcColumnCount
};

struct PhotoInfo {
    qint64 photoId = 0;
    int seq = 0;
    QString caption;
    QByteArray thumb; // JPEG
};

class CollectionData {
  public:
    // The collection file of the program folder (defined by the program, which knows it).
    CollectionData();
    explicit CollectionData(QString databasePath);

    // Every item of every kind, one row each, in stored order. Raises platform::Error when
    // the file cannot be read.
    std::shared_ptr<engine::Recordset> browseRows();
    // Every column of one item (ID is tblMain's row counter); empty when it is gone.
    std::shared_ptr<engine::Recordset> item(qint64 id);

    // Photos; each call makes sure the photo table exists first.
    QList<PhotoInfo> photos(const QString &itemId);
    QByteArray photoImage(qint64 photoId);
    qint64 addPhoto(const QString &itemId, const QByteArray &image, const QByteArray &thumb,
                    const QString &caption);
    void removePhoto(qint64 photoId);
    void setCaption(qint64 photoId, const QString &caption);

    // Value summary: count, total cost and total value per kind and condition (kind code,
    // condition, count, cost, value), ordered by kind then condition; and the most valuable
    // items (kind code, ItemID, Manufacturer, RailLine, CarType, number, CurrentValue).
    std::shared_ptr<engine::Recordset> totalsByKindAndCondition();
    std::shared_ptr<engine::Recordset> mostValuable(int limit);
    // The owner profile: FName, LName, Address, City, State, Zip, Email; empty when none.
    std::shared_ptr<engine::Recordset> owner();

    // Adds the photo table, its index and trigger when missing.
    void ensureSchema();

    QString databasePath() const { return path_; }

  private:
    struct Session;
    std::shared_ptr<engine::Recordset> query(const QString &sql, const QVariantList &values = {});
    QString path_;
    bool schemaChecked_ = false;
};

} // namespace collection

#include "rails/SchemaAdditions.h"

#include "DesignedSchema.h"
#include "rails/records/RecordsSchema.h"

#include "platform/Error.h"

#include <algorithm>

namespace rails {

std::vector<SchemaAddition> photoAndListAdditions() {
    const QStringList statements{
        // Photos of an item, kept in the collection file so that the file stays the whole
        // collection and its backup. Image is the stored picture (JPEG), Thumb its small copy
        // for lists; Seq orders an item's photos.
        QStringLiteral("CREATE TABLE IF NOT EXISTS tblPhoto ("
                       "PhotoID INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "ItemID TEXT COLLATE NOCASE NOT NULL, "
                       "Seq INTEGER NOT NULL DEFAULT 0, "
                       "Caption TEXT COLLATE NOCASE, "
                       "Image BLOB NOT NULL, "
                       "Thumb BLOB NOT NULL, "
                       "DateAdd TEXT)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS idxPhotoItem ON tblPhoto (ItemID, Seq)"),
        // The store's deletes know nothing of photos: deleting an item takes its photos with
        // it inside the delete's own transaction, so no photo outlives its item.
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS trgMainDeletePhotos AFTER DELETE ON tblMain "
                       "BEGIN DELETE FROM tblPhoto WHERE ItemID = OLD.ItemID; END"),
        // The edit and deletion lists and the menu's record checks read one kind in item
        // number order; without these they walk every kind's rows through the item number
        // index. Each holds only its own kind's rows, a third of what a full index costs.
        QStringLiteral("CREATE INDEX IF NOT EXISTS ixMainCar ON tblMain (Car, ItemID) "
                       "WHERE Car = 'YES'"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ixMainLoco ON tblMain (Loco, ItemID) "
                       "WHERE Loco = 'YES'"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ixMainFullSet ON tblMain (FullSet, ItemID) "
                       "WHERE FullSet = 'YES'"),
        // The reports read one kind in car type order. Without these the planner takes the
        // indexes above for them too and reads the rows in item number order only to sort
        // them again.
        QStringLiteral("CREATE INDEX IF NOT EXISTS ixMainCarType ON tblMain (Car, CarType) "
                       "WHERE Car = 'YES'"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ixMainLocoType ON tblMain (Loco, CarType) "
                       "WHERE Loco = 'YES'"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS ixMainFullSetType ON tblMain (FullSet, CarType) "
                       "WHERE FullSet = 'YES'"),
    };
    return {{1, statements, {QStringLiteral("tblPhoto")}}};
}

std::vector<SchemaAddition> recordsAdditions() {
    return {{2, records::schemaStatements(), records::tables()}};
}

const std::vector<SchemaAddition> &schemaAdditions() {
    static const std::vector<SchemaAddition> all = [] {
        std::vector<SchemaAddition> a;
        for (auto part : {photoAndListAdditions, recordsAdditions})
            for (SchemaAddition &s : part())
                a.push_back(std::move(s));
        std::stable_sort(a.begin(), a.end(), [](const SchemaAddition &x, const SchemaAddition &y) {
            return x.version < y.version;
        });
        return a;
    }();
    return all;
}

int schemaVersion() {
    return schemaAdditions().empty() ? 0 : schemaAdditions().back().version;
}

QStringList restoredTables() {
    QStringList t{QStringLiteral("tblMain"), QStringLiteral("tblOwner")};
    for (const SchemaAddition &a : schemaAdditions())
        t += a.tables;
    return t;
}

const char *designedSchema() {
    return kDesignedSchemaText;
}

namespace {

qint64 pragmaValue(engine::Connection &c, const char *name) {
    const auto rs = c.Execute(QStringLiteral("PRAGMA %1").arg(QLatin1String(name)));
    return rs && !rs->isEOF() ? rs->Fields(0).toLongLong() : 0;
}

// One addition, the file's version and its identity in one transaction.
void applyOne(engine::Connection &c, const SchemaAddition &a) {
    c.BeginTrans();
    try {
        for (const QString &s : a.statements)
            c.Execute(s);
        c.Execute(QStringLiteral("PRAGMA user_version = %1").arg(a.version));
        c.Execute(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId));
        c.CommitTrans();
    } catch (...) {
        if (c.inTransaction())
            c.RollbackTrans();
        throw;
    }
}

} // namespace

void applySchemaAdditions(engine::Connection &c) {
    const qint64 id = pragmaValue(c, "application_id");
    if (id != 0 && id != kApplicationId)
        throw platform::Error(platform::ErrPathFileAccess,
                              QStringLiteral("The file belongs to another program (application "
                                             "id %1); it was left as it is.")
                                  .arg(id));
    const qint64 version = pragmaValue(c, "user_version");
    bool applied = false;
    for (const SchemaAddition &a : schemaAdditions()) {
        if (a.version > version) {
            applyOne(c, a);
            applied = true;
        }
    }
    if (!applied && id == 0)
        applyOne(c, {int(version), {}, {}});
}

} // namespace rails

#include "rails/SchemaAdditions.h"

#include "rails/records/RecordsSchema.h"

namespace rails {

const QStringList& schemaAdditions() {
    static const QStringList statements = QStringList{
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
    } + records::schemaStatements();
    return statements;
}

void applySchemaAdditions(engine::Connection& c) {
    const QStringList& statements = schemaAdditions();
    if (statements.isEmpty())
        return;
    c.BeginTrans();
    try {
        for (const QString& s : statements)
            c.Execute(s);
        c.CommitTrans();
    } catch (...) {
        if (c.inTransaction())
            c.RollbackTrans();
        throw;
    }
}

} // namespace rails

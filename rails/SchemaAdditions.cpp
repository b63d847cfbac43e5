#include "rails/SchemaAdditions.h"

namespace rails {

const QStringList& schemaAdditions() {
    static const QStringList statements{
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
    };
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

#include "rails/records/RecordsSchema.h"

namespace records {

namespace {

// tblMain's columns in stored order; a deleted item keeps every one of them.
const QStringList &mainColumns() {
    static const QStringList c{QStringLiteral("ID"),
                               QStringLiteral("ItemID"),
                               QStringLiteral("Manufacturer"),
                               QStringLiteral("RailLine"),
                               QStringLiteral("CarType"),
                               QStringLiteral("CarNumber"),
                               QStringLiteral("SetNumber"),
                               QStringLiteral("Gauge"),
                               QStringLiteral("Curve"),
                               QStringLiteral("CarColor"),
                               QStringLiteral("Color"),
                               QStringLiteral("AccquiredFrom"),
                               QStringLiteral("OriginalCost"),
                               QStringLiteral("CurrentValue"),
                               QStringLiteral("DateAccquired"),
                               QStringLiteral("DateAdd"),
                               QStringLiteral("DateMod"),
                               QStringLiteral("FullSet"),
                               QStringLiteral("Car"),
                               QStringLiteral("Loco"),
                               QStringLiteral("Track"),
                               QStringLiteral("Accessory"),
                               QStringLiteral("Condition"),
                               QStringLiteral("Box"),
                               QStringLiteral("Notes")};
    return c;
}

QString columnType(const QString &name) {
    if (name == QLatin1String("ID"))
        return QStringLiteral("INTEGER");
    if (name == QLatin1String("OriginalCost") || name == QLatin1String("CurrentValue"))
        return QStringLiteral("REAL");
    if (name.startsWith(QLatin1String("Date")))
        return QStringLiteral("TEXT");
    return QStringLiteral("TEXT COLLATE NOCASE");
}

QString deletedTable() {
    QStringList cols{QStringLiteral("DelID INTEGER PRIMARY KEY AUTOINCREMENT"),
                     QStringLiteral("DeletedAt TEXT NOT NULL"), QStringLiteral("ValueDate TEXT"),
                     QStringLiteral("ValueSource TEXT")};
    for (const QString &c : mainColumns())
        cols << c + QLatin1Char(' ') + columnType(c);
    return QStringLiteral("CREATE TABLE IF NOT EXISTS tblDeletedMain (") +
           cols.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// Before the row goes, so the photos are still there to be copied (the photo trigger removes
// them after the delete).
QString keepDeletedTrigger() {
    QStringList old;
    for (const QString &c : mainColumns())
        old << QStringLiteral("OLD.") + c;
    const QString del = QStringLiteral("(SELECT MAX(DelID) FROM tblDeletedMain)");
    return QStringLiteral(
               "CREATE TRIGGER IF NOT EXISTS trgMainDeleteKeep BEFORE DELETE ON tblMain BEGIN "
               "INSERT INTO tblDeletedMain (DeletedAt, ValueDate, ValueSource, ") +
           mainColumns().join(QStringLiteral(", ")) +
           QStringLiteral(") VALUES (datetime('now', 'localtime'), "
                          "(SELECT ValueDate FROM tblValuation WHERE ItemID = OLD.ItemID), "
                          "(SELECT Source FROM tblValuation WHERE ItemID = OLD.ItemID), ") +
           old.join(QStringLiteral(", ")) +
           QStringLiteral(
               "); "
               "INSERT INTO tblDeletedPhoto (DelID, Seq, Caption, Image, Thumb, DateAdd) "
               "SELECT ") +
           del +
           QStringLiteral(", Seq, Caption, Image, Thumb, DateAdd FROM tblPhoto "
                          "WHERE ItemID = OLD.ItemID ORDER BY Seq, PhotoID; "
                          "INSERT INTO tblDeletedFieldValue (DelID, FieldID, Value) SELECT ") +
           del +
           QStringLiteral(", FieldID, Value FROM tblFieldValue WHERE ItemID = OLD.ItemID; "
                          "INSERT INTO tblDeletedHistory (DelID, Changed, What, OldAmount, "
                          "NewAmount, Source) SELECT ") +
           del +
           QStringLiteral(", Changed, What, OldAmount, NewAmount, Source FROM tblValueHistory "
                          "WHERE ItemID = OLD.ItemID ORDER BY HistID; END");
}

// A history row; an item added without an amount starts no history of it.
QString historyInsert(const char *what, const char *oldAmount, const char *newAmount,
                      const char *source) {
    return QStringLiteral("INSERT INTO tblValueHistory (ItemID, Changed, What, OldAmount, "
                          "NewAmount, Source) SELECT NEW.ItemID, datetime('now', 'localtime'), "
                          "'%1', %2, %3, %4 WHERE %2 IS NOT NULL OR %3 IS NOT NULL; ")
        .arg(QLatin1String(what), QLatin1String(oldAmount), QLatin1String(newAmount),
             QLatin1String(source));
}

const QString kOwnValuation =
    QStringLiteral("INSERT OR REPLACE INTO tblValuation (ItemID, ValueDate, Source) VALUES "
                   "(NEW.ItemID, date('now', 'localtime'), 'own estimate'); ");

// What keeps the records in step with tblMain, whatever changes it.
QStringList triggerStatements() {
    return {
        // A new item starts its history with what it cost and is worth.
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS trgMainInsertHistory AFTER INSERT ON tblMain "
                       "BEGIN ") +
            historyInsert("Cost", "NULL", "NEW.OriginalCost", "NULL") +
            historyInsert("Value", "NULL", "NEW.CurrentValue", "'own estimate'") + kOwnValuation +
            QStringLiteral("END"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS trgMainCostHistory AFTER UPDATE OF "
                       "OriginalCost ON tblMain WHEN OLD.OriginalCost IS NOT NEW.OriginalCost "
                       "BEGIN ") +
            historyInsert("Cost", "OLD.OriginalCost", "NEW.OriginalCost", "NULL") +
            QStringLiteral("END"),
        // A value changed anywhere but the card is the owner's own estimate of today; the card
        // then sets the date and source it was given.
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS trgMainValueHistory AFTER UPDATE OF "
                       "CurrentValue ON tblMain WHEN OLD.CurrentValue IS NOT NEW.CurrentValue "
                       "BEGIN ") +
            historyInsert("Value", "OLD.CurrentValue", "NEW.CurrentValue", "'own estimate'") +
            kOwnValuation + QStringLiteral("END"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS trgMainItemIdRecords AFTER UPDATE OF ItemID "
                       "ON tblMain WHEN OLD.ItemID IS NOT NEW.ItemID BEGIN "
                       "UPDATE tblFieldValue SET ItemID = NEW.ItemID WHERE ItemID = OLD.ItemID; "
                       "UPDATE tblValuation SET ItemID = NEW.ItemID WHERE ItemID = OLD.ItemID; "
                       "UPDATE tblValueHistory SET ItemID = NEW.ItemID WHERE ItemID = OLD.ItemID; "
                       "END"),
        keepDeletedTrigger(),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS trgMainDeleteRecords AFTER DELETE ON tblMain "
                       "BEGIN "
                       "DELETE FROM tblFieldValue WHERE ItemID = OLD.ItemID; "
                       "DELETE FROM tblValuation WHERE ItemID = OLD.ItemID; "
                       "DELETE FROM tblValueHistory WHERE ItemID = OLD.ItemID; END"),
        QStringLiteral("CREATE TRIGGER IF NOT EXISTS trgDeletedRemove AFTER DELETE ON "
                       "tblDeletedMain BEGIN "
                       "DELETE FROM tblDeletedPhoto WHERE DelID = OLD.DelID; "
                       "DELETE FROM tblDeletedFieldValue WHERE DelID = OLD.DelID; "
                       "DELETE FROM tblDeletedHistory WHERE DelID = OLD.DelID; END"),
    };
}

} // namespace

const QStringList &schemaStatements() {
    static const QStringList s =
        QStringList{
            // Entries of the user's own in a choice list; hidden ones are no longer offered but
            // items keep their text.
            QStringLiteral("CREATE TABLE IF NOT EXISTS tblChoice ("
                           "ChoiceID INTEGER PRIMARY KEY AUTOINCREMENT, List TEXT NOT NULL, "
                           "Entry TEXT COLLATE NOCASE NOT NULL, Hidden INTEGER NOT NULL DEFAULT 0, "
                           "UNIQUE (List, Entry))"),
            // Fields of the user's own. A removed field keeps its row (marked Removed) so the
            // two ready-made fields, added by number, do not come back once removed.
            QStringLiteral("CREATE TABLE IF NOT EXISTS tblField ("
                           "FieldID INTEGER PRIMARY KEY AUTOINCREMENT, "
                           "Name TEXT COLLATE NOCASE NOT NULL, Type TEXT NOT NULL, Choices TEXT, "
                           "Seq INTEGER NOT NULL DEFAULT 0, Removed INTEGER NOT NULL DEFAULT 0)"),
            QStringLiteral("INSERT OR IGNORE INTO tblField (FieldID, Name, Type, Seq) VALUES "
                           "(1, 'Catalogue No.', 'text', 1), (2, 'Storage Location', 'text', 2)"),
            QStringLiteral("CREATE TABLE IF NOT EXISTS tblFieldValue ("
                           "ItemID TEXT COLLATE NOCASE NOT NULL, FieldID INTEGER NOT NULL, "
                           "Value TEXT NOT NULL, PRIMARY KEY (ItemID, FieldID))"),
            QStringLiteral(
                "CREATE INDEX IF NOT EXISTS idxFieldValueField ON tblFieldValue (FieldID)"),
            // The date and source of each item's current value.
            QStringLiteral("CREATE TABLE IF NOT EXISTS tblValuation ("
                           "ItemID TEXT COLLATE NOCASE PRIMARY KEY, ValueDate TEXT, Source TEXT)"),
            // Every change of cost (What = 'Cost') or value (What = 'Value').
            QStringLiteral("CREATE TABLE IF NOT EXISTS tblValueHistory ("
                           "HistID INTEGER PRIMARY KEY AUTOINCREMENT, "
                           "ItemID TEXT COLLATE NOCASE NOT NULL, Changed TEXT NOT NULL, "
                           "What TEXT NOT NULL, OldAmount REAL, NewAmount REAL, Source TEXT)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS idxValueHistoryItem "
                           "ON tblValueHistory (ItemID, HistID)"),
            // Deleted items with what belonged to them.
            deletedTable(),
            QStringLiteral("CREATE TABLE IF NOT EXISTS tblDeletedPhoto ("
                           "DelID INTEGER NOT NULL, Seq INTEGER NOT NULL DEFAULT 0, "
                           "Caption TEXT COLLATE NOCASE, Image BLOB NOT NULL, Thumb BLOB NOT NULL, "
                           "DateAdd TEXT)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS idxDeletedPhoto ON tblDeletedPhoto (DelID)"),
            QStringLiteral(
                "CREATE TABLE IF NOT EXISTS tblDeletedFieldValue ("
                "DelID INTEGER NOT NULL, FieldID INTEGER NOT NULL, Value TEXT NOT NULL)"),
            QStringLiteral("CREATE INDEX IF NOT EXISTS idxDeletedFieldValue "
                           "ON tblDeletedFieldValue (DelID)"),
            QStringLiteral("CREATE TABLE IF NOT EXISTS tblDeletedHistory ("
                           "DelID INTEGER NOT NULL, Changed TEXT NOT NULL, What TEXT NOT NULL, "
                           "OldAmount REAL, NewAmount REAL, Source TEXT)"),
            QStringLiteral(
                "CREATE INDEX IF NOT EXISTS idxDeletedHistory ON tblDeletedHistory (DelID)"),
        } +
        triggerStatements();
    return s;
}

const QStringList &tables() {
    static const QStringList t{
        QStringLiteral("tblChoice"),        QStringLiteral("tblField"),
        QStringLiteral("tblFieldValue"),    QStringLiteral("tblValuation"),
        QStringLiteral("tblValueHistory"),  QStringLiteral("tblDeletedMain"),
        QStringLiteral("tblDeletedPhoto"),  QStringLiteral("tblDeletedFieldValue"),
        QStringLiteral("tblDeletedHistory")};
    return t;
}

} // namespace records

#include "rails/collection/CollectionData.h"

#include "rails/SchemaAdditions.h"

#include "platform/Clock.h"
#include "platform/Error.h"

#include <QObject>
#include <QStringList>

namespace collection {

namespace {
// The kind code of a row from its yes/no flags; the designed kinds first.
QString kindCase() {
    QString sql = QStringLiteral("CASE");
    for (const ItemKind k : kAllKinds)
        sql += QStringLiteral(" WHEN %1 = 'YES' THEN %2")
                   .arg(QLatin1String(kindRow(k).flagColumn))
                   .arg(int(k));
    return sql + QStringLiteral(" END");
}
const QString kKindCase = kindCase();
// Where the rows of a kind keep their number and colour.
const QString kNumber = QStringLiteral("COALESCE(CarNumber, SetNumber)");
const QString kColour = QStringLiteral("COALESCE(CarColor, Color)");
// What the add forms require and an import may leave blank: the texts of every form and the
// date; condition and box on the locomotive and full set forms. Kinds without a form have none.
const QString kIncomplete = QStringLiteral(
    "CASE WHEN Car <> 'YES' AND Loco <> 'YES' AND FullSet <> 'YES' THEN 0 "
    "WHEN TRIM(IFNULL(Manufacturer, '')) = '' OR TRIM(IFNULL(RailLine, '')) = '' "
    "OR TRIM(IFNULL(CarType, '')) = '' OR TRIM(IFNULL(COALESCE(CarNumber, SetNumber), '')) = '' "
    "OR TRIM(IFNULL(Gauge, '')) = '' OR TRIM(IFNULL(Curve, '')) = '' "
    "OR TRIM(IFNULL(COALESCE(CarColor, Color), '')) = '' "
    "OR TRIM(IFNULL(AccquiredFrom, '')) = '' OR TRIM(IFNULL(DateAccquired, '')) = '' THEN 1 "
    "WHEN Car = 'YES' THEN 0 "
    "WHEN TRIM(IFNULL(Condition, '')) = '' OR TRIM(IFNULL(Box, '')) = '' THEN 1 ELSE 0 END");
QString kindWhere() {
    QStringList flags;
    for (const ItemKind k : kAllKinds)
        flags << QLatin1String(kindRow(k).flagColumn) + QStringLiteral(" = 'YES'");
    return QLatin1Char('(') + flags.join(QStringLiteral(" OR ")) + QLatin1Char(')');
}
const QString kKindWhere = kindWhere();
} // namespace

// One open connection for the length of one call; closed whatever happens.
struct CollectionData::Session {
    explicit Session(const QString &path) {
        c.ConnectionString =
            QStringLiteral("Provider=SQLite;Data Source=") + path + QLatin1Char(';');
        c.CursorLocation = engine::adUseClient;
        c.Open();
    }
    ~Session() {
        if (c.inTransaction())
            c.RollbackTrans();
        c.Close();
    }
    engine::Connection c;
};

CollectionData::CollectionData(QString databasePath) : path_(std::move(databasePath)) {}

std::shared_ptr<engine::Recordset> CollectionData::query(const QString &sql,
                                                         const QVariantList &values) {
    Session s(path_);
    auto rs = s.c.Execute(sql, values);
    return rs ? rs : std::make_shared<engine::Recordset>();
}

void CollectionData::ensureSchema() {
    if (schemaChecked_)
        return;
    Session s(path_);
    rails::applySchemaAdditions(s.c);
    schemaChecked_ = true;
}

std::shared_ptr<engine::Recordset> CollectionData::browseRows() {
    return query(QStringLiteral("SELECT ID, ") + kKindCase +
                 QStringLiteral(", ItemID, Manufacturer, RailLine, CarType, ") + kNumber +
                 QStringLiteral(", Gauge, Curve, ") + kColour +
                 QStringLiteral(", AccquiredFrom, OriginalCost, CurrentValue, DateAccquired, "
                                "Condition, Box, Notes, ") +
                 kIncomplete + QStringLiteral(" FROM tblMain WHERE ") + kKindWhere);
}

std::shared_ptr<engine::Recordset> CollectionData::item(qint64 id) {
    return query(QStringLiteral("SELECT *, ") + kKindCase +
                     QStringLiteral(" AS KindCode FROM tblMain WHERE ID = ?"),
                 {id});
}

QList<PhotoInfo> CollectionData::photos(const QString &itemId) {
    // A collection that cannot be written (a read-only copy) and has no photo table yet simply
    // has no photos; reading an existing table reports its own failures.
    const bool ready = platform::trap([this] { ensureSchema(); }, [](const platform::Error &) {});
    if (!ready &&
        query(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'tblPhoto'"))->isEOF())
        return {};
    auto rs = query(QStringLiteral("SELECT PhotoID, Seq, Caption, Thumb FROM tblPhoto "
                                   "WHERE ItemID = ? ORDER BY Seq, PhotoID"),
                    {itemId});
    QList<PhotoInfo> out;
    for (; !rs->isEOF(); rs->MoveNext())
        out.append({rs->Fields(0).toLongLong(), rs->Fields(1).toInt(), rs->text(2),
                    rs->Fields(3).toByteArray()});
    return out;
}

QByteArray CollectionData::photoImage(qint64 photoId) {
    ensureSchema();
    auto rs = query(QStringLiteral("SELECT Image FROM tblPhoto WHERE PhotoID = ?"), {photoId});
    return rs->isEOF() ? QByteArray() : rs->Fields(0).toByteArray();
}

qint64 CollectionData::addPhoto(const QString &itemId, const QByteArray &image,
                                const QByteArray &thumb, const QString &caption) {
    ensureSchema();
    Session s(path_);
    s.c.BeginTrans();
    // The item must still exist: a photo without its item would never be seen again.
    auto found = s.c.Execute(QStringLiteral("SELECT 1 FROM tblMain WHERE ItemID = ?"), {itemId});
    if (!found || found->isEOF())
        throw platform::Error(
            platform::ErrItemNotFound,
            QObject::tr("The item %1 is no longer in the collection.").arg(itemId));
    s.c.Execute(QStringLiteral("INSERT INTO tblPhoto (ItemID, Seq, Caption, Image, Thumb, DateAdd) "
                               "VALUES (?, (SELECT COALESCE(MAX(Seq), 0) + 1 FROM tblPhoto "
                               "WHERE ItemID = ?), ?, ?, ?, ?)"),
                {itemId, itemId, caption.isEmpty() ? QVariant() : QVariant(caption), image, thumb,
                 platform::now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
    auto id = s.c.Execute(QStringLiteral("SELECT last_insert_rowid()"), {});
    s.c.CommitTrans();
    return id ? id->Fields(0).toLongLong() : 0;
}

void CollectionData::removePhoto(qint64 photoId) {
    ensureSchema();
    query(QStringLiteral("DELETE FROM tblPhoto WHERE PhotoID = ?"), {photoId});
}

void CollectionData::setCaption(qint64 photoId, const QString &caption) {
    ensureSchema();
    query(QStringLiteral("UPDATE tblPhoto SET Caption = ? WHERE PhotoID = ?"),
          {caption.isEmpty() ? QVariant() : QVariant(caption), photoId});
}

std::shared_ptr<engine::Recordset> CollectionData::totalsByKindAndCondition() {
    return query(QStringLiteral("SELECT ") + kKindCase +
                 QStringLiteral(" AS KindCode, COALESCE(Condition, '') AS Cond, COUNT(*), "
                                "TOTAL(OriginalCost), TOTAL(CurrentValue) FROM tblMain WHERE ") +
                 kKindWhere + QStringLiteral(" GROUP BY KindCode, Cond ORDER BY KindCode, Cond"));
}

std::shared_ptr<engine::Recordset> CollectionData::mostValuable(int limit) {
    return query(QStringLiteral("SELECT ") + kKindCase +
                     QStringLiteral(" AS KindCode, ItemID, Manufacturer, RailLine, CarType, ") +
                     kNumber + QStringLiteral(" AS Number, CurrentValue FROM tblMain WHERE ") +
                     kKindWhere + QStringLiteral(" ORDER BY CurrentValue DESC, ID LIMIT ?"),
                 {limit});
}

std::shared_ptr<engine::Recordset> CollectionData::owner() {
    return query(QStringLiteral("SELECT FName, LName, Address, City, State, Zip, Email "
                                "FROM tblOwner ORDER BY OwnerID LIMIT 1"));
}

} // namespace collection

// The value's date and source, its history, and deleted items.
#include "rails/records/RecordsSession.h"

#include <QObject>

namespace records {

namespace {
const QString kStamp = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kDay = QStringLiteral("yyyy-MM-dd");

// The designed columns a restored item takes back (ID is given anew).
const QString kItemColumns = QStringLiteral(
    "Manufacturer, RailLine, CarType, CarNumber, SetNumber, Gauge, Curve, CarColor, Color, "
    "AccquiredFrom, OriginalCost, CurrentValue, DateAccquired, DateAdd, DateMod, FullSet, Car, "
    "Loco, Track, Accessory, Condition, Box, Notes");

// The leading letters of an item number: the prefix of its kind.
QString prefixOf(const QString &itemId) {
    qsizetype n = itemId.size();
    while (n > 0 && itemId.at(n - 1).isDigit())
        --n;
    return itemId.left(n);
}
} // namespace

const QStringList &valueSources() {
    static const QStringList l{QStringLiteral("receipt"), QStringLiteral("price guide"),
                               QStringLiteral("auction result"), QStringLiteral("appraisal"),
                               QStringLiteral("own estimate")};
    return l;
}

std::shared_ptr<engine::Recordset> Store::item(const QString &itemId) {
    Session s(path_);
    return s.run(QStringLiteral("SELECT * FROM tblMain WHERE ItemID = ?"), {itemId});
}

Valuation Store::valuation(const QString &itemId) {
    Session s(path_);
    auto rs = s.run(QStringLiteral("SELECT ValueDate, Source FROM tblValuation WHERE ItemID = ?"),
                    {itemId});
    if (rs->isEOF())
        return {};
    return {QDate::fromString(rs->text(0), kDay), rs->text(1)};
}

void Store::setValuation(const QString &itemId, double value, const QDate &date,
                         const QString &source) {
    if (!valueSources().contains(source))
        refuse(QObject::tr("\"%1\" is not a source of a value.").arg(source));
    if (!date.isValid() || date.year() < 1800 || date.year() > 9999)
        refuse(QObject::tr("The valuation date is not a date."));
    if (!(value >= 0 && value < 1e12))
        refuse(QObject::tr("The value must be an amount from 0 to 999,999,999,999."));
    Session s(path_);
    s.write([&] {
        auto was =
            s.run(QStringLiteral("SELECT CurrentValue FROM tblMain WHERE ItemID = ?"), {itemId});
        if (was->isEOF())
            refuse(QObject::tr("The item %1 is no longer in the collection.").arg(itemId));
        // The history trigger notes the change as the owner's estimate of today; the card
        // knows better and says so on the row it just wrote.
        s.run(QStringLiteral("UPDATE tblMain SET CurrentValue = ? WHERE ItemID = ? AND "
                             "CurrentValue IS NOT ?"),
              {value, itemId, value});
        if (s.changes() > 0)
            s.run(QStringLiteral("UPDATE tblValueHistory SET Source = ? WHERE HistID = "
                                 "(SELECT MAX(HistID) FROM tblValueHistory WHERE ItemID = ? "
                                 "AND What = 'Value')"),
                  {source, itemId});
        s.run(QStringLiteral("INSERT OR REPLACE INTO tblValuation (ItemID, ValueDate, Source) "
                             "VALUES (?, ?, ?)"),
              {itemId, date.toString(kDay), source});
    });
}

QList<HistoryEntry> Store::history(const QString &itemId) {
    Session s(path_);
    auto rs = s.run(QStringLiteral("SELECT Changed, What, OldAmount, NewAmount, Source FROM "
                                   "tblValueHistory WHERE ItemID = ? ORDER BY HistID"),
                    {itemId});
    QList<HistoryEntry> out;
    for (; !rs->isEOF(); rs->MoveNext())
        out.append({QDateTime::fromString(rs->text(0), kStamp),
                    rs->text(1) == QLatin1String("Value"), rs->Fields(2), rs->Fields(3),
                    rs->text(4)});
    return out;
}

std::shared_ptr<engine::Recordset> Store::deletedItems() {
    Session s(path_);
    return s.run(QStringLiteral(
        "SELECT DelID, DeletedAt, ItemID, CASE WHEN Car = 'YES' THEN 'Car' WHEN Loco = 'YES' "
        "THEN 'Loco' WHEN FullSet = 'YES' THEN 'FullSet' WHEN Track = 'YES' THEN 'Track' "
        "WHEN Accessory = 'YES' THEN 'Accessory' END, Manufacturer, CarType, CurrentValue "
        "FROM tblDeletedMain ORDER BY DelID DESC"));
}

Restored Store::restoreDeleted(qint64 delId) {
    Session s(path_);
    return s.write([&] {
        auto row = s.run(QStringLiteral("SELECT ItemID, ValueDate, ValueSource FROM "
                                        "tblDeletedMain WHERE DelID = ?"),
                         {delId});
        if (row->isEOF())
            refuse(QObject::tr("The item is no longer among the deleted items."));
        const QString was = row->text(0);
        Restored r{was, true};
        auto taken = [&](const QString &id) {
            return !s.run(QStringLiteral("SELECT 1 FROM tblMain WHERE ItemID = ?"), {id})->isEOF();
        };
        if (taken(was)) {
            // A new number the way the add forms make one: the kind's prefix and one past the
            // largest row number, moved on while it is taken.
            qint64 n = s.run(QStringLiteral("SELECT COALESCE(MAX(ID), 0) + 1 FROM tblMain"))
                           ->Fields(0)
                           .toLongLong();
            while (taken(prefixOf(was) + QString::number(n)))
                ++n;
            r = {prefixOf(was) + QString::number(n), false};
        }
        s.run(QStringLiteral("INSERT INTO tblMain (ItemID, ") + kItemColumns +
                  QStringLiteral(") SELECT ?, ") + kItemColumns +
                  QStringLiteral(" FROM tblDeletedMain WHERE DelID = ?"),
              {r.itemId, delId});
        // The item's own history replaces the start the insert trigger just wrote.
        s.run(QStringLiteral("DELETE FROM tblValueHistory WHERE ItemID = ?"), {r.itemId});
        s.run(QStringLiteral("INSERT INTO tblValueHistory (ItemID, Changed, What, OldAmount, "
                             "NewAmount, Source) SELECT ?, Changed, What, OldAmount, NewAmount, "
                             "Source FROM tblDeletedHistory WHERE DelID = ? ORDER BY rowid"),
              {r.itemId, delId});
        if (!row->isNull(1))
            s.run(QStringLiteral("INSERT OR REPLACE INTO tblValuation (ItemID, ValueDate, Source) "
                                 "VALUES (?, ?, ?)"),
                  {r.itemId, row->Fields(1), row->Fields(2)});
        s.run(QStringLiteral("INSERT INTO tblPhoto (ItemID, Seq, Caption, Image, Thumb, DateAdd) "
                             "SELECT ?, Seq, Caption, Image, Thumb, DateAdd FROM tblDeletedPhoto "
                             "WHERE DelID = ? ORDER BY rowid"),
              {r.itemId, delId});
        s.run(QStringLiteral("INSERT INTO tblFieldValue (ItemID, FieldID, Value) SELECT ?, "
                             "FieldID, Value FROM tblDeletedFieldValue WHERE DelID = ?"),
              {r.itemId, delId});
        s.run(QStringLiteral("DELETE FROM tblDeletedMain WHERE DelID = ?"), {delId});
        return r;
    });
}

void Store::removeDeleted(qint64 delId) {
    Session s(path_);
    s.write([&] { s.run(QStringLiteral("DELETE FROM tblDeletedMain WHERE DelID = ?"), {delId}); });
}

int Store::emptyDeleted() {
    Session s(path_);
    return s.write([&] {
        s.run(QStringLiteral("DELETE FROM tblDeletedMain"));
        return int(s.changes());
    });
}

int Store::removeDeletedBefore(const QDateTime &before) {
    Session s(path_);
    return s.write([&] {
        s.run(QStringLiteral("DELETE FROM tblDeletedMain WHERE DeletedAt < ?"),
              {before.toString(kStamp)});
        return int(s.changes());
    });
}

} // namespace records

// What Browse reads of the collector's records for all items at once: field values and the
// values of a past day. Each is one statement over every item, never one per item.
#include "rails/records/RecordsSession.h"

#include <QObject>

namespace records {

std::shared_ptr<engine::Recordset> Store::fieldValueRows() {
    Session s(path_);
    return s.run(QStringLiteral("SELECT m.ID, v.FieldID, v.Value FROM tblFieldValue v "
                                "JOIN tblField f ON f.FieldID = v.FieldID AND f.Removed = 0 "
                                "JOIN tblMain m ON m.ItemID = v.ItemID"));
}

std::shared_ptr<engine::Recordset> Store::valuesAsOf(const QDate &day) {
    // History times are local "yyyy-MM-dd HH:mm:ss": everything before the next day counts.
    // The last change up to then gives the value; an item whose first change came later had,
    // until then, the amount that change replaced (none for an item added later).
    const QString next = day.addDays(1).toString(QStringLiteral("yyyy-MM-dd"));
    Session s(path_);
    return s.run(
        QStringLiteral(
            "SELECT m.ID, b.NewAmount FROM (SELECT ItemID, NewAmount, MAX(HistID) FROM "
            "tblValueHistory WHERE What = 'Value' AND Changed < ? GROUP BY ItemID) b "
            "JOIN tblMain m ON m.ItemID = b.ItemID WHERE b.NewAmount IS NOT NULL "
            "UNION ALL "
            "SELECT m.ID, a.OldAmount FROM (SELECT ItemID, OldAmount, Changed, MIN(HistID) FROM "
            "tblValueHistory WHERE What = 'Value' GROUP BY ItemID) a "
            "JOIN tblMain m ON m.ItemID = a.ItemID WHERE a.Changed >= ? AND a.OldAmount IS NOT "
            "NULL"),
        {next, next});
}

int Store::addChoices(const QString &list, const QStringList &entries) {
    Session s(path_);
    return s.write([&] {
        int added = 0;
        for (const QString &e : entries) {
            const QString text = e.trimmed();
            if (text.isEmpty() || text.size() > 255 || text.contains(QChar(0)))
                continue;
            s.run(QStringLiteral("INSERT OR IGNORE INTO tblChoice (List, Entry) VALUES (?, ?)"),
                  {list, text});
            added += int(s.changes());
        }
        return added;
    });
}

} // namespace records

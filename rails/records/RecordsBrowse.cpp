// What Browse reads of the collector's records for all items at once: field values and the
// values of a past day. Each is one statement over every item, never one per item.
#include "rails/records/RecordsSession.h"

#include "platform/Error.h"
#include "rails/engine/Statement.h"

#include <QObject>
#include <string>
#include <unordered_map>

namespace records {

std::shared_ptr<engine::Recordset> Store::fieldValueRows() {
    Session s(path_);
    return s.run(QStringLiteral("SELECT m.ID, v.FieldID, v.Value FROM tblFieldValue v "
                                "JOIN tblField f ON f.FieldID = v.FieldID AND f.Removed = 0 "
                                "JOIN tblMain m ON m.ItemID = v.ItemID"));
}

namespace {

// One item's value history as far as a past day tells: the last value up to the day, else the
// amount the first later change replaced.
struct PastValue {
    bool before = false; // a change up to the day was seen
    bool after = false;  // a later change was seen first
    double amount = 0;
    bool known = false;
};

std::string itemKey(QByteArrayView text) {
    // Item numbers compare without regard to case, as the item table compares them.
    std::string key(text.data(), std::size_t(text.size()));
    for (char &c : key)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return key;
}

} // namespace

std::shared_ptr<engine::Recordset> Store::valuesAsOf(const QDate &day) {
    // History times are local "yyyy-MM-dd HH:mm:ss": everything before the next day counts.
    // The history is read once in stored order (sorting or grouping it per item costs seconds
    // for a large collection) and each item's value worked out on the way.
    const QByteArray next = day.addDays(1).toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
    Session s(path_);
    std::unordered_map<std::string, PastValue> byItem;
    engine::Statement history(s.c, "SELECT ItemID, Changed < ?, OldAmount, NewAmount "
                                   "FROM tblValueHistory WHERE What = 'Value' ORDER BY HistID");
    history.bindText(1, QByteArrayView(next));
    while (history.step()) {
        PastValue &v = byItem[itemKey(history.bytes(0))];
        if (history.integer(1)) {
            v.before = true;
            v.known = !history.isNull(3);
            v.amount = history.real(3);
        } else if (!v.before && !v.after) {
            v.after = true;
            v.known = !history.isNull(2);
            v.amount = history.real(2);
        }
    }
    auto out = std::make_shared<engine::Recordset>();
    out->setColumns({QStringLiteral("ID"), QStringLiteral("Amount")});
    if (!byItem.empty()) {
        engine::Statement items(s.c, "SELECT ID, ItemID FROM tblMain");
        while (items.step()) {
            const auto it = byItem.find(itemKey(items.bytes(1)));
            if (it == byItem.end() || !it->second.known)
                continue;
            out->appendInteger(items.integer(0));
            out->appendReal(it->second.amount);
            out->endRow();
        }
    }
    out->finish();
    return out;
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

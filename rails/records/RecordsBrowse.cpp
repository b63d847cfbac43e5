// What Browse reads of the collector's records for all items at once: field values and the
// values of a past day. Each is one statement over every item, never one per item.
#include "rails/records/RecordsSession.h"

#include "platform/Error.h"

#include <QObject>
#include <sqlite3.h>
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

std::string itemKey(const unsigned char *text, int bytes) {
    // Item numbers compare without regard to case, as the item table compares them.
    std::string key(reinterpret_cast<const char *>(text), std::size_t(bytes));
    for (char &c : key)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return key;
}

// Steps through one statement, handing each row to `row`.
template <class F> void eachRow(sqlite3 *h, const char *sql, const QByteArray &bound, F row) {
    sqlite3_stmt *stmt = nullptr;
    int rc = sqlite3_prepare_v2(h, sql, -1, &stmt, nullptr);
    if (rc == SQLITE_OK && !bound.isNull())
        rc = sqlite3_bind_text(stmt, 1, bound.constData(), int(bound.size()), SQLITE_TRANSIENT);
    while (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        row(stmt);
        rc = SQLITE_OK;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw platform::Error(sqlite3_extended_errcode(h), QString::fromUtf8(sqlite3_errmsg(h)));
}

} // namespace

std::shared_ptr<engine::Recordset> Store::valuesAsOf(const QDate &day) {
    // History times are local "yyyy-MM-dd HH:mm:ss": everything before the next day counts.
    // The history is read once in stored order (sorting or grouping it per item costs seconds
    // for a large collection) and each item's value worked out on the way.
    const QByteArray next = day.addDays(1).toString(QStringLiteral("yyyy-MM-dd")).toUtf8();
    Session s(path_);
    sqlite3 *h = s.c.handle();
    std::unordered_map<std::string, PastValue> byItem;
    eachRow(h,
            "SELECT ItemID, Changed < ?, OldAmount, NewAmount FROM tblValueHistory "
            "WHERE What = 'Value' ORDER BY HistID",
            next, [&](sqlite3_stmt *row) {
                PastValue &v =
                    byItem[itemKey(sqlite3_column_text(row, 0), sqlite3_column_bytes(row, 0))];
                if (sqlite3_column_int(row, 1)) {
                    v.before = true;
                    v.known = sqlite3_column_type(row, 3) != SQLITE_NULL;
                    v.amount = sqlite3_column_double(row, 3);
                } else if (!v.before && !v.after) {
                    v.after = true;
                    v.known = sqlite3_column_type(row, 2) != SQLITE_NULL;
                    v.amount = sqlite3_column_double(row, 2);
                }
            });
    auto out = std::make_shared<engine::Recordset>();
    out->setColumns({QStringLiteral("ID"), QStringLiteral("Amount")});
    if (!byItem.empty())
        eachRow(h, "SELECT ID, ItemID FROM tblMain", QByteArray(), [&](sqlite3_stmt *row) {
            const auto it =
                byItem.find(itemKey(sqlite3_column_text(row, 1), sqlite3_column_bytes(row, 1)));
            if (it == byItem.end() || !it->second.known)
                return;
            out->appendInteger(sqlite3_column_int64(row, 0));
            out->appendReal(it->second.amount);
            out->endRow();
        });
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

#include "rails/exchange/FieldColumns.h"

#include "rails/exchange/ImportRules.h"

#include "platform/Error.h"

#include <QSet>
#include <algorithm>
#include <sqlite3.h>

namespace exchange {

namespace {

QList<OwnField> readFields(engine::Connection &c) {
    // A collection made before the collector's fields existed has none.
    if (c.Execute(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'tblField'"))->isEOF())
        return {};
    const auto rs = c.Execute(QStringLiteral(
        "SELECT FieldID, Name FROM tblField WHERE Removed = 0 ORDER BY Seq, FieldID"));
    QList<OwnField> out;
    for (; !rs->isEOF(); rs->MoveNext())
        out.append({rs->Fields(0).toLongLong(), rs->text(1)});
    return out;
}

// Where a value that no list holds is offered: the list's key, by the field's header.
QString listOf(const QString &header, ItemKind kind) {
    if (header == fieldHeader(fMaker))
        return QStringLiteral("Manufacturer");
    if (header == fieldHeader(fType))
        return kind == ItemKind::Car ? QStringLiteral("CarType") : QStringLiteral("LocoType");
    if (header == fieldHeader(fGauge))
        return QStringLiteral("Gauge");
    if (header == fieldHeader(fCurve))
        return QStringLiteral("Curve");
    if (header == fieldHeader(fCondition))
        return QStringLiteral("Condition");
    return {};
}

// More distinct new entries than this in one list are not a list's entries but a mistake.
constexpr qsizetype kMaxNewEntries = 1000;

} // namespace

QList<OwnField> ownFields(const QString &db) {
    engine::Connection c;
    detail::openConnection(c, db);
    QList<OwnField> out = readFields(c);
    c.Close();
    return out;
}

namespace detail {

ImportOptions withOwnFields(const ImportOptions &options, const QString &db) {
    ImportOptions o = options;
    if (o.ownFields.isEmpty() && !db.isEmpty())
        o.ownFields = ownFields(db);
    return o;
}

std::vector<qsizetype> exportOrder(const engine::Recordset &rs, const QList<qint64> &ids) {
    std::vector<qsizetype> order;
    const int idColumn = rs.fieldIndex(QStringLiteral("ID"));
    if (ids.isEmpty()) {
        order.resize(std::size_t(rs.RecordCount()));
        for (qsizetype r = 0; r < rs.RecordCount(); ++r)
            order[std::size_t(r)] = r;
        return order;
    }
    QHash<qint64, qsizetype> rowOf;
    rowOf.reserve(rs.RecordCount());
    for (qsizetype r = 0; r < rs.RecordCount(); ++r)
        rowOf.insert(rs.valueAt(r, idColumn).toLongLong(), r);
    order.reserve(std::size_t(ids.size()));
    for (const qint64 id : ids)
        if (const auto it = rowOf.constFind(id); it != rowOf.constEnd())
            order.push_back(*it);
    return order;
}

OwnFieldValues::OwnFieldValues(engine::Connection &c,
                               const std::optional<QList<qint64>> &fieldIds) {
    for (const OwnField &f : readFields(c))
        if (!fieldIds || fieldIds->contains(f.id))
            fields_.append(f);
    if (fields_.isEmpty())
        return;
    const auto rs = c.Execute(QStringLiteral("SELECT ItemID, FieldID, Value FROM tblFieldValue"));
    for (; !rs->isEOF(); rs->MoveNext()) {
        const qint64 id = rs->Fields(1).toLongLong();
        const auto at = std::find_if(fields_.begin(), fields_.end(),
                                     [&](const OwnField &f) { return f.id == id; });
        if (at == fields_.end())
            continue;
        QStringList &values = byItem_[rs->text(0).toUpper()];
        if (values.isEmpty())
            values = QStringList(fields_.size());
        values[at - fields_.begin()] = guardFormula(rs->text(2));
    }
}

QStringList OwnFieldValues::headers() const {
    QStringList out;
    for (const OwnField &f : fields_)
        out.append(f.name);
    return out;
}

void OwnFieldValues::append(QStringList &line, const QString &itemId) const {
    if (fields_.isEmpty())
        return;
    const auto it = byItem_.constFind(itemId.toUpper());
    line += it == byItem_.constEnd() ? QStringList(fields_.size()) : *it;
}

void readOwnValues(const RowRules &rules, const QStringList &cells, ImportRow &row) {
    row.ownValues.clear();
    const Mapping &m = *rules.options.mapping;
    for (int i = 0; i < m.size(); ++i)
        if (m[i].target >= kOwnFieldBase && !m[i].conflict)
            row.ownValues.append(
                {qint64(m[i].target - kOwnFieldBase), unguardFormula(cells.value(i)).trimmed()});
}

void noteNewChoices(ImportPlan &plan, const ImportRow &row) {
    if (row.status != RowStatus::Ready && row.status != RowStatus::Incomplete &&
        row.status != RowStatus::Update)
        return;
    static const QList<std::pair<Field, TextAt>> kListed{{fMaker, tMaker},
                                                         {fType, tType},
                                                         {fGauge, tGauge},
                                                         {fCurve, tCurve},
                                                         {fCondition, tCondition}};
    for (const auto &[field, at] : kListed) {
        if (!row.newChoices.contains(fieldHeader(field)))
            continue;
        QStringList &entries = plan.newChoiceEntries[listOf(fieldHeader(field), row.kind)];
        const QString value = row.text.value(at);
        if (entries.size() < kMaxNewEntries && !entries.contains(value, Qt::CaseInsensitive))
            entries.append(value);
    }
}

OwnValueWriter::OwnValueWriter(engine::Connection &c) : c_(c) {}

OwnValueWriter::~OwnValueWriter() {
    sqlite3_finalize(set_);
    sqlite3_finalize(clear_);
}

void OwnValueWriter::run(sqlite3_stmt *stmt, const QString &itemId, qint64 fieldId,
                         const QString *value) {
    const QByteArray id = itemId.toUtf8();
    const QByteArray text = value ? value->toUtf8() : QByteArray();
    sqlite3_bind_text64(stmt, 1, id.constData(), sqlite3_uint64(id.size()), SQLITE_TRANSIENT,
                        SQLITE_UTF8);
    sqlite3_bind_int64(stmt, 2, fieldId);
    if (value)
        sqlite3_bind_text64(stmt, 3, text.constData(), sqlite3_uint64(text.size()),
                            SQLITE_TRANSIENT, SQLITE_UTF8);
    const int rc = sqlite3_step(stmt);
    sqlite3_reset(stmt);
    if (rc != SQLITE_DONE)
        throw platform::Error(sqlite3_extended_errcode(c_.handle()),
                              QString::fromUtf8(sqlite3_errmsg(c_.handle())));
}

void OwnValueWriter::write(const QString &itemId, const ImportRow &row) {
    if (row.ownValues.isEmpty())
        return;
    // Prepared at the first value, so that a sheet without such columns needs no field table.
    const auto prepare = [&](const char *sql, sqlite3_stmt **stmt) {
        if (!*stmt && sqlite3_prepare_v2(c_.handle(), sql, -1, stmt, nullptr) != SQLITE_OK)
            throw platform::Error(sqlite3_extended_errcode(c_.handle()),
                                  QString::fromUtf8(sqlite3_errmsg(c_.handle())));
    };
    prepare("INSERT OR REPLACE INTO tblFieldValue (ItemID, FieldID, Value) VALUES (?, ?, ?)",
            &set_);
    prepare("DELETE FROM tblFieldValue WHERE ItemID = ? AND FieldID = ?", &clear_);
    for (const auto &[fieldId, value] : row.ownValues)
        run(value.isEmpty() ? clear_ : set_, itemId, fieldId, value.isEmpty() ? nullptr : &value);
}

} // namespace detail
} // namespace exchange

#include "rails/exchange/FieldColumns.h"

#include "rails/exchange/ImportRules.h"

#include "platform/Error.h"

#include "rails/engine/Statement.h"
#include <QSet>
#include <algorithm>

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

OwnValueWriter::~OwnValueWriter() = default;

void OwnValueWriter::write(const QString &itemId, const ImportRow &row) {
    if (row.ownValues.isEmpty())
        return;
    // Prepared at the first value, so that a sheet without such columns needs no field table.
    if (!set_) {
        set_ = std::make_unique<engine::Statement>(
            c_, "INSERT OR REPLACE INTO tblFieldValue (ItemID, FieldID, Value) VALUES (?, ?, ?)");
        clear_ = std::make_unique<engine::Statement>(
            c_, "DELETE FROM tblFieldValue WHERE ItemID = ? AND FieldID = ?");
    }
    for (const auto &[fieldId, value] : row.ownValues) {
        engine::Statement &st = value.isEmpty() ? *clear_ : *set_;
        st.reset();
        st.bindText(1, QStringView(itemId));
        st.bindInt(2, fieldId);
        if (!value.isEmpty())
            st.bindText(3, QStringView(value));
        st.run();
    }
}

} // namespace detail
} // namespace exchange

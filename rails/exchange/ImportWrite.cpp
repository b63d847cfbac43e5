// Writing a checked sheet: rows already in the collection are skipped or update their item,
// the others are added, numbered as the add forms number new items, all in one transaction.
#include "rails/exchange/FieldColumns.h"
#include "rails/exchange/ImportRules.h"

#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/LocaleText.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace exchange {

using platform::Error;

namespace detail {

namespace {

const char *const kItemColumns =
    "SELECT ItemID, Manufacturer, RailLine, CarType, CarNumber, SetNumber, Gauge, Curve, "
    "CarColor, Color, AccquiredFrom, OriginalCost, CurrentValue, DateAccquired, FullSet, Car, "
    "Loco, Condition, Box, Notes FROM tblMain WHERE Car = 'YES' OR Loco = 'YES' OR FullSet = "
    "'YES'";

std::optional<double> amountOf(const QVariant &v) {
    return v.isNull() || v.toString().isEmpty() ? std::nullopt
                                                : std::optional<double>(v.toDouble());
}

constexpr std::array<std::pair<Field, TextAt>, 11> kTexts{{{fMaker, tMaker},
                                                           {fLine, tLine},
                                                           {fType, tType},
                                                           {fNumber, tNumber},
                                                           {fGauge, tGauge},
                                                           {fCurve, tCurve},
                                                           {fColor, tColor},
                                                           {fFrom, tFrom},
                                                           {fCondition, tCondition},
                                                           {fBox, tBox},
                                                           {fNotes, tNotes}}};

// The columns an update writes for each field the file fills.
const char *columnOf(Field f, ItemKind kind) {
    switch (f) {
    case fMaker:
        return "Manufacturer";
    case fLine:
        return "RailLine";
    case fType:
        return "CarType";
    case fNumber:
        return kind == ItemKind::Set ? "SetNumber" : "CarNumber";
    case fGauge:
        return "Gauge";
    case fCurve:
        return "Curve";
    case fColor:
        return "CarColor";
    case fFrom:
        return "AccquiredFrom";
    case fCondition:
        return "Condition";
    case fBox:
        return "Box";
    case fNotes:
        return "Notes";
    case fCost:
        return "OriginalCost";
    case fValue:
        return "CurrentValue";
    case fDate:
        return "DateAccquired";
    default:
        return nullptr;
    }
}

QVariant amountValue(const std::optional<double> &a) {
    return a ? QVariant(*a) : QVariant();
}

QVariant dateValue(const QDate &d) {
    return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
}

} // namespace

ExistingItems::ExistingItems(engine::Connection &c, const RowRules &rules) {
    for (int f = 0; f < kFieldCount; ++f)
        compared_[f] = rules.at[f] >= 0 && f != fKind && f != fItemId;
    compared_[fNotes] = compared_[fNotes] || !rules.notesColumns.isEmpty();
    const auto rs = c.Execute(QLatin1String(kItemColumns));
    const auto col = [&](const char *n) { return rs->text(rs->fieldIndex(QLatin1String(n))); };
    for (rs->MoveFirst(); !rs->isEOF(); rs->MoveNext()) {
        ImportRow r;
        r.kind = col("FullSet") == QLatin1String("YES") ? ItemKind::Set
                 : col("Loco") == QLatin1String("YES")  ? ItemKind::Loco
                                                        : ItemKind::Car;
        const QString setNumber = col("SetNumber"), carNumber = col("CarNumber");
        const QString carColor = col("CarColor");
        r.text = {col("Manufacturer"),
                  col("RailLine"),
                  col("CarType"),
                  r.kind == ItemKind::Set && !setNumber.isEmpty() ? setNumber : carNumber,
                  col("Gauge"),
                  col("Curve"),
                  carColor.isEmpty() ? col("Color") : carColor,
                  col("AccquiredFrom"),
                  col("Condition"),
                  col("Box"),
                  col("Notes")};
        r.cost = amountOf(rs->Fields(QStringLiteral("OriginalCost")));
        r.value = amountOf(rs->Fields(QStringLiteral("CurrentValue")));
        r.acquired = QDate::fromString(col("DateAccquired").left(10), Qt::ISODate);
        add(r, col("ItemID"));
    }
}

QByteArray ExistingItems::key(const ImportRow &row) const {
    // Text is compared without regard to case, as the collection's columns compare it.
    QString k = QString::number(int(row.kind));
    for (const auto &[f, t] : kTexts)
        if (compared_[f])
            k += QChar(0x1f) + row.text.value(t).trimmed().toLower();
    const auto amount = [](const std::optional<double> &a) {
        return a ? QString::number(*a, 'f', 2) : QString();
    };
    if (compared_[fCost])
        k += QChar(0x1f) + amount(row.cost);
    if (compared_[fValue])
        k += QChar(0x1f) + amount(row.value);
    if (compared_[fDate])
        k += QChar(0x1f) + row.acquired.toString(Qt::ISODate);
    return QCryptographicHash::hash(k.toUtf8(), QCryptographicHash::Sha1);
}

void ExistingItems::add(const ImportRow &row, const QString &itemId) {
    keys_.insert(key(row));
    if (!itemId.isEmpty())
        byId_.insert(itemId.toUpper(), row);
}

bool ExistingItems::isDuplicate(const ImportRow &row) const {
    return !keys_.isEmpty() && keys_.contains(key(row));
}

std::optional<QStringList> ExistingItems::changesTo(const ImportRow &row) const {
    if (row.itemId.isEmpty())
        return std::nullopt;
    const auto it = byId_.constFind(row.itemId);
    if (it == byId_.constEnd() || it->kind != row.kind)
        return std::nullopt;
    QStringList changed;
    for (const auto &[f, t] : kTexts)
        if (compared_[f] && it->text.value(t).trimmed() != row.text.value(t).trimmed())
            changed.append(fieldHeader(f));
    if (compared_[fCost] && it->cost != row.cost)
        changed.append(fieldHeader(fCost));
    if (compared_[fValue] && it->value != row.value)
        changed.append(fieldHeader(fValue));
    if (compared_[fDate] && it->acquired != row.acquired)
        changed.append(fieldHeader(fDate));
    return changed;
}

RowStatus classify(const ExistingItems &existing, ImportRow &row, const ImportOptions &o) {
    if (row.status == RowStatus::Refused)
        return row.status;
    if (const auto changes = existing.changesTo(row); changes && !o.addExisting) {
        row.changed = *changes;
        row.status = row.changed.isEmpty() ? RowStatus::Duplicate : RowStatus::Update;
    } else if (!o.addDuplicates && existing.isDuplicate(row)) {
        row.status = RowStatus::Duplicate;
    }
    return row.status;
}

namespace {

void updateItem(engine::Connection &c, const ImportRow &row, const ExistingItems &existing) {
    QStringList sets;
    QVariantList values;
    for (const auto &[f, t] : kTexts)
        if (existing.compares(f)) {
            sets.append(QLatin1String(columnOf(f, row.kind)) + QStringLiteral(" = ?"));
            values.append(row.text.value(t));
        }
    const std::array<std::pair<Field, QVariant>, 3> others{{{fCost, amountValue(row.cost)},
                                                            {fValue, amountValue(row.value)},
                                                            {fDate, dateValue(row.acquired)}}};
    for (const auto &[f, v] : others)
        if (existing.compares(f)) {
            sets.append(QLatin1String(columnOf(f, row.kind)) + QStringLiteral(" = ?"));
            values.append(v);
        }
    if (sets.isEmpty())
        return;
    values.append(row.itemId);
    c.Execute(QStringLiteral("UPDATE tblMain SET %1 WHERE ItemID = ?").arg(sets.join(u", ")),
              values);
}

// Adds rows with one statement prepared once: preparing it per row costs most of a large
// import.
class Inserter {
  public:
    explicit Inserter(engine::Connection &c)
        : c_(c), stmt_(c, "INSERT INTO tblMain (ID,ItemID,Manufacturer,RailLine,CarType,CarNumber,"
                          "SetNumber,Gauge,Curve,CarColor,AccquiredFrom,OriginalCost,CurrentValue,"
                          "DateAccquired,DateAdd,FullSet,Car,Loco,Track,Accessory,Condition,Box,"
                          "Notes) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)") {
        const auto rs = c.Execute(QStringLiteral(
            "SELECT MAX(IFNULL((SELECT MAX(ID) FROM tblMain), 0), IFNULL((SELECT seq FROM "
            "sqlite_sequence WHERE name = 'tblMain'), 0)) AS Used, (SELECT MAX(ID) FROM tblMain) "
            "AS Newest"));
        rs->MoveFirst();
        used_ = rs->Fields(QStringLiteral("Used")).toLongLong();
        next_ = rs->Fields(QStringLiteral("Newest")).toLongLong() + 1;
    }

    QString add(const ImportRow &r, ExistingItems &existing, const QString &added) {
        const QLatin1String prefix(kindRow(r.kind).prefix);
        // A free item number is kept (a collection exported and read into an empty file keeps
        // its numbers) when its row number was never used, so no add form can repeat it.
        const qint64 named = r.itemId.mid(prefix.size()).toLongLong();
        const bool keep = !r.itemId.isEmpty() && named > used_ && !existing.exists(r.itemId);
        if (keep)
            stmt_.bindInt(1, named);
        else
            stmt_.bindNull(1);
        const QString itemId = keep ? r.itemId : prefix + QString::number(next_);
        const bool isSet = r.kind == ItemKind::Set;
        text(2, itemId);
        for (int i = 0; i < 3; ++i)
            text(3 + i, r.text[i]);
        stmt_.bindNull(isSet ? 6 : 7);
        text(isSet ? 7 : 6, r.text[tNumber]);
        for (int i = 0; i < 4; ++i)
            text(8 + i, r.text[tGauge + i]);
        amount(12, r.cost);
        amount(13, r.value);
        if (r.acquired.isValid())
            text(14, r.acquired.toString(Qt::ISODate));
        else
            stmt_.bindNull(14);
        text(15, added);
        const auto flag = [](bool b) { return b ? QStringLiteral("YES") : QStringLiteral("NO"); };
        text(16, flag(isSet));
        text(17, flag(r.kind == ItemKind::Car));
        text(18, flag(r.kind == ItemKind::Loco));
        text(19, flag(false));
        text(20, flag(false));
        text(21, r.text[tCondition]);
        text(22, r.text[tBox]);
        text(23, r.text[tNotes]);
        stmt_.run();
        stmt_.reset();
        const qint64 id = c_.lastInsertRowId();
        used_ = std::max(used_, id);
        // The next item is numbered after this row's ID, as the next add form would.
        next_ = std::max(next_, id + 1);
        existing.claim(itemId);
        return itemId;
    }

  private:
    void text(int i, const QString &v) { stmt_.bindText(i, QStringView(v)); }
    void amount(int i, const std::optional<double> &a) {
        if (a)
            stmt_.bindDouble(i, *a);
        else
            stmt_.bindNull(i);
    }
    engine::Connection &c_;
    engine::Statement stmt_;
    qint64 used_ = 0, next_ = 1;
};

} // namespace

} // namespace detail

qint64 importItems(const QString &db, const ImportPlan &plan, const Progress &progress) {
    const QFileInfo now(plan.file);
    if (now.size() != plan.fileSize || now.lastModified() != plan.fileModified)
        throw Error(platform::ErrPathFileAccess,
                    QStringLiteral("%1 changed after it was read; read it again before "
                                   "importing. Nothing was imported.")
                        .arg(plan.file));
    CsvReader reader(plan.file);
    reader.setDelimiter(plan.options.delimiter.value_or(QLatin1Char(',')));
    const detail::RowRules rules = detail::settleRules(reader, plan.options);
    engine::Connection c;
    detail::openConnection(c, db);
    try {
        c.BeginTrans();
        detail::ExistingItems existing(c, rules);
        std::optional<detail::Inserter> insert(std::in_place, c);
        detail::OwnValueWriter own(c);
        const QString added = platform::sqlTimestamp(platform::now());
        reader.rewind();
        CsvRecord rec;
        reader.next(rec);
        qint64 done = 0, rows = 0;
        while (reader.next(rec)) {
            ImportProblem problem;
            ImportRow row = detail::checkRecord(rules, rec, problem);
            const RowStatus s = detail::classify(existing, row, plan.options);
            if (s == RowStatus::Update) {
                detail::updateItem(c, row, existing);
                own.write(row.itemId, row);
                ++done;
            } else if (s == RowStatus::Ready || s == RowStatus::Incomplete) {
                own.write(insert->add(row, existing, added), row);
                ++done;
            }
            if (++rows % 500 == 0 && progress && !progress(rows, plan.rows))
                throw Error(ErrUserInterrupt,
                            QStringLiteral("The import was cancelled; nothing was written."));
        }
        insert.reset();
        c.CommitTrans();
        c.Close();
        if (progress)
            progress(plan.rows, plan.rows);
        return done;
    } catch (...) {
        if (c.State() == engine::Connection::adStateOpen)
            c.Close(); // rolls back
        throw;
    }
}

} // namespace exchange

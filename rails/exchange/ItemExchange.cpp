#include "rails/exchange/ItemExchange.h"
#include "rails/exchange/SafeTarget.h"
#include "rails/BlankTrim.h"

#include "rails/engine/Connection.h"
#include "rails/exchange/Csv.h"

#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/LocaleText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSaveFile>
#include <array>
#include <cmath>
#include <sqlite3.h>

namespace exchange {

namespace {

using platform::Error;

// The columns of an exchange file, in the order export writes them.
enum Field {
    fKind,
    fItemId,
    fMaker,
    fLine,
    fType,
    fNumber,
    fGauge,
    fCurve,
    fColor,
    fFrom,
    fCost,
    fValue,
    fDate,
    fCondition,
    fBox,
    fNotes,
    kFieldCount
};

enum class Need { No, Always, LocoAndSet };

// What the add forms ask of each field: the required ones, the amounts, the date, and the
// lengths their text boxes take (drop-down fields take any text of up to 50 characters,
// since other makers and gauges exist; the store's edit statement cannot take a single quote
// in them). The forms keep these rules in their widgets; this table is the same rules for
// rows that never pass through a form.
struct Rule {
    Field field;
    const char *header;
    const char *aliases; // compared without case, blanks and punctuation
    Need need;
    int limit; // 0: no limit
    bool dropDown;
    int textIndex; // index in ImportRow::text, -1 for others
};

const std::array<Rule, kFieldCount> kRules{{
    {fKind, "Kind", "kind|itemkind|category", Need::No, 0, false, -1},
    {fItemId, "Item ID", "itemid|id|itemnumber", Need::No, 0, false, -1},
    {fMaker, "Manufacturer", "manufacturer|maker|make|brand", Need::Always, 50, true, 0},
    {fLine, "Rail Line", "railline|roadname|railroad|road|railway|line", Need::Always, 35, false,
     1},
    {fType, "Type", "type|cartype|locomotivetype|locotype|settype", Need::Always, 50, true, 2},
    {fNumber, "Number", "number|carnumber|setnumber|roadnumber|locomotivenumber|loconumber",
     Need::Always, 15, false, 3},
    {fGauge, "Gauge", "gauge|scale|gaugescale", Need::Always, 50, true, 4},
    {fCurve, "Minimum Curve", "minimumcurve|curve|mincurve", Need::Always, 50, true, 5},
    {fColor, "Color", "color|colour|carcolor|lococolor", Need::Always, 35, false, 6},
    {fFrom, "Acquired From", "acquiredfrom|accquiredfrom|from|seller|source|boughtfrom|vendor",
     Need::Always, 35, false, 7},
    {fCost, "Original Cost", "originalcost|price|cost|paid|purchaseprice", Need::No, 0, false, -1},
    {fValue, "Current Value", "currentvalue|value|worth", Need::No, 0, false, -1},
    {fDate, "Date Acquired", "dateacquired|dateaccquired|date|purchasedate|acquired|accquired",
     Need::Always, 0, false, -1},
    {fCondition, "Condition", "condition", Need::LocoAndSet, 50, true, 8},
    {fBox, "Box Included", "boxincluded|box|boxed|originalbox", Need::LocoAndSet, 0, false, 9},
    {fNotes, "Notes", "notes|note|comments|comment|description|remarks", Need::No, 0, false, 10},
}};

// The largest amount the forms' ten-character amount boxes hold.
constexpr double kMaxAmount = 9999999.99;

QString folded(const QString &name) {
    QString out;
    for (const QChar c : name)
        if (c.isLetterOrNumber())
            out += c.toLower();
    return out;
}

const QHash<QString, Field> &aliasTable() {
    static const QHash<QString, Field> table = [] {
        QHash<QString, Field> t;
        for (const Rule &r : kRules)
            for (const QString &a : QString::fromLatin1(r.aliases).split(QLatin1Char('|')))
                t.insert(a, r.field);
        return t;
    }();
    return table;
}

int knownColumns(const QStringList &header) {
    int n = 0;
    for (const QString &h : header)
        n += aliasTable().contains(folded(h));
    return n;
}

struct KindRow {
    ItemKind kind;
    const char *name;
    const char *flag;   // the kind's flag column
    const char *prefix; // item number prefix of its add form (none: no add form)
    const char *numberColumn;
    const char *aliases;
};

const std::array<KindRow, 5> kKinds{{
    {ItemKind::Car, "Rolling Stock", "Car", "CL-", "CarNumber", "rollingstock|car|cars"},
    {ItemKind::Loco, "Locomotive", "Loco", "LL-", "CarNumber",
     "locomotive|locomotives|loco|locos|engine"},
    {ItemKind::Set, "Full Set", "FullSet", "SL-", "SetNumber", "fullset|fullsets|set|sets"},
    {ItemKind::Track, "Track", "Track", nullptr, "CarNumber", "track"},
    {ItemKind::Accessory, "Accessory", "Accessory", nullptr, "CarNumber", "accessory|accessories"},
}};

const KindRow &kindRow(ItemKind k) {
    return kKinds[std::size_t(k)];
}

QString amountText(const QVariant &v) {
    return v.isNull() ? QString() : QString::number(v.toDouble(), 'f', 2);
}

std::optional<double> parseAmount(QString t, QChar delimiter) {
    t = t.trimmed();
    while (!t.isEmpty() &&
           (t[0] == QLatin1Char('$') || t[0] == QChar(0x20AC) || t[0] == QChar(0xA3)))
        t = t.mid(1).trimmed();
    if (t.isEmpty())
        return 0.0;
    bool ok = false;
    double v = 0;
    // A semicolon file comes from a spreadsheet that writes 12,50 for twelve and a half.
    static const QLocale european(QLocale::German);
    if (delimiter != QLatin1Char(','))
        v = european.toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok && platform::isNumeric(t)) {
        v = platform::toNumber(t);
        ok = true;
    }
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return std::round(v * 100.0) / 100.0;
}

QDate parseDate(const QString &raw) {
    const QString t = raw.trimmed();
    for (const char *f : {"yyyy-MM-dd", "yyyy/MM/dd"}) {
        const QDate d = QDate::fromString(t.left(10), QLatin1String(f));
        if (d.isValid())
            return d;
    }
    QDate d = platform::parseShortDate(t);
    if (d.isValid())
        return d;
    for (const char *f : {"M/d/yyyy", "d.M.yyyy", "d-MMM-yyyy", "d MMM yyyy", "MMM d, yyyy"}) {
        d = QLocale::c().toDate(t, QLatin1String(f));
        if (d.isValid())
            return d;
    }
    return {};
}

QString boxText(const QString &raw) {
    const QString t = folded(raw);
    if (t == u"yes" || t == u"y" || t == u"true" || t == u"1" || t == u"x")
        return QStringLiteral("YES");
    if (t == u"no" || t == u"n" || t == u"false" || t == u"0")
        return QStringLiteral("NO");
    return {};
}


QString kindChoices() {
    return QStringLiteral("Rolling Stock, Locomotive or Full Set");
}

// Checks one record; on success fills `row`, otherwise returns the reasons.
QStringList checkRecord(const CsvRecord &rec, const std::array<int, kFieldCount> &at, int columns,
                        std::optional<ItemKind> fallback, const QDate &today, QChar delimiter,
                        ImportRow &row) {
    QStringList why;
    if (rec.fields.size() != columns)
        return {QStringLiteral("it has %1 field(s) where the header has %2 (is another delimiter "
                               "used on this line?)")
                    .arg(rec.fields.size())
                    .arg(columns)};
    const auto cell = [&](Field f) { return at[f] < 0 ? QString() : rec.fields[at[f]]; };

    std::optional<ItemKind> kind = fallback;
    if (!cell(fKind).trimmed().isEmpty()) {
        kind = kindFromText(cell(fKind));
        if (!kind)
            return {QStringLiteral("the kind \"%1\" is not %2")
                        .arg(cell(fKind).trimmed(), kindChoices())};
    }
    if (!kind)
        return {QStringLiteral("the row names no kind (%1)").arg(kindChoices())};
    if (!kindRow(*kind).prefix)
        return {QStringLiteral("%1 items cannot be imported; only %2")
                    .arg(kindName(*kind), kindChoices())};
    row.kind = *kind;
    row.line = rec.line;
    row.text = QStringList(11);

    for (const Rule &r : kRules) {
        const QLatin1String caption(r.header); // made into text only for a problem
        QString v = cell(r.field);
        v = r.field == fNotes ? trimBlanks(v.replace(QStringLiteral("\r\n"), QStringLiteral("\n")))
                              : v.trimmed();
        const bool needed =
            r.need == Need::Always || (r.need == Need::LocoAndSet && *kind != ItemKind::Car);
        if (needed && v.isEmpty()) {
            why.append(QStringLiteral("%1 is missing").arg(caption));
            continue;
        }
        if (r.field == fCost || r.field == fValue) {
            const auto a = parseAmount(v, delimiter);
            if (!a)
                why.append(QStringLiteral("%1 \"%2\" is not an amount").arg(caption, v));
            else if (std::fabs(*a) > kMaxAmount)
                why.append(QStringLiteral("%1 %2 is larger than the form takes").arg(caption, v));
            else
                (r.field == fCost ? row.cost : row.value) = *a;
        } else if (r.field == fDate) {
            row.acquired = parseDate(v);
            if (!row.acquired.isValid())
                why.append(QStringLiteral("%1 \"%2\" is not a date").arg(caption, v));
            else if (row.acquired > today)
                why.append(QStringLiteral("%1 %2 is later than the current date")
                               .arg(caption, row.acquired.toString(Qt::ISODate)));
        } else if (r.field == fBox) {
            const QString b = v.isEmpty() ? QStringLiteral("NO") : boxText(v);
            if (b.isEmpty())
                why.append(QStringLiteral("%1 \"%2\" is neither Yes nor No").arg(caption, v));
            row.text[r.textIndex] = b;
        } else if (r.textIndex >= 0) {
            if (r.limit && v.size() > r.limit)
                why.append(
                    QStringLiteral("%1 is longer than %2 characters").arg(caption).arg(r.limit));
            if (r.field != fNotes &&
                (v.contains(QLatin1Char('\n')) || v.contains(QLatin1Char('\r'))))
                why.append(QStringLiteral("%1 holds a line break").arg(caption));
            if (r.dropDown && v.contains(QLatin1Char('\'')))
                why.append(QStringLiteral("%1 holds a single quote").arg(caption));
            row.text[r.textIndex] = v;
        }
    }
    return why;
}

engine::Connection &openConnection(engine::Connection &c, const QString &db) {
    if (db.contains(QLatin1Char(';')))
        throw Error(
            platform::ErrPathFileAccess,
            QStringLiteral("The collection's path may not contain a semicolon: %1").arg(db));
    c.ConnectionString = QStringLiteral("Provider=SQLite;Data Source=%1;").arg(db);
    c.Open();
    return c;
}

} // namespace

std::optional<ItemKind> kindFromText(const QString &text) {
    const QString t = folded(text);
    for (const KindRow &k : kKinds)
        if (QString::fromLatin1(k.aliases).split(QLatin1Char('|')).contains(t))
            return k.kind;
    return std::nullopt;
}

QString kindName(ItemKind kind) {
    return QLatin1String(kindRow(kind).name);
}

qint64 exportItems(const QString &db, const QString &file, std::optional<ItemKind> kind,
                   const Progress &progress) {
    refuseCollectionTarget(db, file);
    engine::Connection c;
    openConnection(c, db);
    QString sql = QStringLiteral(
        "SELECT ItemID, Manufacturer, RailLine, CarType, CarNumber, SetNumber, Gauge, Curve, "
        "CarColor, Color, AccquiredFrom, OriginalCost, CurrentValue, DateAccquired, FullSet, Car, "
        "Loco, Track, Accessory, Condition, Box, Notes FROM tblMain");
    QVariantList values;
    if (kind) {
        sql += QStringLiteral(" WHERE %1 = ?").arg(QLatin1String(kindRow(*kind).flag));
        values.append(QStringLiteral("YES"));
    }
    sql += QStringLiteral(" ORDER BY ID");
    const auto rs = c.Execute(sql, values);
    c.Close();

    QSaveFile out(file);
    const auto cannotWrite = [&] {
        return Error(platform::ErrPathFileAccess,
                     QStringLiteral("Cannot write %1: %2")
                         .arg(QDir::toNativeSeparators(file), platform::writeFailureReason(out)));
    };
    if (!out.open(QIODevice::WriteOnly))
        throw cannotWrite();
    QStringList header;
    for (const Rule &r : kRules)
        header.append(QLatin1String(r.header));
    QString chunk = QChar(0xFEFF) + csvLine(header);
    const qint64 total = rs->RecordCount();
    qint64 done = 0;
    const auto flush = [&] {
        const QByteArray bytes = chunk.toUtf8();
        if (out.write(bytes) != bytes.size())
            throw cannotWrite();
        chunk.clear();
    };
    const auto col = [&](const char *name) {
        return rs->text(rs->fieldIndex(QLatin1String(name)));
    };
    QStringList fields(kFieldCount);
    for (rs->MoveFirst(); !rs->isEOF(); rs->MoveNext()) {
        QString kindText;
        bool isSet = false;
        for (const KindRow &k : kKinds)
            if (kindText.isEmpty() &&
                col(k.flag).compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0) {
                kindText = QLatin1String(k.name);
                isSet = k.kind == ItemKind::Set;
            }
        const QString carNumber = col("CarNumber"), setNumber = col("SetNumber");
        const QString carColor = col("CarColor");
        fields[fKind] = kindText;
        fields[fItemId] = col("ItemID");
        fields[fMaker] = col("Manufacturer");
        fields[fLine] = col("RailLine");
        fields[fType] = col("CarType");
        fields[fNumber] = isSet || carNumber.isEmpty()
                              ? (setNumber.isEmpty() ? carNumber : setNumber)
                              : carNumber;
        fields[fGauge] = col("Gauge");
        fields[fCurve] = col("Curve");
        fields[fColor] = carColor.isEmpty() ? col("Color") : carColor;
        fields[fFrom] = col("AccquiredFrom");
        fields[fCost] = amountText(rs->Fields(QStringLiteral("OriginalCost")));
        fields[fValue] = amountText(rs->Fields(QStringLiteral("CurrentValue")));
        const QString date = col("DateAccquired");
        const QDate d = QDate::fromString(date.left(10), Qt::ISODate);
        fields[fDate] = d.isValid() ? d.toString(Qt::ISODate) : date;
        fields[fCondition] = col("Condition");
        fields[fBox] = col("Box");
        fields[fNotes] = col("Notes");
        chunk += csvLine(fields);
        if (++done % 1000 == 0) {
            flush();
            if (progress && !progress(done, total)) {
                out.cancelWriting();
                throw Error(ErrUserInterrupt, QStringLiteral("The export was cancelled."));
            }
        }
    }
    flush();
    if (!out.commit())
        throw cannotWrite();
    if (progress)
        progress(total, total);
    return done;
}

ImportPlan planImport(const QString &file, std::optional<ItemKind> kind, const QDate &today) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        throw Error(platform::ErrFileNotFound,
                    QStringLiteral("Cannot read %1: %2")
                        .arg(QDir::toNativeSeparators(file), in.errorString()));
    const CsvTable table = readCsv(in.readAll(), knownColumns);

    ImportPlan plan;
    plan.encoding = table.encoding;
    plan.delimiter = table.delimiter;
    std::array<int, kFieldCount> at;
    at.fill(-1);
    const QStringList &header = table.header.fields;
    for (int i = 0; i < header.size(); ++i) {
        const auto it = aliasTable().find(folded(header[i]));
        if (it == aliasTable().end() || at[*it] >= 0) {
            plan.ignoredColumns.append(header[i]);
            continue;
        }
        at[*it] = i;
        plan.columns.append(QLatin1String(kRules[*it].header));
    }
    if (at[fKind] < 0 && !kind)
        throw Error(platform::ErrPathFileAccess,
                    QStringLiteral("The file has no Kind column: choose the kind of item for the "
                                   "whole file."));
    for (const CsvRecord &rec : table.rows) {
        ImportRow row;
        const QStringList why =
            checkRecord(rec, at, int(header.size()), kind, today, table.delimiter, row);
        if (why.isEmpty())
            plan.ready.append(std::move(row));
        else
            plan.problems.append({rec.line, why.join(QStringLiteral("; "))});
    }
    return plan;
}

qint64 importItems(const QString &db, const ImportPlan &plan, const Progress &progress) {
    engine::Connection c;
    openConnection(c, db);
    sqlite3_stmt *insert = nullptr;
    try {
        c.BeginTrans();
        const auto rs = c.Execute(QStringLiteral("SELECT MAX(ID) AS NewItemID FROM tblMain"));
        rs->MoveFirst();
        const QVariant newest = rs->Fields(QStringLiteral("NewItemID"));
        qint64 number = newest.isNull() || newest.toLongLong() == 0 ? 1 : newest.toLongLong() + 1;

        // One statement prepared once and run for every row: preparing it again per row costs
        // most of a large import. The engine runs single statements only, so this one goes
        // through its handle, with every value bound.
        const char *sql =
            "INSERT INTO tblMain (ItemID,Manufacturer,RailLine,CarType,CarNumber,SetNumber,Gauge,"
            "Curve,CarColor,AccquiredFrom,OriginalCost,CurrentValue,DateAccquired,DateAdd,FullSet,"
            "Car,Loco,Track,Accessory,Condition,Box,Notes) VALUES "
            "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
        sqlite3 *h = c.handle();
        const auto check = [h](int rc) {
            if (rc != SQLITE_OK && rc != SQLITE_DONE)
                throw Error(sqlite3_extended_errcode(h), QString::fromUtf8(sqlite3_errmsg(h)));
        };
        check(sqlite3_prepare_v2(h, sql, -1, &insert, nullptr));
        const auto text = [&](int i, const QString &v) {
            const QByteArray b = v.toUtf8();
            check(sqlite3_bind_text64(insert, i, b.constData(), sqlite3_uint64(b.size()),
                                      SQLITE_TRANSIENT, SQLITE_UTF8));
        };
        const QString added = platform::sqlTimestamp(platform::now());
        const QString no = QStringLiteral("NO"), yes = QStringLiteral("YES");
        const qint64 total = plan.ready.size();
        qint64 done = 0;
        for (const ImportRow &r : plan.ready) {
            const bool isSet = r.kind == ItemKind::Set;
            text(1, QLatin1String(kindRow(r.kind).prefix) + QString::number(number));
            text(2, r.text[0]);
            text(3, r.text[1]);
            text(4, r.text[2]);
            // The number goes where the kind's add statement writes it; the other stays Null.
            check(sqlite3_bind_null(insert, isSet ? 5 : 6));
            text(isSet ? 6 : 5, r.text[3]);
            for (int i = 0; i < 4; ++i)
                text(7 + i, r.text[4 + i]);
            check(sqlite3_bind_double(insert, 11, r.cost));
            check(sqlite3_bind_double(insert, 12, r.value));
            text(13, r.acquired.toString(Qt::ISODate));
            text(14, added);
            text(15, isSet ? yes : no);
            text(16, r.kind == ItemKind::Car ? yes : no);
            text(17, r.kind == ItemKind::Loco ? yes : no);
            text(18, no);
            text(19, no);
            text(20, r.text[8]);
            text(21, r.text[9]);
            text(22, r.text[10]);
            check(sqlite3_step(insert));
            check(sqlite3_reset(insert));
            // The next item is numbered after this row's ID, as the next add form would.
            number = sqlite3_last_insert_rowid(h) + 1;
            if (++done % 500 == 0 && progress && !progress(done, total))
                throw Error(ErrUserInterrupt,
                            QStringLiteral("The import was cancelled; nothing was written."));
        }
        sqlite3_finalize(insert);
        insert = nullptr;
        c.CommitTrans();
        c.Close();
        if (progress)
            progress(total, total);
        return done;
    } catch (...) {
        sqlite3_finalize(insert);
        if (c.State() == engine::Connection::adStateOpen)
            c.Close(); // rolls back
        throw;
    }
}

} // namespace exchange

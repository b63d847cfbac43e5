#include "rails/exchange/ItemExchange.h"

#include "rails/exchange/ImportRules.h"

#include "platform/Error.h"
#include "platform/LocaleText.h"

#include <QDir>
#include <QSaveFile>
#include <array>

namespace exchange {

namespace detail {

namespace {

const std::array<KindRow, 5> kKinds{{
    {ItemKind::Car, "Rolling Stock", "Car", "CL-", "CarNumber"},
    {ItemKind::Loco, "Locomotive", "Loco", "LL-", "CarNumber"},
    {ItemKind::Set, "Full Set", "FullSet", "SL-", "SetNumber"},
    {ItemKind::Track, "Track", "Track", nullptr, "CarNumber"},
    {ItemKind::Accessory, "Accessory", "Accessory", nullptr, "CarNumber"},
}};

// The words collectors use for each kind, folded.
const std::array<const char *, 5> kKindWords{
    "rollingstock|car|cars|wagon|wagons|coach|coaches|freightcar|freightcars|passengercar|"
    "passengercars|caboose|wagen|guterwagen|personenwagen",
    "locomotive|locomotives|loco|locos|engine|engines|lok|loks|lokomotive|lokomotiven",
    "fullset|fullsets|set|sets|trainset|trainsets|startset|startersets|starterset|zugpackung",
    "track|tracks|gleis", "accessory|accessories|zubehor"};

} // namespace

const KindRow &kindRow(ItemKind k) {
    return kKinds[std::size_t(k)];
}

engine::Connection &openConnection(engine::Connection &c, const QString &db) {
    if (db.contains(QLatin1Char(';')))
        throw platform::Error(
            platform::ErrPathFileAccess,
            QStringLiteral("The collection's path may not contain a semicolon: %1").arg(db));
    c.ConnectionString = QStringLiteral("Provider=SQLite;Data Source=%1;").arg(db);
    c.Open();
    return c;
}

} // namespace detail

using detail::KindRow;
using detail::kindRow;
using platform::Error;

namespace {

QString amountText(const QVariant &v) {
    return v.isNull() ? QString() : QString::number(v.toDouble(), 'f', 2);
}

} // namespace

std::optional<ItemKind> kindFromText(const QString &text) {
    const QString t = foldText(text);
    for (std::size_t k = 0; k < detail::kKinds.size(); ++k)
        if (QString::fromLatin1(detail::kKindWords[k]).split(QLatin1Char('|')).contains(t))
            return detail::kKinds[k].kind;
    return std::nullopt;
}

QString kindName(ItemKind kind) {
    return QLatin1String(kindRow(kind).name);
}

qint64 exportItems(const QString &db, const QString &file, std::optional<ItemKind> kind,
                   const Progress &progress) {
    engine::Connection c;
    detail::openConnection(c, db);
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
    for (int f = 0; f < kFieldCount; ++f)
        header.append(fieldHeader(f));
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
        for (const KindRow &k : detail::kKinds)
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
        for (const int f : {fMaker, fLine, fType, fNumber, fGauge, fCurve, fColor, fFrom,
                            fCondition, fBox, fNotes})
            fields[f] = guardFormula(fields[f]);
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

} // namespace exchange

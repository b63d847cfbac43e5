// Writing items to a CSV file, in the plain form scripts and re-import read or in the form a
// spreadsheet in the user's locale opens without a question.
#include "rails/exchange/FieldColumns.h"
#include "rails/exchange/ImportRules.h"
#include "rails/exchange/SafeTarget.h"

#include "platform/Error.h"

#include <QDir>
#include <QSaveFile>
#include <QSet>

namespace exchange {

using detail::kindRow;
using platform::Error;

namespace {

// How values are written: plain (ISO dates, a point before the cents, commas between fields)
// or as the locale writes them (its short date with the whole year, its decimal mark, and a
// semicolon between fields where the decimal mark is a comma).
struct Format {
    explicit Format(const ExportOptions &o)
        : plain(!o.locale), locale(o.locale.value_or(QLocale::c())) {
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        if (!plain && locale.decimalPoint() == QLatin1String(","))
            delimiter = QLatin1Char(';');
        QString f = locale.dateFormat(QLocale::ShortFormat);
        if (!f.contains(QLatin1String("yyyy")))
            f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        dateFormat = f;
    }
    QString amount(const QVariant &v) const {
        if (v.isNull() || v.toString().isEmpty())
            return {};
        return plain ? QString::number(v.toDouble(), 'f', 2)
                     : locale.toString(v.toDouble(), 'f', 2);
    }
    QString date(const QString &stored) const {
        const QDate d = QDate::fromString(stored.left(10), Qt::ISODate);
        if (!d.isValid())
            return stored;
        return plain ? d.toString(Qt::ISODate) : locale.toString(d, dateFormat);
    }
    bool plain;
    QLocale locale;
    QChar delimiter = QLatin1Char(',');
    QString dateFormat;
};

// One item's fields, in the order of the Field columns.
void itemFields(const engine::Recordset &rs, const Format &format, QStringList &fields) {
    const auto col = [&](const char *name) { return rs.text(rs.fieldIndex(QLatin1String(name))); };
    QString kindText;
    bool isSet = false;
    for (const detail::KindRow &k : detail::kinds())
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
    fields[fNumber] =
        isSet || carNumber.isEmpty() ? (setNumber.isEmpty() ? carNumber : setNumber) : carNumber;
    fields[fGauge] = col("Gauge");
    fields[fCurve] = col("Curve");
    fields[fColor] = carColor.isEmpty() ? col("Color") : carColor;
    fields[fFrom] = col("AccquiredFrom");
    fields[fCost] = format.amount(rs.Fields(QStringLiteral("OriginalCost")));
    fields[fValue] = format.amount(rs.Fields(QStringLiteral("CurrentValue")));
    fields[fDate] = format.date(col("DateAccquired"));
    fields[fCondition] = col("Condition");
    fields[fBox] = col("Box");
    fields[fNotes] = col("Notes");
    for (const int f :
         {fMaker, fLine, fType, fNumber, fGauge, fCurve, fColor, fFrom, fCondition, fBox, fNotes})
        fields[f] = guardFormula(fields[f]);
}

} // namespace

qint64 exportItems(const QString &db, const QString &file, std::optional<ItemKind> kind,
                   const Progress &progress) {
    ExportOptions o;
    o.kind = kind;
    return exportItems(db, file, o, progress);
}

qint64 exportItems(const QString &db, const QString &file, const ExportOptions &options,
                   const Progress &progress) {
    refuseCollectionTarget(db, file);
    const std::optional<ItemKind> kind = options.kind;
    QList<int> order = options.fields;
    if (order.isEmpty())
        for (int f = 0; f < kFieldCount; ++f)
            order.append(f);
    const Format format(options);
    engine::Connection c;
    detail::openConnection(c, db);
    QString sql = QStringLiteral(
        "SELECT ID, ItemID, Manufacturer, RailLine, CarType, CarNumber, SetNumber, Gauge, Curve, "
        "CarColor, Color, AccquiredFrom, OriginalCost, CurrentValue, DateAccquired, FullSet, Car, "
        "Loco, Track, Accessory, Condition, Box, Notes FROM tblMain");
    QVariantList values;
    if (kind) {
        sql += QStringLiteral(" WHERE %1 = ?").arg(QLatin1String(kindRow(*kind).flag));
        values.append(QStringLiteral("YES"));
    }
    sql += QStringLiteral(" ORDER BY ID");
    const auto rs = c.Execute(sql, values);
    const detail::OwnFieldValues own(c, options.ownFields);
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
    for (const int f : std::as_const(order))
        header.append(fieldHeader(f));
    header += own.headers();
    QString chunk = QChar(0xFEFF) + csvLine(header, format.delimiter);
    const qint64 total = rs->RecordCount();
    qint64 done = 0;
    const auto flush = [&] {
        const QByteArray bytes = chunk.toUtf8();
        if (out.write(bytes) != bytes.size())
            throw cannotWrite();
        chunk.clear();
    };
    QStringList fields(kFieldCount), line;
    for (const qsizetype at : detail::exportOrder(*rs, options.ids)) {
        rs->moveTo(at);
        itemFields(*rs, format, fields);
        line.clear();
        for (const int f : std::as_const(order))
            line.append(fields[f]);
        own.append(line, fields[fItemId]);
        chunk += csvLine(line, format.delimiter);
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

#include "trains/collection/ItemDetails.h"

#include "rails/records/Records.h"

#include "rails/engine/Recordset.h"

#include "platform/Error.h"
#include "platform/LocaleText.h"

#include <QDate>
#include <QMap>
#include <QObject>
#include <algorithm>

namespace collection {

ItemDetails itemDetails(const engine::Recordset &rs) {
    ItemDetails d;
    d.kind = ItemKind(rs.Fields(QStringLiteral("KindCode")).toInt());
    const auto text = [&](const char *column) {
        return rs.Fields(QLatin1String(column)).toString();
    };
    const auto date = [&](const char *column) {
        const QDate day = platform::dateFromStorage(text(column));
        return day.isValid() ? platform::shortDate(day) : QString();
    };
    const auto money = [&](const char *column) {
        const QVariant v = rs.Fields(QLatin1String(column));
        return v.isNull() ? QString() : platform::moneyText(v.toDouble());
    };
    const bool isSet = d.kind == ItemKind::Set;
    d.itemId = text("ItemID");
    d.fields = {
        {QObject::tr("Item"), d.itemId},
        {QObject::tr("Kind"), kindViewName(d.kind)},
        {QObject::tr("Manufacturer"), text("Manufacturer")},
        {QObject::tr("Rail Line"), text("RailLine")},
        {QObject::tr("Type"), text("CarType")},
        {QObject::tr("Number"), text(isSet ? "SetNumber" : "CarNumber")},
        {QObject::tr("Gauge"), text("Gauge")},
        {QObject::tr("Minimum Curve"), text("Curve")},
        {QObject::tr("Colour"),
         rs.isNull(rs.fieldIndex(QStringLiteral("CarColor"))) ? text("Color") : text("CarColor")},
        {QObject::tr("Acquired From"), text("AccquiredFrom")},
        {QObject::tr("Original Cost"), money("OriginalCost")},
        {QObject::tr("Current Value"), money("CurrentValue")},
        {QObject::tr("Date Acquired"), date("DateAccquired")},
        {QObject::tr("Condition"), text("Condition")},
        {QObject::tr("Box Included"), text("Box")},
        {QObject::tr("Added"), date("DateAdd")},
        {QObject::tr("Changed"), date("DateMod")},
    };
    d.notes = text("Notes");
    return d;
}

void addOwnRecords(ItemDetails &d, const QString &databasePath) {
    platform::trap(
        [&] {
            records::Store store(databasePath);
            const records::Valuation v = store.valuation(d.itemId);
            QList<std::pair<QString, QString>> valuation;
            if (v.date.isValid())
                valuation.append({QObject::tr("Value Date"), platform::shortDate(v.date)});
            if (!v.source.isEmpty())
                valuation.append({QObject::tr("Value Source"), v.source});
            const auto value = std::find_if(d.fields.begin(), d.fields.end(), [](const auto &f) {
                return f.first == QObject::tr("Current Value");
            });
            const qsizetype at =
                value == d.fields.end() ? d.fields.size() : (value - d.fields.begin()) + 1;
            for (qsizetype i = 0; i < valuation.size(); ++i)
                d.fields.insert(at + i, valuation[i]);
            const QMap<qint64, QString> values = store.fieldValues(d.itemId);
            for (const records::Field &f : store.fields())
                if (!values.value(f.id).isEmpty())
                    d.fields.append({f.name, values.value(f.id)});
        },
        [](const platform::Error &) {});
}

QString detailHtml(const ItemDetails &details) {
    // One paragraph per field, not a table: the text reads line by line, as a screen reader
    // and a copy to the clipboard take it.
    QString html;
    for (const auto &[caption, value] : details.fields)
        html += QStringLiteral("<p style=\"margin:1px\"><b>%1:</b> %2</p>")
                    .arg(caption.toHtmlEscaped(), value.toHtmlEscaped());
    html += QStringLiteral("<p><b>%1:</b></p><p style=\"white-space:pre-wrap\">%2</p>")
                .arg(QObject::tr("Notes"), details.notes.toHtmlEscaped());
    return html;
}

} // namespace collection

#include "rails/exchange/ImportMapping.h"

#include "rails/exchange/ImportFormats.h"

#include <QHash>
#include <array>

namespace exchange {

namespace {

struct FieldNames {
    const char *header;  // as the export writes it
    const char *aliases; // folded: lower case, letters and digits only ("#" reads "no")
};

// The names collectors give their columns, in English and German.
const std::array<FieldNames, kFieldCount> kNames{{
    {"Kind", "kind|itemkind|category|art|itemtype|typeofitem|kindofitem|itemcategory|gattung"},
    {"Item ID", "itemid|id|itemnumber|itemno"},
    {"Manufacturer", "manufacturer|maker|make|brand|mfr|mfg|hersteller|marke"},
    {"Rail Line", "railline|roadname|railroad|road|railway|line|bahn|bahngesellschaft"},
    {"Type", "type|cartype|locomotivetype|locotype|settype|typ"},
    {"Number", "number|no|nr|roadno|roadnumber|carnumber|setnumber|locomotivenumber|loconumber|"
               "runningnumber|nummer|betriebsnummer"},
    {"Gauge", "gauge|scale|gaugescale|spur|spurweite"},
    {"Minimum Curve", "minimumcurve|curve|mincurve|minradius|radius"},
    {"Color", "color|colour|carcolor|lococolor|farbe"},
    {"Acquired From", "acquiredfrom|accquiredfrom|from|seller|source|boughtfrom|vendor|dealer|"
                      "shop|store|gekauftbei|handler|verkaufer"},
    {"Original Cost", "originalcost|price|cost|paid|pricepaid|purchaseprice|preis|kaufpreis"},
    {"Current Value", "currentvalue|value|worth|estvalue|estimatedvalue|marketvalue|wert|"
                      "zeitwert"},
    {"Date Acquired", "dateacquired|dateaccquired|date|purchasedate|purchased|datebought|"
                      "boughton|bought|acquired|accquired|dateofpurchase|kaufdatum|datum"},
    {"Condition", "condition|cond|zustand"},
    {"Box Included", "boxincluded|box|boxed|originalbox|ovp|karton"},
    {"Notes", "notes|note|comments|comment|remarks|bemerkungen|notizen"},
}};

QString foldHeader(QString h) {
    h.replace(QLatin1Char('#'), QStringLiteral("no"));
    return foldText(h);
}

const QHash<QString, int> &aliasTable() {
    static const QHash<QString, int> table = [] {
        QHash<QString, int> t;
        for (int f = 0; f < kFieldCount; ++f) {
            t.insert(foldHeader(QLatin1String(kNames[f].header)), f);
            for (const QString &a : QString::fromLatin1(kNames[f].aliases).split(QLatin1Char('|')))
                t.insert(a, f);
        }
        return t;
    }();
    return table;
}

// The names collectors give the two fields every collection starts with.
const char *const kCatalogueAliases = "catalogueno|catalogno|catno|cataloguenumber|"
                                      "catalognumber|catalogue|catalog|partno|artno|artnr|"
                                      "artikelnummer|katalognummer|katalognr";
const char *const kStorageAliases = "storagelocation|storage|location|shelf|stored|storedin|"
                                    "lagerort|regal|standort";

bool ownFieldNamed(const OwnField &f, const QString &folded) {
    const QString name = foldHeader(f.name);
    if (name == folded)
        return true;
    const char *aliases = name == QLatin1String("catalogueno")       ? kCatalogueAliases
                          : name == QLatin1String("storagelocation") ? kStorageAliases
                                                                     : nullptr;
    return aliases && QString::fromLatin1(aliases).split(QLatin1Char('|')).contains(folded);
}

std::optional<int> ownTarget(const QString &name, const QList<OwnField> &own,
                             QString *ownName = nullptr) {
    const QString folded = foldHeader(name);
    for (const OwnField &f : own)
        if (f.name.compare(name.trimmed(), Qt::CaseInsensitive) == 0 || ownFieldNamed(f, folded)) {
            if (ownName)
                *ownName = f.name;
            return kOwnFieldBase + int(f.id);
        }
    return std::nullopt;
}

std::optional<int> headerField(const QString &header) {
    const auto it = aliasTable().find(foldHeader(header));
    return it == aliasTable().end() ? std::nullopt : std::optional<int>(*it);
}

// A column whose every filled value is a date is taken for the date acquired.
bool allDates(const QList<QStringList> &samples, int column) {
    int dates = 0;
    const QDate today = QDate::currentDate();
    for (const QStringList &row : samples) {
        const QString v = row.value(column).trimmed();
        if (v.isEmpty())
            continue;
        if (!parseDate(v, DateOrder::DayMonth, today).isValid() &&
            !parseDate(v, DateOrder::MonthDay, today).isValid())
            return false;
        ++dates;
    }
    return dates > 0;
}

void markConflicts(Mapping &m) {
    QList<int> taken;
    for (ColumnMap &c : m) {
        c.conflict = false;
        if (c.target < 0)
            continue;
        if (taken.contains(c.target)) {
            c.conflict = true;
        } else {
            taken.append(c.target);
        }
    }
}

} // namespace

QString fieldHeader(int field) {
    if (field == kAppendToNotes)
        return QStringLiteral("Notes+");
    if (field == kIgnore)
        return QStringLiteral("-");
    if (field < 0 || field >= kFieldCount)
        return {}; // a field of the collector's: see targetName()
    return QLatin1String(kNames[std::size_t(field)].header);
}

std::optional<int> fieldFromName(const QString &name) {
    const QString t = name.trimmed();
    if (t == QLatin1String("Notes+"))
        return kAppendToNotes;
    if (t == QLatin1String("-"))
        return kIgnore;
    return headerField(t);
}

int knownHeaders(const QStringList &header) {
    int n = 0;
    for (const QString &h : header)
        n += headerField(h).has_value();
    return n;
}

Mapping guessMapping(const QStringList &header, const QList<QStringList> &samples,
                     const QList<OwnField> &own) {
    Mapping m;
    QList<int> taken;
    for (int i = 0; i < header.size(); ++i) {
        ColumnMap c;
        c.header = header[i];
        // The export's own headers first, then the collector's fields, then the usual names.
        const auto exact = headerField(header[i]);
        const bool exported =
            exact && fieldHeader(*exact).compare(header[i].trimmed(), Qt::CaseInsensitive) == 0;
        if (const auto o =
                exported ? std::optional<int>() : ownTarget(header[i], own, &c.ownName)) {
            c.target = *o;
        } else if (const auto f = exact) {
            c.target = *f;
        } else if (foldHeader(header[i]) == QLatin1String("reason")) {
            c.target = kIgnore; // the column a saved problem list adds
        } else if (allDates(samples, i)) {
            c.target = fDate;
        }
        if (c.target >= 0 && taken.contains(c.target)) {
            // Nothing the user typed is lost while they choose.
            c.conflict = true;
            c.target = kAppendToNotes;
        } else if (c.target >= 0) {
            taken.append(c.target);
        }
        m.append(c);
    }
    return m;
}

QString targetName(const ColumnMap &column) {
    return column.target >= kOwnFieldBase ? column.ownName : fieldHeader(column.target);
}

void setTarget(Mapping &mapping, int column, int target, const QString &ownName) {
    if (column < 0 || column >= mapping.size())
        return;
    mapping[column].target = target;
    mapping[column].ownName = target >= kOwnFieldBase ? ownName : QString();
    mapping[column].guessed = false;
    markConflicts(mapping);
    mapping[column].conflict = false;
    // The column just chosen wins; another holding the field is the one marked.
    for (int i = 0; i < mapping.size(); ++i)
        if (i != column && target >= 0 && mapping[i].target == target)
            mapping[i].conflict = true;
}

bool chooseColumn(Mapping &mapping, const QString &choice, QString *error,
                  const QList<OwnField> &own) {
    const qsizetype eq = choice.lastIndexOf(QLatin1Char('='));
    const QString header = choice.left(eq).trimmed();
    QString ownName;
    auto target = eq < 0 ? std::nullopt : fieldFromName(choice.mid(eq + 1));
    if (eq >= 0 && !target)
        target = ownTarget(choice.mid(eq + 1), own, &ownName);
    int column = -1;
    for (int i = 0; i < mapping.size() && column < 0; ++i)
        if (mapping[i].header.trimmed().compare(header, Qt::CaseInsensitive) == 0)
            column = i;
    if (eq < 0 || !target || column < 0) {
        if (error)
            *error = eq < 0 ? QStringLiteral("'%1' is not HEADER=FIELD").arg(choice)
                     : column < 0
                         ? QStringLiteral("the file has no column '%1'").arg(header)
                         : QStringLiteral("'%1' names no field (use a header of the export, "
                                          "Notes+ or -)")
                               .arg(choice.mid(eq + 1));
        return false;
    }
    setTarget(mapping, column, *target, ownName);
    return true;
}

QString mappingKey(const QStringList &header) {
    QStringList h;
    for (const QString &s : header)
        h.append(s.trimmed().toLower());
    h.sort();
    return h.join(QLatin1Char('\x1f'));
}

QString mappingText(const Mapping &mapping) {
    QStringList lines;
    for (const ColumnMap &c : mapping)
        lines.append(c.header + QLatin1Char('=') + targetName(c));
    return lines.join(QLatin1Char('\n'));
}

void applyMappingText(Mapping &mapping, const QString &text, const QList<OwnField> &own) {
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        chooseColumn(mapping, line, nullptr, own);
}

} // namespace exchange

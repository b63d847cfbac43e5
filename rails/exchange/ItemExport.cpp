// Writing items to a CSV file, in the plain form scripts and re-import read or in the form a
// spreadsheet in the user's locale opens without a question.
#include "rails/exchange/FieldColumns.h"
#include "rails/exchange/ImportRules.h"
#include "rails/exchange/SafeTarget.h"

#include "platform/Error.h"

#include <QDir>
#include <QSaveFile>
#include <QSet>
#include <algorithm>
#include <array>

namespace exchange {

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
            delimiter = ';';
        QString f = locale.dateFormat(QLocale::ShortFormat);
        if (!f.contains(QLatin1String("yyyy")))
            f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        dateFormat = f;
    }
    // An amount column's value; nothing for Null or empty text.
    void amount(const engine::Statement &st, int column, QByteArray &out) const {
        out.clear();
        const engine::Statement::ColumnType type = st.type(column);
        if (type == engine::Statement::Null)
            return;
        // Text that is no number reads as 0, as the value converted from text would.
        double v = 0;
        if (type == engine::Statement::Text) {
            const QByteArrayView text = st.bytes(column);
            if (text.isEmpty())
                return;
            v = text.toByteArray().toDouble();
        } else {
            v = st.real(column);
        }
        out = plain ? QByteArray::number(v, 'f', 2) : locale.toString(v, 'f', 2).toUtf8();
    }
    // A stored date: its day when it begins with one (yyyy-mm-dd), else the text as stored.
    QByteArrayView date(QByteArrayView stored, QByteArray &buffer) const {
        const QDate d = isoDay(stored.first(std::min<qsizetype>(10, stored.size())));
        if (!d.isValid())
            return stored;
        if (plain)
            return stored.first(10);
        buffer = locale.toString(d, dateFormat).toUtf8();
        return buffer;
    }
    static QDate isoDay(QByteArrayView t) {
        const auto digits = [&](int from, int count) {
            int n = 0;
            for (int i = from; i < from + count; ++i) {
                if (t[i] < '0' || t[i] > '9')
                    return -1;
                n = n * 10 + t[i] - '0';
            }
            return n;
        };
        if (t.size() != 10 || t[4] != '-' || t[7] != '-')
            return {};
        const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
        return y > 0 && m > 0 && d > 0 ? QDate(y, m, d) : QDate();
    }
    bool plain;
    QLocale locale;
    char delimiter = ',';
    QString dateFormat;
};

// The columns the export reads, in the order of its SELECT.
enum Column {
    cID,
    cItemID,
    cMaker,
    cLine,
    cType,
    cCarNumber,
    cSetNumber,
    cGauge,
    cCurve,
    cCarColor,
    cColor,
    cFrom,
    cCost,
    cValue,
    cDate,
    cFullSet,
    cCar,
    cLoco,
    cTrack,
    cAccessory,
    cCondition,
    cBox,
    cNotes
};

// One field with its delimiter before it (none before the first), quoted when it holds the
// delimiter, a quote or a line break, as csvLine() writes it.
void putField(QByteArray &out, QByteArrayView f, char delimiter, bool first) {
    if (!first)
        out += delimiter;
    bool quote = false;
    for (const char c : f)
        if (c == delimiter || c == '"' || c == '\n' || c == '\r') {
            quote = true;
            break;
        }
    if (!quote) {
        out.append(f);
        return;
    }
    out += '"';
    for (const char c : f) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// True when a spreadsheet would take the text for a formula (see guardFormula()).
bool formulaLike(QByteArrayView t) {
    while (t.startsWith('\''))
        t = t.sliced(1);
    if (t.isEmpty())
        return false;
    const char c = t.front();
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

// One item's fields, in the order of the Field columns; texts a spreadsheet would take for a
// formula keep their apostrophe in `guarded`.
struct ItemLine {
    std::array<QByteArrayView, kFieldCount> fields;
    std::array<QByteArray, kFieldCount> guarded;
    QByteArray cost, value, date;

    void read(const engine::Statement &st, const Format &format) {
        QByteArrayView kindText;
        bool isSet = false;
        for (const ItemKind k : kAllKinds)
            if (kindText.isEmpty() &&
                st.bytes(flagColumn(k)).compare("YES", Qt::CaseInsensitive) == 0) {
                kindText = kindRow(k).name;
                isSet = k == ItemKind::Set;
            }
        const QByteArrayView carNumber = st.bytes(cCarNumber), setNumber = st.bytes(cSetNumber);
        const QByteArrayView carColor = st.bytes(cCarColor);
        fields[fKind] = kindText;
        fields[fItemId] = st.bytes(cItemID);
        fields[fMaker] = st.bytes(cMaker);
        fields[fLine] = st.bytes(cLine);
        fields[fType] = st.bytes(cType);
        fields[fNumber] = isSet || carNumber.isEmpty()
                              ? (setNumber.isEmpty() ? carNumber : setNumber)
                              : carNumber;
        fields[fGauge] = st.bytes(cGauge);
        fields[fCurve] = st.bytes(cCurve);
        fields[fColor] = carColor.isEmpty() ? st.bytes(cColor) : carColor;
        fields[fFrom] = st.bytes(cFrom);
        format.amount(st, cCost, cost);
        format.amount(st, cValue, value);
        fields[fCost] = cost;
        fields[fValue] = value;
        fields[fDate] = format.date(st.bytes(cDate), date);
        fields[fCondition] = st.bytes(cCondition);
        fields[fBox] = st.bytes(cBox);
        fields[fNotes] = st.bytes(cNotes);
        for (const int f : {fMaker, fLine, fType, fNumber, fGauge, fCurve, fColor, fFrom,
                            fCondition, fBox, fNotes})
            if (formulaLike(fields[f])) {
                guarded[f] = '\'' + fields[f].toByteArray();
                fields[f] = guarded[f];
            }
    }
    static int flagColumn(ItemKind kind) {
        switch (kind) {
        case ItemKind::Car:
            return cCar;
        case ItemKind::Loco:
            return cLoco;
        case ItemKind::Set:
            return cFullSet;
        case ItemKind::Track:
            return cTrack;
        case ItemKind::Accessory:
            return cAccessory;
        }
        return cCar;
    }
};

// The byte order mark and the header row: the designed columns chosen, then the collector's
// fields.
QByteArray headerLine(const QList<int> &order, const detail::OwnFieldValues &own, char delimiter) {
    QStringList header;
    for (const int f : order)
        header.append(fieldHeader(f));
    header += own.headers();
    return (QChar(0xFEFF) + csvLine(header, QLatin1Char(delimiter))).toUtf8();
}

QHash<qint64, qsizetype> placesOf(const QList<qint64> &ids) {
    QHash<qint64, qsizetype> place;
    place.reserve(ids.size());
    for (qsizetype i = 0; i < ids.size(); ++i)
        place.insert(ids[i], i);
    return place;
}

} // namespace

qint64 exportItems(const QString &db, const QString &file, std::optional<ItemKind> kind,
                   const Progress &progress) {
    ExportOptions o;
    o.kind = kind;
    return exportItems(db, file, o, progress);
}

namespace {

// Writes the file in pieces and raises with the reason when a piece cannot be written.
class ExportFile {
  public:
    explicit ExportFile(const QString &file) : name_(file), out_(file) {
        if (!out_.open(QIODevice::WriteOnly))
            throw cannotWrite();
    }
    void write(QByteArray &bytes) {
        if (out_.write(bytes) != bytes.size())
            throw cannotWrite();
        bytes.clear();
    }
    void cancel() { out_.cancelWriting(); }
    void commit() {
        if (!out_.commit())
            throw cannotWrite();
    }

  private:
    Error cannotWrite() const {
        return Error(platform::ErrPathFileAccess,
                     QStringLiteral("Cannot write %1: %2")
                         .arg(QDir::toNativeSeparators(name_), platform::writeFailureReason(out_)));
    }
    QString name_;
    QSaveFile out_;
};

QByteArray exportQuery(const std::optional<ItemKind> &kind, bool count) {
    QByteArray sql =
        count ? QByteArray("SELECT COUNT(*) FROM tblMain")
              : QByteArray("SELECT ID, ItemID, Manufacturer, RailLine, CarType, CarNumber, "
                           "SetNumber, Gauge, Curve, CarColor, Color, AccquiredFrom, "
                           "OriginalCost, CurrentValue, DateAccquired, FullSet, Car, Loco, Track, "
                           "Accessory, Condition, Box, Notes FROM tblMain");
    if (kind)
        sql += QByteArray(" WHERE ") + kindRow(*kind).flagColumn + " = ?";
    return count ? sql : sql + " ORDER BY ID";
}

} // namespace

qint64 exportItems(const QString &db, const QString &file, const ExportOptions &options,
                   const Progress &progress) {
    refuseCollectionTarget(db, file);
    QList<int> order = options.fields;
    if (order.isEmpty())
        for (int f = 0; f < kFieldCount; ++f)
            order.append(f);
    const Format format(options);
    engine::Connection c;
    detail::openConnection(c, db);
    qint64 total = 0;
    if (progress) {
        engine::Statement count(c, exportQuery(options.kind, true));
        if (options.kind)
            count.bindText(1, QByteArrayView("YES"));
        count.step();
        total = count.integer(0);
    }
    // One statement walks the rows as the file is written: one moment of the collection.
    engine::Statement st(c, exportQuery(options.kind, false));
    if (options.kind)
        st.bindText(1, QByteArrayView("YES"));
    const detail::OwnFieldValues own(c, options.ownFields);

    ExportFile out(file);
    QByteArray chunk = headerLine(order, own, format.delimiter);
    // Items asked for by id are written in the order asked (as Browse shows them); their lines
    // wait in their places until the walk is done.
    const QHash<qint64, qsizetype> slotOf = placesOf(options.ids);
    std::vector<QByteArray> held(std::size_t(options.ids.size()));
    qint64 done = 0;
    const auto lineDone = [&] {
        if (++done % 1000 == 0) {
            out.write(chunk);
            if (progress && !progress(done, total)) {
                out.cancel();
                throw Error(ErrUserInterrupt, QStringLiteral("The export was cancelled."));
            }
        }
    };
    ItemLine item;
    QStringList ownValues;
    while (st.step()) {
        QByteArray *line = &chunk;
        if (!slotOf.isEmpty()) {
            const auto it = slotOf.constFind(st.integer(cID));
            if (it == slotOf.cend())
                continue;
            line = &held[std::size_t(*it)];
        }
        item.read(st, format);
        bool first = true;
        for (const int f : std::as_const(order)) {
            putField(*line, item.fields[f], format.delimiter, first);
            first = false;
        }
        ownValues.clear();
        own.append(ownValues, QString::fromUtf8(item.fields[fItemId]));
        for (const QString &v : std::as_const(ownValues))
            putField(*line, v.toUtf8(), format.delimiter, false);
        *line += "\r\n";
        if (slotOf.isEmpty())
            lineDone();
    }
    for (QByteArray &line : held)
        if (!line.isEmpty()) {
            chunk += line;
            line.clear();
            lineDone();
        }
    out.write(chunk);
    out.commit();
    if (progress)
        progress(total, total);
    return done;
}

} // namespace exchange

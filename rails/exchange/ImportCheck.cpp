// Checking one row of a sheet: what makes it impossible (refused), what leaves it incomplete
// (blank where the add forms ask for a value) and how each value is read.
#include "rails/BlankTrim.h"
#include "rails/exchange/FieldColumns.h"
#include "rails/exchange/ImportRules.h"

#include "platform/Error.h"

#include <cmath>

namespace exchange::detail {

namespace {

// The largest amount the forms' ten-character amount boxes hold.
constexpr double kMaxAmount = 9999999.99;
constexpr int kSettleRows = 2000;

struct TextRule {
    Field field;
    TextAt at;
    int limit; // the form's text box length
};
// Drop-down fields take any text of up to 50 characters, since other makers and gauges exist.
constexpr std::array<TextRule, 9> kTextRules{{{fMaker, tMaker, 50},
                                              {fLine, tLine, 35},
                                              {fType, tType, 50},
                                              {fNumber, tNumber, 15},
                                              {fGauge, tGauge, 50},
                                              {fCurve, tCurve, 50},
                                              {fColor, tColor, 35},
                                              {fFrom, tFrom, 35},
                                              {fCondition, tCondition, 50}}};

const QStringList *choicesFor(const ChoiceLists &c, Field f, ItemKind kind) {
    switch (f) {
    case fMaker:
        return &c.makers;
    case fType:
        return kind == ItemKind::Car ? &c.carTypes : &c.locoTypes;
    case fGauge:
        return &c.gauges;
    case fCurve:
        return &c.curves;
    case fCondition:
        return &c.conditions;
    default:
        return nullptr;
    }
}

QString itemText(const ImportRow &row) {
    QStringList parts;
    for (const TextAt t : {tMaker, tType, tNumber})
        if (!row.text.value(t).isEmpty())
            parts.append(row.text[t]);
    return parts.join(QLatin1Char(' '));
}

} // namespace

RowRules settleRules(CsvReader &reader, const ImportOptions &options) {
    RowRules rules;
    rules.options = options;
    CsvRecord header;
    if (!reader.next(header))
        throw platform::Error(platform::ErrPathFileAccess, QStringLiteral("The file is empty."));
    rules.header = header.fields;
    QList<QStringList> samples;
    CsvRecord rec;
    while (samples.size() < kSettleRows && reader.next(rec))
        samples.append(rec.fields);
    for (int i = 0; i < rules.header.size(); ++i) {
        QString first;
        for (qsizetype r = 0; r < samples.size() && first.isEmpty(); ++r)
            first = samples[r].value(i).trimmed();
        rules.firstValues.append(first);
    }
    ImportOptions &o = rules.options;
    if (!o.mapping)
        o.mapping = guessMapping(rules.header, samples, o.ownFields);
    for (const QString &choice : std::as_const(o.mapChoices)) {
        QString error;
        if (!chooseColumn(*o.mapping, choice, &error, o.ownFields))
            throw platform::Error(platform::ErrPathFileAccess, error);
    }
    rules.at.fill(-1);
    for (int i = 0; i < o.mapping->size(); ++i) {
        const ColumnMap &c = o.mapping->at(i);
        if (c.target == kAppendToNotes || c.conflict)
            rules.notesColumns.append(i);
        else if (c.target >= 0 && c.target < kFieldCount && rules.at[c.target] < 0)
            rules.at[c.target] = i;
    }
    const auto column = [&](int at) {
        QStringList values;
        if (at >= 0)
            for (const QStringList &s : std::as_const(samples))
                if (!s.value(at).trimmed().isEmpty())
                    values.append(s.value(at).trimmed());
        return values;
    };
    // A sheet from a comma-decimal spreadsheet separates its fields with semicolons.
    const bool semicolons = reader.delimiter() == QLatin1Char(';');
    if (!o.dateOrder)
        o.dateOrder = detectDateOrder(column(rules.at[fDate]),
                                      semicolons ? DateOrder::DayMonth : localeDateOrder());
    if (!o.decimalMark)
        o.decimalMark = detectDecimalMark(column(rules.at[fCost]) + column(rules.at[fValue]),
                                          semicolons ? DecimalMark::Comma : localeDecimalMark());
    const QStringList boxes = column(rules.at[fBox]);
    rules.boxBlankIsNo = !boxes.isEmpty() && std::all_of(boxes.begin(), boxes.end(), [](auto &b) {
        return b.compare(QLatin1String("x"), Qt::CaseInsensitive) == 0;
    });
    o.delimiter = reader.delimiter();
    if (rules.at[fKind] < 0 && !o.kind)
        throw platform::Error(platform::ErrPathFileAccess,
                              QStringLiteral("The file has no Kind column: choose the kind of "
                                             "item for the whole file."));
    return rules;
}

namespace {

// One row's check: each step reads its cells, stores what it can and notes every refusal.
class RowCheck {
  public:
    RowCheck(const RowRules &rules, const CsvRecord &rec, ImportProblem &problem)
        : rules_(rules), rec_(rec), problem_(problem) {
        row.line = rec.line;
        row.text = QStringList(kTextCount);
        problem_ = ImportProblem{};
        problem_.line = rec.line;
        problem_.fields = rec.fields;
    }

    void shape() {
        for (qsizetype i = rules_.header.size(); i < rec_.fields.size(); ++i)
            if (!rec_.fields[i].trimmed().isEmpty()) {
                refuse(Field(-1), rec_.fields[i],
                       QStringLiteral("it has %1 field(s) where the header has %2 (is another "
                                      "delimiter used on this line?)")
                           .arg(rec_.fields.size())
                           .arg(rules_.header.size()));
                return;
            }
    }

    void kind() {
        std::optional<ItemKind> kind = rules_.options.kind;
        if (const QString k = cell(fKind).trimmed(); !k.isEmpty()) {
            kind = kindFromText(k);
            if (!kind)
                refuse(
                    fKind, k,
                    QStringLiteral("the kind \"%1\" is not Rolling Stock, Locomotive or Full Set")
                        .arg(k));
        }
        if (kind && !kindRow(*kind).prefix)
            refuse(fKind, cell(fKind),
                   QStringLiteral("%1 items cannot be imported").arg(kindName(*kind)));
        if (!kind && why_.isEmpty())
            refuse(fKind, {}, QStringLiteral("the row names no kind"));
        row.kind = kind.value_or(ItemKind::Car);
        const QLatin1String prefix(kind ? kindRow(*kind).prefix : nullptr);
        if (const QString id = cell(fItemId).trimmed().toUpper();
            !prefix.isEmpty() && id.startsWith(prefix))
            row.itemId = id;
    }

    void texts() {
        for (const TextRule &r : kTextRules) {
            const QString v = cell(r.field).trimmed();
            if (v.size() > r.limit)
                refuse(r.field, v,
                       QStringLiteral("%1 is longer than %2 characters")
                           .arg(fieldHeader(r.field))
                           .arg(r.limit));
            else if (v.contains(QLatin1Char('\n')) || v.contains(QLatin1Char('\r')))
                refuse(r.field, v,
                       QStringLiteral("%1 holds a line break").arg(fieldHeader(r.field)));
            QString stored = v;
            if (const QStringList *list = choicesFor(rules_.options.choices, r.field, row.kind);
                list && !v.isEmpty()) {
                stored = matchChoice(v, *list);
                if (stored.isEmpty()) {
                    stored = v;
                    row.newChoices.append(fieldHeader(r.field));
                }
            }
            row.text[r.at] = stored;
        }
        if (row.text[tMaker].isEmpty() && row.text[tType].isEmpty() && row.text[tNumber].isEmpty())
            refuse(fMaker, {}, QStringLiteral("nothing in Manufacturer, Type or Number"));
    }

    void amounts() {
        for (const Field f : {fCost, fValue}) {
            const QString v = cell(f).trimmed();
            if (v.isEmpty())
                continue; // unknown, not zero
            const auto a = parseAmount(v, *rules_.options.decimalMark);
            const QString caption = fieldHeader(f);
            if (!a)
                refuse(f, v, QStringLiteral("%1 \"%2\" is not an amount").arg(caption, v));
            else if (*a < 0)
                refuse(f, v, QStringLiteral("%1 %2 is below zero").arg(caption, v));
            else if (*a > kMaxAmount)
                refuse(f, v, QStringLiteral("%1 %2 is larger than the form takes").arg(caption, v));
            else
                (f == fCost ? row.cost : row.value) = *a;
        }
    }

    void dateAndBox() {
        if (const QString v = cell(fDate).trimmed(); !v.isEmpty()) {
            row.acquired = parseDate(v, *rules_.options.dateOrder, rules_.options.today);
            if (!row.acquired.isValid())
                refuse(fDate, v, QStringLiteral("Date Acquired \"%1\" is not a date").arg(v));
            else if (rules_.options.today.isValid() && row.acquired > rules_.options.today)
                refuse(fDate, v,
                       QStringLiteral("Date Acquired %1 is later than the current date")
                           .arg(row.acquired.toString(Qt::ISODate)));
        }
        if (const QString v = cell(fBox).trimmed(); !v.isEmpty() || rules_.boxBlankIsNo) {
            const auto yes = v.isEmpty() ? std::optional<bool>(false) : parseYesNo(v);
            if (!yes)
                refuse(fBox, v, QStringLiteral("Box Included \"%1\" is neither yes nor no").arg(v));
            else
                row.text[tBox] = *yes ? QStringLiteral("YES") : QStringLiteral("NO");
        }
    }

    // The notes, then each column appended to them as "Header: value", one line each.
    void notes() {
        QString notes = cell(fNotes);
        notes.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        notes = trimBlanks(notes);
        for (const int c : rules_.notesColumns) {
            const QString v = unguardFormula(rec_.fields.value(c)).trimmed();
            if (!v.isEmpty())
                notes += (notes.isEmpty() ? QString() : QStringLiteral("\n")) +
                         rules_.header.value(c).trimmed() + QStringLiteral(": ") + v;
        }
        row.text[tNotes] = notes;
    }

    void finish() {
        problem_.item = itemText(row);
        if (!why_.isEmpty()) {
            row.status = problem_.status = RowStatus::Refused;
            problem_.reason = why_.join(QStringLiteral("; "));
            return;
        }
        // What the add forms ask for and the row leaves blank: it comes in all the same.
        for (const TextAt t : {tMaker, tLine, tType, tNumber, tGauge, tCurve, tColor, tFrom})
            if (row.text[t].isEmpty())
                row.missing.append(fieldHeader(kTextRules[t].field));
        if (!row.acquired.isValid())
            row.missing.append(fieldHeader(fDate));
        if (row.kind != ItemKind::Car) {
            if (row.text[tCondition].isEmpty())
                row.missing.append(fieldHeader(fCondition));
            if (row.text[tBox].isEmpty())
                row.missing.append(fieldHeader(fBox));
        }
        if (!row.missing.isEmpty()) {
            row.status = problem_.status = RowStatus::Incomplete;
            problem_.column = row.missing.join(QStringLiteral(", "));
            problem_.reason = QStringLiteral("%1 blank").arg(problem_.column);
        }
    }

    ImportRow row;

  private:
    QString cell(Field f) const {
        return rules_.at[f] < 0 ? QString() : unguardFormula(rec_.fields.value(rules_.at[f]));
    }
    void refuse(Field f, const QString &value, const QString &reason) {
        if (why_.isEmpty()) {
            problem_.column = f < 0 ? QString() : rules_.header.value(rules_.at[f]);
            problem_.value = value;
        }
        why_.append(reason);
    }

    const RowRules &rules_;
    const CsvRecord &rec_;
    ImportProblem &problem_;
    QStringList why_;
};

} // namespace

ImportRow checkRecord(const RowRules &rules, const CsvRecord &rec, ImportProblem &problem) {
    RowCheck check(rules, rec, problem);
    check.shape();
    check.kind();
    check.texts();
    check.amounts();
    check.dateAndBox();
    check.notes();
    check.finish();
    readOwnValues(rules, rec.fields, check.row);
    return std::move(check.row);
}

} // namespace exchange::detail

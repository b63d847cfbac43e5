#include "trains/reports/ValueSummary.h"

#include "trains/collection/CollectionData.h"
#include "trains/modGlobal.h"

#include "platform/LocaleText.h"

#include "platform/Error.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"

#include <map>

namespace reports {

namespace {

// Amounts in the user's currency, read when a report is laid out.
QString money() {
    return platform::moneyPattern();
}

// Where each printed column stands, in twips from the left margin. A line fills the columns
// of its section; a bold twin of each column ("B" + name) prints captions and totals.
struct Column {
    const char *name;
    int left;
    int width;
    Qt::Alignment align;
    bool money;
};
constexpr Column kColumns[] = {
    // The totals section.
    {"SLabel", 0, 4200, Qt::AlignLeft, false},
    {"SCount", 4200, 1400, Qt::AlignRight, false},
    {"SCost", 5600, 2400, Qt::AlignRight, true},
    {"SValue", 8000, 2400, Qt::AlignRight, true},
    // The most valuable items.
    {"TId", 0, 1000, Qt::AlignLeft, false},
    {"TKind", 1000, 1300, Qt::AlignLeft, false},
    {"TMaker", 2300, 2000, Qt::AlignLeft, false},
    {"TLine", 4300, 2100, Qt::AlignLeft, false},
    {"TType", 6400, 1600, Qt::AlignLeft, false},
    {"TNumber", 8000, 1100, Qt::AlignLeft, false},
    {"TValue", 9100, 1700, Qt::AlignRight, true},
};
constexpr int kWidth = 10800;
constexpr int kIndent = 360;

// Builds the record set one printed line at a time.
class Lines {
  public:
    Lines() {
        QStringList names{QStringLiteral("Heading")};
        for (const Column &c : kColumns) {
            names << QLatin1String(c.name);
            names << QLatin1String("B") + QLatin1String(c.name);
        }
        rs_->setColumns(names);
        columns_ = int(names.size());
    }
    // values: column name -> value; bold puts them in the bold twins.
    void add(const std::map<QString, QVariant> &values, bool bold = false) {
        std::vector<QVariant> row(static_cast<std::size_t>(columns_));
        for (const auto &[name, value] : values) {
            const int i = rs_->fieldIndex(
                bold && name != QLatin1String("Heading") ? QLatin1String("B") + name : name);
            row[std::size_t(i)] = value;
        }
        for (const QVariant &v : row) {
            if (v.isNull())
                rs_->appendNull();
            else if (v.typeId() == QMetaType::Double)
                rs_->appendReal(v.toDouble());
            else if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
                rs_->appendInteger(v.toLongLong());
            else {
                const QByteArray t = v.toString().toUtf8();
                rs_->appendText(t.constData(), int(t.size()));
            }
        }
        rs_->endRow();
    }
    void heading(const QString &text) { add({{QStringLiteral("Heading"), text}}); }
    void blank() { add({}); }
    std::shared_ptr<engine::Recordset> finish() {
        rs_->finish();
        return rs_;
    }

  private:
    std::shared_ptr<engine::Recordset> rs_ = std::make_shared<engine::Recordset>();
    int columns_ = 0;
};

struct Sum {
    qint64 count = 0;
    double cost = 0;
    double value = 0;
};

void addTotals(Lines &lines, const QString &label, const Sum &s, bool bold) {
    lines.add({{QStringLiteral("SLabel"), label},
               {QStringLiteral("SCount"), s.count},
               {QStringLiteral("SCost"), s.cost},
               {QStringLiteral("SValue"), s.value}},
              bold);
}

ReportControl text(const QString &field, QRect r, Qt::Alignment align, bool bold, double points,
                   const QString &format = {}) {
    ReportControl c;
    c.kind = ReportControl::Kind::Field;
    c.field = field;
    c.rect = r;
    c.align = align;
    c.format = format;
    c.style.points = points;
    c.style.bold = bold;
    return c;
}

ReportControl label(const QString &caption, QRect r, Qt::Alignment align, bool bold,
                    double points) {
    ReportControl c = text({}, r, align, bold, points);
    c.kind = ReportControl::Kind::Label;
    c.text = caption;
    return c;
}

ReportControl rule(int left, int top, int width) {
    ReportControl c;
    c.kind = ReportControl::Kind::Line;
    c.rect = QRect(left, top, width, 0);
    return c;
}

const CollectionReportKind &summaryKind() {
    static const CollectionReportKind k{"rptValueSummary",
                                        "",
                                        QStringLiteral("  -  Value Summary Report"),
                                        QStringLiteral("  -  Value Summary"),
                                        {}};
    return k;
}

} // namespace

ReportLayout valueSummaryLayout() {
    ReportLayout r;
    r.landscape = false;
    r.width = kWidth;
    r.leftMargin = 720;
    r.rightMargin = 720;
    r.topMargin = 720;
    r.bottomMargin = 720;
    r.title = strOwnerName + summaryKind().titleSuffix;

    r.pageHeader.height = 900;
    r.pageHeader.controls << label(QStringLiteral("%i"), QRect(0, 0, kWidth, 400), Qt::AlignLeft,
                                   true, 14.25)
                          << label(QStringLiteral("%d"), QRect(kWidth - 2400, 460, 2400, 280),
                                   Qt::AlignRight, false, 9)
                          << rule(0, 780, kWidth);

    r.detail.height = 300;
    r.detail.controls << text(QStringLiteral("Heading"), QRect(0, 20, kWidth, 280), Qt::AlignLeft,
                              true, 11);
    for (const Column &c : kColumns) {
        const QString name = QLatin1String(c.name);
        const QString format = c.money ? money() : QString();
        // Plain lines of the totals are the conditions, set in under their kind.
        const int indent = name == QLatin1String("SLabel") ? kIndent : 0;
        r.detail.controls << text(name, QRect(c.left + indent, 30, c.width - indent, 260), c.align,
                                  false, 9, format)
                          << text(QLatin1String("B") + name, QRect(c.left, 30, c.width, 260),
                                  c.align, true, 9, format);
    }

    r.pageFooter.height = 500;
    r.pageFooter.controls << rule(0, 100, kWidth)
                          << label(QStringLiteral("Page %p of %P"), QRect(0, 180, 3000, 280),
                                   Qt::AlignLeft, false, 8.25)
                          << label(kAppTitle, QRect(kWidth - 3000, 180, 3000, 280), Qt::AlignRight,
                                   false, 8.25);
    return r;
}

std::shared_ptr<engine::Recordset> valueSummaryLines(const QString &databasePath) {
    collection::CollectionData data(databasePath);
    auto totals = data.totalsByKindAndCondition();
    Lines lines;
    if (totals->isEOF())
        return lines.finish();

    lines.heading(QObject::tr("Totals by kind and condition"));
    lines.add({{QStringLiteral("SLabel"), QObject::tr("Kind / Condition")},
               {QStringLiteral("SCount"), QObject::tr("Items")},
               {QStringLiteral("SCost"), QObject::tr("Original Cost")},
               {QStringLiteral("SValue"), QObject::tr("Current Value")}},
              true);
    Sum all;
    while (!totals->isEOF()) {
        const int kind = totals->Fields(0).toInt();
        Sum kindSum;
        std::vector<std::pair<QString, Sum>> conditions;
        for (; !totals->isEOF() && totals->Fields(0).toInt() == kind; totals->MoveNext()) {
            const Sum s{totals->Fields(2).toLongLong(), totals->Fields(3).toDouble(),
                        totals->Fields(4).toDouble()};
            const QString condition = totals->text(1);
            conditions.emplace_back(condition.isEmpty() ? QObject::tr("(no condition)") : condition,
                                    s);
            kindSum.count += s.count;
            kindSum.cost += s.cost;
            kindSum.value += s.value;
        }
        addTotals(lines, kindViewName(ItemKind(kind)), kindSum, true);
        for (const auto &[condition, s] : conditions)
            addTotals(lines, condition, s, false);
        all.count += kindSum.count;
        all.cost += kindSum.cost;
        all.value += kindSum.value;
    }
    lines.blank();
    addTotals(lines, QObject::tr("Whole collection"), all, true);
    lines.blank();

    lines.heading(QObject::tr("The %1 most valuable items").arg(kMostValuable));
    lines.add({{QStringLiteral("TId"), QObject::tr("ID")},
               {QStringLiteral("TKind"), QObject::tr("Kind")},
               {QStringLiteral("TMaker"), QObject::tr("Manufacturer")},
               {QStringLiteral("TLine"), QObject::tr("Rail Line")},
               {QStringLiteral("TType"), QObject::tr("Type")},
               {QStringLiteral("TNumber"), QObject::tr("Number")},
               {QStringLiteral("TValue"), QObject::tr("Current Value")}},
              true);
    auto top = data.mostValuable(kMostValuable);
    for (; !top->isEOF(); top->MoveNext())
        lines.add({{QStringLiteral("TId"), top->text(1)},
                   {QStringLiteral("TKind"), kindViewName(ItemKind(top->Fields(0).toInt()))},
                   {QStringLiteral("TMaker"), top->text(2)},
                   {QStringLiteral("TLine"), top->text(3)},
                   {QStringLiteral("TType"), top->text(4)},
                   {QStringLiteral("TNumber"), top->text(5)},
                   {QStringLiteral("TValue"), top->Fields(6)}});
    return lines.finish();
}

rptValueSummary::rptValueSummary(ReportLayout layout, std::shared_ptr<engine::Recordset> lines,
                                 QWidget *parent)
    : CollectionReport(summaryKind(), std::move(layout), std::move(lines), parent) {}

QWidget *RunValueSummary() {
    platform::setScreenPointer(platform::Pointer::Wait);
    std::shared_ptr<engine::Recordset> lines;
    const bool read = platform::trap(
        [&] { lines = valueSummaryLines(collection::CollectionData().databasePath()); },
        [](const platform::Error &e) {
            platform::setScreenPointer(platform::Pointer::Default);
            platform::MsgBox(QObject::tr("The collection could not be read for the value "
                                         "summary.") +
                                 platform::vbCrLf + platform::vbCrLf + e.Description(),
                             platform::critical(), kAppTitle);
        });
    platform::setScreenPointer(platform::Pointer::Default);
    if (!read)
        return nullptr;
    if (lines->RecordCount() == 0) {
        platform::MsgBox(QObject::tr("The collection holds no items yet, so there is no value "
                                     "to summarise. "),
                         platform::exclamation(), kAppTitle);
        return nullptr;
    }
    return new rptValueSummary(valueSummaryLayout(), lines);
}

} // namespace reports

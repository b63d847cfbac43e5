#include "trains/reports/CollectionReports.h"

#include "trains/modGlobal.h"

#include "platform/LocaleText.h"

namespace reports {

namespace {
// Amounts in the user's currency, read when a report is laid out.
QString money() {
    return platform::moneyPattern();
}
const QString kDate = QStringLiteral("M/d/yyyy");

// Everything but the kind's own columns is the same in the three reports.
std::array<ColumnSpec, 12> columnsWith(const ColumnSpec &sixth, const ColumnSpec &seventh) {
    return {{
        {QStringLiteral("ID No."), QStringLiteral("ItemID"), {}},
        {QStringLiteral("Manufacturer"), QStringLiteral("Manufacturer"), {}},
        {QStringLiteral("Rail Line"), QStringLiteral("RailLine"), {}},
        {QStringLiteral("Gauge"), QStringLiteral("Gauge"), {}},
        {QStringLiteral("Curve"), QStringLiteral("Curve"), {}},
        sixth,
        seventh,
        {QStringLiteral("Cost"), QStringLiteral("OriginalCost"), money()},
        {QStringLiteral("Value"), QStringLiteral("CurrentValue"), money()},
        {QStringLiteral("Accquired"), QStringLiteral("DateAccquired"), kDate},
        {QStringLiteral("Box"), QStringLiteral("Box"), {}},
        {QStringLiteral("Condition:"), QStringLiteral("Condition"), {}},
    }};
}

const ColumnSpec kPower{QStringLiteral("Power"), QStringLiteral("CarType"), {}};

// Rules of the caption row and the detail rows: the lefts of the column boxes plus the
// right edge of the last one.
constexpr std::array<int, 13> kRuleLefts = {144,  1008,  3024,  5472,  6480,  7200, 8208,
                                            9216, 10080, 10944, 12096, 12672, 14400};
constexpr int kRuleLeft = 144;
constexpr int kRuleWidth = 14250;

ReportControl label(QRect r, QString text, Qt::Alignment align, TextStyle style = {}) {
    ReportControl c;
    c.kind = ReportControl::Kind::Label;
    c.rect = r;
    c.text = std::move(text);
    c.align = align;
    c.style = std::move(style);
    return c;
}

ReportControl line(int left, int top, int width, int height) {
    ReportControl c;
    c.kind = ReportControl::Kind::Line;
    c.rect = QRect(left, top, width, height);
    return c;
}

TextStyle bold(double points) {
    TextStyle s;
    s.points = points;
    s.bold = true;
    return s;
}
} // namespace

const std::array<ColumnBox, 12> kColumnBoxes = {{{144, 870},
                                                 {1008, 2010},
                                                 {3024, 2445},
                                                 {5472, 1020},
                                                 {6480, 720},
                                                 {7200, 1005},
                                                 {8208, 1005},
                                                 {9216, 795},
                                                 {10080, 810},
                                                 {10944, 1155},
                                                 {12096, 570},
                                                 {12672, 1725}}};

const CollectionReportKind &carReport() {
    static const CollectionReportKind k{
        "rptCar", "cmdCars", QStringLiteral("  -  Rolling Stock Report"),
        QStringLiteral("  -  Rolling Stock Report"),
        columnsWith({QStringLiteral("Color"), QStringLiteral("CarColor"), {}},
                    {QStringLiteral("Number"), QStringLiteral("CarNumber"), {}})};
    return k;
}

const CollectionReportKind &locoReport() {
    static const CollectionReportKind k{
        "rptLoco", "cmdLoco", QStringLiteral("  -  Locomotive Report"),
        QStringLiteral("  -  Locomotives Report"),
        columnsWith(kPower, {QStringLiteral("Number"), QStringLiteral("CarNumber"), {}})};
    return k;
}

const CollectionReportKind &setsReport() {
    static const CollectionReportKind k{
        "rptSets", "cmdSets", QStringLiteral("  -  Full Set Report"),
        QStringLiteral("  -  Full Set Report"),
        columnsWith(kPower, {QStringLiteral("Number"), QStringLiteral("SetNumber"), {}})};
    return k;
}

ReportLayout buildLayout(const CollectionReportKind &kind) {
    ReportLayout r;
    r.width = kReportWidth;

    ReportBand &head = r.pageHeader;
    head.height = 1596;
    head.controls << label(QRect(1537, 0, 11520, 435), QStringLiteral("%i"), Qt::AlignHCenter,
                           bold(14.25));
    head.controls << label(QRect(12960, 864, 1440, 285), QStringLiteral("%d"), Qt::AlignRight);
    head.controls << line(kRuleLeft, 1152, kRuleWidth, 0) << line(kRuleLeft, 1584, kRuleWidth, 0);
    for (int x : kRuleLefts)
        head.controls << line(x, 1152, 0, 430);

    ReportBand &detail = r.detail;
    detail.height = 432;
    for (int x : kRuleLefts)
        detail.controls << line(x, 0, 0, 420);
    detail.controls << line(kRuleLeft, 432, kRuleWidth, 0);

    for (std::size_t i = 0; i < kind.columns.size(); ++i) {
        const ColumnSpec &col = kind.columns[i];
        const ColumnBox &box = kColumnBoxes[i];
        head.controls << label(QRect(box.left, 1296, box.width, 285), col.caption, Qt::AlignHCenter,
                               bold(8.25));
        ReportControl f;
        f.kind = ReportControl::Kind::Field;
        f.rect = QRect(box.left, 144, box.width, 285);
        f.field = col.field;
        f.format = col.format;
        // Amounts line up on their decimal point; everything else is centred in its box.
        f.align = col.format.contains(QLatin1Char('#')) ? Qt::AlignRight : Qt::AlignHCenter;
        detail.controls << f;
    }

    ReportBand &foot = r.pageFooter;
    foot.height = 447;
    foot.controls << label(QRect(144, 144, 435, 300), QStringLiteral("Page"), Qt::AlignLeft)
                  << label(QRect(576, 144, 435, 300), QStringLiteral("%p"), Qt::AlignHCenter)
                  << label(QRect(1008, 144, 285, 300), QStringLiteral("of"), Qt::AlignHCenter)
                  << label(QRect(1296, 144, 435, 300), QStringLiteral("%P"), Qt::AlignHCenter)
                  << label(QRect(5857, 144, 2880, 300), kAppTitle, Qt::AlignHCenter)
                  << label(QRect(12240, 144, 2160, 300), kProductWebAddress, Qt::AlignLeft);
    return r;
}

} // namespace reports

#pragma once
// A banded report described as data: five bands (report header, page header, detail, page
// footer, report footer), each a height and a list of labels, bound fields and rules placed in
// twips (1/1440 inch) from the band's top-left corner. One renderer draws any such layout.
#include <QList>
#include <QRect>
#include <QString>
#include <QVariant>
#include <Qt>

namespace reports {

constexpr int kTwipsPerInch = 1440;
constexpr int kTwipsPerPoint = 20;

struct TextStyle {
    QString family = QStringLiteral("Arial");
    double points = 8.25;
    bool bold = false;
};

struct ReportControl {
    enum class Kind { Label, Field, Line };
    Kind kind = Kind::Label;
    // Label and field: the text box. Line: runs from the top-left corner over the width and
    // height (one of them 0).
    QRect rect;
    // Label text; "%i" title, "%d" date, "%p" page number and "%P" page count are replaced
    // when a page is drawn.
    QString text;
    // Field: the column of the report's rows, and its display format ("\"$\"#,##0.00",
    // "M/d/yyyy", or empty for the text as stored).
    QString field;
    QString format;
    Qt::Alignment align = Qt::AlignLeft;
    TextStyle style;
};

struct ReportBand {
    int height = 0;
    QList<ReportControl> controls;
};

struct ReportLayout {
    QString title; // what "%i" shows
    int width = 0;
    int leftMargin = 0, rightMargin = 0, topMargin = 0, bottomMargin = 0;
    bool landscape = true;
    ReportBand reportHeader, pageHeader, detail, pageFooter, reportFooter;
};

// A field's value as the report prints it.
// Amounts ("\"$\"#,##0.00") print grouped with two decimals, stored dates (yyyy-MM-dd text)
// print in the given date pattern ("M/d/yyyy"); Null prints nothing; a value the format cannot
// read prints as stored.
QString formatField(const QVariant &value, const QString &format);

// True for a number format such as "\"$\"#,##0.00": such a field is never cut short; when its
// text is wider than its box it prints smaller instead.
bool isNumberFormat(const QString &format);

} // namespace reports

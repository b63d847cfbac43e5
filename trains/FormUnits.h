#pragma once
// Form geometry and fonts as the forms are designed: positions in twips (15 to a pixel) and
// fonts by family, size in points and weight.
#include <QFont>
#include <QRect>
#include <QString>

constexpr int px(int twips) {
    return twips / 15;
}

inline QRect twips(int left, int top, int width, int height) {
    return {px(left), px(top), px(width), px(height)};
}

inline QFont fontOf(const char *family, double points, bool bold = false) {
    QFont f(QString::fromLatin1(family));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

inline QFont verdana(double points, bool bold = false) {
    return fontOf("Verdana", points, bold);
}

// The three kinds of deletion form: every text and the one column in which they differ.
#include "trains/delete/DeleteKind.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr Qt::Alignment kLeft = Qt::AlignLeft;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight;

// The list's columns; only the type column's width and the number column differ by kind.
QList<ListField> deleteColumns(ItemKind kind, int typeWidth, const QString &numberHeader) {
    const QString numberField = QLatin1String(kindRow(kind).numberColumn);
    using F = CellFormat;
    return {
        {{QStringLiteral("ID"), kLeft, 1000}, QStringLiteral("ItemID"), F::Text},
        {{QStringLiteral("Manufacturer"), kCentre, 2500}, QStringLiteral("Manufacturer"), F::Text},
        {{QStringLiteral("Rail Line"), kCentre, 2500}, QStringLiteral("RailLine"), F::Text},
        {{QStringLiteral("Type"), kCentre, typeWidth}, QStringLiteral("CarType"), F::Text},
        {{numberHeader, kCentre, 1500}, numberField, F::Text},
        {{QStringLiteral("Gauge"), kCentre, 1200}, QStringLiteral("Gauge"), F::Text},
        {{QStringLiteral("Curve"), kCentre, 1200}, QStringLiteral("Curve"), F::Text},
        {{QStringLiteral("Color"), kCentre, 1200}, QStringLiteral("CarColor"), F::Text},
        {{QStringLiteral("Accquired From"), kCentre, 2500},
         QStringLiteral("AccquiredFrom"),
         F::Text},
        {{QStringLiteral("Cost"), kRight, 1200}, QStringLiteral("OriginalCost"), F::Money},
        {{QStringLiteral("Value"), kRight, 1200}, QStringLiteral("CurrentValue"), F::Money},
        {{QStringLiteral("Accquired"), kCentre, 1440}, QStringLiteral("DateAccquired"), F::Date},
        {{QStringLiteral("Condition"), kCentre, 1500}, QStringLiteral("Condition"), F::Text},
        {{QStringLiteral("Box"), kCentre, 1000}, QStringLiteral("Box"), F::Text},
        {{QStringLiteral("Notes"), kLeft, 3000}, QStringLiteral("Notes"), F::Text},
    };
}

constexpr std::array<int, 5> kLefts = {120, 1260, 3780, 6540, 9720};
constexpr std::array<int, 5> kWidths = {1095, 2475, 2715, 3135, 1335};

DeleteKind carKind() {
    return {
        "frmDeletecar",
        QStringLiteral("Delete Rolling Stock Record"),
        QStringLiteral("lvCars"),
        QStringLiteral("Type"),
        deleteColumns(ItemKind::Car, 3000, QStringLiteral("Car Number")),
        &dllRails::LoadDeleteCar,
        &dllRails::DeleteCar,
        QStringLiteral("Rolling Stock Record Deleted"),
        QStringLiteral("Do you want to delete another Rolling Stock record? "),
        QStringLiteral("Rolling Stock Record was NOT Deleted"),
        kLefts,
        kWidths,
        11190,
        6390,
    };
}

DeleteKind locoKind() {
    return {
        "frmDeleteLoco",
        QStringLiteral("Delete Locomotive Record"),
        QStringLiteral("lvLocos"),
        QStringLiteral("Car Type"),
        deleteColumns(ItemKind::Loco, 1200, QStringLiteral("Loco Number")),
        &dllRails::LoadDeleteLoco,
        &dllRails::DeleteLoco,
        QStringLiteral("Locomotive Record Deleted"),
        QStringLiteral("Do you want to delete another Locomotive record? "),
        QStringLiteral("Locomotive Record was NOT Deleted"),
        {120, 1260, 4080, 6480, 9660},
        {1095, 2775, 2355, 3135, 1395},
        11190,
        6375,
    };
}

DeleteKind setKind() {
    return {
        "frmDeleteSet",
        QStringLiteral("Delete Full Set Record"),
        QStringLiteral("lvSets"),
        QStringLiteral("Type"),
        deleteColumns(ItemKind::Set, 3000, QStringLiteral("Set Number")),
        &dllRails::LoadDeleteSet,
        &dllRails::DeleteSet,
        QStringLiteral("Full Set Record Deleted"),
        QStringLiteral("Do you want to delete another Full Set record? "),
        QStringLiteral("Full Set Record was NOT Deleted"),
        kLefts,
        kWidths,
        11175,
        6390,
    };
}

} // namespace

const DeleteKind &deleteKind(ItemKind kind) {
    static const DeleteKind kinds[] = {carKind(), locoKind(), setKind()};
    return kinds[std::min(std::size_t(kind), std::size(kinds) - 1)];
}

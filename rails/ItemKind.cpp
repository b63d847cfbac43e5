#include "rails/ItemKind.h"

#include <QObject>

namespace {

constexpr std::array<ItemKindRow, 5> kKinds{{
    {ItemKind::Car, "CL-", "Car", "CarNumber", "Rolling Stock", "Rolling Stock",
     QT_TRANSLATE_NOOP("QObject", "Rolling Stock")},
    {ItemKind::Loco, "LL-", "Loco", "CarNumber", "Locomotive", "Locomotives",
     QT_TRANSLATE_NOOP("QObject", "Locomotive")},
    {ItemKind::Set, "SL-", "FullSet", "SetNumber", "Full Set", "Full Sets",
     QT_TRANSLATE_NOOP("QObject", "Train Set")},
    {ItemKind::Track, nullptr, "Track", "CarNumber", "Track", "Track",
     QT_TRANSLATE_NOOP("QObject", "Track")},
    {ItemKind::Accessory, nullptr, "Accessory", "CarNumber", "Accessory", "Accessories",
     QT_TRANSLATE_NOOP("QObject", "Accessory")},
}};

} // namespace

const ItemKindRow &kindRow(ItemKind kind) {
    return kKinds[std::size_t(kind)];
}

QString kindName(ItemKind kind) {
    return QString::fromLatin1(kindRow(kind).name);
}

QString kindPlural(ItemKind kind) {
    return QString::fromLatin1(kindRow(kind).plural);
}

QString kindViewName(ItemKind kind) {
    return QObject::tr(kindRow(kind).viewName);
}

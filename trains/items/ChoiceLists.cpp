#include "trains/items/ChoiceLists.h"

namespace items {

const QStringList &manufacturers() {
    static const QStringList l{
        QStringLiteral("Lionel"),   QStringLiteral("K-Line"),     QStringLiteral("Walthers"),
        QStringLiteral("Accurail"), QStringLiteral("A-Line"),     QStringLiteral("American Flyer"),
        QStringLiteral("Athearn"),  QStringLiteral("Atlas"),      QStringLiteral("Bachmann"),
        QStringLiteral("Badger"),   QStringLiteral("Branchline"), QStringLiteral("Kadee"),
        QStringLiteral("Kalmbach"), QStringLiteral("Kato"),       QStringLiteral("Keystone"),
        QStringLiteral("Marklin"),  QStringLiteral("Marx"),       QStringLiteral("MTH"),
        QStringLiteral("Trix"),     QStringLiteral("Other")};
    return l;
}

const QStringList &carTypesAddOrder() {
    static const QStringList l{
        QStringLiteral("Baggage Car"),
        QStringLiteral("Barrel Car"),
        QStringLiteral("Box Car"),
        QStringLiteral("Box Car - Double Door"),
        QStringLiteral("Box Car - Double Sheathed"),
        QStringLiteral("Box Car - Operating"),
        QStringLiteral("Box Car - PS1"),
        QStringLiteral("Box Car - Reefer"),
        QStringLiteral("Bunk Car"),
        QStringLiteral("Caboose"),
        QStringLiteral("Caboose - Bay Window"),
        QStringLiteral("Caboose - Ext Window"),
        QStringLiteral("Caboose - Work"),
        QStringLiteral("Derrick Car"),
        QStringLiteral("Diner"),
        QStringLiteral("Dump Car"),
        QStringLiteral("Dump Car - Coal"),
        QStringLiteral("Dump Car - Logs"),
        QStringLiteral("Flat Car"),
        QStringLiteral("Flat Car - Husky Stack"),
        QStringLiteral("Flat Car - Piggyback"),
        QStringLiteral("Gondola"),
        QStringLiteral("Hopper"),
        QStringLiteral("Hopper - 3 Bay"),
        QStringLiteral("Hopper - Offset"),
        QStringLiteral("Hopper - Operating"),
        QStringLiteral("Launching Car"),
        QStringLiteral("Log Car"),
        QStringLiteral("Milk Car"),
        QStringLiteral("Milk Car - Operating"),
        QStringLiteral("MOW Car"),
        QStringLiteral("MOW Car - Welding"),
        QStringLiteral("Ore Car"),
        QStringLiteral("Other"),
        QStringLiteral("Passenger - Vista Dome"),
        QStringLiteral("Passenger Car"),
        QStringLiteral("Refrigerator Car"),
        QStringLiteral("Searchlight Car"),
        QStringLiteral("Snow Blower"),
        QStringLiteral("Stock Car"),
        QStringLiteral("Stock Car - 40 Ton"),
        QStringLiteral("Tank Car - 2 Dome"),
        QStringLiteral("Tank Car - 3 Dome"),
        QStringLiteral("Tank Car - Standard"),
        QStringLiteral("Tender"),
        QStringLiteral("Work Car"),
    };
    return l;
}

// The edit form holds the same car types with a few of them in other places.
const QStringList &carTypesEditOrder() {
    static const QStringList l = [] {
        QStringList t = carTypesAddOrder();
        auto placeBefore = [&t](const QString &moved, const QString &anchor) {
            t.removeOne(moved);
            t.insert(t.indexOf(anchor), moved);
        };
        t.removeOne(QStringLiteral("Box Car - Double Sheathed"));
        t.insert(t.indexOf(QStringLiteral("Box Car - Reefer")) + 1,
                 QStringLiteral("Box Car - Double Sheathed"));
        placeBefore(QStringLiteral("Caboose - Ext Window"), QStringLiteral("Caboose - Bay Window"));
        placeBefore(QStringLiteral("Flat Car - Piggyback"), QStringLiteral("Flat Car - Husky Stack"));
        placeBefore(QStringLiteral("Passenger Car"), QStringLiteral("Passenger - Vista Dome"));
        placeBefore(QStringLiteral("Tank Car - Standard"), QStringLiteral("Tank Car - 2 Dome"));
        t.removeOne(QStringLiteral("Other"));
        t.append(QStringLiteral("Other"));
        return t;
    }();
    return l;
}

const QStringList &locomotiveTypes() {
    static const QStringList l{QStringLiteral("Steam"), QStringLiteral("Diesel"),
                               QStringLiteral("Electric"), QStringLiteral("Other")};
    return l;
}

const QStringList &gauges() {
    static const QStringList l{
        QStringLiteral("O-Standard"), QStringLiteral("O-27"),    QStringLiteral("S Gauge"),
        QStringLiteral("HO Gauge"),   QStringLiteral("N Gauge"), QStringLiteral("G Gauge"),
        QStringLiteral("Z Guage"),    QStringLiteral("Large"),   QStringLiteral("Other")};
    return l;
}

const QStringList &minimumCurves() {
    static const QStringList l{QStringLiteral("O-27"), QStringLiteral("O-31"),
                               QStringLiteral("O-36"), QStringLiteral("O-54"),
                               QStringLiteral("O-72"), QStringLiteral("Other")};
    return l;
}

const QStringList &conditions() {
    static const QStringList l{
        QStringLiteral("New In Box"),   QStringLiteral("As New"),     QStringLiteral("Excellent"),
        QStringLiteral("Good"),         QStringLiteral("Fair"),       QStringLiteral("Poor"),
        QStringLiteral("Needs Repair"), QStringLiteral("Parts Only"), QStringLiteral("Other")};
    return l;
}

} // namespace items

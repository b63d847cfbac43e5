#include "trains/items/ChoiceLists.h"

#include "platform/Error.h"
#include "rails/records/Records.h"

#include <QObject>

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
        placeBefore(QStringLiteral("Flat Car - Piggyback"),
                    QStringLiteral("Flat Car - Husky Stack"));
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

const QList<ChoiceListInfo> &choiceListInfos() {
    static const QList<ChoiceListInfo> l{
        {QStringLiteral("Manufacturer"),
         QObject::tr("Manufacturers"),
         manufacturers(),
         QStringLiteral("Manufacturer"),
         {}},
        {QStringLiteral("CarType"),
         QObject::tr("Car Types"),
         carTypesAddOrder(),
         QStringLiteral("CarType"),
         {QStringLiteral("Car")}},
        {QStringLiteral("LocoType"),
         QObject::tr("Locomotive Types (locomotives and train sets)"),
         locomotiveTypes(),
         QStringLiteral("CarType"),
         {QStringLiteral("Loco"), QStringLiteral("FullSet")}},
        {QStringLiteral("Gauge"), QObject::tr("Gauges"), gauges(), QStringLiteral("Gauge"), {}},
        {QStringLiteral("Curve"),
         QObject::tr("Minimum Curves"),
         minimumCurves(),
         QStringLiteral("Curve"),
         {}},
        {QStringLiteral("Condition"),
         QObject::tr("Conditions"),
         conditions(),
         QStringLiteral("Condition"),
         {}},
    };
    return l;
}

QString choiceListKey(int combo, const QStringList &types) {
    switch (combo) {
    case 0:
        return QStringLiteral("Manufacturer");
    case 1:
        return types == locomotiveTypes() ? QStringLiteral("LocoType") : QStringLiteral("CarType");
    case 2:
        return QStringLiteral("Gauge");
    case 3:
        return QStringLiteral("Curve");
    default:
        return QStringLiteral("Condition");
    }
}

QStringList offeredEntries(const QString &key, const QStringList &designed) {
    QStringList out = designed;
    // A collection without the table (made by an older build and not yet opened for writing)
    // simply has no entries of the collector's own.
    platform::trap(
        [&] {
            for (const records::Choice &c : records::Store().choices(key))
                if (!c.hidden && !designed.contains(c.entry, Qt::CaseInsensitive))
                    out << c.entry;
        },
        [](const platform::Error &) {});
    return out;
}

} // namespace items

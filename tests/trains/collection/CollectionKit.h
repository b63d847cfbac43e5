#pragma once
// The collection the Browse tests share: four items of three kinds, with accents, natural
// numbers and amounts, and typing as a keyboard does.
#include "tests/support/TestSupport.h"

#include "rails/SchemaAdditions.h"
#include "rails/engine/Connection.h"

#include <QTest>

namespace collectionkit {
// kind flag, ItemID, maker, line, type, number, gauge, colour, cost, value, date, condition
inline const char *const kItems[][12] = {
    {"Car", "CL-2", "Marklin", "Deutsche Züge", "Box Car", "1042", "HO Gauge", "Rot", "9.5", "12",
     "2021-05-01", "Excellent"},
    {"Car", "CL-10", "Lionel", "Santa Fe", "Caboose", "77", "O-27", "Red", "100", "150",
     "2019-03-10", "Good"},
    {"Loco", "LL-3", "ROCO", "Santa Fe", "Diesel", "2343", "HO Gauge", "Blue", "10", "8",
     "2023-01-15", "Good"},
    {"FullSet", "SL-4", "Lionel", "Union Pacific", "Freight Set", "6-30", "O-27", "Yellow", "250",
     "400", "2015-12-24", "New In Box"},
};

inline void seed(const testing::ProgramFolder &pf) {
    for (const auto &it : kItems) {
        const QString kind = QString::fromUtf8(it[0]);
        const bool set = kind == QLatin1String("FullSet");
        pf.exec(
            QStringLiteral(
                "INSERT INTO tblMain (ItemID, Manufacturer, RailLine, CarType, %1, Gauge, Curve, "
                "%2, AccquiredFrom, OriginalCost, CurrentValue, DateAccquired, Condition, Box, "
                "Notes, Car, Loco, FullSet, Track, Accessory) VALUES ('%3','%4','%5','%6','%7',"
                "'%8','O-31','%9','Train Show',%10,%11,'%12','%13','YES','Mint box',%14,%15,%16,"
                "'NO','NO')")
                .arg(set ? "SetNumber" : "CarNumber", set ? "Color" : "CarColor")
                .arg(QString::fromUtf8(it[1]), QString::fromUtf8(it[2]), QString::fromUtf8(it[3]),
                     QString::fromUtf8(it[4]), QString::fromUtf8(it[5]), QString::fromUtf8(it[6]),
                     QString::fromUtf8(it[7]), QString::fromUtf8(it[8]))
                .arg(QString::fromUtf8(it[9]), QString::fromUtf8(it[10]), QString::fromUtf8(it[11]))
                .arg(kind == "Car" ? "'YES'" : "'NO'", kind == "Loco" ? "'YES'" : "'NO'",
                     set ? "'YES'" : "'NO'"));
    }
}

// The tables of the collector's records, as start-up adds them.
inline void addRecordTables(const testing::ProgramFolder &pf) {
    engine::Connection c;
    c.ConnectionString = QStringLiteral("Provider=SQLite;Data Source=") + pf.databasePath() + ';';
    c.Open();
    rails::applySchemaAdditions(c);
    c.Close();
}

// Types as a keyboard does, letters beyond ASCII included.
inline void type(QWidget *w, const QString &text) {
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(w, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

} // namespace collectionkit

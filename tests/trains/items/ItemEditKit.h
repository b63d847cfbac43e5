#pragma once
// What the edit form tests share: items stored straight into the collection, the forms by
// kind, and a fixture that opens one form on a temporary program folder.
#include "tests/support/TestSupport.h"
#include "tests/trains/items/ItemFormKit.h"
#include "trains/items/EditForms.h"
#include "trains/lists/ItemList.h"
#include "trains/modGlobal.h"

#include <QHeaderView>
#include <memory>

namespace editkit {

// One stored item; a null QVariant stores NULL.
struct Item {
    QString id;
    QString kind = "Car"; // Car, Loco or FullSet
    QVariant manufacturer = "Lionel", railLine = "Santa Fe", type = "Box Car", number = "4021",
             gauge = "O-27", curve = "O-31", colour = "Red", from = "Train show", cost = 1234.5,
             value = 20.0, date = "2007-08-16", condition = "Good", box = "YES",
             notes = "First car";
};

inline QString sqlValue(const QVariant &v) {
    if (v.isNull())
        return "NULL";
    if (v.typeId() == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 15);
    return "'" + v.toString().replace("'", "''") + "'";
}

inline void store(const testing::ProgramFolder &pf, const Item &i) {
    const QString numberColumn = i.kind == "FullSet" ? "SetNumber" : "CarNumber";
    const auto flag = [&](const char *k) { return i.kind == k ? "'YES'" : "'NO'"; };
    pf.exec(QString("INSERT INTO tblMain (ItemID, Manufacturer, RailLine, CarType, %1, Gauge, "
                    "Curve, CarColor, AccquiredFrom, OriginalCost, CurrentValue, DateAccquired, "
                    "DateAdd, Condition, Box, Notes, Car, Loco, FullSet, Track, Accessory) "
                    "VALUES ('%2', %3, %4, %5, %6, %7, %8, %9, %10, %11, %12, %13, "
                    "'2007-08-16 10:00:00', %14, %15, %16, %17, %18, %19, 'NO', 'NO')")
                .arg(numberColumn, i.id, sqlValue(i.manufacturer), sqlValue(i.railLine),
                     sqlValue(i.type), sqlValue(i.number), sqlValue(i.gauge), sqlValue(i.curve),
                     sqlValue(i.colour))
                .arg(sqlValue(i.from), sqlValue(i.cost), sqlValue(i.value), sqlValue(i.date),
                     sqlValue(i.condition), sqlValue(i.box), sqlValue(i.notes), flag("Car"),
                     flag("Loco"))
                .arg(flag("FullSet")));
}

inline QWidget *newForm(int kind) {
    switch (kind) {
    case 1:
        return new frmEditLoco;
    case 2:
        return new frmEditSet;
    default:
        return new frmEditCar;
    }
}
inline QString kindFlag(int kind) {
    return kind == 0 ? "Car" : kind == 1 ? "Loco" : "FullSet";
}
inline QString typeCaption(int kind) {
    return kind == 0 ? "Car Type" : "Locomotive Type";
}
inline QString numberCaption(int kind) {
    return kind == 2 ? "Set Number" : "Car Number";
}
inline QString numberColumn(int kind) {
    return kind == 2 ? "SetNumber" : "CarNumber";
}
inline Item itemOf(int kind, const QString &id) {
    Item i;
    i.id = id;
    i.kind = kindFlag(kind);
    if (kind != 0)
        i.type = "Diesel";
    return i;
}

struct Fixture {
    testing::ProgramFolder pf;
    testing::ScriptedMsgBox box;
    testing::FakeClock clock;
    std::unique_ptr<QWidget> form;
    int kind = 0;
    Fixture() { SetProgramFolder(pf.path()); }
    ~Fixture() { SetProgramFolder(QString()); }
    void open(int k) {
        kind = k;
        form.reset(newForm(k));
        form->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    ItemListView *list() const { return form->findChild<ItemListView *>(); }
    ItemListModel *model() const { return list()->listModel(); }
    QStringList column(int c) const {
        QStringList out;
        for (int r = 0; r < model()->rowCount(); ++r)
            out << model()->cell(r, c);
        return out;
    }
    void clickRow(int row) {
        const QRect r = list()->visualRect(model()->index(row, 1));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, r.center());
    }
    void clickHeader(int column) {
        QHeaderView *h = list()->header();
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                          QPoint(h->sectionViewportPosition(column) + 10, h->height() / 2));
    }
    QAbstractButton *save() const { return kit::button(form.get(), "&Save"); }
    QString lineText(const QString &cap) const {
        return kit::fieldAs<QLineEdit>(form.get(), cap)->text();
    }
    QString comboText(const QString &cap) const {
        return kit::fieldAs<QComboBox>(form.get(), cap)->currentText();
    }
};

inline void addKinds() {
    QTest::addColumn<int>("kind");
    QTest::newRow("frmEditCar") << 0;
    QTest::newRow("frmEditLoco") << 1;
    QTest::newRow("frmEditSet") << 2;
}

} // namespace editkit

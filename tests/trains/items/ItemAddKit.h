#pragma once
// What the add form tests share: the forms by kind, their entries, and a fixture that opens
// one form against its own empty database.
#include "tests/support/TestSupport.h"
#include "tests/trains/items/ItemFormKit.h"
#include "trains/items/AddForms.h"
#include "trains/modGlobal.h"

#include <memory>

namespace addkit {

inline QWidget *newForm(int kind) {
    switch (kind) {
    case 1:
        return new frmAddLoco;
    case 2:
        return new frmAddSet;
    default:
        return new frmAddCar;
    }
}
inline QString typeCaption(int kind) {
    return kind == 0 ? QStringLiteral("Car Type") : QStringLiteral("Locomotive Type");
}
inline QString numberCaption(int kind) {
    return kind == 2 ? QStringLiteral("Set Number") : QStringLiteral("Car Number");
}
inline kit::Entry entryFor(int kind) {
    kit::Entry e;
    e.type = kind == 0 ? QStringLiteral("Box Car") : QStringLiteral("Diesel");
    return e;
}

// One open add form against its own empty database.
struct Fixture {
    testing::ProgramFolder pf;
    testing::ScriptedMsgBox box;
    testing::FakeClock clock;
    std::unique_ptr<QWidget> form;
    int kind;
    explicit Fixture(int k) : kind(k) {
        SetProgramFolder(pf.path());
        form.reset(newForm(k));
        form->setAttribute(Qt::WA_DeleteOnClose, false); // the fixture owns it
    }
    ~Fixture() { SetProgramFolder(QString()); }
    void fill(const kit::Entry &e) {
        kit::fill(form.get(), typeCaption(kind), numberCaption(kind), e);
    }
    qlonglong rows() const { return pf.scalar("SELECT COUNT(*) FROM tblMain").toLongLong(); }
    QDate today() const { return clock.now().date(); }
};

inline void addKinds() {
    QTest::addColumn<int>("kind");
    QTest::newRow("frmAddCar") << 0;
    QTest::newRow("frmAddLoco") << 1;
    QTest::newRow("frmAddSet") << 2;
}

} // namespace addkit

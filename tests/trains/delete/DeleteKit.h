#pragma once
// What the deletion form tests share: the three kinds as the tests see them, items stored
// straight into the collection, and the form shown as the main window shows it.
#include "platform/LocaleText.h"
#include "tests/support/TestSupport.h"
#include "trains/Forms.h"
#include "trains/delete/DeleteForms.h"
#include "trains/modGlobal.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <memory>

using platform::MsgButtons;
using platform::MsgIcon;
using platform::MsgResult;
using platform::vbCrLf;

namespace deletekit {

struct KindCase {
    FormId id;
    QString flag;        // kind column set to 'YES'
    QString prefix;      // item number prefix
    QString numberField; // column shown under the number header
    QString numberHeader;
    QString typeCaption;
    int typeWidth; // pixels
    QString noun;  // as the messages name the kind
    QString title;
    QString load; // the store's listing operation
};

inline const QList<KindCase> &kinds() {
    static const QList<KindCase> k = {
        {FormId::DeleteCar, "Car", "CL-", "CarNumber", "Car Number", "Type", 200, "Rolling Stock",
         "Delete Rolling Stock Record", "LoadDeleteCar"},
        {FormId::DeleteLoco, "Loco", "LL-", "CarNumber", "Loco Number", "Car Type", 80,
         "Locomotive", "Delete Locomotive Record", "LoadDeleteLoco"},
        {FormId::DeleteSet, "FullSet", "SL-", "SetNumber", "Set Number", "Type", 200, "Full Set",
         "Delete Full Set Record", "LoadDeleteSet"},
    };
    return k;
}

inline QString sqlValue(const QVariant &v) {
    if (v.isNull())
        return QStringLiteral("NULL");
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Int)
        return v.toString();
    return QLatin1Char('\'') + v.toString().replace('\'', "''") + QLatin1Char('\'');
}

// One stored item of the kind; `overrides` replaces any column's value (a null QVariant stores
// Null).
inline void insertItem(const testing::ProgramFolder &pf, const KindCase &k, const QString &itemId,
                       const QVariantMap &overrides = {}) {
    QVariantMap v = {
        {"ItemID", itemId},
        {"Manufacturer", "Lionel"},
        {"RailLine", "Santa Fe"},
        {"CarType", "Boxcar"},
        {"CarNumber", "6464"},
        {"SetNumber", "1590"},
        {"Gauge", "O Gauge"},
        {"Curve", "O-27"},
        {"CarColor", "Red"},
        {"AccquiredFrom", "Show"},
        {"OriginalCost", 1234.5},
        {"CurrentValue", 0.0},
        {"DateAccquired", "2007-08-16"},
        {"DateAdd", "2007-08-16 10:00:00"},
        {"Condition", "Excellent"},
        {"Box", "YES"},
        {"Notes", "Mint"},
        {"FullSet", "NO"},
        {"Car", "NO"},
        {"Loco", "NO"},
        {"Track", "NO"},
        {"Accessory", "NO"},
    };
    v[k.flag] = "YES";
    for (auto it = overrides.begin(); it != overrides.end(); ++it)
        v[it.key()] = it.value();
    QStringList cols, vals;
    for (auto it = v.begin(); it != v.end(); ++it) {
        cols << it.key();
        vals << sqlValue(it.value());
    }
    pf.exec(QStringLiteral("INSERT INTO tblMain (%1) VALUES (%2);")
                .arg(cols.join(','), vals.join(',')));
}

inline QStringList columnTexts(const ItemListView *lv, int column) {
    QStringList out;
    for (int r = 0; r < lv->listModel()->rowCount(); ++r)
        out << lv->listModel()->cell(r, column);
    return out;
}

// Controls are found the way a person finds them: by their captions.
inline QLineEdit *boxUnder(QWidget *form, const QString &caption) {
    for (QLabel *l : form->findChildren<QLabel *>())
        if (l->text() == caption && l->buddy())
            return qobject_cast<QLineEdit *>(l->buddy());
    return nullptr;
}

inline QPushButton *button(QWidget *form, const QString &text) {
    for (QPushButton *b : form->findChildren<QPushButton *>())
        if (b->text() == text)
            return b;
    return nullptr;
}

inline QStringList boxTexts(QWidget *form, const QString &typeCaption) {
    QStringList out;
    for (const QString &c : {QString("ID"), QString("Manufacturer"), typeCaption,
                             QString("Rail Line"), QString("Gauge")})
        out << boxUnder(form, c)->text();
    return out;
}

inline void clickRow(ItemListView *lv, int row) {
    lv->scrollTo(lv->model()->index(row, 0));
    const QRect r = lv->visualRect(lv->model()->index(row, 0));
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, r.center());
}

inline void clickHeader(ItemListView *lv, int column) {
    lv->scrollTo(lv->model()->index(0, column));
    QHeaderView *h = lv->header();
    const QPoint at(h->sectionViewportPosition(column) + h->sectionSize(column) / 2,
                    h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
}

// The form as the main window shows it: inside a sub-window of an MDI area.
struct Shown {
    std::unique_ptr<QMdiArea> area = std::make_unique<QMdiArea>();
    QPointer<DeleteForm> form;
    QPointer<QMdiSubWindow> sub;

    explicit Shown(FormId id) {
        area->resize(900, 650);
        form = qobject_cast<DeleteForm *>(createForm(id));
        sub = area->addSubWindow(form);
        sub->show();
        area->show();
        QVERIFY(QTest::qWaitForWindowExposed(area.get()));
    }
    ItemListView *list() const { return form->list(); }
};

inline void maybeScreenshot(QWidget *w, const QString &name) {
    const QString dir = qEnvironmentVariable("QUILLON_SHOT_DIR");
    if (!dir.isEmpty())
        w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// What every deletion form test starts from, and what it checks when it ends: no message box
// was shown that the test did not expect.
struct Fixture {
    std::unique_ptr<testing::ProgramFolder> pf;
    std::unique_ptr<testing::ScriptedMsgBox> msg;

    static void addKindColumn() {
        QTest::addColumn<int>("kind");
        for (int i = 0; i < kinds().size(); ++i)
            QTest::newRow(formName(kinds()[i].id)) << i;
    }
    void start() {
        pf = std::make_unique<testing::ProgramFolder>();
        SetProgramFolder(pf->path());
        msg = std::make_unique<testing::ScriptedMsgBox>();
    }
    void finish() {
        QCOMPARE(msg->unexpected(), 0);
        msg.reset();
        objRails.reset();
        pf.reset();
    }
};

} // namespace deletekit

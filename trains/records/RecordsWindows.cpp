// The main window's commands for the collector's own records: Choice Lists, Fields, Deleted
// Items and the item card opened from Browse.
#include "trains/shell/frmMain.h"

#include "trains/collection/frmCollection.h"
#include "trains/modGlobal.h"
#include "trains/records/frmChoiceLists.h"
#include "trains/records/frmDeletedItems.h"
#include "trains/records/frmFields.h"
#include "trains/records/frmItemCard.h"

#include "platform/Error.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

// The collector's own records: one window each, brought forward when already open.
void frmMain::openRecordsWindow(const QString &name, const std::function<QWidget *()> &make) {
    if (QMdiSubWindow *open = childWindow(name)) {
        open->showNormal();
        mdi_->setActiveSubWindow(open);
        return;
    }
    platform::resumeNext([&] { addChild(make()); });
}
// One card at a time; it walks through what the Browse window it came from shows.
void frmMain::openItemCard(collection::frmCollection *view, const QString &itemId) {
    if (QMdiSubWindow *open = childWindow(QStringLiteral("frmItemCard"))) {
        if (auto *card = qobject_cast<records::frmItemCard *>(open->widget()))
            card->showItem(itemId);
        open->showNormal();
        mdi_->setActiveSubWindow(open);
        return;
    }
    QPointer<collection::frmCollection> browse(view);
    openRecordsWindow(QStringLiteral("frmItemCard"), [&]() -> QWidget * {
        return new records::frmItemCard(itemId, [browse](const QString &id, int step) {
            return browse ? browse->neighbourOf(id, step) : QString();
        });
    });
    // The card wants room for the item, its fields and its history side by side.
    if (QMdiSubWindow *card = childWindow(QStringLiteral("frmItemCard")))
        card->resize(card->size().expandedTo(QSize(900, 640)).boundedTo(mdi_->viewport()->size()));
}

void frmMain::mnuCollectionDeleted_Click() {
    openRecordsWindow(QStringLiteral("frmDeletedItems"),
                      [] { return new records::frmDeletedItems; });
}
void frmMain::mnuCollectionChoiceLists_Click() {
    openRecordsWindow(QStringLiteral("frmChoiceLists"), [] { return new records::frmChoiceLists; });
}
void frmMain::mnuCollectionFields_Click() {
    openRecordsWindow(QStringLiteral("frmFields"), [] { return new records::frmFields; });
}

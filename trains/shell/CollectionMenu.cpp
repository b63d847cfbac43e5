// The Collection menu's commands: the collection view, the value summary, backup and restore,
// CSV exchange, the inventory and the report settings.
#include "trains/shell/frmMain.h"

#include "trains/collection/BackupDialogs.h"
#include "trains/collection/CsvImportDialog.h"
#include "trains/collection/ExportDialog.h"
#include "trains/collection/frmCollection.h"
#include "trains/items/EditItemForm.h"
#include "trains/reports/InventoryDialog.h"
#include "trains/reports/ReportSettings.h"
#include "trains/reports/ValueSummary.h"

#include "platform/Error.h"

#include <QMdiArea>
#include <QMdiSubWindow>

using platform::resumeNext;

void frmMain::mnuCollectionBrowse_Click() {
    if (QMdiSubWindow *open = childWindow(QStringLiteral("frmCollection"))) {
        open->showNormal();
        mdi_->setActiveSubWindow(open);
        return;
    }
    auto *view = new collection::frmCollection;
    // Edit opens the item's own edit form with its row chosen.
    connect(view, &collection::frmCollection::editRequested, this,
            [this](ItemKind kind, const QString &itemId) {
                const FormId id = kind == ItemKind::Loco  ? FormId::EditLoco
                                  : kind == ItemKind::Set ? FormId::EditSet
                                                          : FormId::EditCar;
                resumeNext([&] { openForm(id); });
                if (QMdiSubWindow *sub = childWindow(QLatin1String(formName(id))))
                    if (auto *form = qobject_cast<items::EditItemForm *>(sub->widget()))
                        form->chooseItem(itemId);
            });
    connect(view, &collection::frmCollection::cardRequested, this,
            [this, view](const QString &itemId) { openItemCard(view, itemId); });
    addChild(view);
    // The list wants all the room there is.
    view->parentWidget()->setGeometry(mdi_->viewport()->rect());
}

void frmMain::mnuCollectionSummary_Click() {
    resumeNext([this] {
        if (QMdiSubWindow *old = childWindow(QStringLiteral("rptValueSummary"))) {
            old->close();
            delete old;
        }
        if (QWidget *report = reports::RunValueSummary()) {
            addChild(report);
            // Like the designed reports: over the whole client area, every button showing.
            if (auto *sub = qobject_cast<QMdiSubWindow *>(report->parentWidget()))
                fitToClientArea(sub);
        }
    });
}

void frmMain::mnuCollectionBackup_Click() {
    collection::backUpCollection(this);
}

void frmMain::mnuCollectionRestore_Click() {
    collection::restoreFromBackup(this, mdi_);
}

void frmMain::mnuCollectionExport_Click() {
    auto *dialog = new collection::ExportDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void frmMain::mnuCollectionImport_Click() {
    collection::importFromCsv(this);
}

void frmMain::mnuCollectionInventory_Click() {
    reports::printInventory(this, {}, true);
}

void frmMain::mnuCollectionCurrency_Click() {
    reports::ReportSettingsDialog dialog(this);
    dialog.exec();
}

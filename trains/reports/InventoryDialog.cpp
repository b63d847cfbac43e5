#include "trains/reports/InventoryDialog.h"

#include "trains/collection/BackgroundWork.h"
#include "trains/collection/BackupDialogs.h"
#include "trains/collection/FileChooser.h"
#include "trains/reports/ReportSettings.h"

#include "platform/Clock.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace reports {

namespace {

const QString kTitle = QStringLiteral("Collection Inventory");

InventoryAsker &asker() {
    static InventoryAsker a;
    return a;
}

} // namespace

InventoryDialog::InventoryDialog(bool chooseKind, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgInventory"));
    setWindowTitle(kTitle);
    auto *form = new QFormLayout;
    if (chooseKind) {
        cboKind = new QComboBox(this);
        cboKind->addItem(tr("All kinds"), -1);
        for (int k = 0; k < 5; ++k)
            cboKind->addItem(kindViewName(ItemKind(k)), k);
        auto *label = new QLabel(tr("&Items:"), this);
        label->setBuddy(cboKind);
        form->addRow(label, cboKind);
    }
    chkOnePerPage = new QCheckBox(tr("&One item per page (else two)"), this);
    form->addRow(chkOnePerPage);
    optAllPhotos = new QRadioButton(tr("&All photos of each item"), this);
    optFirstPhoto = new QRadioButton(tr("&First photo only"), this);
    optAllPhotos->setChecked(true);
    form->addRow(optAllPhotos);
    form->addRow(optFirstPhoto);
    cboPaper = makePaperList(this);
    auto *paperLabel = new QLabel(tr("&Paper:"), this);
    paperLabel->setBuddy(cboPaper);
    form->addRow(paperLabel, cboPaper);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&Save as PDF..."));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *box = new QVBoxLayout(this);
    box->addLayout(form);
    box->addWidget(buttons);
}

InventoryOptions InventoryDialog::options(InventoryOptions given) const {
    if (cboKind) {
        const int k = cboKind->currentData().toInt();
        given.kind = k < 0 ? std::nullopt : std::optional(ItemKind(k));
    }
    given.onePerPage = chkOnePerPage->isChecked();
    given.allPhotos = !optFirstPhoto->isChecked();
    given.paper = QPageSize::PageSizeId(cboPaper->currentData().toInt());
    return given;
}

void setInventoryAsker(InventoryAsker a) {
    asker() = std::move(a);
}

void printInventory(QWidget *parent, const InventoryOptions &given, bool chooseKind) {
    InventoryDialog dialog(chooseKind, parent);
    const bool go = asker() ? asker()(dialog) : dialog.exec() == QDialog::Accepted;
    if (!go)
        return;
    const InventoryOptions options = dialog.options(given);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    const QString suggested =
        folder +
        QStringLiteral("/Inventory %1.pdf").arg(platform::now().date().toString(Qt::ISODate));
    const QString path = collection::chooseFile(
        parent, {true, kTitle, suggested, QStringLiteral("PDF files (*.pdf);;All files (*)")});
    if (path.isEmpty())
        return;
    qint64 items = 0;
    const collection::WorkResult r = collection::runInBackground(
        parent, QObject::tr("Writing the inventory…"), [&](const exchange::Progress &progress) {
            collection::CollectionData data(collection::collectionPath());
            items = writeInventory(data, path, options, [&](int done, int total) {
                return !progress || progress(done, total);
            });
        });
    if (!r.ok) {
        platform::MsgBox(r.description + platform::vbCrLf + platform::vbCrLf +
                             QStringLiteral("No inventory was written."),
                         r.cancelled() ? platform::exclamation() : platform::critical(), kTitle);
        return;
    }
    platform::MsgBox(
        QStringLiteral("The inventory of %1 item(s) was saved to").arg(QLocale().toString(items)) +
            platform::vbCrLf + QDir::toNativeSeparators(path),
        {platform::MsgIcon::None, platform::MsgButtons::OK, platform::MsgDefault::Button1}, kTitle);
}

} // namespace reports

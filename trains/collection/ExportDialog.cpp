#include "trains/collection/ExportDialog.h"

#include "trains/collection/BackgroundWork.h"
#include "trains/collection/BackupDialogs.h"
#include "trains/collection/FileChooser.h"

#include "rails/exchange/ItemExchange.h"

#include "platform/LocaleText.h"
#include "platform/MsgBox.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace collection {

namespace {

using platform::MsgBox;
using platform::vbCrLf;

const QString kExportTitle = QStringLiteral("Export to CSV");

QString documentsFolder() {
    const QString d = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return d.isEmpty() ? QDir::homePath() : d;
}

QString itemCount(qint64 n) {
    return platform::formatNumber(double(n), QStringLiteral("##,##0")) +
           (n == 1 ? QStringLiteral(" item") : QStringLiteral(" items"));
}

void failed(const WorkResult &r, const QString &title) {
    MsgBox(r.description + vbCrLf + vbCrLf + QStringLiteral("Nothing was changed."),
           r.cancelled() ? platform::exclamation() : platform::critical(), title);
}

void report(const QString &text, const QString &title) {
    MsgBox(text, {platform::MsgIcon::None, platform::MsgButtons::OK, platform::MsgDefault::Button1},
           title);
}

} // namespace

ExportDialog::ExportDialog(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ExportDialog"));
    setWindowTitle(kExportTitle);
    cboKind = new QComboBox(this);
    cboKind->setObjectName(QStringLiteral("cboKind"));
    cboKind->addItems({QStringLiteral("All items"), QStringLiteral("Rolling Stock"),
                       QStringLiteral("Locomotives"), QStringLiteral("Full Sets")});
    auto *caption = new QLabel(QStringLiteral("&Items"), this);
    caption->setBuddy(cboKind);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *exportButton =
        buttons->addButton(QStringLiteral("&Export…"), QDialogButtonBox::AcceptRole);
    exportButton->setObjectName(QStringLiteral("cmdExport"));
    exportButton->setDefault(true);
    buttons->addButton(QDialogButtonBox::Close);
    connect(exportButton, &QPushButton::clicked, this, &ExportDialog::cmdExport_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *form = new QFormLayout;
    form->addRow(caption, cboKind);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void ExportDialog::cmdExport_Click() {
    static const std::optional<exchange::ItemKind> kinds[] = {
        std::nullopt, exchange::ItemKind::Car, exchange::ItemKind::Loco, exchange::ItemKind::Set};
    const std::optional<exchange::ItemKind> kind = kinds[std::max(0, cboKind->currentIndex())];
    const QString suggested = documentsFolder() + QStringLiteral("/Quillon ") +
                              (kind ? cboKind->currentText() : QStringLiteral("collection")) +
                              QStringLiteral(".csv");
    const QString file = chooseFile(
        this, {true, kExportTitle, suggested, QStringLiteral("CSV files (*.csv);;All files (*)")});
    if (file.isEmpty())
        return;
    qint64 items = 0;
    const WorkResult r =
        runInBackground(this, QStringLiteral("Exporting items…"), [&](const exchange::Progress &p) {
            items = exchange::exportItems(collectionPath(), file, kind, p);
        });
    if (!r.ok)
        return failed(r, kExportTitle);
    report(itemCount(items) + QStringLiteral(" written to") + vbCrLf +
               QDir::toNativeSeparators(file),
           kExportTitle);
    accept();
}

} // namespace collection

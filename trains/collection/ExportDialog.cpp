#include "trains/collection/ExportDialog.h"

#include "trains/collection/BackgroundWork.h"
#include "trains/collection/BackupDialogs.h"
#include "trains/collection/FileChooser.h"

#include "rails/exchange/FieldColumns.h"
#include "rails/exchange/ItemExchange.h"

#include "platform/Error.h"

#include "platform/LocaleText.h"
#include "platform/MsgBox.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace collection {

namespace {

using platform::MsgBox;
using platform::vbCrLf;

const QString kExportTitle = QStringLiteral("Export to CSV");
const QString kFieldsKey = QStringLiteral("Export/Fields");
const QString kFormatKey = QStringLiteral("Export/Format");
// The FieldID of an entry that is a field of the collector's.
constexpr int kOwnFieldRole = Qt::UserRole + 1;

} // namespace

ExportDialog::ExportDialog(QWidget *parent, const QList<qint64> &shown)
    : QDialog(parent), shown_(shown) {
    setObjectName(QStringLiteral("ExportDialog"));
    setWindowTitle(kExportTitle);
    setAttribute(Qt::WA_DeleteOnClose, !shown.isEmpty());
    cboKind = new QComboBox(this);
    cboKind->setObjectName(QStringLiteral("cboKind"));
    cboKind->addItem(QStringLiteral("All items"));
    for (const ItemKind k : kDesignedKinds)
        cboKind->addItem(kindPlural(k), int(k));
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
    cboKind->setEnabled(shown.isEmpty());
    if (!shown.isEmpty())
        cboKind->setItemText(0,
                             QStringLiteral("The %1 shown in Browse").arg(itemCount(shown.size())));
    cboFormat = new QComboBox(this);
    cboFormat->setObjectName(QStringLiteral("cboFormat"));
    cboFormat->addItem(QStringLiteral("Plain (for scripts and importing again)"));
    cboFormat->addItem(QStringLiteral("For a spreadsheet in this locale (%1)")
                           .arg(QLocale().nativeLanguageName()));
    auto *formatCaption = new QLabel(QStringLiteral("&Format"), this);
    formatCaption->setBuddy(cboFormat);
    lstFields = new QListWidget(this);
    lstFields->setObjectName(QStringLiteral("lstFields"));
    const QSettings settings;
    const QStringList kept = settings.value(kFieldsKey).toStringList();
    for (int f = 0; f < exchange::kFieldCount; ++f) {
        auto *item = new QListWidgetItem(exchange::fieldHeader(f), lstFields);
        item->setData(Qt::UserRole, f);
        item->setCheckState(kept.isEmpty() || kept.contains(exchange::fieldHeader(f))
                                ? Qt::Checked
                                : Qt::Unchecked);
    }
    // The collector's fields after the designed ones; a file without them has none.
    QList<exchange::OwnField> own;
    platform::trap([&] { own = exchange::ownFields(collectionPath()); },
                   [](const platform::Error &) {});
    for (const exchange::OwnField &f : std::as_const(own)) {
        auto *item = new QListWidgetItem(f.name, lstFields);
        item->setData(kOwnFieldRole, f.id);
        item->setCheckState(kept.isEmpty() || kept.contains(f.name) ? Qt::Checked : Qt::Unchecked);
    }
    cboFormat->setCurrentIndex(settings.value(kFormatKey).toInt() == 1 ? 1 : 0);
    auto *fieldsCaption = new QLabel(QStringLiteral("Fi&elds"), this);
    fieldsCaption->setBuddy(lstFields);
    auto *form = new QFormLayout;
    form->addRow(caption, cboKind);
    form->addRow(formatCaption, cboFormat);
    form->addRow(fieldsCaption, lstFields);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void ExportDialog::cmdExport_Click() {
    const QVariant chosenKind = cboKind->currentData();
    const std::optional<ItemKind> kind =
        chosenKind.isValid() ? std::optional(ItemKind(chosenKind.toInt())) : std::nullopt;
    exchange::ExportOptions options;
    options.kind = shown_.isEmpty() ? kind : std::nullopt;
    options.ids = shown_;
    if (cboFormat->currentIndex() == 1)
        options.locale = QLocale();
    QStringList chosen;
    options.ownFields = QList<qint64>();
    for (int i = 0; i < lstFields->count(); ++i)
        if (const QListWidgetItem *item = lstFields->item(i); item->checkState() == Qt::Checked) {
            if (item->data(kOwnFieldRole).isValid())
                options.ownFields->append(item->data(kOwnFieldRole).toLongLong());
            else
                options.fields.append(item->data(Qt::UserRole).toInt());
            chosen.append(item->text());
        }
    if (options.fields.isEmpty()) {
        MsgBox(QStringLiteral("Choose at least one field to export."), platform::exclamation(),
               kExportTitle);
        return;
    }
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
            items = exchange::exportItems(collectionPath(), file, options, p);
        });
    if (!r.ok)
        return reportFailure(r, kExportTitle);
    QSettings settings;
    settings.setValue(kFieldsKey, chosen);
    settings.setValue(kFormatKey, cboFormat->currentIndex());
    reportDone(itemCount(items) + QStringLiteral(" written to") + vbCrLf +
                   QDir::toNativeSeparators(file),
               kExportTitle);
    accept();
}

void exportWhatIsShown(QWidget *parent, const QList<qint64> &itemIds) {
    if (itemIds.isEmpty()) {
        MsgBox(QStringLiteral("Browse shows no items to export."), platform::exclamation(),
               kExportTitle);
        return;
    }
    (new ExportDialog(parent, itemIds))->open();
}

} // namespace collection

#include "trains/collection/CsvImportDialog.h"

#include "trains/collection/BackgroundWork.h"
#include "trains/collection/BackupDialogs.h"
#include "trains/collection/FileChooser.h"

#include "platform/Clock.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace collection {

namespace {

using platform::MsgBox;
using platform::vbCrLf;

const QString kImportTitle = QStringLiteral("Import from CSV");
constexpr exchange::ItemKind kKinds[] = {exchange::ItemKind::Car, exchange::ItemKind::Loco,
                                         exchange::ItemKind::Set};

QString count(qsizetype n) {
    return platform::formatNumber(double(n), QStringLiteral("##,##0"));
}

} // namespace

CsvImportDialog::CsvImportDialog(const QString &file, QWidget *parent)
    : QDialog(parent), file_(file) {
    setObjectName(QStringLiteral("CsvImportDialog"));
    setWindowTitle(kImportTitle + QStringLiteral(" - ") + QFileInfo(file).fileName());
    setAttribute(Qt::WA_DeleteOnClose);

    cboKind = new QComboBox(this);
    cboKind->setObjectName(QStringLiteral("cboKind"));
    cboKind->addItems({QStringLiteral("Rolling Stock"), QStringLiteral("Locomotives"),
                       QStringLiteral("Full Sets")});
    auto *kindCaption = new QLabel(QStringLiteral("&Kind of rows without a Kind"), this);
    kindCaption->setBuddy(cboKind);
    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    lstProblems = new QListWidget(this);
    lstProblems->setObjectName(QStringLiteral("lstProblems"));
    lstProblems->setAccessibleName(QStringLiteral("Problem rows (not imported)"));
    auto *problemsCaption = new QLabel(QStringLiteral("&Problem rows (not imported)"), this);
    problemsCaption->setBuddy(lstProblems);

    auto *buttons = new QDialogButtonBox(this);
    cmdImport = buttons->addButton(QStringLiteral("&Import"), QDialogButtonBox::AcceptRole);
    cmdImport->setObjectName(QStringLiteral("cmdImport"));
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(cmdImport, &QPushButton::clicked, this, &CsvImportDialog::cmdImport_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cboKind, &QComboBox::currentIndexChanged, this, [this] { preview(); });

    auto *form = new QFormLayout;
    form->addRow(kindCaption, cboKind);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblSummary);
    layout->addWidget(problemsCaption);
    layout->addWidget(lstProblems, 1);
    layout->addWidget(buttons);
    resize(640, 420);
}

bool CsvImportDialog::preview() {
    const exchange::ItemKind kind = kKinds[std::max(0, cboKind->currentIndex())];
    exchange::ImportPlan plan;
    const QDate today = platform::now().date();
    const WorkResult r = runInBackground(
        this, QStringLiteral("Reading %1…").arg(QFileInfo(file_).fileName()),
        [&](const exchange::Progress &) { plan = exchange::planImport(file_, kind, today); });
    if (!r.ok) {
        MsgBox(QDir::toNativeSeparators(file_) + vbCrLf + vbCrLf + r.description + vbCrLf + vbCrLf +
                   QStringLiteral("Nothing was imported."),
               platform::critical(), kImportTitle);
        return false;
    }
    plan_ = std::move(plan);
    QString summary = QStringLiteral("%1 row(s) ready to import, %2 with problems.")
                          .arg(count(plan_.ready.size()), count(plan_.problems.size()));
    summary += QStringLiteral(" Read as %1, %2 between fields.")
                   .arg(plan_.encoding,
                        plan_.delimiter == QLatin1Char('\t')  ? QStringLiteral("tabs")
                        : plan_.delimiter == QLatin1Char(';') ? QStringLiteral("semicolons")
                                                              : QStringLiteral("commas"));
    if (!plan_.ignoredColumns.isEmpty())
        summary += QStringLiteral(" Columns not imported: ") +
                   plan_.ignoredColumns.join(QStringLiteral(", ")) + QLatin1Char('.');
    lblSummary->setText(summary);
    lstProblems->clear();
    for (const exchange::ImportProblem &p : std::as_const(plan_.problems))
        lstProblems->addItem(QStringLiteral("Line %1: %2").arg(p.line).arg(p.reason));
    cmdImport->setEnabled(!plan_.ready.isEmpty());
    return true;
}

void CsvImportDialog::cmdImport_Click() {
    qint64 written = 0;
    const WorkResult r =
        runInBackground(this, QStringLiteral("Importing items…"), [&](const exchange::Progress &p) {
            written = exchange::importItems(collectionPath(), plan_, p);
        });
    if (!r.ok) {
        MsgBox(r.description + vbCrLf + vbCrLf + QStringLiteral("Nothing was imported."),
               r.cancelled() ? platform::exclamation() : platform::critical(), kImportTitle);
        return;
    }
    MsgBox(count(written) + QStringLiteral(" item(s) imported."),
           {platform::MsgIcon::None, platform::MsgButtons::OK, platform::MsgDefault::Button1},
           kImportTitle);
    accept();
}

void importFromCsv(QWidget *parent) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString file =
        chooseFile(parent, {false, kImportTitle, folder,
                            QStringLiteral("CSV files (*.csv *.txt);;All files (*)")});
    if (file.isEmpty())
        return;
    auto *dialog = new CsvImportDialog(file, parent);
    if (!dialog->preview()) {
        delete dialog;
        return;
    }
    dialog->open();
}

} // namespace collection

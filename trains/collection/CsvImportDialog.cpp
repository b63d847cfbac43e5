#include "trains/collection/CsvImportDialog.h"

#include "rails/exchange/SafeTarget.h"

#include "trains/collection/BackgroundWork.h"
#include "trains/collection/BackupDialogs.h"
#include "trains/collection/FileChooser.h"
#include "trains/collection/NewChoices.h"
#include "trains/items/ChoiceLists.h"

#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/LocaleText.h"
#include "platform/MsgBox.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

namespace collection {

namespace {

using platform::MsgBox;
using platform::vbCrLf;

const QString kImportTitle = QStringLiteral("Import from CSV");
constexpr ItemKind kKinds[] = {ItemKind::Car, ItemKind::Loco, ItemKind::Set};
const QString kMappingKey = QStringLiteral("Import/Mappings/");

QString count(qint64 n) {
    return platform::formatNumber(double(n), QStringLiteral("##,##0"));
}

QComboBox *combo(QWidget *parent, const char *name, const QList<QPair<QString, QVariant>> &items) {
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    for (const auto &[text, data] : items)
        c->addItem(text, data);
    return c;
}

QTableWidget *table(QWidget *parent, const char *name, const QStringList &headers) {
    auto *t = new QTableWidget(0, int(headers.size()), parent);
    t->setObjectName(QLatin1String(name));
    t->setHorizontalHeaderLabels(headers);
    t->setAccessibleName(QString::fromLatin1(name).mid(3)); // "Mapping", "Sample", "Problems"
    t->verticalHeader()->hide();
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

QString statusText(exchange::RowStatus s) {
    switch (s) {
    case exchange::RowStatus::Ready:
        return QStringLiteral("ready");
    case exchange::RowStatus::Incomplete:
        return QStringLiteral("incomplete");
    case exchange::RowStatus::Refused:
        return QStringLiteral("refused");
    case exchange::RowStatus::Duplicate:
        return QStringLiteral("duplicate");
    case exchange::RowStatus::Update:
        return QStringLiteral("update");
    }
    return {};
}

} // namespace

CsvImportDialog::CsvImportDialog(const QString &file, QWidget *parent)
    : QDialog(parent), file_(file) {
    setObjectName(QStringLiteral("CsvImportDialog"));
    setWindowTitle(kImportTitle + QStringLiteral(" - ") + QFileInfo(file).fileName());
    setAttribute(Qt::WA_DeleteOnClose);

    QFormLayout *form = buildChoices();

    tblMapping =
        table(this, "tblMapping",
              {QStringLiteral("Column"), QStringLiteral("First value"), QStringLiteral("Goes to")});
    auto *mappingCaption = new QLabel(QStringLiteral("Columns and the &fields they go to"), this);
    mappingCaption->setBuddy(tblMapping);
    tblSample =
        table(this, "tblSample",
              {QStringLiteral("Row"), QStringLiteral("Item"), QStringLiteral("Date Acquired"),
               QStringLiteral("Original Cost"), QStringLiteral("Status")});
    auto *sampleCaption = new QLabel(QStringLiteral("First &rows as they will be stored"), this);
    sampleCaption->setBuddy(tblSample);
    tblProblems = table(this, "tblProblems",
                        {QStringLiteral("Row"), QStringLiteral("Item"), QStringLiteral("Column"),
                         QStringLiteral("Value"), QStringLiteral("Reason")});
    auto *problemsCaption = new QLabel(QStringLiteral("&Problem rows"), this);
    problemsCaption->setBuddy(tblProblems);
    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(this);
    cmdSaveProblems =
        buttons->addButton(QStringLiteral("&Save Problem Rows…"), QDialogButtonBox::ActionRole);
    cmdSaveProblems->setObjectName(QStringLiteral("cmdSaveProblems"));
    cmdImport = buttons->addButton(QStringLiteral("&Import"), QDialogButtonBox::AcceptRole);
    cmdImport->setObjectName(QStringLiteral("cmdImport"));
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(cmdImport, &QPushButton::clicked, this, &CsvImportDialog::cmdImport_Click);
    connect(cmdSaveProblems, &QPushButton::clicked, this, &CsvImportDialog::cmdSaveProblems_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *top = new QHBoxLayout;
    top->addLayout(form);
    auto *mappingBox = new QVBoxLayout;
    mappingBox->addWidget(mappingCaption);
    mappingBox->addWidget(tblMapping, 1);
    top->addLayout(mappingBox, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 3);
    layout->addWidget(lblSummary);
    layout->addWidget(sampleCaption);
    layout->addWidget(tblSample, 2);
    layout->addWidget(problemsCaption);
    layout->addWidget(tblProblems, 2);
    layout->addWidget(buttons);
    resize(1000, 720);
}

QFormLayout *CsvImportDialog::buildChoices() {
    cboKind = combo(this, "cboKind",
                    {{QStringLiteral("Rolling Stock"), 0},
                     {QStringLiteral("Locomotives"), 1},
                     {QStringLiteral("Full Sets"), 2}});
    cboDelimiter = combo(this, "cboDelimiter",
                         {{QStringLiteral("Comma"), QStringLiteral(",")},
                          {QStringLiteral("Semicolon"), QStringLiteral(";")},
                          {QStringLiteral("Tab"), QStringLiteral("\t")},
                          {QStringLiteral("Bar |"), QStringLiteral("|")}});
    cboDateOrder = combo(this, "cboDateOrder",
                         {{QStringLiteral("Day first (14.03.2019)"), 0},
                          {QStringLiteral("Month first (03/14/2019)"), 1}});
    cboDecimal =
        combo(this, "cboDecimal",
              {{QStringLiteral("Point (1,234.50)"), 0}, {QStringLiteral("Comma (1.234,50)"), 1}});
    cboDuplicates =
        combo(this, "cboDuplicates",
              {{QStringLiteral("Skip them"), false}, {QStringLiteral("Add them"), true}});
    cboExisting =
        combo(this, "cboExisting",
              {{QStringLiteral("Update the item"), false}, {QStringLiteral("Add as new"), true}});

    auto *form = new QFormLayout;
    const auto row = [&](const QString &caption, QComboBox *box) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(box);
        form->addRow(label, box);
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (settled_)
                preview();
        });
    };
    row(QStringLiteral("&Kind of rows without a Kind"), cboKind);
    row(QStringLiteral("&Between fields"), cboDelimiter);
    row(QStringLiteral("&Dates"), cboDateOrder);
    row(QStringLiteral("Decimal &mark"), cboDecimal);
    row(QStringLiteral("Rows &already in the collection"), cboDuplicates);
    row(QStringLiteral("Rows naming an &existing item number"), cboExisting);
    return form;
}

exchange::ImportOptions CsvImportDialog::options() const {
    exchange::ImportOptions o;
    o.kind = kKinds[std::max(0, cboKind->currentIndex())];
    o.today = platform::now().date();
    // The lists as the forms offer them: the collector's entries are no new choices.
    o.choices = {items::offeredEntries(QStringLiteral("Manufacturer"), items::manufacturers()),
                 items::offeredEntries(QStringLiteral("CarType"), items::carTypesAddOrder()),
                 items::offeredEntries(QStringLiteral("LocoType"), items::locomotiveTypes()),
                 items::offeredEntries(QStringLiteral("Gauge"), items::gauges()),
                 items::offeredEntries(QStringLiteral("Curve"), items::minimumCurves()),
                 items::offeredEntries(QStringLiteral("Condition"), items::conditions())};
    o.addDuplicates = cboDuplicates->currentData().toBool();
    o.addExisting = cboExisting->currentData().toBool();
    if (settled_) {
        o.delimiter = cboDelimiter->currentData().toString().at(0);
        o.dateOrder = cboDateOrder->currentIndex() == 0 ? exchange::DateOrder::DayMonth
                                                        : exchange::DateOrder::MonthDay;
        o.decimalMark = cboDecimal->currentIndex() == 0 ? exchange::DecimalMark::Point
                                                        : exchange::DecimalMark::Comma;
        if (o.delimiter == plan_.options.delimiter)
            o.mapping = mapping_;
    }
    return o;
}

bool CsvImportDialog::preview() {
    exchange::ImportOptions o = options();
    const QString db = collectionPath();
    exchange::ImportPlan plan;
    const auto read = [&] {
        return runInBackground(
            this, QStringLiteral("Reading %1…").arg(QFileInfo(file_).fileName()),
            [&](const exchange::Progress &p) { plan = exchange::planImport(file_, o, db, p); });
    };
    WorkResult r = read();
    // A mapping chosen before for the same headers comes back.
    if (r.ok && !o.mapping) {
        const QString kept =
            QSettings().value(kMappingKey + exchange::mappingKey(plan.header)).toString();
        if (!kept.isEmpty()) {
            o.mapping = plan.options.mapping;
            exchange::applyMappingText(*o.mapping, kept, plan.options.ownFields);
            r = read();
        }
    }
    if (!r.ok) {
        if (!r.cancelled())
            MsgBox(QDir::toNativeSeparators(file_) + vbCrLf + vbCrLf + r.description + vbCrLf +
                       vbCrLf + QStringLiteral("Nothing was imported."),
                   platform::critical(), kImportTitle);
        return false;
    }
    plan_ = std::move(plan);
    mapping_ = plan_.options.mapping;
    showPlan();
    return true;
}

void CsvImportDialog::showPlan() {
    settled_ = false; // setting the choices below must not read the file again
    cboDelimiter->setCurrentIndex(
        std::max(0, cboDelimiter->findData(QString(*plan_.options.delimiter))));
    cboDateOrder->setCurrentIndex(*plan_.options.dateOrder == exchange::DateOrder::DayMonth ? 0
                                                                                            : 1);
    cboDecimal->setCurrentIndex(*plan_.options.decimalMark == exchange::DecimalMark::Point ? 0 : 1);
    settled_ = true;
    showMapping();

    QString summary = QStringLiteral("%1 item(s) to import").arg(count(plan_.toWrite()));
    summary += QStringLiteral(" (%1 incomplete, %2 updating their item), %3 row(s) to skip "
                              "(%4 refused, %5 already in the collection); %6 with new choices.")
                   .arg(count(plan_.incomplete), count(plan_.updates), count(plan_.toSkip()),
                        count(plan_.refused), count(plan_.duplicates), count(plan_.newChoices));
    summary += QStringLiteral(" Read as %1.").arg(plan_.encoding);
    lblSummary->setText(summary);

    const QLocale locale;
    tblSample->setRowCount(int(plan_.sample.size()));
    for (int i = 0; i < plan_.sample.size(); ++i) {
        const exchange::ImportRow &r = plan_.sample[i];
        const QStringList cells{
            QString::number(r.line),
            QStringList{r.text.value(0), r.text.value(2), r.text.value(3)}.join(u' ').trimmed(),
            r.acquired.isValid() ? locale.toString(r.acquired, QLocale::LongFormat) : QString(),
            r.cost ? locale.toCurrencyString(*r.cost) : QString(),
            statusText(r.status) + (r.newChoices.isEmpty() ? QString()
                                                           : QStringLiteral(", new choice: ") +
                                                                 r.newChoices.join(u", "))};
        for (int c = 0; c < cells.size(); ++c)
            tblSample->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    tblProblems->setRowCount(int(plan_.problems.size()));
    for (int i = 0; i < plan_.problems.size(); ++i) {
        const exchange::ImportProblem &p = plan_.problems[i];
        const QStringList cells{QString::number(p.line), p.item, p.column, p.value,
                                statusText(p.status) + QStringLiteral(": ") + p.reason};
        for (int c = 0; c < cells.size(); ++c)
            tblProblems->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    cmdImport->setEnabled(plan_.toWrite() > 0);
    cmdSaveProblems->setEnabled(plan_.refused > 0);
}

void CsvImportDialog::showMapping() {
    const exchange::Mapping &m = *mapping_;
    tblMapping->setRowCount(int(m.size()));
    for (int i = 0; i < m.size(); ++i) {
        auto *header = new QTableWidgetItem(m[i].header);
        if (m[i].conflict) {
            header->setText(m[i].header + QStringLiteral(" (field taken by another column)"));
            header->setForeground(Qt::darkRed);
        }
        tblMapping->setItem(i, 0, header);
        tblMapping->setItem(i, 1, new QTableWidgetItem(plan_.firstValues.value(i)));
        auto *box = new QComboBox(tblMapping);
        box->setObjectName(QStringLiteral("cboColumn_%1").arg(i));
        box->setAccessibleName(m[i].header);
        for (int f = 0; f < exchange::kFieldCount; ++f)
            box->addItem(exchange::fieldHeader(f), f);
        for (const exchange::OwnField &f : std::as_const(plan_.options.ownFields))
            box->addItem(f.name, exchange::kOwnFieldBase + int(f.id));
        box->addItem(QStringLiteral("Append to Notes"), exchange::kAppendToNotes);
        box->addItem(QStringLiteral("Ignore"), exchange::kIgnore);
        box->setCurrentIndex(box->findData(m[i].conflict ? exchange::kAppendToNotes : m[i].target));
        connect(box, &QComboBox::currentIndexChanged, this,
                [this, i, box] { columnChosen(i, box->currentData().toInt()); });
        tblMapping->setCellWidget(i, 2, box);
    }
    tblMapping->resizeColumnsToContents();
}

void CsvImportDialog::columnChosen(int column, int target) {
    if (!mapping_)
        return;
    QString ownName;
    for (const exchange::OwnField &f : std::as_const(plan_.options.ownFields))
        if (exchange::kOwnFieldBase + int(f.id) == target)
            ownName = f.name;
    exchange::setTarget(*mapping_, column, target, ownName);
    preview();
}

void CsvImportDialog::rememberMapping() const {
    QSettings().setValue(kMappingKey + exchange::mappingKey(plan_.header),
                         exchange::mappingText(*plan_.options.mapping));
}

void CsvImportDialog::cmdImport_Click() {
    if (plan_.toSkip() > 0 && MsgBox(QStringLiteral("Import %1 items and skip %2 rows?")
                                         .arg(count(plan_.toWrite()), count(plan_.toSkip())),
                                     {platform::MsgIcon::Question, platform::MsgButtons::YesNo,
                                      platform::MsgDefault::Button1},
                                     kImportTitle) != platform::MsgResult::Yes)
        return;
    rememberMapping();
    qint64 written = 0;
    const WorkResult r =
        runInBackground(this, QStringLiteral("Importing items…"), [&](const exchange::Progress &p) {
            // A copy of the collection as it was, kept apart from the daily copies; no copy, no
            // import.
            exchange::writePreImportBackup(collectionPath(), platform::now());
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
    offerNewChoices(plan_, collectionPath(), kImportTitle);
    accept();
}

void CsvImportDialog::cmdSaveProblems_Click() {
    const QFileInfo in(file_);
    const QString target =
        chooseFile(this, {true, QStringLiteral("Save Problem Rows"),
                          in.absolutePath() + QLatin1Char('/') + in.completeBaseName() +
                              QStringLiteral(" - problems.csv"),
                          QStringLiteral("CSV files (*.csv);;All files (*)")});
    if (target.isEmpty())
        return;
    try {
        exchange::refuseCollectionTarget(collectionPath(), target);
        exchange::saveProblems(plan_, target);
    } catch (const platform::Error &e) {
        MsgBox(e.Description(), platform::critical(), kImportTitle);
    }
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

#include "trains/reports/ReportSettings.h"

#include "platform/LocaleText.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSettings>
#include <QVBoxLayout>

#include <algorithm>

namespace reports {

namespace {
const QString kCurrencyKey = QStringLiteral("Reports/CurrencySymbol");
const QString kPaperKey = QStringLiteral("Reports/Paper");

// Only the papers offered are taken back from the settings file.
QPageSize::PageSizeId knownPaper(int id) {
    return id == QPageSize::A4 || id == QPageSize::Letter ? QPageSize::PageSizeId(id)
                                                          : QPageSize::Custom;
}
} // namespace

void loadReportSettings() {
    const QSettings settings;
    // A sign is a few characters; anything longer in the file is not ours.
    const QString sign = settings.value(kCurrencyKey).toString().left(8);
    platform::setCurrencySymbol(sign);
    platform::setPaperChoice(knownPaper(settings.value(kPaperKey, -1).toInt()));
}

QComboBox *makePaperList(QWidget *parent) {
    auto *list = new QComboBox(parent);
    list->setObjectName(QStringLiteral("cboPaper"));
    const QPageSize::PageSizeId saved = platform::paperChoice();
    platform::setPaperChoice(QPageSize::Custom);
    const QString localeName = QPageSize::name(platform::paperSize());
    platform::setPaperChoice(saved);
    list->addItem(QObject::tr("As the locale (%1)").arg(localeName), int(QPageSize::Custom));
    list->addItem(QPageSize::name(QPageSize::A4), int(QPageSize::A4));
    list->addItem(QPageSize::name(QPageSize::Letter), int(QPageSize::Letter));
    list->setCurrentIndex(std::max(0, list->findData(int(saved))));
    return list;
}

ReportSettingsDialog::ReportSettingsDialog(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgReportSettings"));
    setWindowTitle(tr("Currency and Paper"));
    txtCurrency = new QLineEdit(this);
    txtCurrency->setMaxLength(8);
    const QString own = QLocale().currencySymbol();
    txtCurrency->setPlaceholderText(
        tr("As the locale (%1)").arg(own.isEmpty() ? QStringLiteral("$") : own));
    const QString current = platform::currencySymbol();
    if (current != own && !(own.isEmpty() && current == QLatin1String("$")))
        txtCurrency->setText(current);
    auto *lblCurrency = new QLabel(tr("&Currency sign:"), this);
    lblCurrency->setBuddy(txtCurrency);
    cboPaper = makePaperList(this);
    auto *lblPaper = new QLabel(tr("&Paper:"), this);
    lblPaper->setBuddy(cboPaper);
    auto *form = new QFormLayout;
    form->addRow(lblCurrency, txtCurrency);
    form->addRow(lblPaper, cboPaper);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ReportSettingsDialog::cmdOK_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *box = new QVBoxLayout(this);
    box->addLayout(form);
    box->addWidget(buttons);
}

void ReportSettingsDialog::cmdOK_Click() {
    const QString sign = txtCurrency->text().trimmed();
    const auto paper = knownPaper(cboPaper->currentData().toInt());
    platform::setCurrencySymbol(sign);
    platform::setPaperChoice(paper);
    QSettings settings;
    settings.setValue(kCurrencyKey, sign);
    settings.setValue(kPaperKey, int(paper));
    accept();
}

} // namespace reports

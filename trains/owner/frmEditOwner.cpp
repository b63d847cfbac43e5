#include "trains/owner/frmEditOwner.h"

#include "trains/modGlobal.h"

#include "platform/Error.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"

#include <QLineEdit>
#include <QPushButton>

using platform::resumeNext;

namespace {
const char* const kColumns[owner::kFieldCount] = {"LName", "FName", "Address", "City",
                                                  "State", "Zip",   "Email"};
}

frmEditOwner::frmEditOwner(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmEditOwner"));
    setWindowTitle(QStringLiteral("Form1"));
    fields.build(this, owner::editKind());
    connect(fields.cmdSave, &QPushButton::clicked, this, &frmEditOwner::cmdSave_Click);
    connect(fields.cmdExit, &QPushButton::clicked, this, &frmEditOwner::cmdExit_Click);
    Form_Load();
}

void frmEditOwner::Form_Load() {
    resumeNext([] { NewRails(); });
    resumeNext([this] { LoadProfile(); });
}

void frmEditOwner::LoadProfile() {
    setCursor(Qt::WaitCursor);
    resumeNext([] { rsRecords = std::make_shared<engine::Recordset>(); });
    resumeNext([] { rsRecords = Rails().LoadOwner(); });
    resumeNext([this] {
        if (!rsRecords)
            return;
        rsRecords->MoveFirst();
        while (!rsRecords->isEOF()) {
            for (int i = 0; i < owner::kFieldCount; ++i) {
                // A value that cannot be read leaves its box empty; the others are still filled.
                fields.txtBox[i]->clear();
                resumeNext([&] {
                    fields.txtBox[i]->setText(
                        rsRecords->Fields(QLatin1String(kColumns[i])).toString());
                });
            }
            rsRecords->MoveNext();
        }
    });
    CloseRecordset();
    unsetCursor();
}

void frmEditOwner::cmdSave_Click() {
    resumeNext([this] { TrimTextBoxes(this); });
    bool valid = false;
    resumeNext([&] { valid = fields.ValidateOwner(); });
    if (!valid)
        return;
    QStringList strText = fields.profileTexts();
    const QString fullName = strText[7];
    bool saved = false;
    resumeNext([&] { saved = Rails().UpdateOwner(strText); });
    strOwnerName = fullName;
    strText.clear();
    if (saved) {
        platform::MsgBox(owner::OwnerTexts::saved, platform::exclamation(),
                         owner::OwnerTexts::savedTitle);
        UnloadForm(this);
    } else {
        platform::MsgBox(owner::OwnerTexts::notSaved, platform::critical(), kAppTitle);
    }
}

void frmEditOwner::cmdExit_Click() { UnloadForm(this); }

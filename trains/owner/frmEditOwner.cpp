#include "trains/owner/frmEditOwner.h"

#include "trains/modGlobal.h"

#include "platform/Error.h"
#include "platform/MsgBox.h"
#include "platform/Pointer.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

using platform::resumeNext;

namespace {
const char *const kColumns[owner::kFieldCount] = {"LName", "FName", "Address", "City",
                                                  "State", "Zip",   "Email"};
}

frmEditOwner::frmEditOwner(QWidget *parent) : QWidget(parent) {
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
    fields.typed.keep(fields.shownTexts());
    unsetCursor();
}

void frmEditOwner::closeEvent(QCloseEvent *event) {
    if (!fields.mayDrop()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void frmEditOwner::cmdSave_Click() {
    if (fields.saveProfile(this, [](QStringList &strText) { return Rails().UpdateOwner(strText); }))
        UnloadForm(this);
}

void frmEditOwner::cmdExit_Click() {
    UnloadForm(this);
}

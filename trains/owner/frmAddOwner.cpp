#include "trains/owner/frmAddOwner.h"

#include "trains/modGlobal.h"

#include "platform/Error.h"
#include "platform/MsgBox.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

using platform::resumeNext;

frmAddOwner::frmAddOwner(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmAddOwner"));
    setWindowTitle(kAppTitle);
    setModal(true);
    fields.build(this, owner::entryKind());
    connect(fields.cmdSave, &QPushButton::clicked, this, &frmAddOwner::cmdSave_Click);
    connect(fields.cmdExit, &QPushButton::clicked, this, &frmAddOwner::cmdExit_Click);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // A borderless window draws its own edge.
    setStyleSheet(QStringLiteral("frmAddOwner { border: 1px solid #404040; }"));
    Form_Load();
}

void frmAddOwner::Form_Load() { resumeNext([] { NewRails(); }); }

void frmAddOwner::cmdSave_Click() {
    resumeNext([this] { TrimTextBoxes(this); });
    bool valid = false;
    resumeNext([&] { valid = fields.ValidateOwner(); });
    if (!valid)
        return;
    QStringList strText = fields.profileTexts();
    strText << QStringLiteral("O-1");
    // The store doubles quotes inside the array it is given; the name kept for the reports is
    // the one entered.
    const QString fullName = strText[7];
    bool saved = false;
    resumeNext([&] { saved = Rails().AddOwner(strText); });
    strOwnerName = fullName;
    strText.clear();
    if (saved) {
        platform::MsgBox(owner::OwnerTexts::saved, platform::exclamation(),
                         owner::OwnerTexts::savedTitle);
        hide();
    } else {
        platform::MsgBox(owner::OwnerTexts::notSaved, platform::critical(), kAppTitle);
    }
}

void frmAddOwner::cmdExit_Click() {
    resumeNext([this] { close(); });
}

void frmAddOwner::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    // Unloading ends the form: its modal display ends with it.
    setAttribute(Qt::WA_DeleteOnClose);
}

void frmAddOwner::Form_Unload() { ShutDown(); }

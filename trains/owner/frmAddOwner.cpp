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

frmAddOwner::frmAddOwner(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmAddOwner"));
    setWindowTitle(kAppTitle);
    setModal(true);
    fields.build(this, owner::entryKind());
    connect(fields.cmdSave, &QPushButton::clicked, this, &frmAddOwner::cmdSave_Click);
    connect(fields.cmdExit, &QPushButton::clicked, this, &frmAddOwner::cmdExit_Click);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // A borderless window draws its own edge.
    setStyleSheet(QStringLiteral("frmAddOwner { border: 1px solid #404040; }"));
    Form_Load();
}

void frmAddOwner::Form_Load() {
    resumeNext([] { NewRails(); });
}

void frmAddOwner::cmdSave_Click() {
    const bool saved = fields.saveProfile(this, [](QStringList &strText) {
        strText << QStringLiteral("O-1");
        return Rails().AddOwner(strText);
    });
    // Hiding ends the modal display and start-up goes on; the form stays loaded.
    if (saved)
        hide();
}

void frmAddOwner::cmdExit_Click() {
    resumeNext([this] { close(); });
}

void frmAddOwner::closeEvent(QCloseEvent *event) {
    // Leaving ends the program: a typed profile that was not saved goes only when agreed.
    if (isVisible() && !fields.mayDrop()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
    // Unloading ends the form: its modal display ends with it.
    setAttribute(Qt::WA_DeleteOnClose);
}

void frmAddOwner::Form_Unload() {
    ShutDown();
}

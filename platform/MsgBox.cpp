#include "platform/MsgBox.h"

#include "platform/Error.h"
#include "platform/Pointer.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

namespace {
MsgBoxHandler &handler() {
    static MsgBoxHandler h;
    return h;
}

MsgResult showDialog(const MsgRequest &r) {
    QMessageBox box;
    box.setWindowTitle(r.title);
    // The dialog shows CR LF as two breaks; a plain LF is what Qt expects.
    QString text = r.prompt;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(text);
    switch (r.icon) {
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    if (r.buttons == MsgButtons::OK) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MsgResult::OK;
    }
    if (r.buttons == MsgButtons::RetryCancel) {
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        box.setDefaultButton(r.defaultButton == MsgDefault::Button2 ? QMessageBox::Cancel
                                                                    : QMessageBox::Retry);
        box.setEscapeButton(QMessageBox::Cancel);
        return box.exec() == QMessageBox::Retry ? MsgResult::Retry : MsgResult::Cancel;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(r.defaultButton == MsgDefault::Button2 ? QMessageBox::No
                                                                : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? MsgResult::Yes : MsgResult::No;
}
} // namespace

void setMsgBoxHandler(MsgBoxHandler h) {
    handler() = std::move(h);
}

MsgResult MsgBox(const QString &prompt, MsgStyle style, const QString &title) {
    const MsgRequest r{prompt, title, style.icon, style.buttons, style.defaultButton};
    if (handler())
        return handler()(r);
    return showDialog(r);
}

QString errorBoxText(const Error &e, const QString &where, const QString &which) {
    return QStringLiteral("ERROR # ") + QString::number(e.Number()) + vbCrLf + vbCrLf +
           e.Description() + vbCrLf + where + vbCrLf + which;
}

} // namespace platform

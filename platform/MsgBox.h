#pragma once
// Message boxes. Every box of the program and of the store goes through MsgBox, so that
// tests can install a handler that sees and answers each one.
#include <QString>
#include <functional>

namespace platform {

enum class MsgIcon { None, Critical, Question, Exclamation };
enum class MsgButtons { OK, YesNo, RetryCancel };
enum class MsgDefault { Button1, Button2 };
enum class MsgResult { OK, Yes, No, Retry, Cancel };

struct MsgStyle {
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::OK;
    MsgDefault defaultButton = MsgDefault::Button1;
};

struct MsgRequest {
    QString prompt;
    QString title;
    MsgIcon icon;
    MsgButtons buttons;
    MsgDefault defaultButton;
};

using MsgBoxHandler = std::function<MsgResult(const MsgRequest &)>;

// Installs a handler in place of the Qt dialog; an empty handler restores the dialog.
void setMsgBoxHandler(MsgBoxHandler handler);

MsgResult MsgBox(const QString &prompt, MsgStyle style, const QString &title);

// Convenience styles used throughout.
inline MsgStyle critical() {
    return {MsgIcon::Critical, MsgButtons::OK, MsgDefault::Button1};
}
inline MsgStyle exclamation() {
    return {MsgIcon::Exclamation, MsgButtons::OK, MsgDefault::Button1};
}

// CR LF, the line break of every message text.
inline const QString vbCrLf = QStringLiteral("\r\n");

class Error;
// The text of the box that reports a failed step: "ERROR # " and the number, a blank line, the
// description, then the two lines that say where it failed ("In the Dynamic Link Library",
// "Function: AddCar").
QString errorBoxText(const Error &e, const QString &where, const QString &which);

} // namespace platform

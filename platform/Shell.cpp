#include "platform/Shell.h"

#include "platform/Error.h"

#include <QProcess>

namespace platform {

namespace {
ShellHandler &handler() {
    static ShellHandler h;
    return h;
}

[[noreturn]] void fileNotFound() {
    throw Error(ErrFileNotFound, QStringLiteral("File not found"));
}
} // namespace

void setShellHandler(ShellHandler h) {
    handler() = std::move(h);
}

qint64 Shell(const QString &commandLine, WindowStyle style) {
    if (handler()) {
        if (!handler()(commandLine, style))
            fileNotFound();
        return 1;
    }
    // A desktop program opens its own window and takes the focus when it starts; a hidden
    // start has nothing to hide on this platform beyond not attaching our terminal.
    QStringList args = QProcess::splitCommand(commandLine);
    if (args.isEmpty())
        fileNotFound();
    const QString program = args.takeFirst();
    QProcess p;
    p.setProgram(program);
    p.setArguments(args);
    if (style == WindowStyle::Hide) {
        p.setStandardOutputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
    }
    qint64 pid = 0;
    if (!p.startDetached(&pid))
        fileNotFound();
    return pid;
}

} // namespace platform

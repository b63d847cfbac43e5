#pragma once
// Starting another program by its command line, without waiting for it. The program is never
// waited for and its result is never read. A command that cannot be started raises error 53
// (file not found), as the classic call does; callers decide whether to ignore it.
#include <QString>
#include <functional>

namespace platform {

enum class WindowStyle { Hide, NormalFocus };

// Returns the new process's id.
qint64 Shell(const QString &commandLine, WindowStyle style);

// Tests install a handler that sees every command line instead of starting it; it returns
// false to make the start fail. An empty handler restores real starting.
using ShellHandler = std::function<bool(const QString &commandLine, WindowStyle style)>;
void setShellHandler(ShellHandler handler);

} // namespace platform

#pragma once
// Ending the process at once. Tests install a hook that records the exit instead, so the
// program's orderly end can be watched; code after an exit must therefore return at once.
#include <functional>

namespace platform {

// Ends the process with the code: no window runs its closing steps. With a hook installed the
// hook runs instead and this returns.
void exitProcess(int code);
// True once exitProcess has been called (only ever seen when a hook is installed).
bool exitRequested();

using ExitHook = std::function<void(int code)>;
// Installs the hook; an empty hook restores the real exit. Installing resets exitRequested().
void setExitHook(ExitHook hook);

} // namespace platform

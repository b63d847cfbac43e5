#pragma once
// The system clipboard.

namespace platform {

void clearClipboard();

} // namespace platform

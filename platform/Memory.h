#pragma once
// How the program's memory is shared between its threads.

namespace platform {

// Every thread allocates from the program's one heap. The C library otherwise gives each worker
// thread (a report being written, a backup, an import) a heap of its own and hands it back to
// the system a few pages at a time as it shrinks, each time stopping the other core to forget
// those pages: a 100,000-item PDF written on its own thread spent about a sixth of its time
// there. Called once, first thing in main().
void shareOneHeap();

} // namespace platform

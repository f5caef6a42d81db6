// The message queues of the test's windows: this thread's, and the thread of a window
// driven from another one.
#pragma once

#include <windows.h>

namespace qz::wintest {

// Dispatches what waits in this thread's queue.
void PumpMessages();
// Returns once the thread of window has handled everything sent or posted to it before.
void Sync(HWND window);

}  // namespace qz::wintest

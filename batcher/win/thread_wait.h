#pragma once
// Waiting for a worker thread of ours on the user-interface thread, which
// meanwhile goes on handling its messages (the worker sends some to it).
#include <windows.h>

namespace corv {

// Returns when the thread has ended; a quit message that arrives meanwhile is
// posted again for the loop that owns it.
void WaitForThreadPumping(HANDLE thread);

} // namespace corv

#pragma once
// Waiting for a worker thread of ours on the user-interface thread, which
// meanwhile goes on handling its messages (the worker sends some to it).
#include <windows.h>

namespace corv {

// Returns true when the thread has ended, false when limitMs passed first; a
// quit message that arrives meanwhile is posted again for the loop that owns it.
bool WaitForThreadPumping(HANDLE thread, DWORD limitMs = INFINITE);

} // namespace corv

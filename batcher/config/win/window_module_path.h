#pragma once
// The executable behind a window of any process: the sender name of the
// message log and the Find action of window-driven encoders use it.
#include <windows.h>

#include <cstddef>

namespace corv {

// Writes the full path of the executable of the process that owns the window.
// On NT the process is queried through psapi.dll (loaded on first use; when it
// is missing the program says so and ends). False, with the buffer left as it
// was, when the window or its process cannot be queried or the path would not
// fit.
bool GetWindowModulePath(HWND window, char* buffer, size_t size, bool ntPlatform);

// True on the NT platform (the way GetWindowModulePath should take there).
bool IsNtPlatform();

} // namespace corv

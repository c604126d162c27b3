#pragma once
// The main window (template 210, class "Quillmere"): the job list, its buttons
// and the copy-data messages from Corvandale.
#include "batcher/win/batcher_state.h"

#include <windows.h>

namespace corv {

// Creates the main window as a modeless dialog without owner; its
// initialisation loads the settings. Null when it cannot be created.
HWND CreateMainWindow(HINSTANCE instance);

// "Show logging window" (main window) and "Show log" (progress dialog): the
// setting, both boxes and the log window follow.
void ApplyShowLogWindow(BatcherState& state, bool shown);

} // namespace corv

#pragma once
// The log window (template 250): the job log or the message log as the rings
// keep them, opened and closed by the "Show logging window" check boxes.
#include "batcher/win/batcher_state.h"

#include <windows.h>

namespace corv {

// Creates the window owned by the main window at screen position 150,150
// (its size kept) unless it is open already.
HWND OpenLogWindow(BatcherState& state);

// Destroys the window and forgets it; the setting stays as it is.
void DestroyLogWindow(BatcherState& state);

// Sets check box 3151 ("Show logging window", "Show log") in every top-level
// window of this thread.
void SetShowLogBoxes(bool checked);

// Asks an open log window to show the latest text (command 3262).
void RefreshLogWindow(const BatcherState& state);

// The same, a moment later and once for a burst: a refresh puts up to 100000
// characters into the edit, which takes around a second under Wine, and the
// sender of a copy-data message should not wait for that.
void RefreshLogWindowSoon(const BatcherState& state);

} // namespace corv

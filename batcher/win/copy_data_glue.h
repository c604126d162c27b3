#pragma once
// WM_COPYDATA from another process: the payload is untrusted and only valid
// during the call. The portable core checks, copies and logs; this file names
// the sender and carries out what the core decided.
#include "batcher/win/batcher_state.h"

#include <windows.h>

namespace corv {

// Replies go to a window that another process names; a hung or hostile one
// must not stop the batcher. Long enough for a busy sender under load (a
// first reply took up to 36 ms under Wine), short enough not to freeze.
inline constexpr UINT kReplyTimeoutMs = 1000;

// Handles one message; answers 0 to an Add job that was not queued, TRUE to
// everything else. What the core has to tell the user meanwhile (an unknown
// job format) waits until the sender is released: kShowPendingWarnings is
// posted to the main window.
LRESULT OnCopyData(BatcherState& state, HWND sender, const COPYDATASTRUCT* data);

// Shows the warnings held back from copy-data messages, oldest first.
void ShowPendingWarnings(HWND owner);

// The executable path of the window's process; "" when the window is not
// one or its process cannot be queried, so such a message is never logged
// under the name of an earlier sender.
std::string ModulePathOf(HWND window, bool ntPlatform);

} // namespace corv

#pragma once
// The download dialog (template 240): it runs DownloadAndInstall on a thread
// of its own and ends when that thread has ended. Close and Escape cancel the
// transfer; the dialog still waits for the thread, which owns the request
// until then.
#include "batcher/config/program_list.h"
#include "batcher/win/batcher_state.h"

#include <windows.h>

namespace corv {

// Modal, owned by `owner`. The download's messages come while it runs, in
// the order of its steps, owned by the main window; a list is judged by the
// policy.
void RunDownloadDialog(BatcherState& state, HWND owner, DownloadRequest& request,
                       const ListPolicy& policy);

// For Exit and a close of the main window during a download: cancels it and
// waits for its thread, handling this thread's messages meanwhile. Returns
// at once when no download runs.
void CancelDownloadAndWait(BatcherState& state);

} // namespace corv

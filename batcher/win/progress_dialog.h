#pragma once
// The progress dialog (template 230): it runs the queue through RunJobs on a
// thread of its own and ends when the run is over. Stop, a close request and
// Escape set the abort flag; the dialog stays until RunJobs has ended.
#include "batcher/win/batcher_state.h"

namespace corv {

// Run, once at least one program is usable; nothing when a run is going on.
// Returns when the run has ended and its closing messages have been shown.
void ShowProgressDialog(BatcherState& state);

// For Exit and a close of the main window during a run: presses Stop and
// waits for the runner, still handling this thread's messages (the runner
// sends messages to the dialog, the list and the log window). The dialog
// says that Quillmere ends within 15 s: after that the job's processes are
// ended, and when the runner still has not come back the program ends
// here. Returns at once when no run is going on.
void StopRunAndWait(BatcherState& state);

} // namespace corv

#pragma once
// Seams for the parts of the main window's commands that arrive with later
// work: the progress dialog (template 230) that runs the queue through
// RunJobs, and the Configure dialog (template 220). Both are modal and owned
// by the main window; the main window calls them only after its own checks.
#include "batcher/win/batcher_state.h"

namespace corv {

// Run, once at least one program is usable. Returns when the run has ended.
// Until the progress dialog and the runners exist it returns at once and the
// queue stays as it is.
void ShowProgressDialog(BatcherState& state);

// Configure. Until the Configure dialog exists it returns at once.
void ShowConfigureDialog(BatcherState& state);

} // namespace corv

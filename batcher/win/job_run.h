#pragma once
// Seam for the part of the main window's commands that arrives with later
// work: the Configure dialog (template 220), modal and owned by the main window.
#include "batcher/win/batcher_state.h"

namespace corv {

// Configure. Until the Configure dialog exists it returns at once.
void ShowConfigureDialog(BatcherState& state);

} // namespace corv

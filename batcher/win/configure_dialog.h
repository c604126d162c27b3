#pragma once
// The Configure dialog (template 220, pages 221 to 223): where each of the
// twelve programs is, which are switched off, the Sonic Foundry invert
// option, and the program downloads.
#include "batcher/win/batcher_state.h"

namespace corv {

// Modal, owned by the main window. Opening it resets missing paths and saves
// the settings; OK saves what it shows, Cancel and Close drop it (the tab
// shown last is kept either way).
void ShowConfigureDialog(BatcherState& state);

} // namespace corv

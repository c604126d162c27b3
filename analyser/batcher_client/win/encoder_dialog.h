#pragma once
// The twelve encoder dialogs (templates 110 to 124): one window procedure
// that paints what the portable form of the job type shows and reports every
// change of a control back to it.
#include "analyser/encoder_settings/encoder_blocks.h"

#include <windows.h>

#include <cstdint>
#include <functional>

namespace corv {

// Modeless, owned by owner (the batcher dialog), which the caller disables
// before and which the dialog enables again when it closes. Null, after the
// message "Internal error, new format", for a job type without a dialog.
HWND openEncoderDialog(HWND owner, int32_t jobType, EncoderBlocks& blocks,
                       std::function<bool()> conversionRunning);

} // namespace corv

#pragma once
// Corvandale's end of the connection to Quillmere, as the encoder dialogs use it.
#include <windows.h>

#include <cstdint>

namespace corv {

// start=false: connect to a running Quillmere only; start=true: launch it
// first when none runs. True when a batcher window is known afterwards.
bool ConnectBatcher(bool start);

// Sends Give commandline for jobType in preview form, with requester as the
// first parameter; the reply (copy-data 131 to requester) arrives during the
// call. False when no batcher runs or none is known.
bool RequestCommandLine(HWND requester, int32_t jobType);

} // namespace corv

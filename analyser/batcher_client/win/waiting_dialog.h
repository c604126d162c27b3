#pragma once
// The conversion start's wait for a batcher (template 109, "Waiting for
// Quillmere"), shown while Quillmere is found or started.
#include <windows.h>

namespace corv {

// Disables the owner, shows the wait, runs ConnectBatcher(true), closes the
// wait and enables the owner again. True when a batcher window is known.
bool ConnectBatcherShowingWait(HWND owner);

} // namespace corv

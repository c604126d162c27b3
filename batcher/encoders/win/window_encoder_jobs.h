#pragma once
// The runners of the window-driven encoders: Surcode DTS (job types 1000 and
// 1001) and Sonic Foundry Soft Encode (1010).
#include "batcher/core/run_jobs.h"
#include "batcher/win/batcher_state.h"

namespace corv {

// Fills the Surcode registry values, starts the program, presses its Encode
// button and follows its elapsed-time display until Encode is enabled again.
void RunSurcodeJob(BatcherState& state, RunObserver& observer, const JobRecord& job);

// Writes "SonnicAc3.ini", starts the program with a command that makes it
// encode by itself and follows its percentage display until it closes.
void RunSonicJob(BatcherState& state, RunObserver& observer, const JobRecord& job);

} // namespace corv

#pragma once
// An AC3 job with ac3enc.dll loaded from the configured path for this job
// only, all four functions or none.
#include "batcher/core/run_jobs.h"
#include "batcher/win/batcher_state.h"

namespace corv {

void RunAc3LibraryJob(BatcherState& state, RunObserver& observer, const JobRecord& job);

} // namespace corv

#pragma once
// RunConsoleJob: one command-line encoder in the batcher console, its
// progress read from the console screen.
#include "batcher/core/run_jobs.h"
#include "batcher/encoders/command_line.h"
#include "batcher/win/batcher_state.h"

#include <string>

namespace corv {

// Runs the command at idle priority, logs its rising progress as reading
// reads it, a screen dump and its exit code. After a Stop the encoder is
// ended and outputPath removed.
void RunConsoleJob(BatcherState& state, RunObserver& observer, const CommandLineRecord& command,
                   const ProgressReading& reading, const std::string& outputPath);

} // namespace corv

#pragma once
// Shared by the batcher tests: zero-filled jobs, settings naming two encoders,
// and a console command line built as the batcher builds it, with its report.
#include "batcher/encoders/command_line.h"
#include "protocol/fixed_text.h"
#include "protocol/job_record.h"
#include "protocol/job_types.h"
#include "recording_notifier.h"

#include <memory>
#include <string>

namespace corv::test {

// Records are 6800 bytes; tests keep them off the stack.
inline std::unique_ptr<JobRecord> makeJob(int32_t type) {
    auto job = std::make_unique<JobRecord>();
    job->jobType = type;
    return job;
}
inline std::unique_ptr<JobRecord> makeJob(JobType type) {
    return makeJob(static_cast<int32_t>(type));
}

// LAME and the Sonic Foundry encoder where the tests' command lines expect them.
inline BatcherSettings settingsWithPrograms() {
    BatcherSettings settings = defaultBatcherSettings();
    setFieldText(settings.programPath[8], "C:\\tools\\lame.exe");
    setFieldText(settings.programPath[10], "C:\\sf\\SFTENCDD.EXE");
    return settings;
}

struct BuiltCommand {
    BuildOutcome outcome;
    std::unique_ptr<CommandLineRecord> record = std::make_unique<CommandLineRecord>();
    RecordingNotifier notifier;
    std::string outputPath;
    std::string arguments() const { return std::string(fieldText(record->arguments)); }
};

inline std::unique_ptr<BuiltCommand> buildCommand(const JobRecord& job,
                                                  const BatcherSettings& settings, bool preview) {
    auto built = std::make_unique<BuiltCommand>();
    built->outcome = BuildCommandLine(job, settings, preview, *built->record, built->notifier,
                                      &built->outputPath);
    return built;
}

} // namespace corv::test

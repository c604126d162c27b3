#pragma once
// Shared by the batcher tests: a notifier that records, and zero-filled jobs.
#include "protocol/fixed_text.h"
#include "protocol/job_record.h"
#include "recording_notifier.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace corv::test {

// Records are 6800 bytes; tests keep them off the stack.
inline std::unique_ptr<JobRecord> makeJob(int32_t type) {
    auto job = std::make_unique<JobRecord>();
    job->jobType = type;
    return job;
}

} // namespace corv::test

#include "batcher/core/job_progress.h"

#include "protocol/job_types.h"

#include <climits>

namespace corv {
namespace {

constexpr int64_t kTwoLameFrameSamples = 1152;
constexpr uint64_t kSurcodeCdRate = 44100;

int clampedTotal(int64_t total) {
    if (total < 1) return 1;
    return total > INT_MAX ? INT_MAX : static_cast<int>(total);
}

int64_t milliseconds(uint64_t frames, uint64_t rate) {
    if (rate == 0) return 1;
    uint64_t seconds = frames / rate; // whole seconds first, as the encoder's display counts them
    return seconds > static_cast<uint64_t>(INT_MAX) ? INT_MAX
                                                    : static_cast<int64_t>(seconds) * 1000;
}

} // namespace

int progressTotalOf(const JobRecord& job) {
    switch (static_cast<JobType>(job.jobType)) {
    case JobType::TwoLame: {
        int64_t frames =
            static_cast<int64_t>(job.frameCount > INT64_MAX ? INT64_MAX : job.frameCount) /
            kTwoLameFrameSamples;
        double share = job.settings.twoLame.channelMode == 'm' ? 0.875 : 0.75;
        return clampedTotal(static_cast<int64_t>(static_cast<double>(frames) * share));
    }
    case JobType::SurcodeCdPro:
        return clampedTotal(milliseconds(job.frameCount, kSurcodeCdRate));
    case JobType::SurcodeDvd:
        return clampedTotal(milliseconds(job.frameCount, job.sampleRate));
    default:
        return kDefaultProgressTotal;
    }
}

int percentOf(int64_t value, int64_t total) {
    float percent = static_cast<float>(value) * 100.0f / static_cast<float>(total < 1 ? 1 : total);
    if (percent >= static_cast<float>(INT_MAX)) return INT_MAX;
    if (percent <= static_cast<float>(INT_MIN)) return INT_MIN;
    return static_cast<int>(percent);
}

} // namespace corv

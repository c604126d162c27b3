#pragma once
// How far a job has got: the progress total each job type divides by, and
// the percent of a progress value.
#include "protocol/job_record.h"

#include <cstdint>

namespace corv {

inline constexpr int kDefaultProgressTotal = 100;

// The total for the job's type: TwoLAME counts layer 2 frames of the whole
// 64-bit frame count (0.875 of them for mono, else 0.75), Surcode counts
// milliseconds of audio (CD Pro at 44100 Hz, DVD at the job's rate; a rate of
// 0 gives 1), every other type 100. Always within 1..INT32_MAX.
int progressTotalOf(const JobRecord& job);

// value x 100 / total in single precision, truncated; a total below 1 counts
// as 1, and the result stays within the int range.
int percentOf(int64_t value, int64_t total);

// Which readings of a running encoder reach the job log and the progress
// bar: a reading counts only when it rises (one that goes back was read from
// a screen caught half rewritten) and stays within 100 while the encoder runs.
class RisingPercent {
  public:
    // True when percent is above every reading counted before and at most 100.
    bool rises(int percent) {
        if (percent <= last_ || percent > 100) return false;
        last_ = percent;
        return true;
    }

  private:
    int last_ = 0; // 0 itself is never news
};

} // namespace corv

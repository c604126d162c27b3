// Speed of one resampler: a long stereo signal in blocks of the engine's size.
#pragma once

#include "resamplers.h"

#include <cstdint>

namespace bench {

struct Speed {
    double realtime = 0;          // input seconds per wall-clock second, one thread
    double cpuRealtime = 0;       // input seconds per second of this thread's CPU time
    std::int64_t lengthError = 0; // output frames minus round(n * out / in)
};

Speed measureSpeed(Engine engine, int inputRate, int outputRate, double inputSeconds);

} // namespace bench

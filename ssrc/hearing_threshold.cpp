#include "ssrc/hearing_threshold.h"

#include "ssrc/deterministic_math.h"

namespace ssrc {

double hearingThresholdDb(double hz) {
    const double f = hz / 1000.0;
    const double d = f - 3.3;
    return 3.64 * power(f, -0.8) - 6.5 * exponential(-0.6 * d * d) + 0.001 * f * f * f * f;
}

} // namespace ssrc

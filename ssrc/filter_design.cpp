#include "ssrc/filter_design.h"

#include <cmath>

#include "ssrc/deterministic_math.h"

namespace ssrc {

double kaiserBeta(double attenuationDb) {
    if (attenuationDb > 50.0) return 0.1102 * (attenuationDb - 8.7);
    if (attenuationDb > 21.0)
        return 0.5842 * power(attenuationDb - 21.0, 0.4) + 0.07886 * (attenuationDb - 21.0);
    return 0.0;
}

double kaiserSpan(double attenuationDb, double transitionWidth) {
    return (attenuationDb - 7.95) / (2.285 * 2.0 * pi * transitionWidth);
}

WindowedSinc::WindowedSinc(double cutoff, double halfWidth, double beta)
    : cutoff_(cutoff), halfWidth_(halfWidth), beta_(beta), windowScale_(1.0 / besselI0(beta)) {}

double WindowedSinc::operator()(double tau) const {
    const double position = tau / halfWidth_;
    if (position <= -1.0 || position >= 1.0) return 0.0;
    const double window = besselI0(beta_ * std::sqrt(1.0 - position * position)) * windowScale_;
    const double x = 2.0 * cutoff_ * tau;
    const double sinc = x == 0.0 ? 1.0 : sine(pi * x) / (pi * x);
    return 2.0 * cutoff_ * sinc * window;
}

std::vector<double> designLowPass(int halfLength, double cutoff, double beta) {
    const WindowedSinc kernel(cutoff, halfLength + 1.0, beta);
    std::vector<double> taps(2 * static_cast<std::size_t>(halfLength) + 1);
    for (int i = -halfLength; i <= halfLength; ++i)
        taps[static_cast<std::size_t>(i + halfLength)] = kernel(i);
    return taps;
}

} // namespace ssrc

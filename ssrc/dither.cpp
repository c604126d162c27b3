#include "ssrc/dither.h"

#include "ssrc/deterministic_math.h"
#include "ssrc/ssrcdll.h"

#include <cmath>
#include <new>

namespace ssrc {
namespace {

static_assert(sizeof(DitherState) <= SSRC_DITHER_STATE_BYTES, "the caller's block holds the state");
static_assert(alignof(DitherState) <= alignof(double), "the caller aligns the state as a double");

constexpr uint64_t kSeed = 0x5353524344495448ull; // every pass draws the same dither

bool validArguments(int channels, int rate, double amplitude) {
    return channels >= 1 && channels <= kMaxDitherChannels && rate >= 1000 && rate <= 768000 &&
           amplitude > 0.0 && amplitude <= 1.0; // false for NaN too
}

// Largest value the dither takes, for the bound of the fed-back error; the
// Gaussian is counted to four deviations, which it exceeds once in 16000.
double ditherPeak(int pdf, double amplitude) {
    switch (pdf) {
    case kPdfRectangular:
        return 0.5 * amplitude;
    case kPdfGaussian:
        return 2.0 * amplitude;
    default:
        return amplitude;
    }
}

double nextDither(DitherState& s) {
    switch (s.pdf) {
    case kPdfRectangular:
        return s.amplitude * (s.random.uniform() - 0.5);
    case kPdfGaussian: {
        if (s.hasSpare) {
            s.hasSpare = 0;
            return s.spare;
        }
        // Marsaglia's polar method; standard deviation amplitude / 2.
        double u, v, r;
        do {
            u = 2.0 * s.random.uniform() - 1.0;
            v = 2.0 * s.random.uniform() - 1.0;
            r = u * u + v * v;
        } while (r >= 1.0 || r == 0.0);
        const double scale = 0.5 * s.amplitude * std::sqrt(-2.0 * logarithm(r) / r);
        s.spare = v * scale;
        s.hasSpare = 1;
        return u * scale;
    }
    default:
        return s.amplitude * (s.random.uniform() - s.random.uniform());
    }
}

// Rounds onto the output grid as the engine's conversion does (half away from
// zero) and clips to the range the output holds.
double quantise(const DitherState& s, double value) {
    const double scaled = value * s.steps;
    double level = scaled < 0.0 ? std::trunc(scaled - 0.5) : std::trunc(scaled + 0.5);
    if (level > s.steps) level = s.steps;
    if (level < s.lowest) level = s.lowest;
    return level / s.steps;
}

void shapeSample(DitherState& s, double* errors, double& sample, double dither) {
    double feedback = 0.0;
    for (int k = 1; k <= s.order; ++k)
        feedback += s.coeffs[k - 1] * errors[(s.position - k) & (kErrorRing - 1)];
    const double wanted = sample + feedback;
    double error = 0.0;
    if (std::isfinite(wanted)) {
        const double out = quantise(s, wanted + dither);
        error = out - wanted;
        // Clipping makes the error as large as the overshoot: bounding it
        // keeps the filter from carrying the overload on.
        if (error > s.errorLimit) error = s.errorLimit;
        if (error < -s.errorLimit) error = -s.errorLimit;
        sample = out;
    }
    errors[s.position & (kErrorRing - 1)] = error;
}

} // namespace

double quantiserSteps(double amplitude) {
    static constexpr double kSteps[] = {127.0, 32767.0, 8388607.0, 2147483647.0};
    // max(x, 1/x) orders the products as |log x| does.
    auto distance = [amplitude](double steps) {
        const double product = amplitude * steps;
        return product > 1.0 ? product : 1.0 / product;
    };
    double best = kSteps[0];
    for (double steps : kSteps)
        if (distance(steps) < distance(best)) best = steps;
    return best;
}

void initDither(DitherState& s, int channels, int rate, int shaping, int pdf, double amplitude) {
    s.active = 0;
    s.channels = 0;
    s.order = 0;
    s.position = 0;
    s.hasSpare = 0;
    s.spare = 0.0;
    s.random.seed(kSeed);
    if (!validArguments(channels, rate, amplitude)) return;
    s.active = 1;
    s.channels = channels;
    s.pdf = pdf == kPdfRectangular || pdf == kPdfGaussian ? pdf : kPdfTriangular;
    s.amplitude = amplitude;
    s.steps = quantiserSteps(amplitude);
    s.lowest = -(s.steps + 1.0);
    s.errorLimit = 0.5 / s.steps + ditherPeak(s.pdf, amplitude);
    s.order = designNoiseShaper(shaping, rate, s.coeffs);
    for (int i = 0; i < channels * kErrorRing; ++i)
        s.errors[i] = 0.0;
}

void processDither(DitherState& s, int frames, double* samples) {
    if (!s.active || frames <= 0 || samples == nullptr) return;
    for (int f = 0; f < frames; ++f, ++s.position) {
        double* frame = samples + static_cast<int64_t>(f) * s.channels;
        for (int c = 0; c < s.channels; ++c) {
            const double dither = nextDither(s);
            if (s.order == 0)
                frame[c] += dither;
            else
                shapeSample(s, s.errors + c * kErrorRing, frame[c], dither);
        }
    }
}

} // namespace ssrc

extern "C" {

SSRC_API void SSRC_CALL _DitherInit(int channels, int outputRate, int noiseShaping, int pdfType,
                                    double amplitude, void* state) {
    if (state == nullptr) return;
    auto* s = new (state) ssrc::DitherState;
    ssrc::initDither(*s, channels, outputRate, noiseShaping, pdfType, amplitude);
}

SSRC_API void SSRC_CALL _DitherProcess(int frames, void* state, double* samples) {
    if (state == nullptr) return;
    ssrc::processDither(*std::launder(static_cast<ssrc::DitherState*>(state)), frames, samples);
}

SSRC_API void SSRC_CALL _DitherExit(void*) {}

} // extern "C"

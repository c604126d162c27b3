// Noise of the dither and its shapers at 16-bit on a -60 dBFS 1 kHz sine: for
// every rate from 22050 Hz up and each shaping code, the total noise against
// flat triangular dither's theory (1/4 LSB^2: 1/12 rounding + 1/6 dither), and
// the noise weighted by the inverse threshold of hearing (up to Nyquist), by
// ITU-R 468 and by A-weighting (both up to 20 kHz), each against flat
// triangular dither measured the same way; and, per rate, the most that any
// error-feedback shaper can take off the threshold-weighted noise.
#include "spectrum.h"

#include "ssrc/hearing_threshold.h"
#include "ssrc/ssrcdll.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

using Samples = std::vector<double>;

constexpr std::size_t kSegment = 8192;
constexpr std::size_t kLength = 1 << 21;

// What the engine writes for 16-bit output: clip, scale, round half away.
double engine16(double v) {
    v = std::clamp(v, -32768.0 / 32767.0, 1.0);
    const double s = v * 32767.0;
    return s < 0.0 ? std::trunc(s - 0.5) : std::trunc(s + 0.5);
}

// The written output's error against the input in LSB.
Samples outputError(int rate, int shaping) {
    Samples x(kLength);
    for (std::size_t i = 0; i < kLength; ++i)
        x[i] = 0.001 * std::sin(2.0 * std::numbers::pi * 1000.0 * static_cast<double>(i) / rate);
    Samples out = x;
    std::vector<double> state(SSRC_DITHER_STATE_BYTES / sizeof(double));
    _DitherInit(1, rate, shaping, 1, 1.0 / 32767.0, state.data());
    _DitherProcess(static_cast<int>(kLength), state.data(), out.data());
    for (std::size_t i = 0; i < kLength; ++i)
        out[i] = engine16(out[i]) - x[i] * 32767.0;
    return out;
}

double aWeighting(double f) {
    const double f2 = f * f;
    const double r = 12194.0 * 12194.0 * f2 * f2 /
                     ((f2 + 20.6 * 20.6) * std::sqrt((f2 + 107.7 * 107.7) * (f2 + 737.9 * 737.9)) *
                      (f2 + 12194.0 * 12194.0));
    return r * r * std::pow(10.0, 2.0 / 10.0);
}

double itu468Weighting(double f) {
    const double h1 = -4.737338981378384e-24 * std::pow(f, 6) +
                      2.043828333606125e-15 * std::pow(f, 4) - 1.363894795463638e-07 * f * f + 1.0;
    const double h2 = 1.306612257412824e-19 * std::pow(f, 5) - 2.118150887518656e-11 * f * f * f +
                      5.559488023498642e-04 * f;
    const double r = 1.246332637532143e-4 * f / std::sqrt(h1 * h1 + h2 * h2);
    return r * r * std::pow(10.0, 18.2 / 10.0);
}

double hearingWeighting(double f) {
    return std::pow(10.0, -ssrc::hearingThresholdDb(f) / 10.0);
}

template <typename Weight>
double weighted(const Samples& power, int rate, double upToHz, Weight weight) {
    double sum = 0.0;
    for (std::size_t k = 1; k < power.size(); ++k) {
        const double hz = static_cast<double>(k) * rate / kSegment;
        if (hz <= upToHz) sum += power[k] * weight(hz);
    }
    return sum;
}

struct Figures {
    double total, hearing, itu468, a;
};

Figures measure(int rate, int shaping) {
    const Samples e = outputError(rate, shaping);
    double total = 0.0;
    for (double v : e)
        total += v * v;
    const Samples power = bench::welchPowerSpectrum(e, kSegment);
    const double nyquist = rate / 2.0;
    const double audible = std::min(nyquist, 20000.0);
    return {total / static_cast<double>(e.size()), weighted(power, rate, nyquist, hearingWeighting),
            weighted(power, rate, audible, itu468Weighting),
            weighted(power, rate, audible, aWeighting)};
}

double dB(double ratio) {
    return 10.0 * std::log10(ratio);
}

// The most that any error-feedback shaper (monic, minimum phase) can take off
// the threshold-weighted noise of a white error: the arithmetic over the
// geometric mean of the weight across the band (the log of the weight taken
// directly, as the weight itself underflows near 0 Hz and high up).
double hearingBound(int rate) {
    constexpr int kPoints = 1000000;
    double mean = 0.0, logMean = 0.0;
    for (int i = 0; i < kPoints; ++i) {
        const double db = ssrc::hearingThresholdDb((i + 0.5) * (rate / 2.0) / kPoints);
        mean += std::pow(10.0, -db / 10.0) / kPoints;
        logMean += -db / 10.0 / kPoints;
    }
    return 10.0 * std::log10(mean) - 10.0 * logMean;
}

} // namespace

int main() {
    static const char* const kNames[] = {"", "none", "triangular", "ATH based", "ATH lower amp"};
    std::printf(
        "16-bit, triangular 1 LSB, -60 dBFS 1 kHz sine; dB against flat triangular dither\n");
    std::printf("(ATH reduction: positive = quieter; others: positive = louder)\n\n");
    std::printf("%7s  %-14s %12s %14s %12s %12s\n", "rate", "shaping", "total/theory",
                "ATH reduction", "ITU-R 468", "A-weighted");
    for (int rate : {22050, 24000, 32000, 44100, 48000, 96000, 192000}) {
        const Figures flat = measure(rate, 1);
        std::printf("%7d  (ATH reduction that no error-feedback shaper can pass, whatever its "
                    "total noise: %.1f dB)\n",
                    rate, hearingBound(rate));
        for (int shaping = 1; shaping <= 4; ++shaping) {
            const Figures f = shaping == 1 ? flat : measure(rate, shaping);
            std::printf("%7d  %-14s %+12.2f %14.2f %+12.2f %+12.2f\n", rate, kNames[shaping],
                        dB(f.total / 0.25), dB(flat.hearing / f.hearing),
                        dB(f.itu468 / flat.itu468), dB(f.a / flat.a));
        }
    }
    return 0;
}

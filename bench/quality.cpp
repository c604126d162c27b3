// Tones are exactly periodic: an input period of N samples maps onto an output
// period of M samples (N * out / in whole), every tone sits on a DFT bin, and
// one steady output period is analysed after the filter has filled. The
// window then only guards against resamplers whose output is not periodic.
// Frequency response, delay and length come from one impulse.
#include "quality.h"

#include "spectrum.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>
#include <stdexcept>

namespace bench {

namespace {

struct Period {
    std::size_t input;  // N input samples
    std::size_t output; // M output samples, N * out / in exactly
};

// The shortest period that holds whole cycles of both rates (and of a tone of
// `toneHz`, when given), repeated until the longer side reaches minLength.
Period periodFor(int inputRate, int outputRate, int toneHz, std::size_t minLength) {
    const auto g = static_cast<std::size_t>(std::gcd(inputRate, outputRate));
    const std::size_t a = static_cast<std::size_t>(inputRate) / g;
    const std::size_t b = static_cast<std::size_t>(outputRate) / g;
    std::size_t unit = a;
    if (toneHz > 0)
        unit = std::lcm(a, static_cast<std::size_t>(inputRate / std::gcd(inputRate, toneHz)));
    const std::size_t unitOut = unit / a * b;
    // At least 64 repeats keep the bins a rational resampler can fill apart (see measureRejection).
    const std::size_t repeats = std::max<std::size_t>(
        64, (minLength + std::max(unit, unitOut) - 1) / std::max(unit, unitOut));
    return {unit * repeats, unitOut * repeats};
}

// Input samples the filter gets before the analysed period begins.
std::size_t warmUpInput(int inputRate, int outputRate) {
    const double perOutput = static_cast<double>(inputRate) / outputRate;
    return static_cast<std::size_t>(16384 * std::max(1.0, perOutput));
}

// Power of the windowed output spectrum, per bin, counted over the full circle
// (bins other than DC and Nyquist stand for two).
struct ToneRun {
    std::vector<std::vector<double>> power; // per channel, bins 0..M/2
    double referencePower;                  // what a tone of the input amplitude gives
};

ToneRun runTone(Engine engine, int inputRate, int outputRate, const QualityOptions& options,
                Period period, std::size_t bin, double amplitude) {
    const std::size_t n = period.input;
    const std::size_t m = period.output;
    const std::size_t warm = (warmUpInput(inputRate, outputRate) + n - 1) / n;
    const std::size_t periods = warm + 2;
    const auto channels = static_cast<std::size_t>(options.channels);

    std::vector<double> one(n);
    for (std::size_t i = 0; i < n; ++i)
        one[i] = amplitude * std::sin(2 * std::numbers::pi * static_cast<double>((bin * i) % n) /
                                      static_cast<double>(n));
    std::vector<double> input(n * periods * channels);
    for (std::size_t i = 0; i < n * periods; ++i)
        for (std::size_t c = 0; c < channels; ++c)
            input[i * channels + c] = c % 2 == 0 ? one[i % n] : -one[i % n];

    const std::vector<double> output =
        resampleAll(engine, options.channels, inputRate, outputRate, input);
    if (output.size() < (warm + 1) * m * channels)
        throw std::runtime_error("tone run: output too short");

    const std::vector<double> window = blackmanHarris7(m);
    double windowPower = 0;
    for (double w : window)
        windowPower += w * w;

    ToneRun run;
    run.referencePower = static_cast<double>(m) * windowPower * amplitude * amplitude / 2;
    for (std::size_t c = 0; c < channels; ++c) {
        std::vector<double> slice(m);
        for (std::size_t i = 0; i < m; ++i)
            slice[i] = output[(warm * m + i) * channels + c] * window[i];
        std::vector<double> power = powerSpectrum(slice);
        for (std::size_t k = 1; k < power.size(); ++k)
            if (!(m % 2 == 0 && k == m / 2)) power[k] *= 2;
        run.power.push_back(std::move(power));
    }
    return run;
}

// Sum of the bins outside [from, to].
double powerOutside(const std::vector<double>& power, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t k = 0; k < power.size(); ++k)
        if (k < from || k > to) sum += power[k];
    return sum;
}

constexpr std::size_t kToneGuard = kBlackmanHarris7HalfWidth + 2;

// A resampler by a rational ratio a:b varies periodically over b output
// samples, so whatever it makes of an input tone lies on output bins that are
// +-tone modulo the number of repeats of that period (images, aliases and their
// foldings alike). The largest such component, the tone itself excepted, is
// its rejection; the noise between them belongs to THD+N.
void measureRejection(Engine engine, int inputRate, int outputRate, const QualityOptions& options,
                      Quality& q) {
    const Period period = periodFor(inputRate, outputRate, 0, 32768);
    const std::size_t n = period.input;
    const std::size_t m = period.output;
    const std::size_t repeats = n / (static_cast<std::size_t>(inputRate) /
                                     static_cast<std::size_t>(std::gcd(inputRate, outputRate)));
    const bool down = outputRate < inputRate;
    // Downsampling: tones above the output Nyquist, which must vanish.
    // Upsampling: tones below the input Nyquist, whose images must vanish.
    const std::size_t first = down ? n * static_cast<std::size_t>(outputRate) /
                                             (2 * static_cast<std::size_t>(inputRate)) +
                                         1
                                   : 1;
    // An upsampled tone must stay two windows from its first image to be told apart.
    const std::size_t last = (n + 1) / 2 - 1 - (down ? 0 : 2 * kToneGuard);
    std::vector<std::size_t> bins;
    const int tones = std::max(2, options.rejectionTones);
    for (int j = 0; j < tones; ++j) {
        const double u = std::pow(static_cast<double>(j) / (tones - 1), 2);
        const auto offset =
            static_cast<std::size_t>(std::lround(u * static_cast<double>(last - first)));
        bins.push_back(down ? first + offset : last - offset);
    }
    std::sort(bins.begin(), bins.end());
    bins.erase(std::unique(bins.begin(), bins.end()), bins.end());

    q.rejectionDb = std::numeric_limits<double>::infinity();
    const double amplitude = std::pow(10.0, -1.0 / 20);
    for (std::size_t bin : bins) {
        const ToneRun run = runTone(engine, inputRate, outputRate, options, period, bin, amplitude);
        const std::size_t residue = bin % repeats;
        for (const auto& power : run.power) {
            double largest = 0;
            for (std::size_t c = 0; c <= m / 2; ++c) {
                const std::size_t r = c % repeats;
                const bool nearTone =
                    !down && c + 2 * kToneGuard >= bin && c <= bin + 2 * kToneGuard;
                if ((r != residue && r != (repeats - residue) % repeats) || nearTone) continue;
                double component = 0;
                for (std::size_t k = c - std::min(c, kToneGuard);
                     k <= c + kToneGuard && k < power.size(); ++k)
                    component += power[k];
                largest = std::max(largest, component);
            }
            const double rejection = toDb(run.referencePower / std::max(largest, 1e-300));
            if (rejection < q.rejectionDb) {
                q.rejectionDb = rejection;
                q.rejectionToneHz = static_cast<double>(bin) * inputRate / static_cast<double>(n);
            }
        }
    }
}

void measureThdN(Engine engine, int inputRate, int outputRate, const QualityOptions& options,
                 Quality& q) {
    constexpr int kToneHz = 1000;
    const Period period = periodFor(inputRate, outputRate, kToneHz, 32768);
    const std::size_t bin = period.input * kToneHz / static_cast<std::size_t>(inputRate);
    const ToneRun run =
        runTone(engine, inputRate, outputRate, options, period, bin, std::pow(10.0, -1.0 / 20));
    q.thdnDb = -std::numeric_limits<double>::infinity();
    for (const auto& power : run.power) {
        const double rest = powerOutside(power, bin - kToneGuard, bin + kToneGuard);
        double tone = 0;
        for (std::size_t k = bin - kToneGuard; k <= bin + kToneGuard; ++k)
            tone += power[k];
        q.thdnDb = std::max(q.thdnDb, toDb(std::max(rest, 1e-300) / tone));
    }
}

// Frequency where the gain (in dB, per bin) first drops below -dropDb,
// interpolated between bins, as a fraction of the lower Nyquist.
double dropPoint(const std::vector<double>& gainDb, double binHz, double lowerNyquist,
                 double dropDb) {
    for (std::size_t k = 1; k < gainDb.size(); ++k) {
        if (gainDb[k] < -dropDb) {
            const double t = (-dropDb - gainDb[k - 1]) / (gainDb[k] - gainDb[k - 1]);
            return (static_cast<double>(k - 1) + t) * binHz / lowerNyquist;
        }
    }
    return std::numeric_limits<double>::quiet_NaN();
}

void measureImpulse(Engine engine, int inputRate, int outputRate, const QualityOptions& options,
                    Quality& q) {
    const int lower = std::min(inputRate, outputRate);
    const double lowerNyquist = lower / 2.0;
    // 8192 samples of the lower rate on each side hold any sensible filter.
    const auto half = static_cast<std::size_t>(std::ceil(8192.0 * inputRate / lower));
    const std::size_t n = 2 * half;
    const auto channels = static_cast<std::size_t>(options.channels);
    std::vector<double> input(n * channels, 0.0);
    for (std::size_t c = 0; c < channels; ++c)
        input[half * channels + c] = c % 2 == 0 ? 1.0 : -1.0;

    const std::vector<double> output =
        resampleAll(engine, options.channels, inputRate, outputRate, input);
    const std::size_t m = output.size() / channels;
    const auto expected =
        static_cast<std::int64_t>(std::llround(static_cast<double>(n) * outputRate / inputRate));
    q.lengthError = static_cast<std::int64_t>(m) - expected;

    const double expectedPosition = static_cast<double>(half) * outputRate / inputRate;
    const double scale = static_cast<double>(inputRate) / outputRate;
    std::size_t fftSize = std::size_t{1} << 20;
    while (fftSize < 2 * m)
        fftSize *= 2;
    const double binHz = static_cast<double>(outputRate) / static_cast<double>(fftSize);

    q.passbandDeviationDb = 0;
    q.minus01Point = q.minus3Point = std::numeric_limits<double>::infinity();
    q.delay = 0;
    for (std::size_t c = 0; c < channels; ++c) {
        const double sign = c % 2 == 0 ? 1.0 : -1.0;
        std::vector<double> response(m);
        double sum = 0;
        double moment = 0;
        for (std::size_t i = 0; i < m; ++i) {
            response[i] = sign * output[i * channels + c];
            sum += response[i];
            moment += static_cast<double>(i) * response[i];
        }
        const double delay = moment / sum - expectedPosition;
        if (std::abs(delay) > std::abs(q.delay) || !std::isfinite(delay)) q.delay = delay;

        const auto spectrum = paddedDft(response, fftSize);
        std::vector<double> gainDb(spectrum.size());
        for (std::size_t k = 0; k < spectrum.size(); ++k)
            gainDb[k] = 20 * std::log10(std::max(std::abs(spectrum[k]) * scale, 1e-300));
        const auto passbandEnd = static_cast<std::size_t>(0.90 * lowerNyquist / binHz);
        for (std::size_t k = 0; k <= passbandEnd && k < gainDb.size(); ++k)
            q.passbandDeviationDb = std::max(q.passbandDeviationDb, std::abs(gainDb[k]));
        q.minus01Point = std::min(q.minus01Point, dropPoint(gainDb, binHz, lowerNyquist, 0.1));
        q.minus3Point = std::min(q.minus3Point, dropPoint(gainDb, binHz, lowerNyquist, 3.0));
    }
}

} // namespace

Quality measureQuality(Engine engine, int inputRate, int outputRate,
                       const QualityOptions& options) {
    Quality q;
    measureImpulse(engine, inputRate, outputRate, options, q);
    measureThdN(engine, inputRate, outputRate, options, q);
    measureRejection(engine, inputRate, outputRate, options, q);
    return q;
}

} // namespace bench

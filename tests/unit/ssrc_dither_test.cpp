// Dither and noise shaping of ssrcdll: statistics per p.d.f., the shaped
// spectrum against the threshold of hearing, overload, determinism and bad
// arguments.
#include "ssrc/fft.h"
#include "ssrc/hearing_threshold.h"
#include "ssrc/ssrcdll.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Samples = std::vector<double>;

constexpr double kLsb16 = 1.0 / 32767.0;
constexpr double kPi = 3.14159265358979323846;

struct Dither {
    Samples memory = Samples(SSRC_DITHER_STATE_BYTES / sizeof(double));
    void init(int channels, int rate, int shaping, int pdf, double amplitude) {
        _DitherInit(channels, rate, shaping, pdf, amplitude, memory.data());
    }
    void process(Samples& samples, int channels = 1) {
        _DitherProcess(static_cast<int>(samples.size()) / channels, memory.data(), samples.data());
    }
};

Samples dithered(Samples samples, int rate, int shaping, int pdf = 1, double amplitude = kLsb16) {
    Dither d;
    d.init(1, rate, shaping, pdf, amplitude);
    d.process(samples);
    return samples;
}

Samples sine(std::size_t n, int rate, double level, double hz = 1000.0) {
    Samples x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = level * std::sin(2.0 * kPi * hz * i / rate);
    return x;
}

// What the engine writes for 16-bit output: clip, scale, round half away.
double engine16(double v) {
    const double s = std::clamp(v, -32768.0 / 32767.0, 1.0) * 32767.0;
    return s < 0.0 ? std::trunc(s - 0.5) : std::trunc(s + 0.5);
}

// Error of the written 16-bit output against the input, in LSB.
Samples errorLsb(const Samples& in, const Samples& out) {
    Samples e(in.size());
    for (std::size_t i = 0; i < in.size(); ++i)
        e[i] = engine16(out[i]) - in[i] * 32767.0;
    return e;
}

// Averaged power spectrum (Hann-windowed segments of 1024), bins 0..512,
// scaled so that the bins sum to the signal's power.
Samples spectrum(const Samples& x) {
    constexpr int n = 1024;
    ssrc::RealFft fft(n);
    Samples window(n), segment(n), bins(n), power(n / 2 + 1, 0.0);
    double windowPower = 0.0;
    for (int i = 0; i < n; ++i) {
        window[i] = 0.5 - 0.5 * std::cos(2.0 * kPi * i / n);
        windowPower += window[i] * window[i];
    }
    int segments = 0;
    for (std::size_t start = 0; start + n <= x.size(); start += n / 2, ++segments) {
        for (int i = 0; i < n; ++i)
            segment[i] = x[start + i] * window[i];
        fft.forward(segment.data(), bins.data());
        power[0] += bins[0] * bins[0];
        power[n / 2] += bins[1] * bins[1];
        for (int k = 1; k < n / 2; ++k)
            power[k] += 2.0 * (bins[2 * k] * bins[2 * k] + bins[2 * k + 1] * bins[2 * k + 1]);
    }
    for (double& p : power)
        p /= segments * windowPower * n;
    return power;
}

// Sum of power[k] * weight(frequency of bin k) over bins 1..512.
template <typename Weight> double weighted(const Samples& power, int rate, Weight weight) {
    double sum = 0.0;
    for (std::size_t k = 1; k < power.size(); ++k)
        sum += power[k] * weight(k * (rate / 2.0) / (power.size() - 1));
    return sum;
}

double meanSquare(const Samples& x) {
    double sum = 0.0;
    for (double v : x)
        sum += v * v;
    return sum / x.size();
}

double dB(double ratio) {
    return 10.0 * std::log10(ratio);
}

TEST(SsrcDither, EachPdfHasItsMeanVarianceAndShape) {
    const struct {
        int pdf;
        double variance, kurtosis, peak; // in amplitude units
    } cases[] = {{0, 1.0 / 12.0, 1.8, 0.5}, {1, 1.0 / 6.0, 2.4, 1.0}, {2, 0.25, 3.0, 10.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pdf);
        const Samples d = dithered(Samples(400000, 0.0), 44100, 1, c.pdf, 0.001);
        double mean = 0, m2 = 0, m4 = 0, peak = 0;
        for (double v : d)
            mean += v / 0.001 / d.size();
        for (double v : d) {
            const double u = v / 0.001 - mean;
            m2 += u * u / d.size();
            m4 += u * u * u * u / d.size();
            peak = std::max(peak, std::fabs(v / 0.001));
        }
        EXPECT_NEAR(mean, 0.0, 0.005);
        EXPECT_NEAR(m2 / c.variance, 1.0, 0.01);
        EXPECT_NEAR(m4 / (m2 * m2), c.kurtosis, 0.03);
        EXPECT_LE(peak, c.peak);
    }
}

TEST(SsrcDither, HearingShapersHideTheNoiseWhereHearingIsKeenest) {
    const struct {
        int rate, shaping;
        double minReductionDb;
    } cases[] = {{44100, 3, 18.0}, {48000, 3, 18.0}, {44100, 4, 10.0}, {96000, 3, 25.0}};
    auto inverseThreshold = [](double hz) {
        return std::pow(10.0, -ssrc::hearingThresholdDb(hz) / 10.0);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, shaping " << c.shaping);
        const Samples in = sine(1 << 16, c.rate, 0.001);
        const Samples flatError = errorLsb(in, dithered(in, c.rate, 1));
        // Flat triangular dither: 1/12 LSB^2 of rounding and 1/6 of dither.
        EXPECT_NEAR(dB(meanSquare(flatError) / 0.25), 0.0, 0.1);
        const Samples flat = spectrum(flatError);
        const Samples shaped = spectrum(errorLsb(in, dithered(in, c.rate, c.shaping)));
        auto from2To5kHz = [](double hz) { return hz >= 2000 && hz <= 5000 ? 1.0 : 0.0; };
        EXPECT_LT(weighted(shaped, c.rate, from2To5kHz),
                  weighted(flat, c.rate, from2To5kHz) / 10.0);
        EXPECT_GE(dB(weighted(flat, c.rate, inverseThreshold) /
                     weighted(shaped, c.rate, inverseThreshold)),
                  c.minReductionDb);
    }
    // Less total noise is what the lower-amplitude shaper is for.
    const Samples in = sine(1 << 16, 44100, 0.001);
    EXPECT_LT(meanSquare(errorLsb(in, dithered(in, 44100, 4))),
              meanSquare(errorLsb(in, dithered(in, 44100, 3))) / 4.0);
}

TEST(SsrcDither, ShapersStayBoundedOnOverloadAndChannelsStayApart) {
    for (int shaping : {2, 3, 4}) {
        for (double level : {1.0, 1.5, 4.0}) {
            SCOPED_TRACE(testing::Message() << "shaping " << shaping << ", level " << level);
            // Left: overload, then silence; right: silence throughout.
            constexpr std::size_t frames = 80000;
            Samples in(2 * frames, 0.0);
            for (std::size_t i = 0; i < frames / 2; ++i)
                in[2 * i] = level * std::sin(2.0 * kPi * 3000 * i / 32000);
            Samples out = in;
            Dither d;
            d.init(2, 32000, shaping, 1, kLsb16);
            d.process(out, 2);
            double worst = 0.0;
            for (std::size_t i = 0; i < in.size(); ++i) {
                ASSERT_EQ(out[i] * 32767.0, engine16(out[i])) << "off the 16-bit grid at " << i;
                worst =
                    std::max(worst, std::fabs(out[i] - std::clamp(in[i], -32768.0 / 32767.0, 1.0)));
            }
            EXPECT_LT(worst / kLsb16, 200.0);
            // Once the overload is over, both channels carry the usual noise.
            const double usual = meanSquare(dithered(Samples(frames / 4, 0.0), 32000, shaping));
            Samples leftTail, right;
            for (std::size_t i = 0; i < frames; ++i) {
                if (i >= frames * 3 / 4) leftTail.push_back(out[2 * i]);
                right.push_back(out[2 * i + 1]);
            }
            EXPECT_LT(meanSquare(leftTail), 1.5 * usual);
            EXPECT_LT(meanSquare(right), 1.5 * usual);
        }
    }
}

TEST(SsrcDither, SameSettingsGiveSameBytesWhateverTheBlocksAndInitsBefore) {
    // The bytes themselves are pinned, for one setting, by the shared reference run.
    const struct { int shaping, pdf; } cases[] = {{1, 0}, {1, 1}, {1, 2}, {2, 1}, {3, 1}, {4, 2}};
    const Samples in = sine(3 * 4096, 44100, 0.3, 150.0);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "shaping " << c.shaping << ", pdf " << c.pdf);
        Dither d;
        d.init(3, 44100, c.shaping, c.pdf, kLsb16);
        Samples whole = in;
        d.process(whole, 3);

        // Any number of inits on the same memory, then a fresh start.
        for (int i = 0; i < 50; ++i) {
            const int channels = 1 + i * 97 % 1000;
            d.init(channels, 1000 + i * 15331 % 767000, 1 + i % 4, i % 3, kLsb16 * (1 + i % 3));
            Samples block(channels * 3, 0.5);
            d.process(block, channels);
        }
        d.init(3, 44100, c.shaping, c.pdf, kLsb16);
        Samples pieces = in;
        for (std::size_t at = 0, frames = 1; at < in.size() / 3;
             at += frames, frames = frames * 3 % 1000) {
            frames = std::min(frames, in.size() / 3 - at);
            _DitherProcess(static_cast<int>(frames), d.memory.data(), pieces.data() + 3 * at);
        }
        EXPECT_EQ(pieces, whole);
    }
}

TEST(SsrcDither, UnknownCodesActAsTheDefaultsAndBadArgumentsChangeNothing) {
    const Samples in = sine(4096, 48000, 0.2);
    for (int shaping : {0, 5, -1, 1000})
        EXPECT_EQ(dithered(in, 48000, shaping), dithered(in, 48000, 1));
    for (int pdf : {3, -1})
        EXPECT_EQ(dithered(in, 48000, 3, pdf), dithered(in, 48000, 3, 1));

    const struct {
        int channels, rate;
        double amplitude;
    } bad[] = {{0, 44100, kLsb16},  {1001, 44100, kLsb16}, {2, 999, kLsb16},
               {2, 768001, kLsb16}, {2, 44100, 0.0},       {2, 44100, -kLsb16},
               {2, 44100, NAN},     {2, 44100, INFINITY},  {2, 44100, 2.0}};
    for (const auto& c : bad) {
        SCOPED_TRACE(testing::Message()
                     << c.channels << " ch, " << c.rate << " Hz, " << c.amplitude);
        for (int shaping : {1, 3}) {
            Dither d;
            d.init(c.channels, c.rate, shaping, 1, c.amplitude);
            Samples out = in;
            d.process(out, 2);
            EXPECT_EQ(out, in);
        }
    }
}

TEST(SsrcDither, ShapedOutputLiesOnTheGridTheAmplitudeImplies) {
    const struct {
        double amplitude, steps;
    } cases[] = {{1.0 / 127, 127},     {1.0 / 32767, 32767},     {8.0 / 32767, 32767},
                 {0.1 / 32767, 32767}, {1.0 / 8388607, 8388607}, {1.0 / 2147483647, 2147483647},
                 {0.5, 127},           {1e-300, 2147483647}};
    const Samples in = sine(1000, 44100, 0.7);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.amplitude);
        for (double v : dithered(in, 44100, 3, 1, c.amplitude)) {
            const double level = v * c.steps;
            ASSERT_EQ(level, std::round(level));
            ASSERT_GE(level, -c.steps - 1);
            ASSERT_LE(level, c.steps);
        }
    }
}

} // namespace

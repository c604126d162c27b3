// The resampler through its C entry points, plus the deterministic maths and
// the FFT under it, and the native shared library as other tools load it. Quality checks use short,
// exactly periodic tones so they stay fast; the benchmark measures the same figures at full length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "analyser/engine/linked_entry_points.h"
#include "ssrc/deterministic_math.h"
#include "ssrc/fft.h"
#include "ssrc/ssrcdll.h"
#include "tests/common/ssrc_reference.h"

#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace {

constexpr double kPi = 3.14159265358979323846;

using ssrc_reference::Pass;

struct State {
    alignas(16) unsigned char bytes[SSRC_RESAMPLER_STATE_BYTES];
};

// One whole pass through the linked library (see ssrc_reference::runPass).
Pass resample(int channels, int inputRate, int outputRate, const std::vector<double>& input,
              int block = 8192, bool down = false) {
    Pass pass = ssrc_reference::runPass(corv::linkedSsrcEntryPoints(), down, channels, inputRate,
                                        outputRate, input, block);
    EXPECT_FALSE(pass.nullBuffer);
    return pass;
}

int64_t expectedLength(int64_t frames, int inputRate, int outputRate) {
    return (frames * outputRate + inputRate / 2) / inputRate;
}

std::vector<double> noise(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-0.5, 0.5);
    std::vector<double> samples(count);
    for (double& sample : samples)
        sample = uniform(generator);
    return samples;
}

// A mono tone exactly periodic in `period` output frames (frequency near
// `hertz`), resampled; returns the gain and the level of everything else in
// one steady period, both in dB relative to the input amplitude.
struct ToneResult {
    double gainDb;
    double residueDb;
    double frequency;
};

ToneResult measureTone(int inputRate, int outputRate, double hertz, double amplitude) {
    constexpr int period = 8192;
    const double cycles = std::max(1.0, std::round(hertz * period / outputRate));
    const double frequency = cycles * outputRate / period;
    const int margin = 6000; // output frames of warm-up on each side
    const auto inputFrames = static_cast<std::size_t>(
        std::ceil(static_cast<double>(period + 2 * margin) * inputRate / outputRate));
    std::vector<double> input(inputFrames);
    for (std::size_t i = 0; i < inputFrames; ++i)
        input[i] = amplitude * std::sin(2.0 * kPi * frequency * static_cast<double>(i) / inputRate);
    const std::vector<double> output = resample(1, inputRate, outputRate, input).output;
    const auto at = [&](int n) { return output[static_cast<std::size_t>(margin + n)]; };
    const auto phase = [&](int n) { return 2.0 * kPi * frequency * (margin + n) / outputRate; };
    double cosine = 0.0;
    double sine = 0.0;
    for (int n = 0; n < period; ++n) {
        cosine += 2.0 / period * at(n) * std::cos(phase(n));
        sine += 2.0 / period * at(n) * std::sin(phase(n));
    }
    double residue = 0.0;
    for (int n = 0; n < period; ++n) {
        const double error = at(n) - cosine * std::cos(phase(n)) - sine * std::sin(phase(n));
        residue += error * error;
    }
    const double residueAmplitude = std::sqrt(2.0 * residue / period);
    return {20.0 * std::log10(std::hypot(cosine, sine) / amplitude),
            20.0 * std::log10(residueAmplitude / amplitude + 1e-300), frequency};
}

// Against glibc, whose functions are accurate to within an ulp; mingw's are
// not, so there the fixed table below is what counts.
#ifdef __GLIBC__
TEST(SsrcDeterministicMath, AgreesWithTheSystemLibraryWithinTwoUlp) {
    const auto ulps = [](double a, double b) {
        if (a == b) return 0.0;
        return std::fabs(a - b) / (std::nextafter(std::fabs(b), INFINITY) - std::fabs(b));
    };
    std::mt19937_64 generator(7);
    std::uniform_real_distribution<double> angle(-1000.0, 1000.0);
    std::uniform_real_distribution<double> exponent(-700.0, 700.0);
    std::uniform_real_distribution<double> mantissa(0.0, 1.0);
    for (int i = 0; i < 2000; ++i) {
        const double x = angle(generator);
        EXPECT_LE(ulps(ssrc::sine(x), std::sin(x)), 2.0) << "sine " << x;
        EXPECT_LE(ulps(ssrc::cosine(x), std::cos(x)), 2.0) << "cosine " << x;
        const double e = exponent(generator);
        EXPECT_LE(ulps(ssrc::exponential(e), std::exp(e)), 2.0) << "exponential " << e;
        const double positive = std::ldexp(0.5 + mantissa(generator), static_cast<int>(e));
        EXPECT_LE(ulps(ssrc::logarithm(positive), std::log(positive)), 2.0)
            << "logarithm " << positive;
        const double db = e / 10.0;
        EXPECT_LE(ulps(ssrc::power(10.0, db / 20.0), std::pow(10.0, db / 20.0)), 2.0)
            << "power " << db;
    }
}
#endif

// Exact values at the points where each function has one; on every platform.
TEST(SsrcDeterministicMath, ExactValuesStayExact) {
    EXPECT_EQ(ssrc::sine(0.0), 0.0);
    EXPECT_EQ(ssrc::cosine(0.0), 1.0);
    EXPECT_EQ(ssrc::exponential(0.0), 1.0);
    EXPECT_EQ(ssrc::logarithm(1.0), 0.0);
    EXPECT_EQ(ssrc::power(2.0, 10.0), 1024.0);
    EXPECT_TRUE(std::isnan(ssrc::logarithm(-1.0)));
}

TEST(SsrcFft, MatchesADirectTransformAndInvertsScaledBySize) {
    for (std::size_t size : {4u, 8u, 12u, 32u, 40u, 56u, 128u, 420u, 512u}) {
        SCOPED_TRACE(size);
        const std::vector<double> x = noise(size, static_cast<unsigned>(size));
        ssrc::RealFft fft(size);
        std::vector<double> spectrum(size);
        fft.forward(x.data(), spectrum.data());
        for (std::size_t k = 0; k <= size / 2; ++k) {
            double re = 0.0;
            double im = 0.0;
            for (std::size_t n = 0; n < size; ++n) {
                const double phase =
                    -2.0 * kPi * static_cast<double>((k * n) % size) / static_cast<double>(size);
                re += x[n] * std::cos(phase);
                im += x[n] * std::sin(phase);
            }
            const double gotRe = k == 0          ? spectrum[0]
                                 : k == size / 2 ? spectrum[1]
                                                 : spectrum[2 * k];
            const double gotIm = k == 0 || k == size / 2 ? 0.0 : spectrum[2 * k + 1];
            EXPECT_NEAR(gotRe, re, 1e-12) << "bin " << k;
            EXPECT_NEAR(gotIm, im, 1e-12) << "bin " << k;
        }
        fft.inverse(spectrum.data(), spectrum.data()); // in place
        for (std::size_t n = 0; n < size; ++n)
            EXPECT_NEAR(spectrum[n] / static_cast<double>(size), x[n], 1e-14);
    }
}

// Pass band, -0.1 dB point, THD+N and stop band for a few pairs, one of them
// an awkward ratio that takes the interpolated coefficient path.
TEST(SsrcResampler, PassBandAndStopBand) {
    const struct {
        int in, out;
    } pairs[] = {{44100, 48000}, {48000, 44100}, {96000, 44100},
                 {48000, 8000},  {8000, 192000}, {44100, 47999}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE(std::to_string(pair.in) + " -> " + std::to_string(pair.out));
        const double nyquist = std::min(pair.in, pair.out) / 2.0;
        for (double fraction : {0.05, 0.5, 0.9}) {
            const ToneResult tone = measureTone(pair.in, pair.out, fraction * nyquist, 0.5);
            EXPECT_LE(std::fabs(tone.gainDb), 0.01) << tone.frequency << " Hz";
            // Everything but the tone: images of an up-sampler, noise of both.
            EXPECT_LE(tone.residueDb, -175.0) << tone.frequency << " Hz";
        }
        EXPECT_GE(measureTone(pair.in, pair.out, 0.93 * nyquist, 0.5).gainDb, -0.1);
        const ToneResult thd = measureTone(pair.in, pair.out, 1000.0, std::pow(10.0, -1.0 / 20.0));
        EXPECT_LE(thd.residueDb, -175.0) << "THD+N";
        if (pair.out < pair.in) {
            // Above the output Nyquist frequency everything that comes out is
            // aliasing; 3.05 sits where the short filter's stop band begins and
            // its alias lands in the sharp filter's transition band.
            for (double fraction : {1.003, 1.1, 1.6, 3.05}) {
                if (fraction * nyquist >= pair.in / 2.0) continue;
                const ToneResult alias = measureTone(pair.in, pair.out, fraction * nyquist, 1.0);
                const double level = 20.0 * std::log10(std::pow(10.0, alias.gainDb / 20.0) +
                                                       std::pow(10.0, alias.residueDb / 20.0));
                EXPECT_LE(level, -175.0) << alias.frequency << " Hz";
            }
        }
    }
}

// An impulse at input frame k lands at k * out / in; the pass has
// round(n * out / in) frames; both directions, extreme ratios, both entry
// point families, and rates off the project list.
TEST(SsrcResampler, ImpulsesLandWithoutDelayAndLengthsAreExact) {
    const struct {
        int in, out;
    } pairs[] = {{6000, 192000}, {192000, 6000}, {11025, 192000}, {192000, 11025}, {44100, 48000},
                 {48000, 44100}, {48000, 8000},  {22050, 44100},  {96000, 48000},  {44100, 47999},
                 {1000, 768000}, {768000, 1000}, {12345, 6789}};
    for (const auto& pair : pairs) {
        for (bool down : {false, true}) {
            SCOPED_TRACE(std::to_string(pair.in) + " -> " + std::to_string(pair.out) +
                         (down ? " down" : " up"));
            const int frames = std::max(1000, pair.in / 10);
            for (int k : {0, frames / 3, frames - 1}) {
                std::vector<double> input(static_cast<std::size_t>(frames), 0.0);
                input[static_cast<std::size_t>(k)] = 1.0;
                const std::vector<double> output =
                    resample(1, pair.in, pair.out, input, 8192, down).output;
                ASSERT_EQ(static_cast<int64_t>(output.size()),
                          expectedLength(frames, pair.in, pair.out));
                const auto peak =
                    std::max_element(output.begin(), output.end(), [](double a, double b) {
                        return std::fabs(a) < std::fabs(b);
                    });
                const double expected = static_cast<double>(k) * pair.out / pair.in;
                EXPECT_LE(std::fabs(static_cast<double>(peak - output.begin()) - expected), 1.0)
                    << "impulse at " << k;
                if (k == frames / 3) {
                    // Unity gain at DC: the response carries out / in of the impulse's area.
                    double area = 0.0;
                    for (double sample : output)
                        area += sample;
                    EXPECT_NEAR(area, static_cast<double>(pair.out) / pair.in, 1e-6);
                }
            }
        }
    }
}

// The draining call gives exactly what more silence would have given, the
// output does not depend on how the input is cut into blocks, the block size
// left by init covers every call, and silence gives exact zeros. The two
// channels of a stereo window share one complex transform: each comes out as it
// does alone, but for rounding, a quiet one beside a loud one too.
TEST(SsrcResampler, TailBlocksBlockSizeAndChannels) {
    const struct {
        int channels, in, out;
    } cases[] = {{2, 44100, 48000},  {1, 48000, 44100}, {2, 11025, 192000},
                 {3, 192000, 11025}, {2, 96000, 44100}, {1, 44100, 47999}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.in) + " -> " + std::to_string(c.out));
        const int frames = 20000;
        std::vector<double> input = noise(static_cast<std::size_t>(frames) * c.channels, 3);
        for (std::size_t i = 1; i < input.size(); i += static_cast<std::size_t>(c.channels))
            input[i] *= 0.01;
        const Pass whole = resample(c.channels, c.in, c.out, input, 8192);
        EXPECT_GE(whole.blockSize, whole.largestCall);
        ASSERT_EQ(static_cast<int64_t>(whole.output.size()),
                  expectedLength(frames, c.in, c.out) * c.channels);
        for (int block : {1, 100})
            EXPECT_EQ(resample(c.channels, c.in, c.out, input, block).output, whole.output)
                << "blocks of " << block;
        std::vector<double> longer = input;
        longer.resize(input.size() + static_cast<std::size_t>(c.in) * c.channels, 0.0);
        std::vector<double> padded = resample(c.channels, c.in, c.out, longer).output;
        padded.resize(whole.output.size());
        EXPECT_EQ(padded, whole.output);
        const std::vector<double> silent =
            resample(c.channels, c.in, c.out, std::vector<double>(input.size(), 0.0)).output;
        EXPECT_TRUE(std::all_of(silent.begin(), silent.end(), [](double s) { return s == 0.0; }));
        for (int channel = 0; c.channels > 1 && channel < c.channels; ++channel) {
            std::vector<double> mono;
            for (std::size_t i = channel; i < input.size(); i += c.channels)
                mono.push_back(input[i]);
            const std::vector<double> alone = resample(1, c.in, c.out, mono).output;
            double worst = 0.0;
            for (std::size_t i = 0; i < alone.size(); ++i)
                worst =
                    std::max(worst, std::fabs(whole.output[i * c.channels + channel] - alone[i]));
            EXPECT_LE(worst, 1e-13) << "channel " << channel;
        }
    }
}

// 1000 channels: each is the same signal times a power of two (exact in
// floating point) or silent, so each output channel must be exactly the
// scaled first one: no crosstalk, no channel mixed up.
TEST(SsrcResampler, ThousandChannelsStayApart) {
    constexpr int channels = 1000;
    constexpr int frames = 1500;
    const std::vector<double> signal = noise(frames, 11);
    std::vector<double> input(static_cast<std::size_t>(frames) * channels);
    const auto scale = [](int channel) {
        return channel % 7 == 3 ? 0.0 : std::ldexp(1.0, channel % 5 - 2);
    };
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            input[static_cast<std::size_t>(i) * channels + c] =
                signal[static_cast<std::size_t>(i)] * scale(c);
    const std::vector<double> output = resample(channels, 48000, 44100, input).output;
    const std::size_t outFrames = output.size() / channels;
    ASSERT_EQ(static_cast<int64_t>(outFrames), expectedLength(frames, 48000, 44100));
    std::size_t mismatches = 0;
    for (std::size_t i = 0; i < outFrames; ++i) {
        const double reference = output[i * channels] / scale(0);
        for (int c = 1; c < channels; ++c)
            if (output[i * channels + c] != reference * scale(c)) ++mismatches;
    }
    EXPECT_EQ(mismatches, 0u);
}

TEST(SsrcResampler, BadArgumentsGiveAnInertState) {
    const std::vector<double> input(200, 0.25);
    // Whether it drains or not, an inert state gives a valid buffer of no frames.
    const auto expectInert = [&](void* state) {
        for (int last : {0, 1}) {
            int produced = -1;
            EXPECT_NE(_UpsampleProcess(last, state, 100, input.data(), &produced), nullptr);
            EXPECT_EQ(produced, 0);
        }
    };
    const struct {
        int channels, in, out;
    } bad[] = {{0, 44100, 48000}, {1001, 44100, 48000}, {-2, 44100, 48000},
               {2, 999, 48000},   {2, 44100, 768001},   {2, 0, 0},
               {2, -44100, 48000}};
    for (const auto& b : bad) {
        SCOPED_TRACE(std::to_string(b.channels) + " ch " + std::to_string(b.in) + " -> " +
                     std::to_string(b.out));
        State state;
        std::memset(state.bytes, 0xA5, sizeof state.bytes);
        int blockSize = 8192;
        _UpsampleInit(b.channels, b.in, b.out, state.bytes, &blockSize);
        EXPECT_EQ(blockSize, 8192);
        expectInert(state.bytes);
        _UpsampleExit(state.bytes);
        _UpsampleExit(state.bytes); // twice is harmless
    }
    // A live state released is inert too; a null state is refused quietly.
    State state;
    int blockSize = 8192;
    _UpsampleInit(2, 44100, 48000, state.bytes, &blockSize);
    _UpsampleExit(state.bytes);
    expectInert(state.bytes);
    _UpsampleInit(2, 44100, 48000, nullptr, &blockSize);
    expectInert(nullptr);
    _UpsampleExit(nullptr);
}

// Either family works in either direction with the same result, and separate
// states do not disturb each other.
TEST(SsrcResampler, StatesAreIndependent) {
    const std::vector<double> input = noise(4000, 5);
    for (const auto& [in, out] : {std::pair{44100, 48000}, std::pair{48000, 22050}}) {
        EXPECT_EQ(resample(2, in, out, input, 1000, false).output,
                  resample(2, in, out, input, 1000, true).output)
            << in << " -> " << out;
    }
    EXPECT_EQ(resample(2, 44100, 44100, input, 300).output, input); // equal rates pass through
    // Two passes interleaved block by block on separate states give what each gives alone.
    const int rates[2][2] = {{44100, 96000}, {96000, 44100}};
    State states[2];
    std::vector<double> outputs[2];
    for (int s = 0; s < 2; ++s) {
        int blockSize = 8192;
        _UpsampleInit(1, rates[s][0], rates[s][1], states[s].bytes, &blockSize);
    }
    for (std::size_t at = 0; at <= input.size(); at += 500) {
        const bool last = at == input.size();
        for (int s = 0; s < 2; ++s) {
            int produced = 0;
            const double* got = _UpsampleProcess(last, states[s].bytes, last ? 0 : 500,
                                                 last ? nullptr : &input[at], &produced);
            outputs[s].insert(outputs[s].end(), got, got + produced);
        }
    }
    for (int s = 0; s < 2; ++s) {
        _UpsampleExit(states[s].bytes);
        EXPECT_EQ(outputs[s], resample(1, rates[s][0], rates[s][1], input).output);
    }
}

#ifndef _WIN32
// The library loaded with dlopen gives the recorded reference output that
// ssrcdll.dll must give too under Wine (tests/win/ssrc_dll_test.cpp). The
// build checks its exports.
TEST(SsrcSharedLibrary, GivesTheRecordedReferenceOutput) {
    void* handle = dlopen(SSRC_SHARED_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    SsrcEntryPoints api{};
    ASSERT_EQ(corv::findEntryPoints(api, [&](const char* name) { return dlsym(handle, name); }),
              "");
    EXPECT_EQ(ssrc_reference::mismatch(api), "") << "see tests/common/ssrc_reference.h";
    EXPECT_EQ(dlclose(handle), 0);
}
#endif

} // namespace

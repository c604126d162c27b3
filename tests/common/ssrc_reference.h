// One fixed run of the resampler and the dither that every build of ssrcdll
// must reproduce byte for byte: the native shared library (unit test) and the
// Windows DLL under Wine (tests/win) run it through the nine entry points and
// compare the FNV-1a 64 hash of the output doubles with the values below.
//
// The values are recorded from the native build. When the resampler or the
// dither is changed on purpose, the native test fails once and prints the new
// values: put them here, then run both tests again. When only the DLL differs,
// it computes differently from the native build (compiler flags, maths library).
#ifndef SSRC_REFERENCE_H
#define SSRC_REFERENCE_H

#include "analyser/engine/entry_point_lookup.h"

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace ssrc_reference {

constexpr std::uint64_t kResampleHash = 0x69439c75d4b1b54aull;
constexpr std::uint64_t kDitherHash = 0xc25d4525615a637full;

// 44100 -> 48000 Hz stereo, fed in uneven blocks, tail drained.
constexpr int kChannels = 2;
constexpr int kInputRate = 44100;
constexpr int kOutputRate = 48000;
constexpr int kInputFrames = 5500;
constexpr int kBlockFrames = 1000;

// 16-bit output, one LSB of triangular dither shaped to the hearing threshold.
constexpr int kDitherFrames = 4096;
constexpr int kDitherShaping = 3;
constexpr int kDitherPdf = 1;
constexpr double kDitherAmplitude = 1.0 / 32767;

// A triangle wave and noise from integer arithmetic only, so every platform
// computes the same input bits.
inline std::vector<double> input(int frames) {
    std::vector<double> samples(static_cast<std::size_t>(frames) * kChannels);
    std::uint32_t noise = 12345;
    for (int i = 0; i < frames; ++i) {
        noise = noise * 1664525u + 1013904223u;
        const double white = static_cast<double>(noise >> 8) / 16777216.0 - 0.5;
        const int phase = i % 100;
        const double triangle = (phase < 50 ? phase : 100 - phase) / 25.0 - 1.0;
        samples[static_cast<std::size_t>(i) * 2] = 0.6 * triangle + 0.05 * white;
        samples[static_cast<std::size_t>(i) * 2 + 1] = 0.4 * white;
    }
    return samples;
}

inline std::uint64_t fnv1a(const std::vector<double>& samples) {
    std::uint64_t hash = 14695981039346656037ull;
    for (double sample : samples) {
        unsigned char bytes[sizeof sample];
        std::memcpy(bytes, &sample, sizeof sample);
        for (unsigned char byte : bytes)
            hash = (hash ^ byte) * 1099511628211ull;
    }
    return hash;
}

// One whole pass through the entry points: init, blocks of `block` frames
// (also the block size given to init), the draining call, exit.
struct Pass {
    std::vector<double> output;
    int blockSize = 0;       // as the init call left it
    int largestCall = 0;     // most frames one process call returned
    bool nullBuffer = false; // a process call returned no buffer
};

inline Pass runPass(const SsrcEntryPoints& api, bool down, int channels, int inputRate,
                    int outputRate, const std::vector<double>& input, int block) {
    alignas(16) unsigned char state[SSRC_RESAMPLER_STATE_BYTES];
    Pass pass;
    pass.blockSize = block;
    (down ? api.downsampleInit : api.upsampleInit)(channels, inputRate, outputRate, state,
                                                   &pass.blockSize);
    const auto process = down ? api.downsampleProcess : api.upsampleProcess;
    const auto call = [&](int last, const double* samples, int frames) {
        int produced = 0;
        const double* out = process(last, state, frames, samples, &produced);
        pass.nullBuffer = pass.nullBuffer || out == nullptr;
        pass.largestCall = std::max(pass.largestCall, produced);
        if (out) pass.output.insert(pass.output.end(), out, out + std::size_t(produced) * channels);
    };
    const std::size_t frames = input.size() / static_cast<std::size_t>(channels);
    for (std::size_t at = 0; at < frames; at += static_cast<std::size_t>(block))
        call(0, input.data() + at * channels,
             static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(block), frames - at)));
    call(1, nullptr, 0);
    (down ? api.downsampleExit : api.upsampleExit)(state);
    return pass;
}

inline std::uint64_t resampleHash(const SsrcEntryPoints& api) {
    return fnv1a(
        runPass(api, false, kChannels, kInputRate, kOutputRate, input(kInputFrames), kBlockFrames)
            .output);
}

// Two calls on one state, so the noise shaper's memory across blocks counts too.
inline std::uint64_t ditherHash(const SsrcEntryPoints& api) {
    std::vector<double> state(SSRC_DITHER_STATE_BYTES / sizeof(double));
    api.ditherInit(kChannels, kOutputRate, kDitherShaping, kDitherPdf, kDitherAmplitude,
                   state.data());
    std::vector<double> samples = input(kDitherFrames);
    for (double& sample : samples)
        sample *= 0.25;
    const int half = kDitherFrames / 2;
    api.ditherProcess(half, state.data(), samples.data());
    api.ditherProcess(kDitherFrames - half, state.data(), samples.data() + half * kChannels);
    api.ditherExit(state.data());
    return fnv1a(samples);
}

// "" when both runs give the recorded values; otherwise the values they gave,
// as the lines to record above.
inline std::string mismatch(const SsrcEntryPoints& api) {
    const std::uint64_t resampled = resampleHash(api), dithered = ditherHash(api);
    if (resampled == kResampleHash && dithered == kDitherHash) return "";
    char text[200];
    std::snprintf(text, sizeof text,
                  "constexpr std::uint64_t kResampleHash = 0x%016" PRIx64 "ull;\n"
                  "constexpr std::uint64_t kDitherHash = 0x%016" PRIx64 "ull;\n",
                  resampled, dithered);
    return text;
}

} // namespace ssrc_reference

#endif

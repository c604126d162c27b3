// The resamplers the benchmark compares, behind one streaming interface: our
// library through its nine entry points, libsoxr (very high quality recipe,
// doubles in and out) and libsamplerate (best sinc, floats in and out).
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace bench {

enum class Engine { Ours, Soxr, Libsamplerate };

const char* engineName(Engine engine);

class Stream {
  public:
    virtual ~Stream() = default;
    // Resamples `frames` interleaved frames; with `last`, drains the tail too.
    // The output stays valid until the next call.
    virtual std::span<const double> process(const double* input, std::size_t frames, bool last) = 0;
};

std::unique_ptr<Stream> openStream(Engine engine, int channels, int inputRate, int outputRate);

// The engine's block size in frames: every run feeds blocks of this size.
inline constexpr std::size_t kBlockFrames = 8192;

// Resamples a whole signal block by block, tail included.
std::vector<double> resampleAll(Engine engine, int channels, int inputRate, int outputRate,
                                const std::vector<double>& input);

} // namespace bench

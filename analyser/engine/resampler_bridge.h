#pragma once
// The engine's side of the resampler and dither library: owns the state
// memory of one pass and calls the nine entry points in the order the library
// expects (init, process blocks, drain with the last flag, exit).
#include "ssrc/ssrcdll.h"

#include <cstdint>
#include <memory>

namespace corv {

class Resampler {
  public:
    // Down-sampler when the output rate is lower, up-sampler when higher.
    // blockFrames is the engine's block size; the library may raise it.
    Resampler(const SsrcEntryPoints& api, uint32_t channels, uint32_t inputRate,
              uint32_t outputRate, int& blockFrames);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // The resampled block (outputFrames frames); nullptr if the library gave
    // no buffer, which ends the pass as a failure.
    double* process(bool last, int frames, const double* input, int& outputFrames);

  private:
    const SsrcEntryPoints& api_;
    bool down_;
    alignas(16) unsigned char state_[SSRC_RESAMPLER_STATE_BYTES];
};

class Dither {
  public:
    // amplitude in least significant bits of the output type (q = 2^(n-1) - 1).
    Dither(const SsrcEntryPoints& api, uint32_t channels, uint32_t outputRate, int noiseShaping,
           int pdfType, double amplitude);
    Dither(const Dither&) = delete;
    Dither& operator=(const Dither&) = delete;

    void process(int frames, double* samples);

  private:
    const SsrcEntryPoints& api_;
    std::unique_ptr<double[]> state_; // SSRC_DITHER_STATE_BYTES, double-aligned
};

// The largest integer of the output type, 0 for types that are not dithered.
double ditherQuantum(int32_t sampleTypeCode);

} // namespace corv

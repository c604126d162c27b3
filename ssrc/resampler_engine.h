// The sample-rate converter behind the C entry points: a chain of stages
// chosen from the two rates, with interleaved input and output.
//
// Ratios L / M with no prime factor above 7 (all the common rates): one FFT
// stage filters and changes the rate at once (fft_ratio_stage.h), unless the
// chain below is estimated cheaper, as at large ratios down.
// Up (out > in):   the FFT stage doubling the rate, then a short polyphase
//                  stage from 2 * in to out.
// Down (out < in): short polyphase stage from in to 2 * out, then the FFT
//                  stage halving the rate.
// The FFT stage's sharp filter sets the pass band (flat to 0.92 of the lower
// Nyquist frequency) and the stop band (from the lower Nyquist on); the
// polyphase stage only has to keep its own images and aliases out of that band.
#ifndef SSRC_RESAMPLER_ENGINE_H
#define SSRC_RESAMPLER_ENGINE_H

#include <cstdint>
#include <memory>
#include <vector>

#include "ssrc/resampler_stage.h"

namespace ssrc {

class ResamplerEngine {
  public:
    static constexpr int maxChannels = 1000;
    static constexpr int minRate = 1000;
    static constexpr int maxRate = 768000;
    static bool validArguments(int channels, int inputRate, int outputRate);

    ResamplerEngine(int channels, int inputRate, int outputRate);

    // Output frames one call can return for `inputFrames` input frames, tail included.
    int maxOutputFrames(int inputFrames) const;
    // Interleaved in, interleaved out; the result stays valid until the next call.
    const double* process(const double* input, int frames, bool last, int& outputFrames);

  private:
    FrameQueue& chainInput() { return stages_.empty() ? chainOutput_ : stages_.front()->input(); }
    void runChain();
    int64_t expectedTotal() const;

    int channels_;
    int inputRate_;
    int outputRate_;
    std::vector<std::unique_ptr<ResamplerStage>> stages_;
    double heldOutputFrames_ = 0.0; // what the chain may hold back, in output frames
    int64_t inputTotal_ = 0;
    int64_t outputTotal_ = 0;
    bool finished_ = false;
    FrameQueue chainOutput_;   // interleaved: what a call returns points into it
    std::size_t returned_ = 0; // frames the last call returned
    double empty_ = 0.0;       // a valid buffer for 0 frames
};

} // namespace ssrc

#endif

// The long, sharp low-pass of the resampler on the way down, where the ratio
// takes a polyphase stage first: SharpDecimator, FFT overlap-save, halves the
// rate. Zero-phase: its delay is compensated inside, so input frame k lands
// at output frame k / 2.
#ifndef SSRC_SHARP_FILTER_STAGES_H
#define SSRC_SHARP_FILTER_STAGES_H

#include <memory>
#include <vector>

#include "ssrc/fft.h"
#include "ssrc/resampler_stage.h"

namespace ssrc {

// Taps of the sharp filter at twice the lower rate: pass band to
// passEdge * (lower Nyquist), stop band from the lower Nyquist on.
std::vector<double> designSharpFilter(double passEdge, double attenuationDb);

// FFT size for a filter of the given length and channel count (memory stays bounded).
std::size_t chooseFftSize(std::size_t filterLength, int channels);

// The decimator splits the filter h into its even and odd taps (its
// polyphase components) and applies them at the lower rate, where a real
// signal of N samples is one complex transform of N / 2 points.
class SharpDecimator final : public ResamplerStage {
  public:
    // taps: linear-phase filter at the input rate, 2 * D + 1 taps with D even.
    // The input starts inputHistory (<= D) frames before time 0.
    SharpDecimator(const std::vector<double>& taps, std::size_t fftSize, int channels,
                   std::size_t inputHistory);
    // Frames before time 0 the decimator can use.
    static std::size_t historyFor(const std::vector<double>& taps) { return taps.size() / 2; }
    void process(FrameQueue& output) override;
    std::size_t maxHeldFrames() const override { return fftSize_; }

  private:
    std::size_t fftSize_;
    std::size_t hop_;        // outputs per FFT window (2 * hop_ inputs)
    std::size_t firstValid_; // first decimated output of a window that is kept
    ComplexFft inputFft_;    // fftSize_ / 2 points: even inputs real, odd imaginary
    RealFft outputFft_;      // fftSize_ / 2 real outputs
    // Per bin k <= fftSize_ / 4 the weights of Z[k] and of conj Z[-k] (below).
    std::vector<double> weights_;
    std::vector<double> spectrum_;
    std::vector<double> decimated_; // per channel of a pair
};

} // namespace ssrc

#endif

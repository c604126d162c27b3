// The long, sharp low-pass of the resampler, run as FFT overlap-save at twice
// the lower of the two rates: SharpInterpolator doubles the rate on the way
// up, SharpDecimator halves it on the way down. Both are zero-phase: their
// delay is compensated inside, so input frame k lands at output frame 2k
// (interpolator) or k / 2 (decimator).
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

// The interpolator takes two signals at a time as the real and imaginary
// parts of one complex transform (two channels, or two windows of one
// channel): the spectrum of the zero-stuffed window is that of the window,
// repeated, so one transform of the window and one of twice its length, back,
// give both signals at the doubled rate, already interleaved for a pair of
// channels. The decimator splits the filter h into its even and odd taps
// (its polyphase components) and applies them at the lower rate, where a real
// signal of N samples is one complex transform of N / 2 points.

class SharpInterpolator final : public ResamplerStage {
  public:
    // taps: odd-length linear-phase filter at the doubled rate. The output
    // starts emitBefore frames before time 0, so that the next stage sees the
    // filter's response ahead of the first input too.
    SharpInterpolator(const std::vector<double>& taps, std::size_t fftSize, int channels,
                      std::size_t emitBefore);
    void process(FrameQueue& output) override;
    std::size_t maxHeldFrames() const override {
        return windowInputs_ + (input_.channels() % 2 != 0 ? hop_ : 0);
    }

  private:
    // Samples of one signal: at[n * step].
    struct Lane {
        const double* at;
        std::size_t step;
    };
    struct OutputLane {
        double* at;
        std::size_t step;
    };
    // Filters a window of a and one of b into 2 * hop_ outputs each.
    void filterPair(Lane a, Lane b, OutputLane toA, OutputLane toB);

    std::size_t windowInputs_; // inputs per FFT window (fftSize / 2)
    std::size_t hop_;          // new inputs per window
    ComplexFft inputFft_;      // windowInputs_ points
    ComplexFft outputFft_;     // fftSize points
    // The filter's transform over fftSize points, scaled, turned so that the
    // first kept output comes out first.
    std::vector<double> filterSpectrum_;
    std::vector<double> spectrum_;
    std::vector<double> gathered_; // a pair of lanes as complex values
};

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

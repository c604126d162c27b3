// A sharp low-pass and a change of rate by L / M in one FFT overlap-save
// stage, zero-phase. A window of N_in = M m input frames and the output
// window it makes, N_out = L m frames, span the same time, so their
// transforms have the same bin spacing: the output's spectrum is the input's
// (repeated above its Nyquist frequency, when going up) times the filter's,
// and one inverse transform of N_out points gives the output at the new rate.
// The filter is a Kaiser-windowed sinc sampled at the output rate, flat to
// 0.92 of the lower Nyquist frequency and stopping from it on.
//
// Two signals go through each pair of transforms as the real and imaginary
// parts: the two channels of a stereo window, which come out interleaved as
// they are, or else two windows of one channel, so that channels never share
// a transform's rounding.
#ifndef SSRC_FFT_RATIO_STAGE_H
#define SSRC_FFT_RATIO_STAGE_H

#include <cstdint>
#include <vector>

#include "ssrc/fft.h"
#include "ssrc/resampler_stage.h"

namespace ssrc {

class FftRatioStage final : public ResamplerStage {
  public:
    // Window sizes for a pair of rates: m = 0 when none fits (rates whose
    // ratio has a prime factor above 7, or a filter too long for the largest
    // transform). With boundMemory, windows stay within a memory budget for
    // the channel count.
    struct Plan {
        int64_t up = 1, down = 1; // L, M
        std::size_t m = 0;
        std::size_t lead = 0; // P: windows start P M inputs (P L outputs) before the hop
        std::size_t hops = 0; // h: a window's kept outputs, L h; its new inputs, M h
        int halfLength = 0;   // taps of the filter on each side of its centre
        double cutoff = 0.0;  // cycles per output frame
        double beta = 0.0;    // Kaiser window shape
        double cost = 0.0;    // estimated work per output frame of a pair of channels
    };
    static Plan plan(int64_t inputRate, int64_t outputRate, int channels, std::size_t emitBefore,
                     bool boundMemory);

    // The output starts emitBefore frames before time 0, so that a stage
    // after it sees the filter's response ahead of the first input too; the
    // input starts inputHistory (<= historyUsed) frames before time 0.
    FftRatioStage(const Plan& plan, int channels, std::size_t emitBefore, std::size_t inputHistory);
    // Input frames before time 0 that the stage reads.
    static std::size_t historyUsed(const Plan& plan) {
        return plan.lead * static_cast<std::size_t>(plan.down);
    }
    void process(FrameQueue& output) override;
    std::size_t maxHeldFrames() const override {
        return windowInputs_ + (input_.channels() != 2 ? hopInputs_ : 0);
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
    // Filters a window of a and one of b into hopOutputs_ outputs each; into
    // windowOutputs_ frames when they are the two channels of interleaved stereo.
    void filterPair(Lane a, Lane b, OutputLane toA, OutputLane toB);

    std::size_t windowInputs_;  // N_in
    std::size_t windowOutputs_; // N_out
    std::size_t hopInputs_;     // M h
    std::size_t hopOutputs_;    // L h
    ComplexFft inputFft_;
    ComplexFft outputFft_;
    // The filter's transform over N_out points, scaled, turned so that the
    // first kept output comes out first.
    std::vector<double> filterSpectrum_;
    // Output bins [to, to + count) take input bins [from, from + count): the
    // output's bin d is frequency d, or d - N_out from the middle on, and the
    // input's spectrum repeats every N_in bins.
    struct Run {
        std::size_t to, from, count;
    };
    std::vector<Run> runs_;
    std::vector<double> spectrum_; // of the input window
    std::vector<double> product_;  // of the output window
    std::vector<double> gathered_; // a pair of lanes as complex values
};

} // namespace ssrc

#endif

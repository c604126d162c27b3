// Rational-ratio polyphase resampling with a short Kaiser-windowed sinc.
// Output frame n is the input signal at time n * M / L (in input frames),
// with no delay. Small L keeps one exact coefficient row per phase; large L
// (awkward ratios) interpolates rows from a fine table with cubic Lagrange
// weights, which stays well below the stop-band floor.
#ifndef SSRC_POLYPHASE_STAGE_H
#define SSRC_POLYPHASE_STAGE_H

#include <cstdint>
#include <vector>

#include "ssrc/resampler_stage.h"

namespace ssrc {

struct PolyphaseBatch;

struct PolyphaseDesign {
    int64_t up = 1;         // L
    int64_t down = 1;       // M
    double passEdge = 0.25; // cycles per input frame
    double stopEdge = 0.75; // cycles per input frame
    double attenuationDb = 180.0;
};

class PolyphaseStage final : public ResamplerStage {
  public:
    // The input starts inputHistory frames before time 0; the output starts
    // emitBefore frames before time 0 (history for the next stage).
    PolyphaseStage(const PolyphaseDesign& design, int channels, int64_t inputHistory,
                   int64_t emitBefore);
    // Taps per phase (even) of a design, and the input frames before time 0 it uses.
    static int tapCount(const PolyphaseDesign& design);
    static int64_t historyNeeded(const PolyphaseDesign& design) { return tapCount(design) / 2 - 1; }
    void process(FrameQueue& output) override;
    std::size_t maxHeldFrames() const override { return static_cast<std::size_t>(taps_) + 1; }
    int taps() const { return taps_; }

  private:
    // Coefficient row for phase numerator p (0 <= p < L), filled into scratch if needed.
    const double* row(int64_t phase, double* scratch) const;

    int64_t up_;
    int64_t down_;
    int taps_; // per phase, even
    void (*kernel_)(const PolyphaseBatch&, FrameRoom) = nullptr;
    bool interpolated_;
    int64_t finePhases_ = 0;
    std::vector<double> table_; // exact: L rows; interpolated: finePhases_ + 3 rows
    // Position of the next output: input index (relative to the queue front) of
    // its first tap, and its phase numerator.
    int64_t nextStart_ = 0;
    int64_t nextPhase_ = 0;
    std::vector<int64_t> starts_;
    std::vector<const double*> rows_;
    std::vector<double> rowScratch_;
    std::vector<double*> outputs_; // where the chunk's outputs go, per channel
};

} // namespace ssrc

#endif

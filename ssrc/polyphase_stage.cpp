#include "ssrc/polyphase_stage.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "ssrc/dot_product.h"
#include "ssrc/filter_design.h"

namespace ssrc {
namespace {

constexpr int64_t exactTableLimit = 1 << 18;  // doubles (2 MB) for one row per phase
constexpr int64_t finePhaseCount = 2048;

}  // namespace

PolyphaseStage::PolyphaseStage(const PolyphaseDesign& design, int channels) : up_(design.up), down_(design.down) {
    if (up_ < 1 || down_ < 1) throw std::invalid_argument("bad polyphase ratio");
    const double span = kaiserSpan(design.attenuationDb, design.stopEdge - design.passEdge);
    taps_ = static_cast<int>(std::ceil(span));
    taps_ += taps_ % 2;
    const double halfWidth = 0.5 * taps_;
    const WindowedSinc kernel(0.5 * (design.passEdge + design.stopEdge), halfWidth, kaiserBeta(design.attenuationDb));
    const auto fillRow = [&](double fraction, double* out) {
        // Tap j meets input (first + j); the output sits `fraction` after input first + taps/2 - 1.
        for (int j = 0; j < taps_; ++j) out[j] = kernel(fraction + halfWidth - 1.0 - j);
    };
    interpolated_ = up_ * taps_ > exactTableLimit;
    if (!interpolated_) {
        table_.resize(static_cast<std::size_t>(up_ * taps_));
        for (int64_t p = 0; p < up_; ++p)
            fillRow(static_cast<double>(p) / static_cast<double>(up_), table_.data() + p * taps_);
    } else {
        // Rows at fractions q / Q for q = -1 .. Q + 1 (row index q + 1).
        finePhases_ = finePhaseCount;
        table_.resize(static_cast<std::size_t>((finePhases_ + 3) * taps_));
        for (int64_t q = -1; q <= finePhases_ + 1; ++q)
            fillRow(static_cast<double>(q) / static_cast<double>(finePhases_), table_.data() + (q + 1) * taps_);
    }
    pending_.resize(static_cast<std::size_t>(channels));
    for (SampleQueue& queue : pending_) queue.appendZeros(static_cast<std::size_t>(taps_ / 2 - 1));
}

const double* PolyphaseStage::row(int64_t phase, double* scratch) const {
    if (!interpolated_) return table_.data() + phase * taps_;
    const int64_t scaled = phase * finePhases_;
    const int64_t index = scaled / up_;
    const double u = static_cast<double>(scaled % up_) / static_cast<double>(up_);
    // Cubic Lagrange weights for rows index-1 .. index+2.
    const double wm = -u * (u - 1.0) * (u - 2.0) / 6.0;
    const double w0 = (u + 1.0) * (u - 1.0) * (u - 2.0) / 2.0;
    const double w1 = -(u + 1.0) * u * (u - 2.0) / 2.0;
    const double w2 = (u + 1.0) * u * (u - 1.0) / 6.0;
    const double* r = table_.data() + index * taps_;  // row of fraction (index - 1) / Q
    for (int j = 0; j < taps_; ++j)
        scratch[j] = ((wm * r[j] + w0 * r[j + taps_]) + w1 * r[j + 2 * taps_]) + w2 * r[j + 3 * taps_];
    return scratch;
}

void PolyphaseStage::process(const PlanarBlock& input, PlanarBlock& output) {
    for (std::size_t c = 0; c < pending_.size(); ++c) pending_[c].append(input[c].data(), input[c].size());
    const int64_t available = static_cast<int64_t>(pending_.empty() ? 0 : pending_[0].size());
    // Positions and rows of every output whose taps are all available.
    starts_.clear();
    rows_.clear();
    int64_t start = nextStart_;
    int64_t phase = nextPhase_;
    const int64_t stepWhole = down_ / up_;
    const int64_t stepPart = down_ % up_;
    std::size_t count = 0;
    while (start + taps_ <= available) {
        starts_.push_back(start);
        if (interpolated_) {
            if (rowScratch_.size() < (count + 1) * taps_) rowScratch_.resize((count + 1) * taps_ * 2);
        }
        rows_.push_back(nullptr);
        ++count;
        start += stepWhole;
        phase += stepPart;
        if (phase >= up_) {
            phase -= up_;
            ++start;
        }
    }
    // Rows last: the scratch no longer moves.
    {
        int64_t p = nextPhase_;
        for (std::size_t n = 0; n < count; ++n) {
            rows_[n] = row(p, rowScratch_.data() + n * taps_);
            p += stepPart;
            if (p >= up_) p -= up_;
        }
    }
    const std::size_t channels = pending_.size();
    std::size_t c = 0;
    for (; c + 2 <= channels; c += 2) {
        std::vector<double>& outX = output[c];
        std::vector<double>& outY = output[c + 1];
        outX.resize(count);
        outY.resize(count);
        const double* x = pending_[c].front();
        const double* y = pending_[c + 1].front();
        for (std::size_t n = 0; n < count; ++n)
            dotProduct2(rows_[n], x + starts_[n], y + starts_[n], taps_, outX[n], outY[n]);
    }
    if (c < channels) {
        std::vector<double>& out = output[c];
        out.resize(count);
        const double* x = pending_[c].front();
        for (std::size_t n = 0; n < count; ++n) out[n] = dotProduct(rows_[n], x + starts_[n], taps_);
    }
    // Drop the inputs no later output needs.
    const int64_t consumed = std::min(start, available);
    for (SampleQueue& queue : pending_) queue.drop(static_cast<std::size_t>(consumed));
    nextStart_ = start - consumed;
    nextPhase_ = phase;
}

}  // namespace ssrc

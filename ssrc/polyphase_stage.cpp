#include "ssrc/polyphase_stage.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "ssrc/filter_design.h"
#include "ssrc/polyphase_kernels.h"

namespace ssrc {
namespace {

constexpr int64_t exactTableLimit = 1 << 18; // doubles (2 MB) for one row per phase
constexpr int64_t finePhaseCount = 2048;

using Kernel = void (*)(const PolyphaseBatch&, FrameRoom);

// A tap count known at compile time lets the dot products unroll fully; the
// sums are formed in the same order either way.
template <template <int> class Family> Kernel forTaps(int taps) {
    switch (taps) {
    case 14:
        return Family<14>::run;
    case 24:
        return Family<24>::run;
    case 26:
        return Family<26>::run;
    case 52:
        return Family<52>::run;
    case 72:
        return Family<72>::run;
    default:
        return Family<0>::run;
    }
}

#ifdef SSRC_HAVE_SSE2
template <int taps> struct Sse2Stereo {
    static void run(const PolyphaseBatch& b, FrameRoom out) { sse2::stereo<taps>(b, out); }
};
template <int taps> struct Sse2Mono {
    static void run(const PolyphaseBatch& b, FrameRoom out) { sse2::mono<taps>(b, out); }
};
#endif
#ifdef SSRC_HAVE_AVX_DISPATCH
template <int taps> struct AvxStereo {
    static void run(const PolyphaseBatch& b, FrameRoom out) { avx::stereo<taps>(b, out); }
};
template <int taps> struct AvxMono {
    static void run(const PolyphaseBatch& b, FrameRoom out) { avx::mono<taps>(b, out); }
};
#endif

Kernel chooseKernel(std::size_t channels, int taps) {
#ifdef SSRC_HAVE_AVX_DISPATCH
    if (cpuHasAvx()) {
        if (channels == 1) return forTaps<AvxMono>(taps);
        return channels == 2 ? forTaps<AvxStereo>(taps) : avx::multi;
    }
#endif
#ifdef SSRC_HAVE_SSE2
    if (channels == 1) return forTaps<Sse2Mono>(taps);
    return channels == 2 ? forTaps<Sse2Stereo>(taps) : sse2::multi;
#else
    (void)taps;
    (void)channels;
    return portable::filter;
#endif
}

} // namespace

int PolyphaseStage::tapCount(const PolyphaseDesign& design) {
    const int taps = static_cast<int>(
        std::ceil(kaiserSpan(design.attenuationDb, design.stopEdge - design.passEdge)));
    return taps + taps % 2;
}

PolyphaseStage::PolyphaseStage(const PolyphaseDesign& design, int channels, int64_t inputHistory,
                               int64_t emitBefore)
    : ResamplerStage(channels), up_(design.up), down_(design.down) {
    if (up_ < 1 || down_ < 1) throw std::invalid_argument("bad polyphase ratio");
    taps_ = tapCount(design);
    kernel_ = chooseKernel(static_cast<std::size_t>(channels), taps_);
    const double halfWidth = 0.5 * taps_;
    const WindowedSinc kernel(0.5 * (design.passEdge + design.stopEdge), halfWidth,
                              kaiserBeta(design.attenuationDb));
    const auto fillRow = [&](double fraction, double* out) {
        // Tap j meets input (first + j); the output sits `fraction` after input first + taps/2 - 1.
        for (int j = 0; j < taps_; ++j)
            out[j] = kernel(fraction + halfWidth - 1.0 - j);
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
            fillRow(static_cast<double>(q) / static_cast<double>(finePhases_),
                    table_.data() + (q + 1) * taps_);
    }
    // First output at time -emitBefore * M / L: whole input index and phase.
    const int64_t numerator = -emitBefore * down_;
    const int64_t whole = numerator >= 0 ? numerator / up_ : -((-numerator + up_ - 1) / up_);
    nextPhase_ = numerator - whole * up_;
    // Its first tap, counted from the first input the queue will hold.
    const int64_t firstTap = whole - taps_ / 2 + 1;
    const int64_t zeros = std::max<int64_t>(0, -firstTap - inputHistory);
    nextStart_ = firstTap + inputHistory + zeros;
    input_.appendZeros(static_cast<std::size_t>(zeros));
    outputs_.resize(static_cast<std::size_t>(channels));
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
    const double* r = table_.data() + index * taps_; // row of fraction (index - 1) / Q
    for (int j = 0; j < taps_; ++j)
        scratch[j] =
            ((wm * r[j] + w0 * r[j + taps_]) + w1 * r[j + 2 * taps_]) + w2 * r[j + 3 * taps_];
    return scratch;
}

void PolyphaseStage::process(FrameQueue& output) {
    const int64_t available = static_cast<int64_t>(input_.frames());
    const int64_t stepWhole = down_ / up_;
    const int64_t stepPart = down_ % up_;
    const auto advance = [&](int64_t& start, int64_t& phase) {
        start += stepWhole;
        phase += stepPart;
        if (phase >= up_) {
            phase -= up_;
            ++start;
        }
    };
    // Every output whose taps are all available: output i starts at
    // floor((position + i * M) / L), with position = start * L + phase, and
    // needs start + taps <= available.
    const int64_t position = nextStart_ * up_ + nextPhase_;
    const int64_t limit = (available - taps_ + 1) * up_; // positions below it fit
    const std::size_t count =
        limit > position ? static_cast<std::size_t>((limit - position + down_ - 1) / down_) : 0;
    const FrameRoom room = output.extend(count);
    std::copy(room.channel, room.channel + outputs_.size(), outputs_.begin());
    // In chunks, so that interpolated rows are computed once for all channels
    // and stay in cache.
    constexpr std::size_t chunk = 256;
    starts_.resize(chunk);
    rows_.resize(chunk);
    const std::size_t stride = static_cast<std::size_t>(taps_);
    if (interpolated_) rowScratch_.resize(chunk * stride);
    int64_t start = nextStart_;
    int64_t phase = nextPhase_;
    for (std::size_t done = 0; done < count;) {
        const std::size_t n = std::min(chunk, count - done);
        for (std::size_t i = 0; i < n; ++i) {
            starts_[i] = start;
            rows_[i] = interpolated_ ? row(phase, rowScratch_.data() + i * stride)
                                     : table_.data() + static_cast<std::size_t>(phase) * stride;
            advance(start, phase);
        }
        const PolyphaseBatch batch{starts_.data(),           rows_.data(),   n, taps_,
                                   input_.samples().front(), outputs_.size()};
        kernel_(batch, {outputs_.data(), room.step});
        for (double*& out : outputs_)
            out += n * room.step;
        done += n;
    }
    // Drop the inputs no later output needs.
    const int64_t consumed = std::min(start, available);
    input_.dropFrames(static_cast<std::size_t>(consumed));
    nextStart_ = start - consumed;
    nextPhase_ = phase;
}

} // namespace ssrc

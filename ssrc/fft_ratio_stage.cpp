#include "ssrc/fft_ratio_stage.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>

#include "ssrc/filter_design.h"
#include "ssrc/simd.h"

namespace ssrc {
namespace {

constexpr double passEdge = 0.92; // of the lower Nyquist frequency
constexpr double attenuationDb = 183.0;
constexpr int64_t maxPoints = 16384;
constexpr double memoryBudget = 8e6; // samples of a window over all channels

#ifdef SSRC_HAVE_AVX_DISPATCH
// Two values per register; returns how many it did.
SSRC_TARGET_AVX std::size_t multiplyRunAvx(const double* x, const double* g, std::size_t count,
                                           double* y) {
    const __m256d flipReal = _mm256_set_pd(1.0, -1.0, 1.0, -1.0);
    std::size_t i = 0;
    for (; i + 2 <= count; i += 2) {
        const __m256d u = _mm256_loadu_pd(x + 2 * i);
        const __m256d w = _mm256_loadu_pd(g + 2 * i);
        const __m256d re = _mm256_mul_pd(u, _mm256_permute_pd(w, 0));
        const __m256d im = _mm256_mul_pd(_mm256_permute_pd(u, 5),
                                         _mm256_mul_pd(_mm256_permute_pd(w, 15), flipReal));
        _mm256_storeu_pd(y + 2 * i, _mm256_add_pd(re, im));
    }
    _mm256_zeroupper();
    return i;
}
#endif

// y[i] = x[i] g[i] for i < count, complex. The SIMD versions do the same
// operations in the same order as the plain one, so all give the same bits.
void multiplyRun(const double* x, const double* g, std::size_t count, double* y) {
    std::size_t i = 0;
#ifdef SSRC_HAVE_AVX_DISPATCH
    if (cpuHasAvx()) i = multiplyRunAvx(x, g, count, y);
#endif
    for (; i < count; ++i) {
#ifdef SSRC_HAVE_SSE2
        const __m128d u = _mm_loadu_pd(x + 2 * i);
        const __m128d w = _mm_loadu_pd(g + 2 * i);
        const __m128d re = _mm_mul_pd(u, _mm_unpacklo_pd(w, w));
        const __m128d im = _mm_mul_pd(_mm_shuffle_pd(u, u, 1),
                                      _mm_mul_pd(_mm_unpackhi_pd(w, w), _mm_set_pd(1.0, -1.0)));
        _mm_storeu_pd(y + 2 * i, _mm_add_pd(re, im));
#else
        const double ur = x[2 * i], ui = x[2 * i + 1], wr = g[2 * i], wi = g[2 * i + 1];
        y[2 * i] = ur * wr + ui * -wi;
        y[2 * i + 1] = ui * wr + ur * wi;
#endif
    }
}

} // namespace

FftRatioStage::Plan FftRatioStage::plan(int64_t inputRate, int64_t outputRate, int channels,
                                        std::size_t emitBefore, bool boundMemory) {
    Plan p;
    const int64_t common = std::gcd(inputRate, outputRate);
    p.up = outputRate / common;
    p.down = inputRate / common;
    const double nyquist = 0.5 * static_cast<double>(std::min(inputRate, outputRate)) /
                           static_cast<double>(outputRate); // cycles per output frame
    const double pass = passEdge * nyquist;
    p.halfLength = static_cast<int>(std::ceil(kaiserSpan(attenuationDb, nyquist - pass) / 2.0));
    p.cutoff = 0.5 * (pass + nyquist);
    p.beta = kaiserBeta(attenuationDb);
    const int64_t up = p.up, down = p.down;
    const int64_t reach = p.halfLength + 1; // the window is zero from there on
    const int64_t before = static_cast<int64_t>(emitBefore);
    const int64_t lead = (reach + before + up - 1) / up;
    const int64_t first = lead * up - before; // first kept output of a window
    for (int64_t m = 1; up * m <= maxPoints && down * m <= maxPoints; ++m) {
        const int64_t in = down * m, out = up * m;
        if (static_cast<double>(std::max(in, out)) * channels > memoryBudget &&
            (boundMemory || p.m != 0))
            break;
        // Output first + j (j < L h) takes the inputs within reach of it:
        // (first + L h - 1 + reach) M <= (N_in - 1) L.
        const int64_t room = (in - 1) * up / down - first - reach + 1;
        const double inWork = ComplexFft::workPerPoint(static_cast<std::size_t>(in));
        const double outWork = ComplexFft::workPerPoint(static_cast<std::size_t>(out));
        if (room < up || inWork == 0.0 || outWork == 0.0) continue;
        const int64_t hops = room / up;
        // Sums and products of exact constants only: the sizes decide output
        // bits, so every platform must pick the same.
        const double cost =
            (static_cast<double>(in) * inWork + static_cast<double>(out) * outWork) /
            static_cast<double>(up * hops);
        if (p.m == 0 || cost < p.cost) {
            p.m = static_cast<std::size_t>(m);
            p.lead = static_cast<std::size_t>(lead);
            p.hops = static_cast<std::size_t>(hops);
            p.cost = cost;
        }
    }
    return p;
}

FftRatioStage::FftRatioStage(const Plan& plan, int channels, std::size_t emitBefore,
                             std::size_t inputHistory)
    : ResamplerStage(channels), windowInputs_(static_cast<std::size_t>(plan.down) * plan.m),
      windowOutputs_(static_cast<std::size_t>(plan.up) * plan.m),
      hopInputs_(static_cast<std::size_t>(plan.down) * plan.hops),
      hopOutputs_(static_cast<std::size_t>(plan.up) * plan.hops),
      inputFft_(plan.m != 0 ? windowInputs_ : throw std::invalid_argument("no FFT plan")),
      outputFft_(windowOutputs_) {
    // Tap t of the filter sits at t - first (mod N_out), so that the first
    // kept output is the first of the inverse transform. Sampled at the
    // output rate, the filter gains L / M; 1 / N_out is for the unscaled inverse.
    const int64_t size = static_cast<int64_t>(windowOutputs_);
    const int64_t first =
        static_cast<int64_t>(plan.lead) * plan.up - static_cast<int64_t>(emitBefore);
    const WindowedSinc kernel(plan.cutoff, plan.halfLength + 1.0, plan.beta);
    std::vector<double> placed(2 * windowOutputs_, 0.0);
    for (int64_t t = -plan.halfLength; t <= plan.halfLength; ++t)
        placed[static_cast<std::size_t>(2 * (((t - first) % size + size) % size))] =
            kernel(static_cast<double>(t));
    filterSpectrum_.resize(2 * windowOutputs_);
    outputFft_.transform(placed.data(), filterSpectrum_.data(), false);
    const double scale =
        static_cast<double>(plan.up) / static_cast<double>(plan.down) / static_cast<double>(size);
    for (double& value : filterSpectrum_)
        value *= scale;
    const int64_t in = static_cast<int64_t>(windowInputs_);
    for (int64_t d = 0; d < size;) {
        const int64_t frequency = 2 * d < size ? d : d - size;
        const int64_t from = (frequency % in + in) % in;
        const int64_t end = std::min(2 * d < size ? (size + 1) / 2 : size, d + in - from);
        runs_.push_back({static_cast<std::size_t>(d), static_cast<std::size_t>(from),
                         static_cast<std::size_t>(end - d)});
        d = end;
    }
    // The output's Nyquist bin (stop band) stays empty, so each signal comes out real.
    if (size % 2 == 0) std::fill_n(filterSpectrum_.begin() + size, 2, 0.0);
    if (inputHistory > historyUsed(plan))
        throw std::invalid_argument("more history than the stage uses");
    input_.appendZeros(historyUsed(plan) - inputHistory);
    spectrum_.resize(2 * windowInputs_);
    product_.resize(2 * windowOutputs_);
    gathered_.resize(2 * windowInputs_);
}

void FftRatioStage::filterPair(Lane a, Lane b, OutputLane toA, OutputLane toB) {
    const double* window = a.at; // a stereo window is already complex
    if (a.step != 2 || b.at != a.at + 1) {
        double* z = gathered_.data();
        for (std::size_t n = 0; n < windowInputs_; ++n) {
            z[2 * n] = a.at[n * a.step];
            z[2 * n + 1] = b.at[n * b.step];
        }
        window = z;
    }
    inputFft_.transform(window, spectrum_.data(), false);
    double* y = product_.data();
    for (const Run& run : runs_)
        multiplyRun(spectrum_.data() + 2 * run.from, filterSpectrum_.data() + 2 * run.to, run.count,
                    y + 2 * run.to);
    // A stereo pair's outputs are the transform's, frame by frame.
    if (toA.step == 2 && toB.at == toA.at + 1) return outputFft_.transform(y, toA.at, true);
    outputFft_.transform(y, y, true);
    for (std::size_t m = 0; m < hopOutputs_; ++m) {
        toA.at[m * toA.step] = y[2 * m];
        toB.at[m * toB.step] = y[2 * m + 1];
    }
}

void FftRatioStage::process(FrameQueue& output) {
    const std::size_t channels = input_.channels();
    std::size_t windows = completeWindows(input_.frames(), windowInputs_, hopInputs_);
    // Other than stereo, two windows of a channel at a time, always the same
    // two, so that the output depends neither on how the input was cut nor on
    // other channels.
    if (channels != 2) windows -= windows % 2;
    if (windows == 0) return;
    // Stereo windows go out whole, each over the unkept end of the one
    // before; the last one's is taken back.
    const std::size_t spill = channels == 2 ? windowOutputs_ - hopOutputs_ : 0;
    const FrameRoom room = output.extend(windows * hopOutputs_ + spill);
    const double* frames = input_.samples().front();
    const auto in = [&](std::size_t c, std::size_t window) {
        return Lane{frames + window * hopInputs_ * channels + c, channels};
    };
    const auto out = [&](std::size_t c, std::size_t window) {
        return OutputLane{room.channel[c] + window * hopOutputs_ * room.step, room.step};
    };
    if (channels == 2)
        for (std::size_t window = 0; window < windows; ++window)
            filterPair(in(0, window), in(1, window), out(0, window), out(1, window));
    else
        for (std::size_t c = 0; c < channels; ++c)
            for (std::size_t window = 0; window < windows; window += 2)
                filterPair(in(c, window), in(c, window + 1), out(c, window), out(c, window + 1));
    output.takeBack(spill);
    input_.dropFrames(windows * hopInputs_);
}

} // namespace ssrc

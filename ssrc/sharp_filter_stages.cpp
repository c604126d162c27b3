#include "ssrc/sharp_filter_stages.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "ssrc/complex_multiply.h"
#include "ssrc/filter_design.h"

namespace ssrc {
namespace {

// Bin k (0 <= k < size) of the real transform of `samples` (size of them),
// from its packed spectrum.
class RealSpectrum {
  public:
    explicit RealSpectrum(const std::vector<double>& samples) : packed_(samples.size()) {
        RealFft(samples.size()).forward(samples.data(), packed_.data());
    }
    Bin operator[](std::size_t k) const {
        const std::size_t size = packed_.size();
        if (k == 0) return {packed_[0], 0.0};
        if (k == size / 2) return {packed_[1], 0.0};
        if (k < size / 2) return {packed_[2 * k], packed_[2 * k + 1]};
        return {packed_[2 * (size - k)], -packed_[2 * (size - k) + 1]};
    }

  private:
    std::vector<double> packed_;
};

// taps[first], taps[first + 2], ... from sample `at` on, zero-padded to `size`.
std::vector<double> everySecondTap(const std::vector<double>& taps, std::size_t first,
                                   std::size_t at, std::size_t size) {
    std::vector<double> samples(size, 0.0);
    for (std::size_t i = first; i < taps.size(); i += 2, ++at)
        samples[at] = taps[i];
    return samples;
}

// Decimator bins D[k] = Z[k] A[k] + conj(Z[points - k]) B[k] for 0 < k < end,
// weights as (A re, A im, B re, B im) per bin.
void combineBins(const double* z, const double* weights, std::size_t points, std::size_t end,
                 double* d) {
    for (std::size_t k = 1; k < end; ++k) {
        const double* w = weights + 4 * k;
        const std::size_t j = points - k;
#ifdef SSRC_HAVE_SSE2
        const __m128d zk = _mm_loadu_pd(z + 2 * k);
        const __m128d zj = conjugate(_mm_loadu_pd(z + 2 * j));
        _mm_storeu_pd(d + 2 * k,
                      _mm_add_pd(multiply(zk, _mm_loadu_pd(w)), multiply(zj, _mm_loadu_pd(w + 2))));
#else
        const Bin p = multiply({z[2 * k], z[2 * k + 1]}, {w[0], w[1]});
        const Bin q = multiply({z[2 * j], -z[2 * j + 1]}, {w[2], w[3]});
        d[2 * k] = p.re + q.re;
        d[2 * k + 1] = p.im + q.im;
#endif
    }
}

// Writes count samples of one or two channels (from[0], from[1]) into a
// frame room at frame `at`. Two interleaved channels go in frame by frame, so
// each cache line of the room is written once.
void put(const double* const* from, std::size_t group, std::size_t count, FrameRoom room,
         std::size_t channel, std::size_t at) {
    if (room.step == 1) {
        for (std::size_t c = 0; c < group; ++c)
            std::copy(from[c], from[c] + count, room.channel[channel + c] + at);
        return;
    }
    if (group == 2 && room.step == 2 && room.channel[channel + 1] == room.channel[channel] + 1) {
        double* first = room.channel[channel] + 2 * at;
        const double* a = from[0];
        const double* b = from[1];
        for (std::size_t i = 0; i < count; ++i) {
            first[2 * i] = a[i];
            first[2 * i + 1] = b[i];
        }
        return;
    }
    for (std::size_t c = 0; c < group; ++c) {
        double* to = room.channel[channel + c] + at * room.step;
        for (std::size_t i = 0; i < count; ++i)
            to[i * room.step] = from[c][i];
    }
}

} // namespace

std::vector<double> designSharpFilter(double passEdge, double attenuationDb) {
    // At twice the lower rate the lower Nyquist frequency is 1/4 cycle per sample.
    const double stop = 0.25;
    const double pass = passEdge * 0.25;
    const double span = kaiserSpan(attenuationDb, stop - pass);
    int halfLength = static_cast<int>(std::ceil(span / 2.0));
    halfLength += halfLength % 2; // even, as the decimator needs
    return designLowPass(halfLength, 0.5 * (pass + stop), kaiserBeta(attenuationDb));
}

std::size_t chooseFftSize(std::size_t filterLength, int channels) {
    // Cost per output ~ F log F / (F - length); memory ~ channels * F.
    std::size_t best = 0;
    double bestCost = 0.0;
    // Exact arithmetic only (no log2 from the platform's library): the size
    // decides output bits, so every platform must pick the same one.
    for (std::size_t size = 16, bits = 4; size <= 16384; size *= 2, ++bits) {
        if (size < 2 * filterLength) continue;
        if (best != 0 && static_cast<double>(size) * channels > 8e6) break;
        const double cost =
            static_cast<double>(size * bits) / static_cast<double>(size - filterLength);
        if (best == 0 || cost < bestCost) {
            best = size;
            bestCost = cost;
        }
    }
    if (best == 0) {
        best = 16;
        while (best < 2 * filterLength)
            best *= 2;
    }
    return best;
}

SharpDecimator::SharpDecimator(const std::vector<double>& taps, std::size_t fftSize, int channels,
                               std::size_t inputHistory)
    : ResamplerStage(channels, false), fftSize_(fftSize), inputFft_(fftSize / 2),
      outputFft_(fftSize / 2) {
    const std::size_t delay = taps.size() / 2;
    if (delay % 2 != 0) throw std::invalid_argument("decimator filter delay must be even");
    if (inputHistory > delay) throw std::invalid_argument("more history than the decimator uses");
    if (fftSize < 2 * delay + 4) throw std::invalid_argument("FFT too short for the filter");
    hop_ = (fftSize - 2 * delay) / 2;
    firstValid_ = delay;
    // The window as complex points z[m] = x[2m] + i x[2m + 1] has the
    // transform Z = Xe + i Xo of its even and odd inputs; output m is the
    // even taps over the even inputs plus the odd taps (one later) over the
    // odd ones: D = He Xe + Ho Xo = Z[k] (He - i Ho) / 2 + conj Z[-k] (He + i Ho) / 2.
    const std::size_t points = fftSize / 2;
    const RealSpectrum even(everySecondTap(taps, 0, 0, points));
    const RealSpectrum odd(everySecondTap(taps, 1, 1, points));
    const double scale = 0.5 / static_cast<double>(points); // and 1 / points for the inverse
    weights_.resize(4 * (points / 2 + 1));
    for (std::size_t k = 0; k <= points / 2; ++k) {
        const Bin e = even[k], o = odd[k];
        weights_[4 * k] = (e.re + o.im) * scale;
        weights_[4 * k + 1] = (e.im - o.re) * scale;
        weights_[4 * k + 2] = (e.re - o.im) * scale;
        weights_[4 * k + 3] = (e.im + o.re) * scale;
    }
    // Window 0 starts at input -delay; the stage before supplies inputHistory of those.
    input_.appendZeros(delay - inputHistory);
    spectrum_.resize(fftSize);
    decimated_.resize(2 * points); // two channels
}

void SharpDecimator::process(FrameQueue& output) {
    const std::size_t points = fftSize_ / 2;
    const double* w = weights_.data();
    const std::size_t windows = completeWindows(input_.frames(), fftSize_, 2 * hop_);
    if (windows == 0) return;
    const FrameRoom room = output.extend(windows * hop_);
    const std::size_t channels = input_.channels();
    // Channels two at a time, so that a stereo window's outputs go out frame by frame.
    for (std::size_t first = 0; first < channels; first += 2) {
        const std::size_t group = std::min<std::size_t>(2, channels - first);
        for (std::size_t window = 0; window < windows; ++window) {
            const double* kept[2] = {};
            for (std::size_t i = 0; i < group; ++i) {
                double* z = spectrum_.data();
                double* d = decimated_.data() + i * points;
                inputFft_.transform(input_.queue(first + i).front() + window * 2 * hop_, z, false);
                // D[0] and D[points / 2] are real: packed into d[0], d[1].
                for (std::size_t k : {std::size_t{0}, points / 2}) {
                    const std::size_t j = (points - k) % points;
                    const Bin p = multiply({z[2 * k], z[2 * k + 1]}, {w[4 * k], w[4 * k + 1]});
                    const Bin q = multiply({z[2 * j], -z[2 * j + 1]}, {w[4 * k + 2], w[4 * k + 3]});
                    d[k == 0 ? 0 : 1] = p.re + q.re;
                }
                combineBins(z, w, points, points / 2, d);
                outputFft_.inverse(d, d);
                kept[i] = d + firstValid_;
            }
            put(kept, group, hop_, room, first, window * hop_);
        }
        for (std::size_t i = 0; i < group; ++i)
            input_.queue(first + i).drop(windows * 2 * hop_);
    }
}

} // namespace ssrc

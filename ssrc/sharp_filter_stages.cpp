#include "ssrc/sharp_filter_stages.h"

#include <cmath>
#include <stdexcept>

#include "ssrc/filter_design.h"
#include "ssrc/simd.h"

namespace ssrc {
namespace {

// Spectrum of the taps at the given FFT size, scaled once so that the
// unscaled inverse transform and any zero-stuffing gain need no extra pass.
std::vector<double> filterSpectrum(const std::vector<double>& taps, std::size_t fftSize,
                                   double scale) {
    std::vector<double> padded(fftSize, 0.0);
    for (std::size_t i = 0; i < taps.size(); ++i)
        padded[i] = taps[i] * scale;
    RealFft fft(fftSize);
    std::vector<double> spectrum(fftSize);
    fft.forward(padded.data(), spectrum.data());
    return spectrum;
}

inline void multiplyComplex(double ar, double ai, double br, double bi, double& re, double& im) {
    re = ar * br - ai * bi;
    im = ar * bi + ai * br;
}

// y[k] = x[k] * h[k] for bins first <= k < end of packed spectra (x[k] taken
// conjugated from bin mirror - k when mirror != 0). Same operations as
// multiplyComplex, so the SIMD path gives the same bits.
void multiplyBins(const double* x, const double* h, double* y, std::size_t first, std::size_t end,
                  std::size_t mirror) {
#ifdef SSRC_HAVE_SSE2
    const __m128d flipImaginary = _mm_set_pd(-1.0, 1.0);
    const __m128d flipReal = _mm_set_pd(1.0, -1.0);
    for (std::size_t k = first; k < end; ++k) {
        __m128d a = mirror != 0 ? _mm_mul_pd(_mm_loadu_pd(x + 2 * (mirror - k)), flipImaginary)
                                : _mm_loadu_pd(x + 2 * k);
        const __m128d hv = _mm_loadu_pd(h + 2 * k);
        const __m128d re = _mm_mul_pd(a, _mm_unpacklo_pd(hv, hv));
        const __m128d im =
            _mm_mul_pd(_mm_shuffle_pd(a, a, 1), _mm_mul_pd(_mm_unpackhi_pd(hv, hv), flipReal));
        _mm_storeu_pd(y + 2 * k, _mm_add_pd(re, im));
    }
#else
    for (std::size_t k = first; k < end; ++k) {
        const std::size_t m = mirror != 0 ? mirror - k : k;
        const double ar = x[2 * m];
        const double ai = mirror != 0 ? -x[2 * m + 1] : x[2 * m + 1];
        multiplyComplex(ar, ai, h[2 * k], h[2 * k + 1], y[2 * k], y[2 * k + 1]);
    }
#endif
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

SharpInterpolator::SharpInterpolator(const std::vector<double>& taps, std::size_t fftSize,
                                     int channels, std::size_t emitBefore)
    : ResamplerStage(channels), windowInputs_(fftSize / 2), halfFft_(fftSize / 2),
      fullFft_(fftSize) {
    const std::size_t delay = taps.size() / 2;
    // Window j covers inputs from j * hop - lead on; its kept outputs start at
    // 2 * j * hop - emitBefore (the filter's response before time 0 is output too).
    const std::size_t lead = (delay + emitBefore + 1) / 2; // zeros before the first input
    firstValid_ = delay + 2 * lead - emitBefore;
    if (fftSize < firstValid_ + 4) throw std::invalid_argument("FFT too short for the filter");
    hop_ = (fftSize - firstValid_) / 2;
    // Zero-stuffing halves the gain: make it up with a factor of 2.
    filterSpectrum_ = filterSpectrum(taps, fftSize, 2.0 / static_cast<double>(fftSize));
    for (SampleQueue& queue : input_)
        queue.appendZeros(lead);
    spectrum_.resize(windowInputs_);
    product_.resize(fftSize);
}

void SharpInterpolator::process(ChannelQueues& output) {
    const std::size_t half = windowInputs_;
    const double* h = filterSpectrum_.data();
    for (std::size_t c = 0; c < input_.size(); ++c) {
        SampleQueue& queue = input_[c];
        SampleQueue& out = output[c];
        while (queue.size() >= half) {
            halfFft_.forward(queue.front(), spectrum_.data());
            const double* x = spectrum_.data();
            double* y = product_.data();
            // The zero-stuffed window's spectrum is the input spectrum repeated twice.
            y[0] = x[0] * h[0];
            y[1] = x[0] * h[1];
            multiplyBins(x, h, y, 1, half / 2, 0);
            multiplyComplex(x[1], 0.0, h[half], h[half + 1], y[half], y[half + 1]);
            multiplyBins(x, h, y, half / 2 + 1, half, half);
            fullFft_.inverse(y, y);
            out.append(y + firstValid_, 2 * hop_);
            queue.drop(hop_);
        }
    }
}

SharpDecimator::SharpDecimator(const std::vector<double>& taps, std::size_t fftSize, int channels,
                               std::size_t inputHistory)
    : ResamplerStage(channels), fftSize_(fftSize), fullFft_(fftSize), halfFft_(fftSize / 2) {
    const std::size_t delay = taps.size() / 2;
    if (delay % 2 != 0) throw std::invalid_argument("decimator filter delay must be even");
    if (inputHistory > delay) throw std::invalid_argument("more history than the decimator uses");
    if (fftSize < 2 * delay + 4) throw std::invalid_argument("FFT too short for the filter");
    hop_ = (fftSize - 2 * delay) / 2;
    firstValid_ = delay;
    filterSpectrum_ = filterSpectrum(taps, fftSize, 1.0 / static_cast<double>(fftSize));
    // Window 0 starts at input -delay; the stage before supplies inputHistory of those.
    for (SampleQueue& queue : input_)
        queue.appendZeros(delay - inputHistory);
    spectrum_.resize(fftSize);
    folded_.resize(fftSize / 2);
}

void SharpDecimator::process(ChannelQueues& output) {
    const std::size_t quarter = fftSize_ / 4;
    const std::size_t half = fftSize_ / 2;
    const double* h = filterSpectrum_.data();
    for (std::size_t c = 0; c < input_.size(); ++c) {
        SampleQueue& queue = input_[c];
        SampleQueue& out = output[c];
        while (queue.size() >= fftSize_) {
            double* s = spectrum_.data();
            fullFft_.forward(queue.front(), s);
            s[0] *= h[0];
            s[1] *= h[1];
            multiplyBins(s, h, s, 1, half, 0);
            // Keeping every second output folds the upper half of the spectrum onto the lower.
            double* d = folded_.data();
            d[0] = s[0] + s[1];
            d[1] = 2.0 * s[2 * quarter];
            for (std::size_t k = 1; k < quarter; ++k) {
                const std::size_t m = half - k;
                d[2 * k] = s[2 * k] + s[2 * m];
                d[2 * k + 1] = s[2 * k + 1] - s[2 * m + 1];
            }
            halfFft_.inverse(d, d);
            out.append(d + firstValid_, hop_);
            queue.drop(2 * hop_);
        }
    }
}

} // namespace ssrc

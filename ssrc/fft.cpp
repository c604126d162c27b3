#include "ssrc/fft.h"

#include <stdexcept>
#include <utility>

#include "ssrc/deterministic_math.h"

#include "ssrc/simd.h"

namespace ssrc {
namespace {

// Per pass and sub-transform index p, twiddles W^p, W^2p, W^3p stored as
// (re, re, -im, im) so the SIMD path multiplies without shuffling them.
constexpr std::size_t twiddleStride = 12;

#ifdef SSRC_HAVE_SSE2
// (re, im) -> (im, re)
inline __m128d swapHalves(__m128d v) {
    return _mm_shuffle_pd(v, v, 1);
}

// u * w for the forward direction, u * conj(w) for the inverse; same operation
// order as the scalar path, so both give the same bits.
template <bool inverse> inline __m128d rotate(__m128d u, __m128d wReal, __m128d wImaginary) {
    const __m128d re = _mm_mul_pd(u, wReal);
    const __m128d im = _mm_mul_pd(swapHalves(u), wImaginary);
    return inverse ? _mm_sub_pd(re, im) : _mm_add_pd(re, im);
}

template <bool inverse> inline __m128d rotate(__m128d u, const double* w) {
    return rotate<inverse>(u, _mm_loadu_pd(w), _mm_loadu_pd(w + 2));
}
#endif

// One Stockham radix-4 pass: length-n sub-transforms at stride s, from x to y.
// Output order is natural after the last pass, so no bit reversal is needed.
template <bool inverse>
void radix4Pass(std::size_t n, std::size_t s, const double* x, double* y, const double* twiddles) {
    const std::size_t m = n / 4;
    for (std::size_t p = 0; p < m; ++p) {
        const double* w = twiddles + twiddleStride * p;
        const double* a = x + 2 * s * p;
        const double* b = x + 2 * s * (p + m);
        const double* c = x + 2 * s * (p + 2 * m);
        const double* d = x + 2 * s * (p + 3 * m);
        double* y0 = y + 2 * s * (4 * p);
        double* y1 = y0 + 2 * s;
        double* y2 = y1 + 2 * s;
        double* y3 = y2 + 2 * s;
#ifdef SSRC_HAVE_SSE2
        // Multiplying by -i (forward) or +i (inverse): swap halves, flip one sign.
        const __m128d sign = inverse ? _mm_set_pd(1.0, -1.0) : _mm_set_pd(-1.0, 1.0);
        // Twiddles in registers: the stores below could alias them as far as
        // the compiler knows, so it would reload them every butterfly.
        const __m128d w1r = _mm_loadu_pd(w), w1i = _mm_loadu_pd(w + 2);
        const __m128d w2r = _mm_loadu_pd(w + 4), w2i = _mm_loadu_pd(w + 6);
        const __m128d w3r = _mm_loadu_pd(w + 8), w3i = _mm_loadu_pd(w + 10);
        for (std::size_t q = 0; q < s; ++q) {
            const __m128d av = _mm_loadu_pd(a + 2 * q), bv = _mm_loadu_pd(b + 2 * q);
            const __m128d cv = _mm_loadu_pd(c + 2 * q), dv = _mm_loadu_pd(d + 2 * q);
            const __m128d t0 = _mm_add_pd(av, cv), t1 = _mm_sub_pd(av, cv);
            const __m128d t2 = _mm_add_pd(bv, dv), t3 = _mm_sub_pd(bv, dv);
            const __m128d jt3 = _mm_mul_pd(swapHalves(t3), sign);
            _mm_storeu_pd(y0 + 2 * q, _mm_add_pd(t0, t2));
            _mm_storeu_pd(y1 + 2 * q, rotate<inverse>(_mm_add_pd(t1, jt3), w1r, w1i));
            _mm_storeu_pd(y2 + 2 * q, rotate<inverse>(_mm_sub_pd(t0, t2), w2r, w2i));
            _mm_storeu_pd(y3 + 2 * q, rotate<inverse>(_mm_sub_pd(t1, jt3), w3r, w3i));
        }
#else
        const double w1r = w[0], w1i = inverse ? -w[3] : w[3];
        const double w2r = w[4], w2i = inverse ? -w[7] : w[7];
        const double w3r = w[8], w3i = inverse ? -w[11] : w[11];
        for (std::size_t q = 0; q < s; ++q) {
            const double ar = a[2 * q], ai = a[2 * q + 1];
            const double br = b[2 * q], bi = b[2 * q + 1];
            const double cr = c[2 * q], ci = c[2 * q + 1];
            const double dr = d[2 * q], di = d[2 * q + 1];
            const double t0r = ar + cr, t0i = ai + ci;
            const double t1r = ar - cr, t1i = ai - ci;
            const double t2r = br + dr, t2i = bi + di;
            const double t3r = br - dr, t3i = bi - di;
            // Forward: u1 = t1 - i t3, u3 = t1 + i t3; inverse swaps them.
            const double u1r = inverse ? t1r + -t3i : t1r + t3i;
            const double u1i = inverse ? t1i + t3r : t1i + -t3r;
            const double u3r = inverse ? t1r - -t3i : t1r - t3i;
            const double u3i = inverse ? t1i - t3r : t1i - -t3r;
            const double u2r = t0r - t2r, u2i = t0i - t2i;
            y0[2 * q] = t0r + t2r;
            y0[2 * q + 1] = t0i + t2i;
            y1[2 * q] = u1r * w1r + u1i * -w1i;
            y1[2 * q + 1] = u1i * w1r + u1r * w1i;
            y2[2 * q] = u2r * w2r + u2i * -w2i;
            y2[2 * q + 1] = u2i * w2r + u2r * w2i;
            y3[2 * q] = u3r * w3r + u3i * -w3i;
            y3[2 * q + 1] = u3i * w3r + u3r * w3i;
        }
#endif
    }
}

#ifdef SSRC_HAVE_AVX_DISPATCH
// radix4Pass for an even stride s, two sub-transform elements q, q + 1 per
// 256-bit register; the arithmetic per element is that of the SSE2 loop.
template <bool inverse>
SSRC_TARGET_AVX void radix4PassAvx(std::size_t n, std::size_t s, const double* x, double* y,
                                   const double* twiddles) {
    const std::size_t m = n / 4;
    const __m256d sign =
        inverse ? _mm256_set_pd(1.0, -1.0, 1.0, -1.0) : _mm256_set_pd(-1.0, 1.0, -1.0, 1.0);
    for (std::size_t p = 0; p < m; ++p) {
        const double* w = twiddles + twiddleStride * p;
        const double* a = x + 2 * s * p;
        const double* b = x + 2 * s * (p + m);
        const double* c = x + 2 * s * (p + 2 * m);
        const double* d = x + 2 * s * (p + 3 * m);
        double* y0 = y + 2 * s * (4 * p);
        double* y1 = y0 + 2 * s;
        double* y2 = y1 + 2 * s;
        double* y3 = y2 + 2 * s;
        // Each twiddle (re, re, -im, im) once per element: the same for q and q + 1.
        const __m256d w1r = _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(w));
        const __m256d w1i = _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(w + 2));
        const __m256d w2r = _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(w + 4));
        const __m256d w2i = _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(w + 6));
        const __m256d w3r = _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(w + 8));
        const __m256d w3i = _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(w + 10));
#define SSRC_ROTATE4(u, wReal, wImaginary)                                                         \
    (inverse ? _mm256_sub_pd(_mm256_mul_pd(u, wReal),                                              \
                             _mm256_mul_pd(_mm256_permute_pd(u, 5), wImaginary))                   \
             : _mm256_add_pd(_mm256_mul_pd(u, wReal),                                              \
                             _mm256_mul_pd(_mm256_permute_pd(u, 5), wImaginary)))
        for (std::size_t q = 0; q < s; q += 2) {
            const __m256d av = _mm256_loadu_pd(a + 2 * q), bv = _mm256_loadu_pd(b + 2 * q);
            const __m256d cv = _mm256_loadu_pd(c + 2 * q), dv = _mm256_loadu_pd(d + 2 * q);
            const __m256d t0 = _mm256_add_pd(av, cv), t1 = _mm256_sub_pd(av, cv);
            const __m256d t2 = _mm256_add_pd(bv, dv), t3 = _mm256_sub_pd(bv, dv);
            const __m256d jt3 = _mm256_mul_pd(_mm256_permute_pd(t3, 5), sign);
            _mm256_storeu_pd(y0 + 2 * q, _mm256_add_pd(t0, t2));
            const __m256d u1 = _mm256_add_pd(t1, jt3), u2 = _mm256_sub_pd(t0, t2),
                          u3 = _mm256_sub_pd(t1, jt3);
            _mm256_storeu_pd(y1 + 2 * q, SSRC_ROTATE4(u1, w1r, w1i));
            _mm256_storeu_pd(y2 + 2 * q, SSRC_ROTATE4(u2, w2r, w2i));
            _mm256_storeu_pd(y3 + 2 * q, SSRC_ROTATE4(u3, w3r, w3i));
        }
#undef SSRC_ROTATE4
    }
    _mm256_zeroupper();
}
#endif

// Final radix-2 pass (n == 2): no twiddles.
void radix2Pass(std::size_t s, const double* x, double* y) {
    for (std::size_t q = 0; q < s; ++q) {
        const double ar = x[2 * q], ai = x[2 * q + 1];
        const double br = x[2 * (q + s)], bi = x[2 * (q + s) + 1];
        y[2 * q] = ar + br;
        y[2 * q + 1] = ai + bi;
        y[2 * (q + s)] = ar - br;
        y[2 * (q + s) + 1] = ai - bi;
    }
}

} // namespace

RealFft::RealFft(std::size_t size) : size_(size) {
    if (!isValidSize(size)) throw std::invalid_argument("FFT size must be a power of two >= 4");
    const std::size_t half = size / 2;
    // W^k = e^(-2 pi i k / half) for k < half, then laid out per radix-4 pass.
    std::vector<double> unit(2 * half);
    for (std::size_t k = 0; k < half; ++k) {
        const double angle = 2.0 * pi * static_cast<double>(k) / static_cast<double>(half);
        unit[2 * k] = cosine(angle);
        unit[2 * k + 1] = -sine(angle);
    }
    for (std::size_t n = half, s = 1; n >= 4; n /= 4, s *= 4) {
        passTwiddles_.emplace_back(twiddleStride * (n / 4));
        std::vector<double>& table = passTwiddles_.back();
        for (std::size_t p = 0; p < n / 4; ++p) {
            for (std::size_t j = 1; j <= 3; ++j) {
                const std::size_t k = j * p * s; // < 3 half / 4
                double* w = table.data() + twiddleStride * p + 4 * (j - 1);
                w[0] = unit[2 * k];
                w[1] = unit[2 * k];
                w[2] = -unit[2 * k + 1];
                w[3] = unit[2 * k + 1];
            }
        }
    }
    // e^(-2 pi i k / size) for k <= size / 4, as (re, re, -im, im).
    realTwiddles_.resize(4 * (size / 4 + 1));
    for (std::size_t k = 0; k <= size / 4; ++k) {
        const double angle = 2.0 * pi * static_cast<double>(k) / static_cast<double>(size);
        const double re = cosine(angle), im = -sine(angle);
        realTwiddles_[4 * k] = re;
        realTwiddles_[4 * k + 1] = re;
        realTwiddles_[4 * k + 2] = -im;
        realTwiddles_[4 * k + 3] = im;
    }
    // Two ping-pong buffers a few cache lines apart modulo 4 KB, so a pass's
    // loads and stores do not alias in the store buffer.
    constexpr std::size_t skew = 40;
    buffers_.resize(2 * size + skew);
    bufferB_ = size + skew;
}

void RealFft::complexTransform(const double* in, double* out, bool inverseDirection) {
    std::size_t passes = 0;
    for (std::size_t n = size_ / 2; n > 1; n = n >= 4 ? n / 4 : n / 2)
        ++passes;
    double* a = buffers_.data();
    double* b = buffers_.data() + bufferB_;
    const double* src = in;
    std::size_t n = size_ / 2;
    std::size_t s = 1;
    std::size_t pass = 0;
    while (n > 1) {
        const bool lastPass = pass + 1 == passes;
        // Stockham passes cannot run in place: only the last one writes to
        // `out`, and only when it is not also the source.
        double* dst = lastPass && src != out ? out : (src == a ? b : a);
        if (n >= 4) {
            const double* twiddles = passTwiddles_[pass].data();
#ifdef SSRC_HAVE_AVX_DISPATCH
            if (s % 2 == 0 && cpuHasAvx()) {
                if (inverseDirection)
                    radix4PassAvx<true>(n, s, src, dst, twiddles);
                else
                    radix4PassAvx<false>(n, s, src, dst, twiddles);
            } else
#endif
                if (inverseDirection)
                radix4Pass<true>(n, s, src, dst, twiddles);
            else
                radix4Pass<false>(n, s, src, dst, twiddles);
            n /= 4;
            s *= 4;
        } else {
            radix2Pass(s, src, dst);
            n /= 2;
            s *= 2;
        }
        src = dst;
        ++pass;
    }
    if (src != out)
        for (std::size_t i = 0; i < size_; ++i)
            out[i] = src[i];
}

void RealFft::forward(const double* samples, double* spectrum) {
    const std::size_t half = size_ / 2;
    // Transform of z[m] = x[2m] + i x[2m+1], then split it into the spectrum of
    // the real input, bins k and half - k together, in place.
    complexTransform(samples, spectrum, false);
    double* z = spectrum;
    const double z0r = z[0], z0i = z[1];
    z[0] = z0r + z0i;
    z[1] = z0r - z0i;
    for (std::size_t k = 1; k <= half / 2; ++k) {
        const std::size_t j = half - k;
        const double* w = realTwiddles_.data() + 4 * k;
#ifdef SSRC_HAVE_SSE2
        const __m128d conjugate = _mm_set_pd(-1.0, 1.0);
        const __m128d halfScale = _mm_set1_pd(0.5);
        const __m128d zk = _mm_loadu_pd(z + 2 * k);
        const __m128d zjConj = _mm_mul_pd(_mm_loadu_pd(z + 2 * j), conjugate);
        // E = (Z[k] + conj Z[j]) / 2, O = -i (Z[k] - conj Z[j]) / 2, X[k] = E + W^k O
        const __m128d e = _mm_mul_pd(halfScale, _mm_add_pd(zk, zjConj));
        const __m128d d = _mm_sub_pd(zk, zjConj);
        const __m128d o = _mm_mul_pd(halfScale, _mm_mul_pd(swapHalves(d), conjugate));
        const __m128d t = rotate<false>(o, w);
        _mm_storeu_pd(z + 2 * k, _mm_add_pd(e, t));
        if (j != k) _mm_storeu_pd(z + 2 * j, _mm_mul_pd(_mm_sub_pd(e, t), conjugate));
#else
        const double ar = z[2 * k], ai = z[2 * k + 1];
        const double br = z[2 * j], bi = -z[2 * j + 1];
        const double er = 0.5 * (ar + br), ei = 0.5 * (ai + bi);
        const double dr = ar - br, di = ai - bi;
        const double orr = 0.5 * di, oi = 0.5 * -dr;
        const double tr = orr * w[0] + oi * w[2], ti = oi * w[1] + orr * w[3];
        z[2 * k] = er + tr;
        z[2 * k + 1] = ei + ti;
        if (j != k) {
            z[2 * j] = er - tr;
            z[2 * j + 1] = -(ei - ti);
        }
#endif
    }
}

void RealFft::inverse(const double* spectrum, double* samples) {
    const std::size_t half = size_ / 2;
    // Rebuild the transform of (even + i odd) in `samples` (in place when
    // spectrum == samples: each step reads bins k and half - k before writing them).
    double* z = samples;
    const double x0 = spectrum[0], xn = spectrum[1];
    for (std::size_t k = 1; k <= half / 2; ++k) {
        const std::size_t j = half - k;
        const double* w = realTwiddles_.data() + 4 * k;
#ifdef SSRC_HAVE_SSE2
        const __m128d conjugate = _mm_set_pd(-1.0, 1.0);
        const __m128d xk = _mm_loadu_pd(spectrum + 2 * k);
        const __m128d xjConj = _mm_mul_pd(_mm_loadu_pd(spectrum + 2 * j), conjugate);
        // E = X[k] + conj X[j], D = X[k] - conj X[j]; Z[k] = E + i conj(W^k) D.
        const __m128d e = _mm_add_pd(xk, xjConj);
        const __m128d t = rotate<true>(_mm_sub_pd(xk, xjConj), w);
        const __m128d it = _mm_mul_pd(swapHalves(t), conjugate); // (ti, -tr)
        _mm_storeu_pd(z + 2 * k, _mm_sub_pd(e, it));
        if (j != k) _mm_storeu_pd(z + 2 * j, _mm_mul_pd(_mm_add_pd(e, it), conjugate));
#else
        const double ar = spectrum[2 * k], ai = spectrum[2 * k + 1];
        const double br = spectrum[2 * j], bi = -spectrum[2 * j + 1];
        const double er = ar + br, ei = ai + bi;
        const double dr = ar - br, di = ai - bi;
        const double tr = dr * w[0] - di * w[2], ti = di * w[1] - dr * w[3];
        const double itr = ti, iti = -tr;
        z[2 * k] = er - itr;
        z[2 * k + 1] = ei - iti;
        if (j != k) {
            z[2 * j] = er + itr;
            z[2 * j + 1] = -(ei + iti);
        }
#endif
    }
    z[0] = x0 + xn;
    z[1] = x0 - xn;
    complexTransform(z, z, true);
}

} // namespace ssrc

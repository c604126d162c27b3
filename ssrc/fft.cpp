#include "ssrc/fft.h"

#include <stdexcept>
#include <utility>

#include "ssrc/deterministic_math.h"

#include "ssrc/simd.h"

namespace ssrc {
namespace {

// The twiddles of one radix-4 pass come in blocks of 24 doubles for the
// sub-transforms p = 2g and p + 1: for W^p, W^2p, W^3p in turn, the real part
// twice for each of the two (re, re, re', re') and then the imaginary part as
// (-im, im, -im', im'). A 128-bit lane takes (re, re) and (-im, im) of one p;
// a 256-bit register those of both.
constexpr std::size_t twiddleBlock = 24;

inline const double* twiddlesOf(const double* table, std::size_t p) {
    return table + twiddleBlock * (p / 2) + 2 * (p % 2);
}

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
        const double* w = twiddlesOf(twiddles, p);
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
        const __m128d w1r = _mm_loadu_pd(w), w1i = _mm_loadu_pd(w + 4);
        const __m128d w2r = _mm_loadu_pd(w + 8), w2i = _mm_loadu_pd(w + 12);
        const __m128d w3r = _mm_loadu_pd(w + 16), w3i = _mm_loadu_pd(w + 20);
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
        const double w1r = w[0], w1i = inverse ? -w[5] : w[5];
        const double w2r = w[8], w2i = inverse ? -w[13] : w[13];
        const double w3r = w[16], w3i = inverse ? -w[21] : w[21];
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
// The radix-4 butterfly of radix4Pass on two elements per 256-bit register;
// the arithmetic per element is that of the SSE2 loop.
template <bool inverse> struct Butterfly4 {
    __m256d w1r, w1i, w2r, w2i, w3r, w3i;

    SSRC_TARGET_AVX static __m256d rotate(__m256d u, __m256d wReal, __m256d wImaginary) {
        const __m256d re = _mm256_mul_pd(u, wReal);
        const __m256d im = _mm256_mul_pd(_mm256_permute_pd(u, 5), wImaginary);
        return inverse ? _mm256_sub_pd(re, im) : _mm256_add_pd(re, im);
    }
    SSRC_TARGET_AVX void operator()(__m256d av, __m256d bv, __m256d cv, __m256d dv, __m256d& y0,
                                    __m256d& y1, __m256d& y2, __m256d& y3) const {
        const __m256d sign =
            inverse ? _mm256_set_pd(1.0, -1.0, 1.0, -1.0) : _mm256_set_pd(-1.0, 1.0, -1.0, 1.0);
        const __m256d t0 = _mm256_add_pd(av, cv), t1 = _mm256_sub_pd(av, cv);
        const __m256d t2 = _mm256_add_pd(bv, dv), t3 = _mm256_sub_pd(bv, dv);
        const __m256d jt3 = _mm256_mul_pd(_mm256_permute_pd(t3, 5), sign);
        y0 = _mm256_add_pd(t0, t2);
        y1 = rotate(_mm256_add_pd(t1, jt3), w1r, w1i);
        y2 = rotate(_mm256_sub_pd(t0, t2), w2r, w2i);
        y3 = rotate(_mm256_sub_pd(t1, jt3), w3r, w3i);
    }
};

SSRC_TARGET_AVX inline __m256d broadcast(const double* at) {
    return _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(at));
}

// radix4Pass for an even stride s: elements q, q + 1 of one sub-transform per
// register, so both take the same twiddles.
template <bool inverse>
SSRC_TARGET_AVX void radix4PassAvx(std::size_t n, std::size_t s, const double* x, double* y,
                                   const double* twiddles) {
    const std::size_t m = n / 4;
    for (std::size_t p = 0; p < m; ++p) {
        const double* w = twiddlesOf(twiddles, p);
        const double* a = x + 2 * s * p;
        const double* b = x + 2 * s * (p + m);
        const double* c = x + 2 * s * (p + 2 * m);
        const double* d = x + 2 * s * (p + 3 * m);
        double* y0 = y + 2 * s * (4 * p);
        double* y1 = y0 + 2 * s;
        double* y2 = y1 + 2 * s;
        double* y3 = y2 + 2 * s;
        const Butterfly4<inverse> butterfly{broadcast(w),      broadcast(w + 4),
                                            broadcast(w + 8),  broadcast(w + 12),
                                            broadcast(w + 16), broadcast(w + 20)};
        for (std::size_t q = 0; q < s; q += 2) {
            __m256d o0, o1, o2, o3;
            butterfly(_mm256_loadu_pd(a + 2 * q), _mm256_loadu_pd(b + 2 * q),
                      _mm256_loadu_pd(c + 2 * q), _mm256_loadu_pd(d + 2 * q), o0, o1, o2, o3);
            _mm256_storeu_pd(y0 + 2 * q, o0);
            _mm256_storeu_pd(y1 + 2 * q, o1);
            _mm256_storeu_pd(y2 + 2 * q, o2);
            _mm256_storeu_pd(y3 + 2 * q, o3);
        }
    }
    _mm256_zeroupper();
}

// radix4Pass for stride 1 (the first pass) and an even m: sub-transforms p,
// p + 1 per register, their outputs regrouped by 128-bit halves.
template <bool inverse>
SSRC_TARGET_AVX void radix4FirstPassAvx(std::size_t n, const double* x, double* y,
                                        const double* twiddles) {
    const std::size_t m = n / 4;
    for (std::size_t p = 0; p < m; p += 2) {
        const double* w = twiddles + twiddleBlock * (p / 2);
        const Butterfly4<inverse> butterfly{_mm256_loadu_pd(w),      _mm256_loadu_pd(w + 4),
                                            _mm256_loadu_pd(w + 8),  _mm256_loadu_pd(w + 12),
                                            _mm256_loadu_pd(w + 16), _mm256_loadu_pd(w + 20)};
        __m256d o0, o1, o2, o3;
        butterfly(_mm256_loadu_pd(x + 2 * p), _mm256_loadu_pd(x + 2 * (p + m)),
                  _mm256_loadu_pd(x + 2 * (p + 2 * m)), _mm256_loadu_pd(x + 2 * (p + 3 * m)), o0,
                  o1, o2, o3);
        // o_j holds output j of p (low half) and of p + 1 (high half).
        double* out = y + 8 * p;
        _mm256_storeu_pd(out, _mm256_permute2f128_pd(o0, o1, 0x20));
        _mm256_storeu_pd(out + 4, _mm256_permute2f128_pd(o2, o3, 0x20));
        _mm256_storeu_pd(out + 8, _mm256_permute2f128_pd(o0, o1, 0x31));
        _mm256_storeu_pd(out + 12, _mm256_permute2f128_pd(o2, o3, 0x31));
    }
    _mm256_zeroupper();
}
#endif

// Final radix-2 pass (n == 2): no twiddles.
void radix2Pass(std::size_t s, const double* x, double* y) {
    for (std::size_t q = 0; q < s; ++q) {
#ifdef SSRC_HAVE_SSE2
        const __m128d a = _mm_loadu_pd(x + 2 * q), b = _mm_loadu_pd(x + 2 * (q + s));
        _mm_storeu_pd(y + 2 * q, _mm_add_pd(a, b));
        _mm_storeu_pd(y + 2 * (q + s), _mm_sub_pd(a, b));
#else
        const double ar = x[2 * q], ai = x[2 * q + 1];
        const double br = x[2 * (q + s)], bi = x[2 * (q + s) + 1];
        y[2 * q] = ar + br;
        y[2 * q + 1] = ai + bi;
        y[2 * (q + s)] = ar - br;
        y[2 * (q + s) + 1] = ai - bi;
#endif
    }
}

} // namespace

ComplexFft::ComplexFft(std::size_t points) : points_(points) {
    if (points < 2 || (points & (points - 1)) != 0)
        throw std::invalid_argument("FFT size must be a power of two");
    // W^k = e^(-2 pi i k / points) for k < points, then laid out per radix-4 pass.
    std::vector<double> unit(2 * points);
    for (std::size_t k = 0; k < points; ++k) {
        const double angle = 2.0 * pi * static_cast<double>(k) / static_cast<double>(points);
        unit[2 * k] = cosine(angle);
        unit[2 * k + 1] = -sine(angle);
    }
    for (std::size_t n = points, s = 1; n >= 4; n /= 4, s *= 4) {
        const std::size_t m = n / 4;
        passTwiddles_.emplace_back(twiddleBlock * ((m + 1) / 2));
        std::vector<double>& table = passTwiddles_.back();
        for (std::size_t p = 0; p < m; ++p) {
            double* block = table.data() + twiddleBlock * (p / 2) + 2 * (p % 2);
            for (std::size_t j = 1; j <= 3; ++j) {
                const std::size_t k = j * p * s; // < 3 points / 4
                double* w = block + 8 * (j - 1);
                w[0] = unit[2 * k];
                w[1] = unit[2 * k];
                w[4] = -unit[2 * k + 1];
                w[5] = unit[2 * k + 1];
            }
        }
    }
    // Two ping-pong buffers a few cache lines apart modulo 4 KB, so a pass's
    // loads and stores do not alias in the store buffer.
    constexpr std::size_t skew = 40;
    buffers_.resize(4 * points + skew);
    bufferB_ = 2 * points + skew;
}

void ComplexFft::transform(const double* in, double* out, bool inverse) {
    std::size_t passes = 0;
    for (std::size_t n = points_; n > 1; n = n >= 4 ? n / 4 : n / 2)
        ++passes;
    double* a = buffers_.data();
    double* b = buffers_.data() + bufferB_;
    const double* src = in;
    std::size_t n = points_;
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
            if (cpuHasAvx() && (s % 2 == 0 || n % 8 == 0)) {
                if (s % 2 == 0)
                    inverse ? radix4PassAvx<true>(n, s, src, dst, twiddles)
                            : radix4PassAvx<false>(n, s, src, dst, twiddles);
                else
                    inverse ? radix4FirstPassAvx<true>(n, src, dst, twiddles)
                            : radix4FirstPassAvx<false>(n, src, dst, twiddles);
            } else
#endif
                if (inverse)
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
        for (std::size_t i = 0; i < 2 * points_; ++i)
            out[i] = src[i];
}

RealFft::RealFft(std::size_t size)
    : size_(isValidSize(size)
                ? size
                : throw std::invalid_argument("FFT size must be a power of two >= 4")),
      half_(size / 2) {
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
}

void RealFft::forward(const double* samples, double* spectrum) {
    const std::size_t half = size_ / 2;
    // Transform of z[m] = x[2m] + i x[2m+1], then split it into the spectrum of
    // the real input, bins k and half - k together, in place.
    half_.transform(samples, spectrum, false);
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
    half_.transform(z, z, true);
}

} // namespace ssrc

#include "ssrc/fft.h"

#include <stdexcept>
#include <utility>

#include "ssrc/deterministic_math.h"

#include "ssrc/simd.h"

namespace ssrc {
namespace {

#ifdef SSRC_HAVE_SSE2
// (re, im) -> (im, re)
inline __m128d swapHalves(__m128d v) {
    return _mm_shuffle_pd(v, v, 1);
}

// u * w (forward) or u * conj(w) (inverse), w given as (re, re) and (-im, im);
// same operation order as the scalar code of the real split.
template <bool inverse> inline __m128d rotate(__m128d u, const double* w) {
    const __m128d re = _mm_mul_pd(u, _mm_loadu_pd(w));
    const __m128d im = _mm_mul_pd(swapHalves(u), _mm_loadu_pd(w + 2));
    return inverse ? _mm_sub_pd(re, im) : _mm_add_pd(re, im);
}
#endif

// The complex transform is a sequence of Stockham passes of radix 8, 4 or 2
// for the power of two in the size, then 3, 5 and 7 for the rest: the output
// is in natural order, no bit reversal. A pass over sub-transforms of length n at stride s
// takes for each p < n / r and q < s the r values x[q + s (p + j n / r)],
// transforms them and writes output k, times W^(p k), to y[q + s (r p + k)].
//
// Its twiddles come in blocks for the pairs p = 2g, 2g + 1: for k = 1 .. r - 1
// in turn, (re, re, re', re') and (-im, im, -im', im') of W^(p k) and of
// W^((p + 1) k). A 128-bit lane takes those of one p, a 256-bit register
// those of both.
constexpr std::size_t blockSize(std::size_t radix) {
    return 8 * (radix - 1);
}

constexpr double halfSqrt2 = 0.70710678118654752440;

// cos and sin of 2 pi j / radix for the odd radices, exact to the last bit of
// a double (literals, not computed).
template <std::size_t radix> struct RootsOf;
template <> struct RootsOf<3> {
    static constexpr double c[] = {1.0, -0.5};
    static constexpr double s[] = {0.0, 0.86602540378443864676};
    static double cosine(std::size_t j) { return c[j % 3 <= 1 ? j % 3 : 3 - j % 3]; }
    static double sine(std::size_t j) { return j % 3 <= 1 ? s[j % 3] : -s[3 - j % 3]; }
};
template <> struct RootsOf<5> {
    static constexpr double c[] = {1.0, 0.30901699437494742410, -0.80901699437494742410};
    static constexpr double s[] = {0.0, 0.95105651629515357212, 0.58778525229247312917};
    static double cosine(std::size_t j) { return c[j % 5 <= 2 ? j % 5 : 5 - j % 5]; }
    static double sine(std::size_t j) { return j % 5 <= 2 ? s[j % 5] : -s[5 - j % 5]; }
};
template <> struct RootsOf<7> {
    static constexpr double c[] = {1.0, 0.62348980185873353053, -0.22252093395631440429,
                                   -0.90096886790241912624};
    static constexpr double s[] = {0.0, 0.78183148246802980871, 0.97492791218182360702,
                                   0.43388373911755812048};
    static double cosine(std::size_t j) { return c[j % 7 <= 3 ? j % 7 : 7 - j % 7]; }
    static double sine(std::size_t j) { return j % 7 <= 3 ? s[j % 7] : -s[7 - j % 7]; }
};

// The butterflies, written once over a vector type so that every path (one
// complex value per scalar pair or 128-bit register, two per 256-bit
// register) performs the same IEEE operations per element. Defined twice:
// as Butterflies, and as ButterfliesAvx compiled for AVX, which the AVX
// passes use (a function without AVX cannot handle 256-bit values).
#define SSRC_BUTTERFLIES Butterflies
#define SSRC_BUTTERFLY_TARGET
#include "ssrc/fft_butterflies.inc"
#undef SSRC_BUTTERFLIES
#undef SSRC_BUTTERFLY_TARGET
#ifdef SSRC_HAVE_AVX_DISPATCH
#define SSRC_BUTTERFLIES ButterfliesAvx
#define SSRC_BUTTERFLY_TARGET SSRC_TARGET_AVX
#include "ssrc/fft_butterflies.inc"
#undef SSRC_BUTTERFLIES
#undef SSRC_BUTTERFLY_TARGET
#endif

struct Complex {
    double re, im;
};

// One complex value, plain doubles.
struct PortableOps {
    using V = Complex;
    using W = Complex;
    static V load(const double* at) { return {at[0], at[1]}; }
    static void store(double* at, V v) {
        at[0] = v.re;
        at[1] = v.im;
    }
    static W twiddle(const double* block, std::size_t k, std::size_t p) {
        const double* w = block + 8 * (k - 1) + 2 * (p % 2);
        return {w[0], w[5]};
    }
    static V add(V a, V b) { return {a.re + b.re, a.im + b.im}; }
    static V sub(V a, V b) { return {a.re - b.re, a.im - b.im}; }
    static V scale(V a, double c) { return {a.re * c, a.im * c}; }
    template <bool inverse> static V turn(V a) { return inverse ? V{-a.im, a.re} : V{a.im, -a.re}; }
    template <bool inverse> static V eighth(V a) {
        return inverse ? V{(a.re + -a.im) * halfSqrt2, (a.im + a.re) * halfSqrt2}
                       : V{(a.re + a.im) * halfSqrt2, (a.im + -a.re) * halfSqrt2};
    }
    template <bool inverse> static V rotate(V a, W w) {
        const V re{a.re * w.re, a.im * w.re};
        const V im{a.im * -w.im, a.re * w.im};
        return inverse ? sub(re, im) : add(re, im);
    }
};

#ifdef SSRC_HAVE_SSE2
struct Sse2Twiddle {
    __m128d re, im; // (re, re), (-im, im)
};

// One complex value per 128-bit register.
struct Sse2Ops {
    using V = __m128d;
    using W = Sse2Twiddle;
    static V load(const double* at) { return _mm_loadu_pd(at); }
    static void store(double* at, V v) { _mm_storeu_pd(at, v); }
    static W twiddle(const double* block, std::size_t k, std::size_t p) {
        const double* w = block + 8 * (k - 1) + 2 * (p % 2);
        return {_mm_loadu_pd(w), _mm_loadu_pd(w + 4)};
    }
    static V add(V a, V b) { return _mm_add_pd(a, b); }
    static V sub(V a, V b) { return _mm_sub_pd(a, b); }
    static V scale(V a, double c) { return _mm_mul_pd(a, _mm_set1_pd(c)); }
    template <bool inverse> static V turn(V a) {
        return _mm_mul_pd(swapHalves(a), inverse ? _mm_set_pd(1.0, -1.0) : _mm_set_pd(-1.0, 1.0));
    }
    template <bool inverse> static V eighth(V a) {
        const V sign = inverse ? _mm_set_pd(1.0, -1.0) : _mm_set_pd(-1.0, 1.0);
        return _mm_mul_pd(_mm_add_pd(a, _mm_mul_pd(swapHalves(a), sign)), _mm_set1_pd(halfSqrt2));
    }
    template <bool inverse> static V rotate(V a, W w) {
        const V re = _mm_mul_pd(a, w.re);
        const V im = _mm_mul_pd(swapHalves(a), w.im);
        return inverse ? _mm_sub_pd(re, im) : _mm_add_pd(re, im);
    }
};
#endif

// A pass with one complex value per vector.
template <class Ops, std::size_t radix, bool inverse>
void pass(std::size_t n, std::size_t s, const double* x, double* y, const double* twiddles) {
    using B = Butterflies<Ops, inverse>;
    const std::size_t m = n / radix;
    for (std::size_t p = 0; p < m; ++p) {
        // Twiddles in registers: the stores below could alias them as far as
        // the compiler knows, so it would reload them every butterfly.
        typename Ops::W w[radix - 1];
        const double* block = twiddles + blockSize(radix) * (p / 2);
        for (std::size_t k = 1; k < radix; ++k)
            w[k - 1] = Ops::twiddle(block, k, p);
        for (std::size_t q = 0; q < s; ++q) {
            typename Ops::V a[radix];
            for (std::size_t j = 0; j < radix; ++j)
                a[j] = Ops::load(x + 2 * (q + s * (p + j * m)));
            B::template run<radix>(a, w);
            for (std::size_t k = 0; k < radix; ++k)
                Ops::store(y + 2 * (q + s * (radix * p + k)), a[k]);
        }
    }
}

#ifdef SSRC_HAVE_AVX_DISPATCH
struct AvxTwiddle {
    __m256d re, im;
};

// Two complex values per 256-bit register.
struct AvxOps {
    using V = __m256d;
    using W = AvxTwiddle;
    SSRC_TARGET_AVX static V add(V a, V b) { return _mm256_add_pd(a, b); }
    SSRC_TARGET_AVX static V sub(V a, V b) { return _mm256_sub_pd(a, b); }
    SSRC_TARGET_AVX static V scale(V a, double c) { return _mm256_mul_pd(a, _mm256_set1_pd(c)); }
    SSRC_TARGET_AVX static V sign(bool inverse) {
        return inverse ? _mm256_set_pd(1.0, -1.0, 1.0, -1.0) : _mm256_set_pd(-1.0, 1.0, -1.0, 1.0);
    }
    template <bool inverse> SSRC_TARGET_AVX static V turn(V a) {
        return _mm256_mul_pd(_mm256_permute_pd(a, 5), sign(inverse));
    }
    template <bool inverse> SSRC_TARGET_AVX static V eighth(V a) {
        return _mm256_mul_pd(
            _mm256_add_pd(a, _mm256_mul_pd(_mm256_permute_pd(a, 5), sign(inverse))),
            _mm256_set1_pd(halfSqrt2));
    }
    template <bool inverse> SSRC_TARGET_AVX static V rotate(V a, W w) {
        const V re = _mm256_mul_pd(a, w.re);
        const V im = _mm256_mul_pd(_mm256_permute_pd(a, 5), w.im);
        return inverse ? _mm256_sub_pd(re, im) : _mm256_add_pd(re, im);
    }
    // The same twiddle for both values (one p).
    SSRC_TARGET_AVX static W twiddle(const double* block, std::size_t k, std::size_t p) {
        const double* w = block + 8 * (k - 1) + 2 * (p % 2);
        return {_mm256_broadcast_pd(reinterpret_cast<const __m128d*>(w)),
                _mm256_broadcast_pd(reinterpret_cast<const __m128d*>(w + 4))};
    }
    // The twiddles of p and p + 1 (p even).
    SSRC_TARGET_AVX static W twiddlePair(const double* block, std::size_t k) {
        const double* w = block + 8 * (k - 1);
        return {_mm256_loadu_pd(w), _mm256_loadu_pd(w + 4)};
    }
};

// A pass for an even stride s: elements q, q + 1 of one sub-transform per
// register, so both take the same twiddles.
template <std::size_t radix, bool inverse>
SSRC_TARGET_AVX void passAvx(std::size_t n, std::size_t s, const double* x, double* y,
                             const double* twiddles) {
    using B = ButterfliesAvx<AvxOps, inverse>;
    const std::size_t m = n / radix;
    for (std::size_t p = 0; p < m; ++p) {
        AvxTwiddle w[radix - 1];
        const double* block = twiddles + blockSize(radix) * (p / 2);
        for (std::size_t k = 1; k < radix; ++k)
            w[k - 1] = AvxOps::twiddle(block, k, p);
        for (std::size_t q = 0; q < s; q += 2) {
            __m256d a[radix];
            for (std::size_t j = 0; j < radix; ++j)
                a[j] = _mm256_loadu_pd(x + 2 * (q + s * (p + j * m)));
            B::template run<radix>(a, w);
            for (std::size_t k = 0; k < radix; ++k)
                _mm256_storeu_pd(y + 2 * (q + s * (radix * p + k)), a[k]);
        }
    }
    _mm256_zeroupper();
}

// The first pass (stride 1) for an even count of sub-transforms: p, p + 1
// per register, their outputs regrouped by 128-bit halves.
template <std::size_t radix, bool inverse>
SSRC_TARGET_AVX void firstPassAvx(std::size_t n, const double* x, double* y,
                                  const double* twiddles) {
    using B = ButterfliesAvx<AvxOps, inverse>;
    const std::size_t m = n / radix;
    for (std::size_t p = 0; p < m; p += 2) {
        AvxTwiddle w[radix - 1];
        const double* block = twiddles + blockSize(radix) * (p / 2);
        for (std::size_t k = 1; k < radix; ++k)
            w[k - 1] = AvxOps::twiddlePair(block, k);
        __m256d a[radix];
        for (std::size_t j = 0; j < radix; ++j)
            a[j] = _mm256_loadu_pd(x + 2 * (p + j * m));
        B::template run<radix>(a, w);
        // a[k] holds output k of p (low half) and of p + 1 (high half).
        double* out = y + 2 * radix * p;
        for (std::size_t k = 0; k < radix; ++k) {
            _mm_storeu_pd(out + 2 * k, _mm256_castpd256_pd128(a[k]));
            _mm_storeu_pd(out + 2 * (radix + k), _mm256_extractf128_pd(a[k], 1));
        }
    }
    _mm256_zeroupper();
}
#endif

template <std::size_t radix, bool inverse>
void runPass(std::size_t n, std::size_t s, const double* x, double* y, const double* twiddles) {
#ifdef SSRC_HAVE_AVX_DISPATCH
    if (cpuHasAvx()) {
        if (s % 2 == 0) return passAvx<radix, inverse>(n, s, x, y, twiddles);
        if ((n / radix) % 2 == 0) return firstPassAvx<radix, inverse>(n, x, y, twiddles);
    }
#endif
#ifdef SSRC_HAVE_SSE2
    pass<Sse2Ops, radix, inverse>(n, s, x, y, twiddles);
#else
    pass<PortableOps, radix, inverse>(n, s, x, y, twiddles);
#endif
}

// The radices of the passes for a transform of `points`: powers of two
// first, so that the stride of every later pass is even (what the AVX passes
// need); empty when the size has a prime factor above 7.
std::vector<std::size_t> radicesFor(std::size_t points) {
    std::vector<std::size_t> radices;
    std::size_t rest = points;
    std::size_t twos = 0;
    for (; rest % 2 == 0; rest /= 2)
        ++twos;
    if (twos % 3 != 0) radices.push_back(twos % 3 == 1 ? 2 : 4);
    for (std::size_t i = 0; i < twos / 3; ++i)
        radices.push_back(8);
    for (std::size_t prime : {3, 5, 7})
        for (; rest % prime == 0; rest /= prime)
            radices.push_back(prime);
    if (rest != 1 || points < 2) radices.clear();
    return radices;
}

template <std::size_t radix>
void runPass(bool inverse, std::size_t n, std::size_t s, const double* x, double* y,
             const double* twiddles) {
    if (inverse)
        runPass<radix, true>(n, s, x, y, twiddles);
    else
        runPass<radix, false>(n, s, x, y, twiddles);
}

} // namespace

bool ComplexFft::supports(std::size_t points) {
    return !radicesFor(points).empty();
}

double ComplexFft::workPerPoint(std::size_t points) {
    // Per complex value and pass of radix r, counted from the butterflies;
    // two values per operation.
    constexpr double perRadix[] = {0.0, 0.0, 5.0, 8.0, 7.25, 10.6, 0.0, 12.7, 9.25};
    double work = 0.0;
    for (std::size_t radix : radicesFor(points))
        work += perRadix[radix] / 2;
    return work;
}

ComplexFft::ComplexFft(std::size_t points) : points_(points), radices_(radicesFor(points)) {
    if (radices_.empty()) throw std::invalid_argument("FFT size must have no prime factor above 7");
    // W^k = e^(-2 pi i k / points) for k < points, then laid out per pass.
    std::vector<double> unit(2 * points);
    for (std::size_t k = 0; k < points; ++k) {
        const double angle = 2.0 * pi * static_cast<double>(k) / static_cast<double>(points);
        unit[2 * k] = cosine(angle);
        unit[2 * k + 1] = -sine(angle);
    }
    std::size_t s = 1;
    for (std::size_t radix : radices_) {
        const std::size_t m = points / (s * radix);
        passTwiddles_.emplace_back(blockSize(radix) * ((m + 1) / 2));
        std::vector<double>& table = passTwiddles_.back();
        for (std::size_t p = 0; p < m; ++p) {
            double* block = table.data() + blockSize(radix) * (p / 2) + 2 * (p % 2);
            for (std::size_t k = 1; k < radix; ++k) {
                const std::size_t index = k * p * s; // < points
                double* w = block + 8 * (k - 1);
                w[0] = unit[2 * index];
                w[1] = unit[2 * index];
                w[4] = -unit[2 * index + 1];
                w[5] = unit[2 * index + 1];
            }
        }
        s *= radix;
    }
    // Two ping-pong buffers a few cache lines apart modulo 4 KB, so a pass's
    // loads and stores do not alias in the store buffer.
    constexpr std::size_t skew = 40;
    buffers_.resize(4 * points + skew);
    bufferB_ = 2 * points + skew;
}

void ComplexFft::transform(const double* in, double* out, bool inverse) {
    const std::size_t passes = radices_.size();
    double* a = buffers_.data();
    double* b = buffers_.data() + bufferB_;
    const double* src = in;
    std::size_t n = points_;
    std::size_t s = 1;
    for (std::size_t pass = 0; pass < passes; ++pass) {
        // Stockham passes cannot run in place: only the last one writes to
        // `out`, and only when it is not also the source.
        double* dst = pass + 1 == passes && src != out ? out : (src == a ? b : a);
        const double* twiddles = passTwiddles_[pass].data();
        switch (radices_[pass]) {
        case 2:
            runPass<2>(inverse, n, s, src, dst, twiddles);
            break;
        case 3:
            runPass<3>(inverse, n, s, src, dst, twiddles);
            break;
        case 4:
            runPass<4>(inverse, n, s, src, dst, twiddles);
            break;
        case 5:
            runPass<5>(inverse, n, s, src, dst, twiddles);
            break;
        case 7:
            runPass<7>(inverse, n, s, src, dst, twiddles);
            break;
        default:
            runPass<8>(inverse, n, s, src, dst, twiddles);
            break;
        }
        n /= radices_[pass];
        s *= radices_[pass];
        src = dst;
    }
    if (src != out)
        for (std::size_t i = 0; i < 2 * points_; ++i)
            out[i] = src[i];
}

RealFft::RealFft(std::size_t size)
    : size_(isValidSize(size) ? size : throw std::invalid_argument("unsupported real FFT size")),
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

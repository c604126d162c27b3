// Dot products of the polyphase stage. Eight partial sums per channel in a
// fixed order (sums over taps i = k mod 8, combined pairwise), so the SSE2
// path and the portable path give the same bits. Tap counts are even.
#ifndef SSRC_DOT_PRODUCT_H
#define SSRC_DOT_PRODUCT_H

#include "ssrc/simd.h"

namespace ssrc {

#ifdef SSRC_HAVE_SSE2

namespace detail {
inline double combine(__m128d a0, __m128d a1, __m128d a2, __m128d a3) {
    // lanes: a0 = (s0, s1), a1 = (s2, s3), a2 = (s4, s5), a3 = (s6, s7)
    const __m128d w = _mm_add_pd(_mm_add_pd(a0, a2), _mm_add_pd(a1, a3));
    return _mm_cvtsd_f64(_mm_add_sd(w, _mm_unpackhi_pd(w, w)));
}
} // namespace detail

inline double dotProduct(const double* h, const double* x, int count) {
    __m128d a0 = _mm_setzero_pd(), a1 = _mm_setzero_pd(), a2 = _mm_setzero_pd(),
            a3 = _mm_setzero_pd();
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        a0 = _mm_add_pd(a0, _mm_mul_pd(_mm_loadu_pd(h + i), _mm_loadu_pd(x + i)));
        a1 = _mm_add_pd(a1, _mm_mul_pd(_mm_loadu_pd(h + i + 2), _mm_loadu_pd(x + i + 2)));
        a2 = _mm_add_pd(a2, _mm_mul_pd(_mm_loadu_pd(h + i + 4), _mm_loadu_pd(x + i + 4)));
        a3 = _mm_add_pd(a3, _mm_mul_pd(_mm_loadu_pd(h + i + 6), _mm_loadu_pd(x + i + 6)));
    }
    for (; i + 2 <= count; i += 2)
        a0 = _mm_add_pd(a0, _mm_mul_pd(_mm_loadu_pd(h + i), _mm_loadu_pd(x + i)));
    return detail::combine(a0, a1, a2, a3);
}

inline void dotProduct2(const double* h, const double* x, const double* y, int count, double& outX,
                        double& outY) {
    __m128d a0 = _mm_setzero_pd(), a1 = _mm_setzero_pd(), a2 = _mm_setzero_pd(),
            a3 = _mm_setzero_pd();
    __m128d b0 = _mm_setzero_pd(), b1 = _mm_setzero_pd(), b2 = _mm_setzero_pd(),
            b3 = _mm_setzero_pd();
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128d h0 = _mm_loadu_pd(h + i), h1 = _mm_loadu_pd(h + i + 2);
        const __m128d h2 = _mm_loadu_pd(h + i + 4), h3 = _mm_loadu_pd(h + i + 6);
        a0 = _mm_add_pd(a0, _mm_mul_pd(h0, _mm_loadu_pd(x + i)));
        b0 = _mm_add_pd(b0, _mm_mul_pd(h0, _mm_loadu_pd(y + i)));
        a1 = _mm_add_pd(a1, _mm_mul_pd(h1, _mm_loadu_pd(x + i + 2)));
        b1 = _mm_add_pd(b1, _mm_mul_pd(h1, _mm_loadu_pd(y + i + 2)));
        a2 = _mm_add_pd(a2, _mm_mul_pd(h2, _mm_loadu_pd(x + i + 4)));
        b2 = _mm_add_pd(b2, _mm_mul_pd(h2, _mm_loadu_pd(y + i + 4)));
        a3 = _mm_add_pd(a3, _mm_mul_pd(h3, _mm_loadu_pd(x + i + 6)));
        b3 = _mm_add_pd(b3, _mm_mul_pd(h3, _mm_loadu_pd(y + i + 6)));
    }
    for (; i + 2 <= count; i += 2) {
        const __m128d h0 = _mm_loadu_pd(h + i);
        a0 = _mm_add_pd(a0, _mm_mul_pd(h0, _mm_loadu_pd(x + i)));
        b0 = _mm_add_pd(b0, _mm_mul_pd(h0, _mm_loadu_pd(y + i)));
    }
    outX = detail::combine(a0, a1, a2, a3);
    outY = detail::combine(b0, b1, b2, b3);
}

#ifdef SSRC_HAVE_AVX_DISPATCH
// dotProduct2 with partial sums 0-3 and 4-7 in 256-bit registers: the same
// sums in the same order.
SSRC_TARGET_AVX inline void dotProduct2Avx(const double* h, const double* x, const double* y,
                                           int count, double& outX, double& outY) {
    __m256d a0 = _mm256_setzero_pd(), a1 = _mm256_setzero_pd();
    __m256d b0 = _mm256_setzero_pd(), b1 = _mm256_setzero_pd();
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256d h0 = _mm256_loadu_pd(h + i), h1 = _mm256_loadu_pd(h + i + 4);
        a0 = _mm256_add_pd(a0, _mm256_mul_pd(h0, _mm256_loadu_pd(x + i)));
        b0 = _mm256_add_pd(b0, _mm256_mul_pd(h0, _mm256_loadu_pd(y + i)));
        a1 = _mm256_add_pd(a1, _mm256_mul_pd(h1, _mm256_loadu_pd(x + i + 4)));
        b1 = _mm256_add_pd(b1, _mm256_mul_pd(h1, _mm256_loadu_pd(y + i + 4)));
    }
    __m128d x01 = _mm256_castpd256_pd128(a0), y01 = _mm256_castpd256_pd128(b0);
    for (; i + 2 <= count; i += 2) {
        const __m128d h0 = _mm_loadu_pd(h + i);
        x01 = _mm_add_pd(x01, _mm_mul_pd(h0, _mm_loadu_pd(x + i)));
        y01 = _mm_add_pd(y01, _mm_mul_pd(h0, _mm_loadu_pd(y + i)));
    }
    outX = detail::combine(x01, _mm256_extractf128_pd(a0, 1), _mm256_castpd256_pd128(a1),
                           _mm256_extractf128_pd(a1, 1));
    outY = detail::combine(y01, _mm256_extractf128_pd(b0, 1), _mm256_castpd256_pd128(b1),
                           _mm256_extractf128_pd(b1, 1));
}
#endif

#else

inline double dotProduct(const double* h, const double* x, int count) {
    double s[8] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    int i = 0;
    for (; i + 8 <= count; i += 8)
        for (int k = 0; k < 8; ++k)
            s[k] += h[i + k] * x[i + k];
    for (; i + 2 <= count; i += 2) {
        s[0] += h[i] * x[i];
        s[1] += h[i + 1] * x[i + 1];
    }
    return ((s[0] + s[4]) + (s[2] + s[6])) + ((s[1] + s[5]) + (s[3] + s[7]));
}

inline void dotProduct2(const double* h, const double* x, const double* y, int count, double& outX,
                        double& outY) {
    outX = dotProduct(h, x, count);
    outY = dotProduct(h, y, count);
}

#endif

} // namespace ssrc

#endif

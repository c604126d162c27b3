// Complex products of the FFT filter stages, (re, im) pairs. The SSE2
// version does the same operations in the same order as the plain one, so
// both give the same bits.
#ifndef SSRC_COMPLEX_MULTIPLY_H
#define SSRC_COMPLEX_MULTIPLY_H

#include "ssrc/simd.h"

namespace ssrc {

struct Bin {
    double re, im;
};

inline Bin multiply(Bin u, Bin w) {
    return {u.re * w.re + u.im * -w.im, u.im * w.re + u.re * w.im};
}

#ifdef SSRC_HAVE_SSE2
inline __m128d multiply(__m128d u, __m128d w) {
    const __m128d flipReal = _mm_set_pd(1.0, -1.0);
    const __m128d re = _mm_mul_pd(u, _mm_unpacklo_pd(w, w));
    const __m128d im =
        _mm_mul_pd(_mm_shuffle_pd(u, u, 1), _mm_mul_pd(_mm_unpackhi_pd(w, w), flipReal));
    return _mm_add_pd(re, im);
}
inline __m128d conjugate(__m128d u) {
    return _mm_mul_pd(u, _mm_set_pd(-1.0, 1.0));
}
#endif

} // namespace ssrc

#endif

// The dot products of the polyphase stage on interleaved frames. Every path
// forms, per channel, four partial sums over the taps j = 0, 1, 2, 3 (mod 4),
// each in the order of j, and combines them as (s0 + s2) + (s1 + s3), so the
// SIMD paths and the portable path give the same bits. Tap counts are even.
//
// A batch is n outputs; output i takes the row rows[i] against the frames
// from starts[i] on, and its channel c goes to out.channel[c][i * out.step].
// Stereo takes two taps of both channels per 256-bit register and spreads
// the two coefficients over it in the register: a table with every
// coefficient twice would be twice as large and fall out of the cache.
#ifndef SSRC_POLYPHASE_KERNELS_H
#define SSRC_POLYPHASE_KERNELS_H

#include <cstddef>
#include <cstdint>

#include "ssrc/resampler_stage.h"
#include "ssrc/simd.h"

namespace ssrc {

struct PolyphaseBatch {
    const int64_t* starts;
    const double* const* rows;
    std::size_t n;
    int taps;
    const double* frames; // interleaved
    std::size_t channels;
};

namespace portable {

// Channel c of one output: coefficient j meets x[j * channels + c].
inline double channel(const double* h, const double* x, int taps, std::size_t channels,
                      std::size_t c) {
    double s[4] = {0.0, 0.0, 0.0, 0.0};
    for (int j = 0; j < taps; ++j)
        s[j % 4] += h[j] * x[static_cast<std::size_t>(j) * channels + c];
    return (s[0] + s[2]) + (s[1] + s[3]);
}

inline void filter(const PolyphaseBatch& b, FrameRoom out) {
    for (std::size_t i = 0; i < b.n; ++i) {
        const double* x = b.frames + static_cast<std::size_t>(b.starts[i]) * b.channels;
        for (std::size_t c = 0; c < b.channels; ++c)
            out.channel[c][i * out.step] = portable::channel(b.rows[i], x, b.taps, b.channels, c);
    }
}

} // namespace portable

#ifdef SSRC_HAVE_SSE2
namespace sse2 {

inline void store(__m128d pair, FrameRoom out, std::size_t i) {
    _mm_storel_pd(out.channel[0] + i * out.step, pair);
    _mm_storeh_pd(out.channel[1] + i * out.step, pair);
}

// Stereo: (left, right) of tap j in one register, one accumulator per class.
template <int fixedTaps> void stereo(const PolyphaseBatch& b, FrameRoom out) {
    const int taps = fixedTaps > 0 ? fixedTaps : b.taps;
    for (std::size_t i = 0; i < b.n; ++i) {
        const double* h = b.rows[i];
        const double* x = b.frames + 2 * static_cast<std::size_t>(b.starts[i]);
        __m128d s[4] = {_mm_setzero_pd(), _mm_setzero_pd(), _mm_setzero_pd(), _mm_setzero_pd()};
        for (int j = 0; j < taps; ++j)
            s[j % 4] =
                _mm_add_pd(s[j % 4], _mm_mul_pd(_mm_load1_pd(h + j), _mm_loadu_pd(x + 2 * j)));
        store(_mm_add_pd(_mm_add_pd(s[0], s[2]), _mm_add_pd(s[1], s[3])), out, i);
    }
}

// Mono: taps j, j + 1 in one register; classes (0, 1) and (2, 3).
template <int fixedTaps> void mono(const PolyphaseBatch& b, FrameRoom out) {
    const int taps = fixedTaps > 0 ? fixedTaps : b.taps;
    for (std::size_t i = 0; i < b.n; ++i) {
        const double* h = b.rows[i];
        const double* x = b.frames + static_cast<std::size_t>(b.starts[i]);
        __m128d s01 = _mm_setzero_pd(), s23 = _mm_setzero_pd();
        for (int j = 0; j < taps; j += 2) {
            const __m128d product = _mm_mul_pd(_mm_loadu_pd(h + j), _mm_loadu_pd(x + j));
            if (j % 4 == 0)
                s01 = _mm_add_pd(s01, product);
            else
                s23 = _mm_add_pd(s23, product);
        }
        const __m128d t = _mm_add_pd(s01, s23); // (s0 + s2, s1 + s3)
        _mm_store_sd(out.channel[0] + i * out.step, _mm_add_sd(t, _mm_unpackhi_pd(t, t)));
    }
}

// Three or more channels: two channels per register, the coefficient in both
// halves; an odd last channel as the portable path does it.
inline void multi(const PolyphaseBatch& b, FrameRoom out) {
    const std::size_t channels = b.channels;
    for (std::size_t i = 0; i < b.n; ++i) {
        const double* h = b.rows[i];
        const double* x = b.frames + static_cast<std::size_t>(b.starts[i]) * channels;
        std::size_t c = 0;
        for (; c + 2 <= channels; c += 2) {
            __m128d s[4] = {_mm_setzero_pd(), _mm_setzero_pd(), _mm_setzero_pd(), _mm_setzero_pd()};
            for (int j = 0; j < b.taps; ++j)
                s[j % 4] = _mm_add_pd(
                    s[j % 4],
                    _mm_mul_pd(_mm_set1_pd(h[j]),
                               _mm_loadu_pd(x + static_cast<std::size_t>(j) * channels + c)));
            const __m128d pair = _mm_add_pd(_mm_add_pd(s[0], s[2]), _mm_add_pd(s[1], s[3]));
            _mm_storel_pd(out.channel[c] + i * out.step, pair);
            _mm_storeh_pd(out.channel[c + 1] + i * out.step, pair);
        }
        if (c < channels)
            out.channel[c][i * out.step] = portable::channel(h, x, b.taps, channels, c);
    }
}

} // namespace sse2
#endif

#ifdef SSRC_HAVE_AVX_DISPATCH
namespace avx {

// (h[j], h[j], h[j + 1], h[j + 1])
SSRC_TARGET_AVX inline __m256d spread(const double* h) {
    return _mm256_permute_pd(_mm256_broadcast_pd(reinterpret_cast<const __m128d*>(h)), 12);
}

// Stereo: taps j, j + 1 of both channels in one register (classes j and
// j + 1 in its halves); pairs of taps alternate between two accumulators.
template <int fixedTaps> SSRC_TARGET_AVX void stereo(const PolyphaseBatch& b, FrameRoom out) {
    const int taps = fixedTaps > 0 ? fixedTaps : b.taps;
    for (std::size_t i = 0; i < b.n; ++i) {
        const double* h = b.rows[i];
        const double* x = b.frames + 2 * static_cast<std::size_t>(b.starts[i]);
        __m256d s01 = _mm256_setzero_pd(), s23 = _mm256_setzero_pd();
        int j = 0;
        for (; j + 4 <= taps; j += 4) {
            s01 = _mm256_add_pd(s01, _mm256_mul_pd(spread(h + j), _mm256_loadu_pd(x + 2 * j)));
            s23 = _mm256_add_pd(s23,
                                _mm256_mul_pd(spread(h + j + 2), _mm256_loadu_pd(x + 2 * j + 4)));
        }
        if (j < taps)
            s01 = _mm256_add_pd(s01, _mm256_mul_pd(spread(h + j), _mm256_loadu_pd(x + 2 * j)));
        const __m256d t = _mm256_add_pd(s01, s23); // (s0 + s2, s1 + s3) per channel
        const __m128d pair = _mm_add_pd(_mm256_castpd256_pd128(t), _mm256_extractf128_pd(t, 1));
        sse2::store(pair, out, i);
    }
    _mm256_zeroupper();
}

// Mono: taps j .. j + 3 in one register, one class per lane.
template <int fixedTaps> SSRC_TARGET_AVX void mono(const PolyphaseBatch& b, FrameRoom out) {
    const int taps = fixedTaps > 0 ? fixedTaps : b.taps;
    for (std::size_t i = 0; i < b.n; ++i) {
        const double* h = b.rows[i];
        const double* x = b.frames + static_cast<std::size_t>(b.starts[i]);
        __m256d s = _mm256_setzero_pd();
        int j = 0;
        for (; j + 4 <= taps; j += 4)
            s = _mm256_add_pd(s, _mm256_mul_pd(_mm256_loadu_pd(h + j), _mm256_loadu_pd(x + j)));
        __m128d t = _mm256_castpd256_pd128(s);
        if (j < taps) t = _mm_add_pd(t, _mm_mul_pd(_mm_loadu_pd(h + j), _mm_loadu_pd(x + j)));
        t = _mm_add_pd(t, _mm256_extractf128_pd(s, 1)); // (s0 + s2, s1 + s3)
        _mm_store_sd(out.channel[0] + i * out.step, _mm_add_sd(t, _mm_unpackhi_pd(t, t)));
    }
    _mm256_zeroupper();
}

// Three or more channels: four channels per register, then as the SSE2 path.
SSRC_TARGET_AVX inline void multi(const PolyphaseBatch& b, FrameRoom out) {
    const std::size_t channels = b.channels;
    for (std::size_t i = 0; i < b.n; ++i) {
        const double* h = b.rows[i];
        const double* x = b.frames + static_cast<std::size_t>(b.starts[i]) * channels;
        std::size_t c = 0;
        for (; c + 4 <= channels; c += 4) {
            __m256d s[4] = {_mm256_setzero_pd(), _mm256_setzero_pd(), _mm256_setzero_pd(),
                            _mm256_setzero_pd()};
            for (int j = 0; j < b.taps; ++j)
                s[j % 4] = _mm256_add_pd(
                    s[j % 4],
                    _mm256_mul_pd(_mm256_set1_pd(h[j]),
                                  _mm256_loadu_pd(x + static_cast<std::size_t>(j) * channels + c)));
            double sums[4];
            _mm256_storeu_pd(sums,
                             _mm256_add_pd(_mm256_add_pd(s[0], s[2]), _mm256_add_pd(s[1], s[3])));
            for (std::size_t k = 0; k < 4; ++k)
                out.channel[c + k][i * out.step] = sums[k];
        }
        for (; c < channels; ++c)
            out.channel[c][i * out.step] = portable::channel(h, x, b.taps, channels, c);
    }
    _mm256_zeroupper();
}

} // namespace avx
#endif

} // namespace ssrc

#endif

#pragma once
// One stored sample at a time: its value, its working form, and the stored
// form of a working value. The block conversions of sample_types.cpp and the
// direct ones of direct_conversion.cpp both go through these, so a sample
// gives the same bits whichever way it takes.
#include "analyser/engine/sample_types.h"
#include "protocol/little_endian.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <type_traits>

// SSE2 where the target has it (the x86-64 baseline, and the 32-bit build,
// which is compiled for it). The SSE2 pair gives the same bits as the
// portable function; defining CORV_NO_SIMD builds the portable one alone to
// check that.
#if !defined(CORV_NO_SIMD) &&                                                                      \
    (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2))
#define CORV_HAVE_SSE2 1
#include <emmintrin.h>
#endif

namespace corv::codec {

// Reading divides by 2^(n-1): single-precision constants (powers of two, so
// exact), widened before the multiplication so every product is formed in
// double. 1 for the types that are read as they are.
constexpr float readingScale(SampleType type) {
    switch (type) {
    case SampleType::FloatPcm:
        return readingScale(SampleType::Int24);
    case SampleType::FloatCe:
        return readingScale(SampleType::Int16);
    default:
        return isIntegerType(type) ? static_cast<float>(1.0 / (integerFullScale(type) + 1.0))
                                   : 1.0f;
    }
}

// The integer an integer sample holds; 8-bit samples are unsigned around 128.
template <SampleType T> inline int32_t storedInteger(const uint8_t* p) {
    static_assert(isIntegerType(T));
    if constexpr (T == SampleType::Int8)
        return int32_t{p[0]} - 128;
    else if constexpr (T == SampleType::Int16)
        return static_cast<int16_t>(readU16le(p));
    else if constexpr (T == SampleType::Int24)
        return static_cast<int32_t>(readU24le(p) << 8) >> 8; // the sign from the third byte
    else
        return static_cast<int32_t>(readU32le(p));
}

inline float storedFloat(const uint8_t* p) {
    return std::bit_cast<float>(readU32le(p));
}

inline void storeFloat(uint8_t* p, float f) {
    writeU32le(p, std::bit_cast<uint32_t>(f));
}

// The low 8, 16, 24 or 32 bits, little-endian.
template <SampleType T> inline void storeInteger(uint8_t* p, uint32_t v) {
    static_assert(isIntegerType(T));
    if constexpr (T == SampleType::Int8)
        p[0] = static_cast<uint8_t>(v);
    else if constexpr (T == SampleType::Int16)
        writeU16le(p, v);
    else if constexpr (T == SampleType::Int24)
        writeU24le(p, v);
    else
        writeU32le(p, v);
}

template <SampleType T> inline double workingValue(const uint8_t* p) {
    if constexpr (isIntegerType(T))
        return storedInteger<T>(p) * double{readingScale(T)};
    else if constexpr (T == SampleType::Double)
        return std::bit_cast<double>(readU64le(p));
    else if constexpr (T == SampleType::FloatIeee)
        return storedFloat(p);
    else
        return double{storedFloat(p)} * double{readingScale(T)};
}

// Writing multiplies integers by 2^(n-1)-1, 8-bit ones around 128.
constexpr double writingOffset(SampleType type) {
    return type == SampleType::Int8 ? 128.0 : 0.0;
}

// Clips into [minimum, 1.0] (written back), scales and rounds half away from
// zero. A NaN would make the integer conversion undefined; it becomes silence.
// Every result fits in 32 bits.
inline int32_t clipScaleRound(double& v, double minimum, double scale, double offset) {
    double c = std::max(std::min(v, 1.0), minimum); // a NaN stays NaN here...
    c = c == c ? c : 0.0;                           // ...and goes here
    v = c;
    const double s = c * scale + offset;
    return static_cast<int32_t>(s + std::copysign(0.5, s));
}

#ifdef CORV_HAVE_SSE2
// clipScaleRound on two samples at once, with the same IEEE operations, so
// the same results bit for bit: the two integers in the low lanes, and the
// clipped pair in `clipped`.
inline __m128i clipScaleRoundPair(__m128d v, double minimum, double scale, double offset,
                                  __m128d& clipped) {
    const __m128d signBit = _mm_set1_pd(-0.0);
    __m128d c = _mm_min_pd(_mm_set1_pd(1.0), v); // a NaN stays NaN...
    c = _mm_max_pd(_mm_set1_pd(minimum), c);
    c = _mm_and_pd(c, _mm_cmpord_pd(c, c)); // ...and becomes 0 here
    clipped = c;
    const __m128d s = _mm_add_pd(_mm_mul_pd(c, _mm_set1_pd(scale)), _mm_set1_pd(offset));
    const __m128d half = _mm_or_pd(_mm_set1_pd(0.5), _mm_and_pd(s, signBit));
    return _mm_cvttpd_epi32(_mm_add_pd(s, half));
}
#endif

// The stored form of one working value; integer types clip it in place.
template <SampleType T> inline void storeWorking(uint8_t* p, double& v) {
    if constexpr (isIntegerType(T))
        storeInteger<T>(p, static_cast<uint32_t>(clipScaleRound(
                               v, outputMinimumOf(T), integerFullScale(T), writingOffset(T))));
    else if constexpr (T == SampleType::Double)
        writeU64le(p, std::bit_cast<uint64_t>(v));
    // Float outputs keep whatever level they get: no clipping.
    else if constexpr (T == SampleType::FloatIeee)
        storeFloat(p, static_cast<float>(v));
    else if constexpr (T == SampleType::FloatPcm)
        storeFloat(p, static_cast<float>(v * 8388608.0));
    else
        storeFloat(p, static_cast<float>(v * 32768.0));
}

// Keeps the larger magnitude in `most`; NaNs do not count.
inline void keepLarger(double& most, double v) {
    const double a = std::fabs(v);
    most = a > most ? a : most;
}

// The peak of a dithered block is that of what is written; a shaping dither
// keeps its samples within the output's range, so a signal beyond full scale
// counts with its own peak, or the overshoot would not show.
inline double ditheredPeak(double before, double written) {
    return before > 1.0 ? std::max(before, written) : written;
}

template <SampleType T, typename F> bool callWithType(F& f) {
    f(std::integral_constant<SampleType, T>{});
    return true;
}

// Calls f with T as a std::integral_constant; false for a code outside the eight.
template <typename F> bool withSampleType(SampleType type, F&& f) {
    switch (type) {
    case SampleType::Int8:
        return callWithType<SampleType::Int8>(f);
    case SampleType::Int16:
        return callWithType<SampleType::Int16>(f);
    case SampleType::Int24:
        return callWithType<SampleType::Int24>(f);
    case SampleType::Int32:
        return callWithType<SampleType::Int32>(f);
    case SampleType::FloatIeee:
        return callWithType<SampleType::FloatIeee>(f);
    case SampleType::FloatPcm:
        return callWithType<SampleType::FloatPcm>(f);
    case SampleType::FloatCe:
        return callWithType<SampleType::FloatCe>(f);
    case SampleType::Double:
        return callWithType<SampleType::Double>(f);
    }
    return false;
}

} // namespace corv::codec

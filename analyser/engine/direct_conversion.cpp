#include "analyser/engine/direct_conversion.h"

#include "analyser/engine/sample_codec.h"

#include <cstring>
#include <type_traits>

namespace corv {
namespace {

using namespace codec;

using Block = const uint8_t*;

// |x|, -2^31 included.
inline uint32_t magnitude(int32_t x) {
    return x < 0 ? 0u - static_cast<uint32_t>(x) : static_cast<uint32_t>(x);
}

// The chain's peak of integers whose largest magnitude is `most`: reading
// scales by a power of two, exactly, so the largest working value is that
// of the largest stored one.
template <SampleType In> double integerPeak(uint32_t most, size_t count) {
    return count == 0 ? -1.0 : most * double{readingScale(In)};
}

// The working value's exponent per stored unit, and the stored unit's per
// working unit of a float output.
constexpr int readingExponent(SampleType type) {
    if (isIntegerType(type)) return 1 - 8 * static_cast<int>(bytesPerSampleOf(type));
    return type == SampleType::FloatPcm ? -23 : type == SampleType::FloatCe ? -15 : 0;
}
constexpr int writingExponent(SampleType type) {
    return type == SampleType::FloatPcm ? 23 : type == SampleType::FloatCe ? 15 : 0;
}
constexpr float powerOfTwo(int exponent) {
    float f = 1.0f;
    for (; exponent > 0; --exponent)
        f *= 2.0f;
    for (; exponent < 0; ++exponent)
        f /= 2.0f;
    return f;
}

// x · (2^(m-1) - 1) / 2^(n-1) is x · 2^(m-n) - x / 2^(n-1); the chain forms it
// exactly while it needs at most 53 bits, and the second term, below 1 in
// magnitude, makes rounding half away from zero take one step toward zero
// from x · 2^(m-n) exactly when |x| > 2^(n-2).
constexpr bool widensExactly(SampleType in, SampleType out) {
    return isIntegerType(in) && isIntegerType(out) &&
           bytesPerSampleOf(out) > bytesPerSampleOf(in) &&
           8 * (bytesPerSampleOf(in) + bytesPerSampleOf(out)) - 2 <= 53;
}

// The chain widens the float (exactly), scales by a power of two (exactly)
// and rounds once to single precision: the correctly rounded float product
// by that power of two. Integers up to 24 bits are floats exactly; 32-bit
// ones are rounded to 24 bits either before or after an exact scaling.
constexpr bool movesAsFloat(SampleType in, SampleType out) {
    return in != out && in != SampleType::Double &&
           (out == SampleType::FloatIeee || out == SampleType::FloatPcm ||
            out == SampleType::FloatCe);
}

#ifdef CORV_HAVE_SSE2
// x86 is little-endian: stored samples are loaded as they lie.
template <typename T> inline T loadBytes(Block p) {
    T value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// Two samples in working form, as workingValue gives them: int32 and float
// widen exactly, then the same products. A 24-bit pair is read as eight
// bytes, so at least one more sample must follow it.
template <SampleType In> inline __m128d loadPair(Block p) {
    constexpr double scale = readingScale(In);
    if constexpr (In == SampleType::Double) {
        return _mm_loadu_pd(reinterpret_cast<const double*>(p));
    } else if constexpr (isIntegerType(In)) {
        __m128i x;
        if constexpr (In == SampleType::Int8) {
            x = _mm_setr_epi32(int32_t{p[0]} - 128, int32_t{p[1]} - 128, 0, 0);
        } else if constexpr (In == SampleType::Int16) {
            const __m128i pair = _mm_cvtsi32_si128(loadBytes<int32_t>(p));
            x = _mm_srai_epi32(_mm_unpacklo_epi16(pair, pair), 16);
        } else if constexpr (In == SampleType::Int24) {
            const uint64_t bits = loadBytes<uint64_t>(p);
            x = _mm_setr_epi32(static_cast<int32_t>(static_cast<uint32_t>(bits) << 8) >> 8,
                               static_cast<int32_t>(static_cast<uint32_t>(bits >> 24) << 8) >> 8, 0,
                               0);
        } else {
            x = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
        }
        return _mm_mul_pd(_mm_cvtepi32_pd(x), _mm_set1_pd(scale));
    } else {
        const __m128d v =
            _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
        return In == SampleType::FloatIeee ? v : _mm_mul_pd(v, _mm_set1_pd(scale));
    }
}

// Two working values stored as storeWorking stores them.
template <SampleType Out> inline void storePair(uint8_t* p, __m128d v) {
    if constexpr (isIntegerType(Out)) {
        __m128d clipped;
        __m128i r = clipScaleRoundPair(v, outputMinimumOf(Out), integerFullScale(Out),
                                       writingOffset(Out), clipped);
        // Packing cannot saturate: the values are in the type's range.
        if constexpr (Out == SampleType::Int8) {
            r = _mm_packus_epi16(_mm_packs_epi32(r, r), r);
            writeU16le(p, static_cast<uint32_t>(_mm_cvtsi128_si32(r)));
        } else if constexpr (Out == SampleType::Int16) {
            writeU32le(p, static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packs_epi32(r, r))));
        } else if constexpr (Out == SampleType::Int24) {
            writeU24le(p, static_cast<uint32_t>(_mm_cvtsi128_si32(r)));
            writeU24le(p + 3, static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(r, 4))));
        } else {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(p), r);
        }
    } else if constexpr (Out == SampleType::Double) {
        _mm_storeu_pd(reinterpret_cast<double*>(p), v);
    } else {
        if constexpr (Out == SampleType::FloatPcm) v = _mm_mul_pd(v, _mm_set1_pd(8388608.0));
        if constexpr (Out == SampleType::FloatCe) v = _mm_mul_pd(v, _mm_set1_pd(32768.0));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(_mm_cvtpd_ps(v)));
    }
}

// keepLarger on two lanes: maxpd gives its second operand when the first is
// a NaN, and `most` never is one.
inline __m128d keepLargerPair(__m128d most, __m128d v) {
    return _mm_max_pd(_mm_andnot_pd(_mm_set1_pd(-0.0), v), most);
}

inline double largerLane(__m128d v) {
    return std::max(_mm_cvtsd_f64(v), _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)));
}

// The running extremes of 16-bit samples, eight lanes at a time (-32768
// has no 16-bit magnitude).
struct Extremes16 {
    __m128i high = _mm_setzero_si128(), low = _mm_setzero_si128();

    void keep(__m128i x) {
        high = _mm_max_epi16(high, x);
        low = _mm_min_epi16(low, x);
    }
    uint32_t largestMagnitude() const {
        int16_t highs[8], lows[8];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(highs), high);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(lows), low);
        uint32_t most = 0;
        for (int k = 0; k < 8; ++k)
            most = std::max({most, magnitude(highs[k]), magnitude(lows[k])});
        return most;
    }
};
#endif

// toWorking with the gain and the peak in the same loop.
template <SampleType In> double readChunk(Block in, size_t count, double gain, double* working) {
    constexpr size_t inBytes = bytesPerSampleOf(In);
    const bool scaled = gain != 1.0; // a NaN times 1.0 could change its bits
    double most = -1.0;
    size_t i = 0;
#ifdef CORV_HAVE_SSE2
    __m128d mostPair = _mm_set1_pd(-1.0);
    auto take = [&](__m128d v, size_t at) {
        if (scaled) v = _mm_mul_pd(v, _mm_set1_pd(gain));
        mostPair = keepLargerPair(mostPair, v);
        _mm_storeu_pd(working + at, v);
    };
    if constexpr (In == SampleType::Int24) {
        // Four samples from sixteen bytes, so two more must follow: in the
        // 64-bit halves of (bytes 0-7, bytes 6-13) the even ones are the low
        // 24 bits, the odd ones the 24 above them.
        for (; i + 6 <= count; i += 4) {
            const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * i));
            const __m128i halves = _mm_unpacklo_epi64(raw, _mm_srli_si128(raw, 6));
            const __m128i even = _mm_srai_epi32(_mm_slli_epi32(halves, 8), 8);
            const __m128i odd = _mm_srai_epi32(_mm_slli_epi32(_mm_srli_epi64(halves, 24), 8), 8);
            const __m128i x = _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(3, 1, 2, 0)),
                                                 _mm_shuffle_epi32(odd, _MM_SHUFFLE(3, 1, 2, 0)));
            const __m128d scale = _mm_set1_pd(readingScale(In));
            take(_mm_mul_pd(_mm_cvtepi32_pd(x), scale), i);
            take(_mm_mul_pd(_mm_cvtepi32_pd(_mm_srli_si128(x, 8)), scale), i + 2);
        }
    }
    constexpr size_t pairSpan = In == SampleType::Int24 ? 3 : 2;
    for (; i + pairSpan <= count; i += 2)
        take(loadPair<In>(in + i * inBytes), i);
    most = largerLane(mostPair);
#endif
    for (; i < count; ++i) {
        double v = workingValue<In>(in + i * inBytes);
        if (scaled) v *= gain;
        keepLarger(most, v);
        working[i] = v;
    }
    return most;
}

// fromWorking with the peak of what it writes in the same loop.
template <SampleType Out> double writeChunk(double* working, size_t count, uint8_t* out) {
    constexpr size_t outBytes = bytesPerSampleOf(Out);
    double most = -1.0;
    size_t i = 0;
#ifdef CORV_HAVE_SSE2
    __m128d mostPair = _mm_set1_pd(-1.0);
    for (; i + 2 <= count; i += 2) {
        const __m128d v = _mm_loadu_pd(working + i);
        mostPair = keepLargerPair(mostPair, v);
        storePair<Out>(out + i * outBytes, v);
    }
    most = largerLane(mostPair);
#endif
    for (; i < count; ++i) {
        keepLarger(most, working[i]);
        storeWorking<Out>(out + i * outBytes, working[i]);
    }
    return most;
}

template <SampleType In> double measureIntegers(Block in, size_t count, uint8_t*) {
    constexpr size_t inBytes = bytesPerSampleOf(In);
    uint32_t most = 0;
    size_t i = 0;
#ifdef CORV_HAVE_SSE2
    if constexpr (In == SampleType::Int16) {
        Extremes16 extremes;
        for (; i + 8 <= count; i += 8)
            extremes.keep(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2 * i)));
        most = extremes.largestMagnitude();
    }
#endif
    for (; i < count; ++i)
        most = std::max(most, magnitude(storedInteger<In>(in + i * inBytes)));
    return integerPeak<In>(most, count);
}

template <SampleType In, SampleType Out> double widen(Block in, size_t count, uint8_t* out) {
    constexpr size_t inBytes = bytesPerSampleOf(In);
    constexpr size_t outBytes = bytesPerSampleOf(Out);
    constexpr int shift = 8 * static_cast<int>(outBytes - inBytes);
    constexpr int32_t half = int32_t{1} << (8 * inBytes - 2);
    uint32_t most = 0;
    size_t i = 0;
#ifdef CORV_HAVE_SSE2
    if constexpr (In == SampleType::Int16) {
        // Four samples at a time; the masks of x > half and x < -half are -1.
        Extremes16 extremes;
        for (; i + 4 <= count; i += 4) {
            const __m128i raw = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + 2 * i));
            extremes.keep(raw);
            const __m128i x = _mm_srai_epi32(_mm_unpacklo_epi16(raw, raw), 16);
            const __m128i y = _mm_sub_epi32(
                _mm_add_epi32(_mm_slli_epi32(x, shift), _mm_cmpgt_epi32(x, _mm_set1_epi32(half))),
                _mm_cmplt_epi32(x, _mm_set1_epi32(-half)));
            if constexpr (Out == SampleType::Int32) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), y);
            } else {
                // Each pair of 24-bit values into the low 48 bits of a 64-bit lane.
                const __m128i pairs = _mm_or_si128(
                    _mm_and_si128(y, _mm_set_epi32(0, 0xFFFFFF, 0, 0xFFFFFF)),
                    _mm_srli_epi64(_mm_and_si128(y, _mm_set_epi32(0xFFFFFF, 0, 0xFFFFFF, 0)), 8));
                uint8_t bytes[16];
                _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes), pairs);
                std::memcpy(out + 3 * i, bytes, 6);
                std::memcpy(out + 3 * i + 6, bytes + 8, 6);
            }
        }
        most = extremes.largestMagnitude();
    }
#endif
    for (; i < count; ++i) {
        const int32_t x = storedInteger<In>(in + i * inBytes);
        most = std::max(most, magnitude(x));
        const uint32_t shifted = static_cast<uint32_t>(x) << shift;
        storeInteger<Out>(out + i * outBytes, shifted - (x > half) + (x < -half));
    }
    return integerPeak<In>(most, count);
}

template <SampleType In, SampleType Out> double moveAsFloat(Block in, size_t count, uint8_t* out) {
    constexpr size_t inBytes = bytesPerSampleOf(In);
    constexpr float factor = powerOfTwo(readingExponent(In) + writingExponent(Out));
    uint32_t mostInteger = 0;
    float mostFloat = -1.0f; // stays below 0 when every sample is a NaN
    size_t i = 0;
#ifdef CORV_HAVE_SSE2
    if constexpr (!isIntegerType(In)) {
        // maxps gives its second operand when the first is a NaN.
        __m128 most = _mm_set1_ps(-1.0f);
        for (; i + 4 <= count; i += 4) {
            const __m128 f = _mm_loadu_ps(reinterpret_cast<const float*>(in + 4 * i));
            most = _mm_max_ps(_mm_andnot_ps(_mm_set1_ps(-0.0f), f), most);
            _mm_storeu_ps(reinterpret_cast<float*>(out + 4 * i),
                          _mm_mul_ps(f, _mm_set1_ps(factor)));
        }
        float lanes[4];
        _mm_storeu_ps(lanes, most);
        mostFloat = std::max({lanes[0], lanes[1], lanes[2], lanes[3]});
    }
#endif
    for (; i < count; ++i) {
        float f;
        if constexpr (isIntegerType(In)) {
            const int32_t x = storedInteger<In>(in + i * inBytes);
            mostInteger = std::max(mostInteger, magnitude(x));
            f = static_cast<float>(x);
        } else {
            f = storedFloat(in + i * inBytes);
            const float a = std::fabs(f);
            mostFloat = a > mostFloat ? a : mostFloat;
        }
        if constexpr (factor != 1.0f) f *= factor;
        storeFloat(out + 4 * i, f);
    }
    if constexpr (isIntegerType(In)) return integerPeak<In>(mostInteger, count);
    return mostFloat < 0.0f ? -1.0 : double{mostFloat} * double{readingScale(In)};
}

// An exact shortcut of the chain for an undithered pass at unity gain.
template <SampleType In, SampleType Out> auto shortcut(bool writes) {
    using Kernel = double (*)(Block, size_t, uint8_t*);
    if (!writes) {
        if constexpr (isIntegerType(In)) return Kernel{&measureIntegers<In>};
        return Kernel{nullptr};
    }
    if constexpr (widensExactly(In, Out)) return Kernel{&widen<In, Out>};
    if constexpr (movesAsFloat(In, Out)) return Kernel{&moveAsFloat<In, Out>};
    return Kernel{nullptr};
}

} // namespace

DirectConversion::DirectConversion(SampleType input, const OutputType& output, double gain,
                                   bool writes)
    : gain_(gain), inBytes_(bytesPerSampleOf(input)),
      outBytes_(bytesPerSampleOf(output.sampleType)) {
    withSampleType(input, [&](auto in) { read_ = &readChunk<decltype(in)::value>; });
    withSampleType(output.sampleType,
                   [&](auto out) { write_ = &writeChunk<decltype(out)::value>; });
    if (gain != 1.0) return;
    withSampleType(input, [&](auto in) {
        withSampleType(output.sampleType, [&](auto out) {
            kernel_ = shortcut<decltype(in)::value, decltype(out)::value>(writes);
        });
    });
}

double DirectConversion::convert(const uint8_t* in, size_t count, uint8_t* out) const {
    if (kernel_) return kernel_(in, count, out);
    constexpr size_t kChunk = 512;
    double working[kChunk];
    double most = -1.0;
    for (size_t at = 0; at < count; at += kChunk) {
        const size_t n = std::min(kChunk, count - at);
        most = std::max(most, read_(in + at * inBytes_, n, gain_, working));
        if (out) write_(working, n, out + at * outBytes_);
    }
    return most;
}

} // namespace corv

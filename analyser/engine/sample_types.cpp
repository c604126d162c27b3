#include "analyser/engine/sample_types.h"

#include "protocol/little_endian.h"

#include <algorithm>
#include <bit>
#include <cmath>

// SSE2 where the target has it (the x86-64 baseline). The SSE2 loop gives the
// same bits as the portable one; defining CORV_NO_SIMD builds the portable one
// alone to check that.
#if !defined(CORV_NO_SIMD) &&                                                                      \
    (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2))
#define CORV_HAVE_SSE2 1
#include <emmintrin.h>
#endif

namespace corv {
namespace {

// Reading divides by 2^(n-1). Single-precision constants (powers of two, so
// exact), widened before the multiplication so every product is formed in double.
constexpr float readingScale(SampleType type) {
    return static_cast<float>(1.0 / (integerFullScale(type) + 1.0));
}
constexpr float kScale7 = readingScale(SampleType::Int8);
constexpr float kScale15 = readingScale(SampleType::Int16);
constexpr float kScale23 = readingScale(SampleType::Int24);
constexpr float kScale31 = readingScale(SampleType::Int32);

// Three bytes, the sign taken from the top bit of the third.
int32_t readS24le(const uint8_t* p) {
    return static_cast<int32_t>(readU24le(p) << 8) >> 8;
}

void storeFloat(uint8_t* p, float f) {
    writeU32le(p, std::bit_cast<uint32_t>(f));
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
// the same results bit for bit.
inline void clipScaleRoundPair(double* v, double minimum, double scale, double offset,
                               int32_t* out) {
    const __m128d signBit = _mm_set1_pd(-0.0);
    __m128d c = _mm_min_pd(_mm_set1_pd(1.0), _mm_loadu_pd(v)); // a NaN stays NaN...
    c = _mm_max_pd(_mm_set1_pd(minimum), c);
    c = _mm_and_pd(c, _mm_cmpord_pd(c, c)); // ...and becomes 0 here
    _mm_storeu_pd(v, c);
    const __m128d s = _mm_add_pd(_mm_mul_pd(c, _mm_set1_pd(scale)), _mm_set1_pd(offset));
    const __m128d half = _mm_or_pd(_mm_set1_pd(0.5), _mm_and_pd(s, signBit));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_cvttpd_epi32(_mm_add_pd(s, half)));
}
#endif

// Converts in chunks: first to 32-bit integers, two at a time where SSE2 is
// there, then the bytes of the output width.
template <typename Store>
void writeIntegers(double* working, size_t n, double scale, double offset, double minimum,
                   uint8_t* raw, size_t width, Store store) {
    constexpr size_t kChunk = 1024;
    int32_t values[kChunk];
    for (size_t at = 0; at < n; at += kChunk) {
        const size_t m = std::min(kChunk, n - at);
        double* w = working + at;
        size_t i = 0;
#ifdef CORV_HAVE_SSE2
        for (; i + 2 <= m; i += 2)
            clipScaleRoundPair(w + i, minimum, scale, offset, values + i);
#endif
        for (; i < m; ++i)
            values[i] = clipScaleRound(w[i], minimum, scale, offset);
        uint8_t* out = raw + at * width;
        for (i = 0; i < m; ++i)
            store(out + i * width, static_cast<uint32_t>(values[i]));
    }
}

} // namespace

double outputMinimumOf(SampleType type) {
    switch (type) {
    case SampleType::Int8:
    case SampleType::Int16:
    case SampleType::Int24:
    case SampleType::Int32:
        return -(integerFullScale(type) + 1.0) / integerFullScale(type);
    case SampleType::FloatIeee:
    case SampleType::FloatPcm:
    case SampleType::FloatCe:
    case SampleType::Double:
        return -1.0;
    }
    return 0.0;
}

OutputType chooseOutputType(const AudioFileRecord& record, const ConversionSettings& settings,
                            Notifier& notifier, std::optional<uint32_t> mappedChannels) {
    OutputType out;
    out.channels = mappedChannels ? *mappedChannels : record.channels;

    auto target = static_cast<SampleType>(settings.targetSampleType);
    if (settings.convertSampleType && target != record.sampleType) {
        out.sampleType = target;
        out.sampleTypeConverted = true;
        out.bytesPerSample = bytesPerSampleOf(target);
        if (out.bytesPerSample == 0) notifier.warn(kNewSampleTypeMessage);
    } else {
        // Keeps the source's container, so 20-bit data in 3 bytes stays 3 bytes.
        out.sampleType = record.sampleType;
        out.bytesPerSample = record.bytesPerSample;
    }

    auto targetRate = static_cast<uint32_t>(settings.targetSampleRate);
    if (settings.convertSampleRate && targetRate != record.sampleRate) {
        out.sampleRate = targetRate;
        out.sampleRateConverted = true;
    } else {
        out.sampleRate = record.sampleRate;
    }

    out.format = static_cast<FileFormat>(settings.outputFormat);
    out.ditherApplied = settings.dither != 0 && isIntegerType(out.sampleType);

    if (bytesPerSampleOf(out.sampleType) == 0)
        notifier.warn(kNewFormatMessage);
    else
        out.minimum = outputMinimumOf(out.sampleType);
    return out;
}

bool needsWorkingForm(const OutputType& out, const ConversionSettings& settings,
                      bool mixMatrixApplies) {
    return out.sampleTypeConverted || out.sampleRateConverted || settings.amplify != 0 ||
           settings.normalize != 0 || mixMatrixApplies;
}

bool toWorking(const uint8_t* raw, size_t frames, uint32_t channels, SampleType type,
               double* working) {
    const size_t n = frames * channels;
    switch (type) {
    case SampleType::Int8: {
        const double scale = kScale7;
        for (size_t i = 0; i < n; ++i)
            working[i] = (int32_t{raw[i]} - 128) * scale;
        return true;
    }
    case SampleType::Int16: {
        const double scale = kScale15;
        for (size_t i = 0; i < n; ++i)
            working[i] = static_cast<int16_t>(readU16le(raw + 2 * i)) * scale;
        return true;
    }
    case SampleType::Int24: {
        const double scale = kScale23;
        for (size_t i = 0; i < n; ++i)
            working[i] = readS24le(raw + 3 * i) * scale;
        return true;
    }
    case SampleType::Int32: {
        const double scale = kScale31;
        for (size_t i = 0; i < n; ++i)
            working[i] = static_cast<int32_t>(readU32le(raw + 4 * i)) * scale;
        return true;
    }
    case SampleType::FloatIeee:
        for (size_t i = 0; i < n; ++i)
            working[i] = std::bit_cast<float>(readU32le(raw + 4 * i));
        return true;
    case SampleType::FloatPcm: {
        const double scale = kScale23;
        for (size_t i = 0; i < n; ++i)
            working[i] = double{std::bit_cast<float>(readU32le(raw + 4 * i))} * scale;
        return true;
    }
    case SampleType::FloatCe: {
        const double scale = kScale15;
        for (size_t i = 0; i < n; ++i)
            working[i] = double{std::bit_cast<float>(readU32le(raw + 4 * i))} * scale;
        return true;
    }
    case SampleType::Double:
        for (size_t i = 0; i < n; ++i)
            working[i] = std::bit_cast<double>(readU64le(raw + 8 * i));
        return true;
    }
    return false;
}

size_t fromWorking(double* working, size_t frames, const OutputType& out, uint8_t* raw) {
    const size_t n = frames * out.channels;
    const double minimum = outputMinimumOf(out.sampleType);
    const double scale = integerFullScale(out.sampleType);
    // Writing multiplies by 2^(n-1)-1; the minimum lets -2^(n-1) still be reached.
    switch (out.sampleType) {
    case SampleType::Int8:
        writeIntegers(working, n, scale, 128.0, minimum, raw, 1,
                      [](uint8_t* p, uint32_t v) { p[0] = static_cast<uint8_t>(v); });
        break;
    case SampleType::Int16:
        writeIntegers(working, n, scale, 0.0, minimum, raw, 2,
                      [](uint8_t* p, uint32_t v) { writeU16le(p, v); });
        break;
    case SampleType::Int24:
        writeIntegers(working, n, scale, 0.0, minimum, raw, 3,
                      [](uint8_t* p, uint32_t v) { writeU24le(p, v); });
        break;
    case SampleType::Int32:
        writeIntegers(working, n, scale, 0.0, minimum, raw, 4,
                      [](uint8_t* p, uint32_t v) { writeU32le(p, v); });
        break;
    // Float outputs keep whatever level they get: no clipping.
    case SampleType::FloatIeee:
        for (size_t i = 0; i < n; ++i)
            storeFloat(raw + 4 * i, static_cast<float>(working[i]));
        break;
    case SampleType::FloatPcm:
        for (size_t i = 0; i < n; ++i)
            storeFloat(raw + 4 * i, static_cast<float>(working[i] * 8388608.0));
        break;
    case SampleType::FloatCe:
        for (size_t i = 0; i < n; ++i)
            storeFloat(raw + 4 * i, static_cast<float>(working[i] * 32768.0));
        break;
    case SampleType::Double:
        for (size_t i = 0; i < n; ++i)
            writeU64le(raw + 8 * i, std::bit_cast<uint64_t>(working[i]));
        break;
    default:
        return 0;
    }
    return n * bytesPerSampleOf(out.sampleType);
}

} // namespace corv

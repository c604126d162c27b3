#include "analyser/engine/sample_types.h"

#include "analyser/encoder_settings/job_texts.h"
#include "analyser/engine/sample_codec.h"

namespace corv {
namespace {

using namespace codec;

// Converts in chunks: first to 32-bit integers, two at a time where SSE2 is
// there, then the bytes of the output width.
template <SampleType T> void writeIntegers(double* working, size_t n, uint8_t* raw) {
    constexpr double minimum = outputMinimumOf(T);
    constexpr double scale = integerFullScale(T);
    constexpr double offset = writingOffset(T);
    constexpr size_t width = bytesPerSampleOf(T);
    constexpr size_t kChunk = 1024;
    int32_t values[kChunk];
    for (size_t at = 0; at < n; at += kChunk) {
        const size_t m = std::min(kChunk, n - at);
        double* w = working + at;
        size_t i = 0;
#ifdef CORV_HAVE_SSE2
        for (; i + 2 <= m; i += 2) {
            __m128d clipped;
            _mm_storel_epi64(
                reinterpret_cast<__m128i*>(values + i),
                clipScaleRoundPair(_mm_loadu_pd(w + i), minimum, scale, offset, clipped));
            _mm_storeu_pd(w + i, clipped);
        }
#endif
        for (; i < m; ++i)
            values[i] = clipScaleRound(w[i], minimum, scale, offset);
        uint8_t* out = raw + at * width;
        for (i = 0; i < m; ++i)
            storeInteger<T>(out + i * width, static_cast<uint32_t>(values[i]));
    }
}

} // namespace

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
    return withSampleType(type, [&](auto t) {
        constexpr SampleType T = decltype(t)::value;
        constexpr size_t width = bytesPerSampleOf(T);
        for (size_t i = 0; i < n; ++i)
            working[i] = workingValue<T>(raw + width * i);
    });
}

size_t fromWorking(double* working, size_t frames, const OutputType& out, uint8_t* raw) {
    const size_t n = frames * out.channels;
    const bool known = withSampleType(out.sampleType, [&](auto t) {
        constexpr SampleType T = decltype(t)::value;
        if constexpr (isIntegerType(T)) {
            writeIntegers<T>(working, n, raw);
        } else {
            constexpr size_t width = bytesPerSampleOf(T);
            for (size_t i = 0; i < n; ++i)
                storeWorking<T>(raw + width * i, working[i]);
        }
    });
    return known ? n * bytesPerSampleOf(out.sampleType) : 0;
}

} // namespace corv

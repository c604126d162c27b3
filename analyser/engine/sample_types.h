#pragma once
// The working sample form (doubles, full scale ±1.0, interleaved by frame) and
// the conversions between it and the eight stored sample types.
#include "analyser/analysis/audio_file_record.h"
#include "analyser/engine/conversion_settings.h"
#include "platform/notifier.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace corv {

inline constexpr std::string_view kNewSampleTypeMessage = "Internal error, new sample type";

// What one file's pass writes; set before the pass, read by the writer,
// the level control and the stream code.
struct OutputType {
    uint32_t channels = 0;
    uint32_t bytesPerSample = 0; // 0 when the type code is unknown
    SampleType sampleType{};
    uint32_t sampleRate = 0;
    FileFormat format = FileFormat::WavePcm;
    bool sampleTypeConverted = false;
    bool sampleRateConverted = false;
    bool ditherApplied = false;
    double minimum = 0.0; // most negative working value the type can hold; 0 when unknown
};

// Container size of one sample of the type; 0 for a code outside the eight.
constexpr uint32_t bytesPerSampleOf(SampleType type) {
    switch (type) {
    case SampleType::Int8:
        return 1;
    case SampleType::Int16:
        return 2;
    case SampleType::Int24:
        return 3;
    case SampleType::Int32:
    case SampleType::FloatIeee:
    case SampleType::FloatPcm:
    case SampleType::FloatCe:
        return 4;
    case SampleType::Double:
        return 8;
    }
    return 0;
}

constexpr bool isIntegerType(SampleType type) {
    return type == SampleType::Int8 || type == SampleType::Int16 || type == SampleType::Int24 ||
           type == SampleType::Int32;
}

// 2^(n-1)-1 for an n-bit integer type (127, 32767, 8388607, 2147483647): the
// stored value of full scale 1.0. 0.0 for float types and unknown codes.
constexpr double integerFullScale(SampleType type) {
    if (!isIntegerType(type)) return 0.0;
    return static_cast<double>((uint64_t{1} << (8 * bytesPerSampleOf(type) - 1)) - 1);
}

// -2^(n-1)/(2^(n-1)-1) for integers, -1.0 for floats, 0.0 for unknown codes.
constexpr double outputMinimumOf(SampleType type) {
    if (isIntegerType(type)) return -(integerFullScale(type) + 1.0) / integerFullScale(type);
    return bytesPerSampleOf(type) == 0 ? 0.0 : -1.0;
}

// The stored byte of silence: unsigned 8-bit samples centre on 128.
inline uint8_t silenceByteOf(SampleType type) {
    return type == SampleType::Int8 ? 128 : 0;
}

// Fills the output description for one file. mappedChannels is the output
// count of the channel map that applies to the file, when one does.
// Unknown type codes from a damaged settings file are reported and leave a
// zero size or minimum.
OutputType chooseOutputType(const AudioFileRecord& record, const ConversionSettings& settings,
                            Notifier& notifier,
                            std::optional<uint32_t> mappedChannels = std::nullopt);

// Whether blocks go through the working form at all. Otherwise the raw bytes
// (after channel moves) are written untouched: no gain, clipping, dither or
// peak. mixMatrixApplies: the file is converted through a map with a mix matrix.
bool needsWorkingForm(const OutputType& out, const ConversionSettings& settings,
                      bool mixMatrixApplies);

// frames × channels stored samples of `type` into working doubles. False for
// an unknown type (nothing written).
bool toWorking(const uint8_t* raw, size_t frames, uint32_t channels, SampleType type,
               double* working);

// frames × out.channels working samples into stored samples of out.sampleType.
// Integer outputs clip, and the clipped value is stored back into working.
// Returns the bytes written to raw (0 for an unknown type).
size_t fromWorking(double* working, size_t frames, const OutputType& out, uint8_t* raw);

} // namespace corv

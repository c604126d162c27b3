#pragma once
// Format and sample type codes: stored in settings, shown in the list, sent in jobs.
#include <cstdint>
#include <string_view>

namespace corv {

enum class FileFormat : int32_t {
    WavePcm = 50,      // "fmt " chunk of 16 bytes
    WaveNonPcm = 45,   // 18 bytes, zero extension size
    WaveFormatEx = 40, // WAVE_FORMAT_EXTENSIBLE, 40 bytes
    RawSamples = 20,   // output only
    Unanalysed = 65,
    NotRecognised = 70,
};

enum class SampleType : int32_t {
    Int8 = 2,
    Int16 = 4,
    Int24 = 8,
    Int32 = 16,
    FloatIeee = 32, // full scale 1.0, tag 3
    FloatPcm = 64,  // full scale 8388608, tag 1, 24 bits in 4 bytes
    FloatCe = 128,  // full scale 32768, tag 1, 32 bits
    Double = 256,
};

// The header a recognised WAVE file starts with: "RIFF" with 32-bit sizes, or
// "RF64" / "BW64", whose sizes over 4 GB stand in a "ds64" chunk.
enum class WaveContainer : int32_t {
    None = 0, // not recognised
    Riff = 1,
    Rf64 = 2,
    Bw64 = 3,
};

// The four characters of the header; "" for None.
inline std::string_view containerName(WaveContainer container) {
    switch (container) {
    case WaveContainer::Riff:
        return "RIFF";
    case WaveContainer::Rf64:
        return "RF64";
    case WaveContainer::Bw64:
        return "BW64";
    case WaveContainer::None:
        break;
    }
    return "";
}

inline constexpr SampleType kSampleTypes[] = {
    SampleType::Int8,      SampleType::Int16,    SampleType::Int24,   SampleType::Int32,
    SampleType::FloatIeee, SampleType::FloatPcm, SampleType::FloatCe, SampleType::Double,
};

// The name the preferences list shows; "" for a code outside the eight.
inline std::string_view sampleTypeName(int32_t code) {
    switch (static_cast<SampleType>(code)) {
    case SampleType::Int8:
        return "8bit int";
    case SampleType::Int16:
        return "16bit int";
    case SampleType::Int24:
        return "24bit int";
    case SampleType::Int32:
        return "32bit int";
    case SampleType::FloatIeee:
        return "32bit float IEEE";
    case SampleType::FloatPcm:
        return "32bit float PCM";
    case SampleType::FloatCe:
        return "32bit float CE";
    case SampleType::Double:
        return "64bit float";
    }
    return "";
}

} // namespace corv

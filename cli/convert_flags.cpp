#include "cli/convert_flags.h"

#include "platform/path.h"
#include "protocol/fixed_text.h"

#include <charconv>
#include <cmath>

namespace corv::cli {

namespace {

template <typename T> std::optional<T> wholeNumber(std::string_view text) {
    T value{};
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

std::optional<double> finiteNumber(std::string_view text) {
    auto value = wholeNumber<double>(text);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

bool isSeparator(char c) {
    return c == kPathSeparator || c == '/';
}

} // namespace

std::optional<SampleType> parseTypeName(std::string_view text) {
    struct Name {
        std::string_view text;
        SampleType type;
    };
    static constexpr Name names[] = {
        {"8bit", SampleType::Int8},        {"16bit", SampleType::Int16},
        {"24bit", SampleType::Int24},      {"32bit", SampleType::Int32},
        {"float", SampleType::FloatIeee},  {"float-pcm", SampleType::FloatPcm},
        {"float-ce", SampleType::FloatCe}, {"double", SampleType::Double},
    };
    for (const Name& name : names)
        if (name.text == text) return name.type;
    return std::nullopt;
}

std::optional<int32_t> parseRate(std::string_view text) {
    auto rate = wholeNumber<int32_t>(text);
    if (!rate || *rate <= 0) return std::nullopt;
    return rate;
}

std::optional<int32_t> parseShaping(std::string_view text) {
    auto code = wholeNumber<int32_t>(text);
    if (!code || *code < 1 || *code > 4) return std::nullopt;
    return code;
}

std::optional<int32_t> parsePdf(std::string_view text) {
    if (text == "rect") return 0;
    if (text == "tri") return 1;
    if (text == "gauss") return 2;
    return std::nullopt;
}

std::optional<float> parseAmplitude(std::string_view text) {
    // The dither library infers the output's step from the amplitude, which
    // only works between 1/16 and 16 steps; smaller is allowed, it just adds
    // less dither.
    auto amplitude = finiteNumber(text);
    if (!amplitude || *amplitude <= 0.0 || *amplitude > 16.0) return std::nullopt;
    return static_cast<float>(*amplitude);
}

std::optional<double> parseDecibels(std::string_view text) {
    return finiteNumber(text);
}

std::optional<double> parseNormalizePercent(std::string_view text) {
    auto percent = finiteNumber(text);
    if (!percent || *percent <= 0.0 || *percent > 1000.0) return std::nullopt;
    return *percent / 100.0;
}

std::optional<NormalizeScope> parseScope(std::string_view text) {
    if (text == "file") return NormalizeScope::File;
    if (text == "list") return NormalizeScope::List;
    if (text == "clip") return NormalizeScope::Clip;
    return std::nullopt;
}

std::optional<FileFormat> parseFormatName(std::string_view text) {
    if (text == "pcm") return FileFormat::WavePcm;
    if (text == "nonpcm") return FileFormat::WaveNonPcm;
    if (text == "ext") return FileFormat::WaveFormatEx;
    if (text == "raw") return FileFormat::RawSamples;
    return std::nullopt;
}

std::optional<std::string> parseOutDirectory(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::string directory(text);
    if (!isSeparator(directory.back())) directory += kPathSeparator;
    if (directory.size() >= kPathFieldSize) return std::nullopt;
    return directory;
}

void applyConvertFlags(const ConvertFlags& flags, ConversionSettings& s) {
    if (flags.type) {
        s.convertSampleType = 1;
        s.targetSampleType = static_cast<int32_t>(*flags.type);
    }
    if (flags.rate) {
        s.convertSampleRate = 1;
        s.targetSampleRate = *flags.rate;
    }
    if (flags.dither) s.dither = 1;
    if (flags.shaping) s.noiseShaping = *flags.shaping;
    if (flags.pdf) s.pdfType = *flags.pdf;
    if (flags.amplitude) s.pdfAmplitude = *flags.amplitude;
    if (flags.amplifyDb) {
        s.amplify = 1;
        s.normalize = 0;
        s.amplifyDb = *flags.amplifyDb;
    }
    if (flags.normalizeFraction) {
        s.normalize = 1;
        s.amplify = 0;
        s.normalizeTarget = *flags.normalizeFraction;
    }
    if (flags.scope) {
        s.normalizeFile = *flags.scope == NormalizeScope::File;
        s.normalizeList = *flags.scope == NormalizeScope::List;
        s.normalizeOnClipping = *flags.scope == NormalizeScope::Clip;
    }
    if (flags.tempFile) s.normalizeWithTempFile = 1;
    if (flags.format) s.outputFormat = static_cast<int32_t>(*flags.format);
    if (flags.outDirectory) {
        s.sameAsInput = 0;
        setFieldText(s.outputDirectory, *flags.outDirectory);
    }
    if (flags.stream) {
        s.streamManipulation = 1;
        s.monoStreams = *flags.stream == StreamMode::Mono;
        s.stitchFiles = *flags.stream == StreamMode::Stitch;
        s.mergeFiles = *flags.stream == StreamMode::Merge;
    }
    if (flags.delay) s.processDelay = 1;
    if (flags.keepLength) s.maintainLength = 1;
    if (flags.mapsEnabled) s.channelMappingEnabled = 1;
    s.sendJobsToBatcher = 0;
}

} // namespace corv::cli

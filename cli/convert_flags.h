#pragma once
// The convert command's options: each one given sets its settings fields over
// whatever the settings file said. Values are checked when they are read, so
// applying them cannot fail.
#include "analyser/analysis/audio_codes.h"
#include "analyser/engine/conversion_settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corv::cli {

enum class NormalizeScope { File, List, Clip };
enum class StreamMode { Mono, Stitch, Merge };

struct ConvertFlags {
    std::optional<SampleType> type;
    std::optional<int32_t> rate;
    bool dither = false;
    std::optional<int32_t> shaping;
    std::optional<int32_t> pdf;
    std::optional<float> amplitude;
    std::optional<double> amplifyDb;
    std::optional<double> normalizeFraction; // of full scale
    std::optional<NormalizeScope> scope;
    bool tempFile = false;
    std::optional<FileFormat> format;
    std::optional<std::string> outDirectory; // ends in a separator
    std::optional<StreamMode> stream;
    bool delay = false;
    bool keepLength = false;
    bool mapsEnabled = false;
    bool rf64 = false; // not a setting: it goes to the run's setup
};

// Each parser gives nothing for a value the option does not take.
std::optional<SampleType> parseTypeName(std::string_view text);     // 8bit ... double
std::optional<int32_t> parseRate(std::string_view text);            // positive integer
std::optional<int32_t> parseShaping(std::string_view text);         // 1..4
std::optional<int32_t> parsePdf(std::string_view text);             // rect, tri, gauss
std::optional<float> parseAmplitude(std::string_view text);         // (0, 16] LSB
std::optional<double> parseDecibels(std::string_view text);         // any finite number
std::optional<double> parseNormalizePercent(std::string_view text); // (0, 1000] -> fraction
std::optional<NormalizeScope> parseScope(std::string_view text);    // file, list, clip
std::optional<FileFormat> parseFormatName(std::string_view text);   // pcm, nonpcm, ext, raw
// The folder with a separator at its end; nothing when that does not fit the
// 520-byte field (with its terminator).
std::optional<std::string> parseOutDirectory(std::string_view text);

// Writes the given flags into the settings. Jobs are never sent from here, so
// sendJobsToBatcher ends up 0 whatever the settings held.
void applyConvertFlags(const ConvertFlags& flags, ConversionSettings& settings);

} // namespace corv::cli

#pragma once
// "settingsCorvandale.ini": the conversion settings followed by the twelve
// encoder blocks, written and read byte for byte.
#include "analyser/encoder_settings/encoder_blocks.h"
#include "analyser/engine/conversion_settings.h"

#include <string>

namespace corv {

inline constexpr char kAnalyserSettingsFileName[] = "settingsCorvandale.ini";

#pragma pack(push, 1)
struct AnalyserSettings {
    ConversionSettings conversion;
    EncoderBlocks encoders;
};
#pragma pack(pop)
CORV_RECORD_SIZE(AnalyserSettings, 932);
CORV_FIELD_AT(AnalyserSettings, encoders, 616);

AnalyserSettings defaultAnalyserSettings();

// Replaces the file in programDirectory (which ends in a separator). Returns
// false when it could not be written; callers stay silent about it.
bool saveSettings(const AnalyserSettings& settings, const std::string& programDirectory);

// Reads what the file holds over the record, leaving bytes beyond a short
// file as they were. A missing file sets the defaults and writes them.
void loadSettings(AnalyserSettings& settings, const std::string& programDirectory);

} // namespace corv

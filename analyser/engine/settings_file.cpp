#include "analyser/engine/settings_file.h"

#include "platform/path.h"
#include "platform/record_file.h"

namespace corv {

AnalyserSettings defaultAnalyserSettings() {
    return AnalyserSettings{defaultConversionSettings(), defaultEncoderBlocks()};
}

bool saveSettings(const AnalyserSettings& settings, const std::string& programDirectory) {
    return writeRecordFile(joinPath(programDirectory, kAnalyserSettingsFileName), &settings,
                           sizeof settings);
}

void loadSettings(AnalyserSettings& settings, const std::string& programDirectory) {
    auto read = readRecordFile(joinPath(programDirectory, kAnalyserSettingsFileName), &settings,
                               sizeof settings);
    if (read) return;
    settings = defaultAnalyserSettings();
    saveSettings(settings, programDirectory);
}

} // namespace corv

// Both settings loaders on arbitrary file contents: nothing read past the
// records, every text field used only within its bounds, saves byte-exact.
#include "analyser/analysis/audio_codes.h"
#include "analyser/engine/settings_file.h"
#include "batcher/config/batcher_settings.h"
#include "platform/record_file.h"
#include "scratch_dir.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void checkAnalyser(const uint8_t* data, size_t size) {
    const std::string& dir = corv::fuzz::scratchDirectory();
    corv::writeRecordFile(dir + corv::kAnalyserSettingsFileName, data, size);
    corv::AnalyserSettings settings{};
    corv::loadSettings(settings, dir);
    size_t used = size < sizeof settings ? size : sizeof settings;
    if (std::memcmp(&settings, data, used) != 0) std::abort();
    volatile size_t length = corv::fieldText(settings.conversion.outputDirectory).size();
    (void)length;
    (void)corv::sampleTypeName(settings.conversion.targetSampleType);
    (void)corv::jobTypeInfo(settings.conversion.batcherOutputType);
}

void checkBatcher(const uint8_t* data, size_t size) {
    const std::string& dir = corv::fuzz::scratchDirectory();
    corv::writeRecordFile(dir + corv::kBatcherSettingsFileName, data, size);
    corv::BatcherSettings settings{};
    corv::UsableFlags usable{};
    corv::loadBatcherSettings(settings, usable, dir);
    for (int i = 0; i < corv::kProgramCount; ++i) {
        auto path = corv::fieldText(settings.programPath[i]);
        if (path.size() > corv::kPathFieldSize) std::abort();
        if (usable[i] && settings.disabled[i]) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkAnalyser(data, size);
    checkBatcher(data, size);
    return 0;
}

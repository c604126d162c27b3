#include "batcher/config/batcher_settings.h"

#include "platform/file_stream.h"
#include "platform/path.h"
#include "platform/record_file.h"

namespace corv {
namespace {

constexpr char kUnsetProgramPath[] = "C:\\";

bool namesReadableFile(const char (&path)[kPathFieldSize]) {
    return canOpenForReading(std::string(fieldText(path)));
}

} // namespace

BatcherSettings defaultBatcherSettings() {
    BatcherSettings s{};
    for (auto& path : s.programPath)
        setFieldText(path, kUnsetProgramPath);
    s.invertSonicSettings = 1;
    return s;
}

void resetMissingPaths(BatcherSettings& settings) {
    for (auto& path : settings.programPath)
        if (!namesReadableFile(path)) setFieldText(path, kUnsetProgramPath);
}

UsableFlags computeUsableFlags(const BatcherSettings& settings) {
    UsableFlags usable{};
    for (int i = 0; i < kProgramCount; ++i)
        usable[i] = settings.disabled[i] == 0 && namesReadableFile(settings.programPath[i]);
    return usable;
}

bool saveBatcherSettings(const BatcherSettings& settings, const std::string& programDirectory) {
    return writeRecordFile(joinPath(programDirectory, kBatcherSettingsFileName), &settings,
                           sizeof settings);
}

void loadBatcherSettings(BatcherSettings& settings, UsableFlags& usable,
                         const std::string& programDirectory) {
    auto read = readRecordFile(joinPath(programDirectory, kBatcherSettingsFileName), &settings,
                               sizeof settings);
    if (read) {
        resetMissingPaths(settings);
        usable = computeUsableFlags(settings);
    } else {
        settings = defaultBatcherSettings();
        usable = UsableFlags{};
    }
    saveBatcherSettings(settings, programDirectory);
}

} // namespace corv

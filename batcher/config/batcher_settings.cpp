#include "batcher/config/batcher_settings.h"

#include "platform/file_stream.h"
#include "platform/path.h"
#include "platform/record_file.h"

#include <algorithm>

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

int jobsAtOnceOf(const BatcherSettings& settings, int cores) {
    int wanted = settings.jobsAtOnce ? settings.jobsAtOnce : cores;
    return std::clamp(wanted, 1, kMostJobsAtOnce);
}

uint8_t storedJobsAtOnce(uint8_t stored, int chosen, int cores) {
    BatcherSettings zero{};
    if (stored == 0 && chosen == jobsAtOnceOf(zero, cores)) return 0;
    return static_cast<uint8_t>(std::clamp(chosen, 1, kMostJobsAtOnce));
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

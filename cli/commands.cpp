#include "cli/commands.h"

#include "analyser/analysis/chunk_tree.h"
#include "analyser/engine/conversion_run.h"
#include "analyser/engine/entry_analysis.h"
#include "analyser/engine/linked_entry_points.h"
#include "analyser/engine/settings_file.h"
#include "cli/file_list.h"
#include "cli/host.h"
#include "cli/reports.h"
#include "cli/stderr_observer.h"
#include "platform/record_file.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <optional>

namespace corv::cli {

namespace {

std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void onInterrupt(int) {
    stopRequested.store(true);
    std::signal(SIGINT, SIG_DFL); // a second Ctrl+C ends the program at once
}

void complain(const std::string& file, const std::string& reason) {
    std::cerr << "corvandale-cli: " << file << ": " << reason << '\n';
}

// The defaults, with what the settings file holds read over them.
std::optional<AnalyserSettings> loadSettingsFile(const std::string& path) {
    AnalyserSettings settings = defaultAnalyserSettings();
    if (!path.empty() && !readRecordFile(path, &settings, sizeof settings)) {
        complain(path, "cannot open the settings file");
        return std::nullopt;
    }
    return settings;
}

} // namespace

int runInfo(const CommandLine& line) {
    auto settings = loadSettingsFile(line.settingsPath);
    if (!settings) return kExitUsage;
    FileList files = buildFileList(line.files, settings->conversion, std::cerr);
    const auto entries = files.entries();
    if (line.json)
        std::cout << jsonText(infoJson(entries)) << '\n';
    else
        printInfoTable(entries, std::cout);
    return files.skippedAny ? kExitFailure : kExitSuccess;
}

int runTree(const CommandLine& line) {
    auto settings = loadSettingsFile(line.settingsPath);
    if (!settings) return kExitUsage;
    const std::string& path = line.files.front();
    const int64_t fileSize = measureFileSize(path);
    if (fileSize < 0) {
        complain(path, "cannot be opened");
        return kExitFailure;
    }
    const auto roots =
        buildChunkTree(path, fileSize, analysisOptionsOf(settings->conversion).headerSizes);
    if (roots.empty()) {
        complain(path, "not a RIFF file");
        return kExitFailure;
    }
    for (const std::string& text : treeLines(roots))
        std::cout << text << '\n';
    return kExitSuccess;
}

int runConvert(const CommandLine& line) {
    auto settings = loadSettingsFile(line.settingsPath);
    if (!settings) return kExitUsage;
    applyConvertFlags(line.flags, settings->conversion);

    ChannelMapList maps;
    if (!line.mapsPath.empty() && !readMapsFile(maps, line.mapsPath)) {
        complain(line.mapsPath, "cannot open the channel map file");
        return kExitUsage;
    }

    FileList files = buildFileList(line.files, settings->conversion, std::cerr);
    const auto entries = files.entries();
    StderrObserver observer(stderr, stderrIsTerminal());
    const ConversionSetup setup{settings->conversion, settings->encoders, maps,
                                linkedSsrcEntryPoints(),
                                line.flags.rf64 ? LargeSizes::Rf64 : LargeSizes::Zero};
    if (!prepareConversion(entries, setup, observer)) return kExitFailure;

    // Started with Ctrl+C ignored (in the background of a script): keep it so.
    const auto previous = std::signal(SIGINT, onInterrupt);
    if (previous == SIG_IGN) std::signal(SIGINT, SIG_IGN);
    const RunOutcome outcome = runConversion(entries, setup, observer, stopRequested);
    std::signal(SIGINT, previous == SIG_IGN ? SIG_IGN : SIG_DFL);
    observer.endProgress();
    if (outcome.stopped)
        std::cerr << "corvandale-cli: stopped; the interrupted entry's outputs were removed\n";

    if (line.json)
        std::cout << jsonText(convertJson(entries, outcome)) << '\n';
    else
        printConvertLines(entries, outcome, std::cout);

    bool allProcessed = !files.skippedAny;
    for (const AudioFileRecord* record : entries)
        allProcessed = allProcessed && record->result == ConversionResult::Processed;
    return allProcessed ? kExitSuccess : kExitFailure;
}

} // namespace corv::cli

#pragma once
// Runs the conversion engine on real files the way the programs do: a list of
// records, the settings, the maps, the linked resampler, an observer that
// records what the run reports and can press "Stop".
#include "analyser/engine/conversion_run.h"
#include "analyser/engine/settings_file.h"
#include "protocol/job_types.h"
#include "recording_notifier.h"
#include "wav_builder.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corv::test {

class RecordingObserver : public ConversionObserver {
  public:
    void warn(std::string_view text, std::string_view title) override {
        notifier.warn(text, title);
    }
    void inform(std::string_view text, std::string_view title) override {
        notifier.inform(text, title);
    }
    void caption(std::string_view text) override { captions.emplace_back(text); }
    void currentFile(std::string_view name) override { currentEntry = std::string(name); }
    void filesFinished(int done, int) override { entry = done; }
    void progress(int percent) override {
        if (onProgress) onProgress(entry, percent);
    }
    void sendJob(const FinishedJob& job) override { jobs.push_back(job); }

    RecordingNotifier notifier;
    std::vector<std::string> captions;
    std::vector<FinishedJob> jobs;
    std::string currentEntry;
    int entry = -1;
    std::function<void(int entry, int percent)> onProgress;
};

struct Conversion {
    AnalyserSettings settings = defaultAnalyserSettings();
    ChannelMapList maps;
    std::vector<std::unique_ptr<AudioFileRecord>> records;
    RecordingObserver observer;
    std::atomic<bool> stop{false};
    const SsrcEntryPoints* ssrc = nullptr; // the linked library when not set
    bool generalChainOnly = false;
    RunOutcome outcome;

    // The settings tests change most, by name.
    void convertTo(SampleType type) {
        settings.conversion.convertSampleType = 1;
        settings.conversion.targetSampleType = static_cast<int32_t>(type);
    }
    void resampleTo(int32_t rate) {
        settings.conversion.convertSampleRate = 1;
        settings.conversion.targetSampleRate = rate;
    }
    // Stitched or merged into one output.
    void combine(bool merge) {
        settings.conversion.streamManipulation = 1;
        settings.conversion.stitchFiles = !merge;
        settings.conversion.mergeFiles = merge;
    }
    void sendJobsTo(JobType type) {
        settings.conversion.sendJobsToBatcher = 1;
        settings.conversion.batcherOutputType = static_cast<int32_t>(type);
    }

    // Adds, analyses, checks and converts; false when the checks refused.
    bool run(const std::vector<std::string>& paths);
    AudioFileRecord& record(size_t i) { return *records.at(i); }
    const std::vector<std::string>& outputs(size_t i) const {
        return outcome.entries.at(i).outputs;
    }
};

// A canonical PCM file of 16-bit samples, interleaved.
std::string writeWave16(const std::string& path, uint16_t channels, uint32_t rate,
                        const std::vector<int16_t>& samples, uint32_t mask = 0);
// The same for 32-bit IEEE float samples.
std::string writeWaveFloat(const std::string& path, uint16_t channels, uint32_t rate,
                           const std::vector<float>& samples);

// The samples of a written file, widened: integers as their stored values
// (8-bit ones unsigned), IEEE floats as their values.
struct ReadWave {
    AudioFileRecord record;
    std::vector<double> samples;
};
ReadWave readWave(const std::string& path);

} // namespace corv::test

#include "analyser/engine/conversion_run.h"

#include "analyser/analysis/wave_reader.h"
#include "analyser/engine/conversion_pass.h"
#include "analyser/engine/level_control.h"
#include "analyser/engine/list_checks.h"
#include "analyser/engine/output_naming.h"
#include "platform/file_stream.h"
#include "platform/text_format.h"
#include "protocol/fixed_text.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

namespace corv {
namespace {

constexpr size_t kShownNameLength = 50;

MappedChannels mappedChannelsOf(const ConversionSetup& setup) {
    return [&setup](uint32_t channels) -> std::optional<uint32_t> {
        if (!setup.settings.channelMappingEnabled) return std::nullopt;
        const ChannelMap* map = setup.maps.activeMapFor(channels);
        if (!map) return std::nullopt;
        return static_cast<uint32_t>(map->outChannels);
    };
}

// The channels of a merged output: every entry's, side by side.
uint32_t mergedChannels(const std::vector<AudioFileRecord*>& list, const ConversionSetup& setup) {
    if (decideRunMode(setup.settings) != RunMode::Merge) return 0;
    return static_cast<uint32_t>(std::min<uint64_t>(
        mergedChannelTotal(list, setup.settings, mappedChannelsOf(setup)), kMaxMergedChannels));
}

std::string nameOf(const AudioFileRecord& record) {
    return std::string(fieldText(record.name));
}

// The temporary sample files of a run; whatever is left is removed when the
// run ends, stopped or not.
class TemporaryFiles {
  public:
    explicit TemporaryFiles(size_t count) : files_(count) {}
    ~TemporaryFiles() {
        for (size_t i = 0; i < files_.size(); ++i)
            remove(i, nullptr);
    }

    FileStream* create(size_t index, AudioFileRecord& record, const ConversionSettings& settings,
                       Notifier& notifier) {
        std::string error;
        std::string path = planTemporaryPath(record, settings, takenOnDisk, error);
        auto file = std::make_unique<FileStream>();
        if (path.empty() || !setFieldText(record.tempPath, path) ||
            !file->open(path, FileStream::Mode::CreateReadWrite)) {
            notifier.warn(error.empty() ? formatText("Could not create the temporary file \"%s\".",
                                                     path.c_str())
                                        : error);
            record.tempPath[0] = '\0';
            return nullptr;
        }
        files_[index] = {std::move(file), &record};
        record.tempFile = files_[index].file.get();
        return record.tempFile;
    }

    FileStream* get(size_t index) const { return files_[index].file.get(); }

    void remove(size_t index, AudioFileRecord* record) {
        Entry& entry = files_[index];
        if (!entry.file) return;
        entry.file->close();
        AudioFileRecord& owner = record ? *record : *entry.record;
        removeFile(std::string(fieldText(owner.tempPath)));
        owner.tempFile = nullptr;
        owner.tempPath[0] = '\0';
        entry.file.reset();
    }

  private:
    struct Entry {
        std::unique_ptr<FileStream> file;
        AudioFileRecord* record = nullptr;
    };
    std::vector<Entry> files_;
};

class Run {
  public:
    Run(const std::vector<AudioFileRecord*>& list, const ConversionSetup& setup,
        ConversionObserver& observer, const std::atomic<bool>& stop)
        : list_(list), settings_(setup.settings), observer_(observer),
          stop_(stop), context_{setup, observer, stop}, temps_(list.size()),
          sink_(makeOutputSink(decideRunMode(setup.settings), setup.settings, setup.largeSizes,
                               observer, mergedChannels(list, setup))) {}

    RunOutcome run();

  private:
    bool stopped() const { return stop_.load(std::memory_order_relaxed); }
    void showEntry(size_t index);
    void searchListPeak();
    void convertEntry(size_t index);
    void finishEntry(size_t index, const PassOutcome& pass);
    void deliver(const std::optional<CommittedOutput>& committed);

    const std::vector<AudioFileRecord*>& list_;
    const ConversionSettings& settings_;
    ConversionObserver& observer_;
    const std::atomic<bool>& stop_;
    RunContext context_;
    TemporaryFiles temps_;
    std::unique_ptr<OutputSink> sink_;
    RunOutcome outcome_;
    double listPeak_ = -1.0;
    std::vector<bool> failedEarly_; // the list's peak search already failed the entry
};

void Run::showEntry(size_t index) {
    observer_.filesFinished(static_cast<int>(index), static_cast<int>(list_.size()));
    std::string name = nameOf(*list_[index]);
    observer_.currentFile(name.substr(0, kShownNameLength));
}

void Run::searchListPeak() {
    observer_.caption(kCaptionListPeak);
    for (size_t i = 0; i < list_.size() && !stopped(); ++i) {
        AudioFileRecord& record = *list_[i];
        record.peak = -1.0;
        showEntry(i);
        PassRequest request;
        if (usesTemporaryFile(settings_)) {
            request.writeTemp = temps_.create(i, record, settings_, observer_);
            if (!request.writeTemp) {
                record.result = ConversionResult::Failed;
                failedEarly_[i] = true;
                observer_.entryUpdated(i);
                continue;
            }
        }
        runPass(context_, record, request);
        if (record.result == ConversionResult::Failed) {
            failedEarly_[i] = true;
            temps_.remove(i, &record);
        }
        listPeak_ = std::max(listPeak_, record.peak);
        observer_.entryUpdated(i);
    }
}

void Run::convertEntry(size_t index) {
    AudioFileRecord& record = *list_[index];
    record.peak = -1.0;
    showEntry(index);
    const bool writable = sink_->beginEntry(index, record);
    if (failedEarly_[index] || !writable) {
        record.result = ConversionResult::Failed;
        return;
    }

    const bool withTemp = usesTemporaryFile(settings_);
    double filePeak = -1.0;
    if (searchesFilePeak(settings_)) {
        observer_.caption(kCaptionFilePeak);
        PassRequest request;
        if (withTemp) {
            request.writeTemp = temps_.create(index, record, settings_, observer_);
            if (!request.writeTemp) {
                record.result = ConversionResult::Failed;
                return;
            }
        }
        runPass(context_, record, request);
        if (record.result != ConversionResult::Processed) return;
        filePeak = record.peak;
    }

    PassRequest request;
    request.output = sink_.get();
    request.gain = conversionGain(settings_, filePeak, listPeak_);
    if (withTemp) request.readTemp = temps_.get(index);
    if (withTemp && !request.readTemp) {
        record.result = ConversionResult::Failed;
        return;
    }
    observer_.caption(kCaptionConverting);
    PassOutcome pass = runPass(context_, record, request);

    if (convertsAgainOnClipping(settings_) && record.result == ConversionResult::Processed &&
        record.peak > 1.0) {
        // The clipped output goes; the next pass writes it again.
        sink_->discardPass();
        observer_.caption(kCaptionExtraPass);
        request.gain = gainAfterClipping(settings_, record.peak);
        request.again = true;
        pass = runPass(context_, record, request);
    }
    finishEntry(index, pass);
}

void Run::finishEntry(size_t index, const PassOutcome& pass) {
    if (list_[index]->result == ConversionResult::Processed)
        deliver(sink_->commitEntry(pass.framesWritten));
    else
        sink_->abortEntry();
}

void Run::deliver(const std::optional<CommittedOutput>& committed) {
    if (!committed) return;
    for (size_t index : committed->entries)
        outcome_.entries[index].outputs = committed->job.outputPaths;
    if (settings_.sendJobsToBatcher) observer_.sendJob(committed->job);
}

RunOutcome Run::run() {
    outcome_.entries.resize(list_.size());
    failedEarly_.assign(list_.size(), false);
    for (size_t i = 0; i < list_.size(); ++i) {
        list_[i]->peak = -1.0;
        list_[i]->result = ConversionResult::NotConverted;
    }
    if (searchesListPeak(settings_)) searchListPeak();
    size_t reached = 0;
    for (size_t i = 0; i < list_.size() && !stopped(); ++i, ++reached) {
        convertEntry(i);
        temps_.remove(i, list_[i]);
        outcome_.runPeak = std::max(outcome_.runPeak, list_[i]->peak);
        observer_.entryUpdated(i);
    }
    outcome_.stopped = stopped();
    if (outcome_.stopped)
        sink_->abortRun();
    else
        deliver(sink_->commitRun());
    for (size_t i = 0; i < list_.size(); ++i) {
        temps_.remove(i, list_[i]);
        // A peak search alone converts nothing: entries the run never reached
        // are not "done" even when their search went well.
        if (i >= reached && !failedEarly_[i]) list_[i]->result = ConversionResult::NotConverted;
        observer_.entryUpdated(i);
    }
    if (!outcome_.stopped && outcome_.runPeak > 1.0) observer_.warn(kClippingMessage);
    return std::move(outcome_);
}

} // namespace

bool prepareConversion(const std::vector<AudioFileRecord*>& list, const ConversionSetup& setup,
                       Notifier& notifier) {
    if (list.empty()) {
        notifier.inform(kChooseFilesMessage);
        return false;
    }
    for (AudioFileRecord* record : list)
        analyseFile(*record, setup.settings);
    return checkList(list, setup.settings, setup.encoders, mappedChannelsOf(setup), notifier);
}

RunOutcome runConversion(const std::vector<AudioFileRecord*>& list, const ConversionSetup& setup,
                         ConversionObserver& observer, const std::atomic<bool>& stop) {
    return Run(list, setup, observer, stop).run();
}

} // namespace corv

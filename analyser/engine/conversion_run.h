#pragma once
// A conversion run over the file list: synchronous, knows no threads or
// windows. The GUI runs it on a worker thread, the CLI and the tests on their
// own; all of them hear from it through ConversionObserver.
#include "analyser/analysis/audio_file_record.h"
#include "analyser/encoder_settings/encoder_blocks.h"
#include "analyser/engine/channel_maps.h"
#include "analyser/engine/conversion_settings.h"
#include "analyser/engine/entry_analysis.h"
#include "analyser/engine/output_writer.h"
#include "platform/notifier.h"
#include "ssrc/ssrcdll.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corv {

inline constexpr std::string_view kChooseFilesMessage = "Choose some files first.";
inline constexpr std::string_view kCaptionListPeak = "Searching for peak from all files";
inline constexpr std::string_view kCaptionFilePeak = "Searching for peak of current file";
inline constexpr std::string_view kCaptionConverting = "Converting file";
inline constexpr std::string_view kCaptionExtraPass = "Clipping detected, doing extra pass.";
inline constexpr std::string_view kClippingMessage =
    "Clipping detected on at least one file. Look at the \"peak conv\" column to see which "
    "file(s) clipped. A value > 1.00 means that clipping has occured.";

// The finished outputs of one source, as they go to the batcher as one job.
struct FinishedJob {
    const AudioFileRecord* record = nullptr;
    SampleType sampleType{};
    uint32_t sampleRate = 0;
    uint32_t channels = 0; // merged total when merging
    uint64_t frames = 0;   // stitched or merged total when combining
    double peak = -1.0;
    int32_t batcherOutputType = 0;
    std::vector<std::string> outputPaths;
};

class ConversionObserver : public Notifier {
  public:
    virtual void caption(std::string_view text) = 0;     // what the pass does
    virtual void currentFile(std::string_view name) = 0; // first 50 characters of the name
    virtual void filesFinished(int done, int total) = 0; // shown as "%i/%i"
    virtual void progress(int percent) = 0;              // 0..100, called once per block
    // The entry's result and peak changed (the list shows them).
    virtual void entryUpdated(size_t /*index*/) {}
    // Complete outputs, only with sendJobsToBatcher and when not stopped.
    virtual void sendJob(const FinishedJob& /*job*/) {}
};

struct ConversionSetup {
    const ConversionSettings& settings;
    const EncoderBlocks& encoders;
    const ChannelMapList& maps;
    const SsrcEntryPoints& ssrc;
    // Not in the settings record: the CLI's --rf64 asks for RF64 outputs,
    // Corvandale's own runs keep the plain RIFF header.
    LargeSizes largeSizes = LargeSizes::Zero;
    // Every block through the general chain, none through a direct
    // conversion: what the tests compare the direct ones with. The programs
    // never set it.
    bool generalChainOnly = false;
};

// What one entry left on disk (empty when it failed or was stopped).
struct EntryOutcome {
    std::vector<std::string> outputs;
};

struct RunOutcome {
    bool stopped = false;
    double runPeak = -1.0;             // largest peak of the run
    std::vector<EntryOutcome> entries; // one per list entry, in list order
};

// The start of a run: analyses every entry again and runs the checks. False
// (after telling the user why) when the run must not start.
bool prepareConversion(const std::vector<AudioFileRecord*>& list, const ConversionSetup& setup,
                       Notifier& notifier);

// Converts the entries in list order; each record's result (1, 2, 3) and
// peak tell how it went. stop is read between blocks and entries.
RunOutcome runConversion(const std::vector<AudioFileRecord*>& list, const ConversionSetup& setup,
                         ConversionObserver& observer, const std::atomic<bool>& stop);

} // namespace corv

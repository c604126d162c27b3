#pragma once
// A run's outputs, with one owner. The run makes one sink for its mode and
// tells it where the run is (begin an entry, commit or abort it, commit or
// abort the run); a conversion pass opens it for its entry and hands it
// blocks. One kind per mode:
//   plain         one output per entry;
//   mono streams  one file per output channel of each entry;
//   stitched      every entry appended into the output its first entry opens;
//   merged        the entries' channels side by side in one output, each entry
//                 read, changed and written back in place.
// A shared (stitched or merged) output that could not be written whole fails
// every entry in it. Whatever is not committed is removed.
#include "analyser/analysis/audio_file_record.h"
#include "analyser/engine/conversion_run.h"
#include "analyser/engine/conversion_settings.h"
#include "analyser/engine/output_writer.h"
#include "analyser/engine/run_mode.h"
#include "analyser/engine/sample_types.h"
#include "platform/notifier.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corv {

// The message for an output file that could not be written whole.
std::string outputWriteFailedMessage(const std::string& path);

// Outputs complete on disk: the entries they hold and the job that describes
// them (its outputPaths are the files).
struct CommittedOutput {
    std::vector<size_t> entries;
    FinishedJob job;
};

class OutputSink {
  public:
    virtual ~OutputSink() = default;

    // The run turns to this entry. False when the entry cannot be written any
    // more (the shared output is already lost).
    virtual bool beginEntry(size_t index, AudioFileRecord& record) = 0;
    // A conversion pass of the current entry starts: creates its outputs (the
    // shared one only once) and places the writing where this pass's frames
    // go. sourceMask: the speaker mask the outputs may carry (0 when a
    // channel map applies). again: the pass after a clipped one, over the same
    // frames. False after telling the user why.
    virtual bool open(const OutputType& out, uint32_t sourceMask, bool again) = 0;
    // One interleaved block of the pass's output type. False after telling
    // the user.
    virtual bool write(const uint8_t* samples, size_t frames) = 0;
    // The same block straight from the source's position, for a pass that
    // writes stored samples as they lie, where the kernel can copy them: all
    // of it, or nothing (false, both positions unchanged: write it then).
    virtual bool copyFrom(FileStream& /*source*/, size_t /*bytes*/) { return false; }
    // The pass clipped and is done again: what it wrote must not stay.
    virtual void discardPass() = 0;
    // The entry converted (frames: what its last pass wrote). Returns the
    // outputs that are complete now; a failure to complete them fails the
    // entry after telling the user.
    virtual std::optional<CommittedOutput> commitEntry(uint64_t frames) = 0;
    // The entry failed or was stopped: its own outputs go, and a shared
    // output that misses a failed entry is lost.
    virtual void abortEntry() = 0;
    // The run ended normally: the shared output is completed, or removed
    // with its entries failed.
    virtual std::optional<CommittedOutput> commitRun() = 0;
    // The run was stopped: nothing left open stays.
    virtual void abortRun() = 0;
};

// mergedChannels: the channels of a merged output (the list's merged total).
std::unique_ptr<OutputSink> makeOutputSink(RunMode mode, const ConversionSettings& settings,
                                           LargeSizes largeSizes, Notifier& notifier,
                                           uint32_t mergedChannels);

} // namespace corv

#pragma once
// Where the blocks of a conversion pass go: one stream, one stream per
// channel (mono streams), or the output several entries share (stitching
// appends behind the previous entry, merging places each entry's channels
// side by side).
#include "analyser/engine/output_naming.h"
#include "analyser/engine/output_writer.h"
#include "analyser/engine/run_mode.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corv {

// Creates every planned stream and writes its header. On failure the streams
// created so far are removed and error names the file.
bool openStreams(std::vector<OutputStream>& streams, const std::vector<PlannedStream>& plan,
                 FileFormat format, const StreamDescription& description, std::string& error);

// The output of a stitching or merging run, opened by its first entry.
struct CombinedOutput {
    std::vector<OutputStream> streams; // one, once opened
    uint64_t totalFrames = 0;          // frames of the combined output so far
    uint32_t channels = 0;             // of the output: the merged total when merging
    uint32_t channelOffset = 0;        // where the current entry's channels start (merging)
    int64_t entryStart = 0; // file position of the current entry's first frame (stitching)
    bool failed = false;    // lost: later entries cannot be written either

    bool isOpen() const { return !streams.empty(); }
};

// One pass's writer. Frames are interleaved blocks in the pass's output type
// with `channels` channels; write fails when a file could not be written.
class BlockWriter {
  public:
    BlockWriter(RunMode mode, uint32_t channels, uint32_t bytesPerSample, uint8_t silenceByte,
                std::vector<OutputStream>& entryStreams, CombinedOutput& combined);

    bool write(const uint8_t* samples, size_t frames);
    // The path of the stream that failed, for the message.
    const std::string& failedPath() const { return failedPath_; }

  private:
    bool writeMono(const uint8_t* samples, size_t frames);
    bool writeMerged(const uint8_t* samples, size_t frames);
    bool fail(const OutputStream& stream);

    RunMode mode_;
    uint32_t channels_;
    uint32_t bytesPerSample_;
    uint8_t silenceByte_;
    std::vector<OutputStream>& entryStreams_;
    CombinedOutput& combined_;
    uint64_t framesWritten_ = 0; // by this pass, for the merge position
    std::vector<uint8_t> scratch_;
    std::string failedPath_;
};

} // namespace corv

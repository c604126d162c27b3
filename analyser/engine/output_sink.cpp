#include "analyser/engine/output_sink.h"

#include "analyser/engine/output_naming.h"
#include "analyser/engine/output_writer.h"
#include "platform/text_format.h"
#include "protocol/fixed_text.h"

#include <cstring>

namespace corv {

std::string outputWriteFailedMessage(const std::string& path) {
    return formatText("Could not write the output file \"%s\". The disk may be full.",
                      path.c_str());
}

namespace {

// Creates every planned stream and writes its header. On failure the streams
// created so far are removed and error names the file.
bool openStreams(std::vector<OutputStream>& streams, const std::vector<PlannedStream>& plan,
                 FileFormat format, LargeSizes largeSizes, const StreamDescription& description,
                 std::string& error) {
    streams.clear();
    streams.reserve(plan.size());
    for (const auto& planned : plan) {
        OutputStream& stream = streams.emplace_back();
        StreamDescription own = description;
        own.channelMask = planned.channelMask;
        if (!openOutputStream(stream, planned.path, format, largeSizes)) {
            error = formatText("Could not create the output file \"%s\".", planned.path.c_str());
        } else if (!writeHeader(stream, own)) {
            error = outputWriteFailedMessage(planned.path);
        } else {
            continue;
        }
        finishStreams(streams, 0, true);
        streams.clear();
        return false;
    }
    return true;
}

std::vector<std::string> pathsOf(const std::vector<OutputStream>& streams) {
    std::vector<std::string> paths;
    for (const auto& stream : streams)
        paths.push_back(stream.path);
    return paths;
}

// What every kind shares: the entry being written, the pass's output type,
// the user's messages and the job of complete outputs.
class SinkBase : public OutputSink {
  public:
    SinkBase(RunMode mode, const ConversionSettings& settings, LargeSizes largeSizes,
             Notifier& notifier)
        : mode_(mode), settings_(settings), largeSizes_(largeSizes), notifier_(notifier) {}

  protected:
    bool fail(const std::string& message) {
        if (!message.empty()) notifier_.warn(message);
        return false;
    }
    NamingResult planNames(uint32_t streams, uint32_t mask) const {
        return planOutputNames(*record_, settings_, mode_, streams, mask, takenOnDisk);
    }
    CommittedOutput committed(std::vector<size_t> entries, const AudioFileRecord& record,
                              const OutputType& out, uint32_t channels, uint64_t frames,
                              std::vector<std::string> paths) const {
        FinishedJob job;
        job.record = &record;
        job.sampleType = out.sampleType;
        job.sampleRate = out.sampleRate;
        job.channels = channels;
        job.frames = frames;
        job.peak = record.peak;
        job.batcherOutputType = settings_.batcherOutputType;
        job.outputPaths = std::move(paths);
        return {std::move(entries), std::move(job)};
    }

    const RunMode mode_;
    const ConversionSettings& settings_;
    const LargeSizes largeSizes_;
    Notifier& notifier_;
    size_t index_ = 0;
    AudioFileRecord* record_ = nullptr;
    OutputType out_; // of the current pass
};

// Plain and mono streams: every entry has outputs of its own.
class EntryOutputs final : public SinkBase {
  public:
    using SinkBase::SinkBase;

    bool beginEntry(size_t index, AudioFileRecord& record) override {
        index_ = index;
        record_ = &record;
        streams_.clear();
        return true;
    }

    bool open(const OutputType& out, uint32_t sourceMask, bool) override {
        out_ = out;
        const uint32_t count = mono() ? out.channels : 1;
        NamingResult names = planNames(count, sourceMask);
        if (names.streams.empty()) return fail(names.error);
        std::string error;
        const StreamDescription description =
            describeStream(out, mono() ? 1 : out.channels, sourceMask);
        if (!openStreams(streams_, names.streams, out.format, largeSizes_, description, error))
            return fail(error);
        return true;
    }

    bool write(const uint8_t* samples, size_t frames) override {
        const size_t sampleBytes = out_.bytesPerSample;
        if (!mono()) {
            OutputStream& stream = streams_.front();
            return appendSamples(stream, samples, frames * out_.channels * sampleBytes) ||
                   fail(outputWriteFailedMessage(stream.path));
        }
        // Sample s of every frame goes to stream s.
        const size_t frameBytes = size_t{out_.channels} * sampleBytes;
        scratch_.resize(frames * sampleBytes);
        for (size_t s = 0; s < streams_.size(); ++s) {
            const uint8_t* from = samples + s * sampleBytes;
            uint8_t* to = scratch_.data();
            for (size_t f = 0; f < frames; ++f, from += frameBytes, to += sampleBytes)
                std::memcpy(to, from, sampleBytes);
            if (!appendSamples(streams_[s], scratch_.data(), scratch_.size()))
                return fail(outputWriteFailedMessage(streams_[s].path));
        }
        return true;
    }

    bool copyFrom(FileStream& source, size_t bytes) override {
        return !mono() && !streams_.front().failed && streams_.front().file.copyFrom(source, bytes);
    }

    // The next pass creates them again, under the same names.
    void discardPass() override { abortEntry(); }

    std::optional<CommittedOutput> commitEntry(uint64_t frames) override {
        if (streams_.empty()) return std::nullopt;
        if (!finishStreams(streams_, frames * (mono() ? 1 : out_.channels), false)) {
            fail(outputWriteFailedMessage(streams_.front().path));
            record_->result = ConversionResult::Failed;
            return std::nullopt;
        }
        return committed({index_}, *record_, out_, out_.channels, frames, pathsOf(streams_));
    }

    void abortEntry() override {
        if (!streams_.empty()) finishStreams(streams_, 0, true);
        streams_.clear();
    }

    std::optional<CommittedOutput> commitRun() override { return std::nullopt; }
    void abortRun() override {}

  private:
    bool mono() const { return mode_ == RunMode::MonoStreams; }

    std::vector<OutputStream> streams_;
    std::vector<uint8_t> scratch_;
};

// Stitching and merging: one output, opened by the first entry, that every
// entry writes into.
class SharedOutput final : public SinkBase {
  public:
    SharedOutput(RunMode mode, const ConversionSettings& settings, LargeSizes largeSizes,
                 Notifier& notifier, uint32_t mergedChannels)
        : SinkBase(mode, settings, largeSizes, notifier), mergedChannels_(mergedChannels) {}

    bool beginEntry(size_t index, AudioFileRecord& record) override {
        index_ = index;
        record_ = &record;
        return !failed_;
    }

    bool open(const OutputType& out, uint32_t, bool again) override {
        out_ = out;
        passFrames_ = 0;
        if (failed_) return false;
        if (streams_.empty() && !create(out)) return false;
        OutputStream& stream = streams_.front();
        if (!merging()) {
            // A second pass of the same entry writes over the first one's frames.
            if (!again) {
                if (!stream.file.seekToEnd()) stream.failed = true;
                entryStart_ = stream.file.tell();
            }
            if (stream.failed || entryStart_ < 0 || !stream.file.seek(entryStart_))
                return lose(stream);
        }
        if (merging() && channelOffset_ + out.channels > channels_) {
            failed_ = true;
            return fail(
                formatText("Error on: \"%s\". The merged output has no room for its channels.",
                           std::string(fieldText(record_->name)).c_str()));
        }
        return true;
    }

    bool write(const uint8_t* samples, size_t frames) override {
        OutputStream& stream = streams_.front();
        const bool ok = merging() ? writeMerged(stream, samples, frames)
                                  : appendSamples(stream, samples,
                                                  frames * out_.channels * out_.bytesPerSample);
        if (!ok) return lose(stream);
        passFrames_ += frames;
        return true;
    }

    // The next pass goes back to this entry's frames.
    void discardPass() override {}

    std::optional<CommittedOutput> commitEntry(uint64_t frames) override {
        if (merging())
            channelOffset_ += out_.channels;
        else
            totalFrames_ += frames;
        contributors_.push_back({index_, record_});
        lastType_ = out_;
        return std::nullopt;
    }

    void abortEntry() override {
        // The shared output would miss this entry (or hold part of it).
        if (record_->result == ConversionResult::Failed && !streams_.empty()) failed_ = true;
    }

    std::optional<CommittedOutput> commitRun() override {
        if (streams_.empty()) return std::nullopt;
        const bool keep = !failed_ && !contributors_.empty();
        const std::string path = streams_.front().path;
        const bool ok = finishStreams(streams_, totalFrames_ * channels_, !keep);
        if (keep && !ok) fail(outputWriteFailedMessage(path));
        if (!keep || !ok) {
            // Never "done" for an output that is not on disk whole.
            for (const auto& entry : contributors_)
                entry.record->result = ConversionResult::Failed;
            return std::nullopt;
        }
        std::vector<size_t> entries;
        for (const auto& entry : contributors_)
            entries.push_back(entry.index);
        return committed(std::move(entries), *contributors_.back().record, lastType_, channels_,
                         totalFrames_, {path});
    }

    void abortRun() override {
        if (!streams_.empty()) finishStreams(streams_, totalFrames_ * channels_, true);
    }

  private:
    struct Contributor {
        size_t index;
        AudioFileRecord* record;
    };

    bool merging() const { return mode_ == RunMode::Merge; }

    bool create(const OutputType& out) {
        NamingResult names = planNames(1, 0);
        channels_ = merging() ? mergedChannels_ : out.channels;
        std::string error = names.error;
        if (names.streams.empty() || !openStreams(streams_, names.streams, out.format, largeSizes_,
                                                  describeStream(out, channels_, 0), error)) {
            failed_ = true;
            return fail(error);
        }
        return true;
    }

    // Later entries cannot be written either.
    bool lose(OutputStream& stream) {
        stream.failed = true;
        failed_ = true;
        return fail(outputWriteFailedMessage(stream.path));
    }

    // Read-modify-write of the frames this block covers; frames beyond the
    // output's end are first appended as silence in every channel, so shorter
    // entries leave silence in their channels.
    bool writeMerged(OutputStream& stream, const uint8_t* samples, size_t frames) {
        FileStream& file = stream.file;
        const size_t sampleBytes = out_.bytesPerSample;
        const size_t mergedFrameBytes = size_t{channels_} * sampleBytes;
        const size_t ownFrameBytes = size_t{out_.channels} * sampleBytes;
        const uint64_t end = passFrames_ + frames;
        if (stream.failed) return false;

        if (end > totalFrames_) {
            const uint64_t missing = end - totalFrames_;
            scratch_.assign(static_cast<size_t>(missing) * mergedFrameBytes,
                            silenceByteOf(out_.sampleType));
            if (!file.seekToEnd() ||
                file.write(scratch_.data(), scratch_.size()) != scratch_.size())
                return false;
            totalFrames_ = end;
        }
        const int64_t position =
            stream.dataStart + static_cast<int64_t>(passFrames_ * mergedFrameBytes);
        scratch_.resize(frames * mergedFrameBytes);
        if (!file.seek(position) || file.read(scratch_.data(), scratch_.size()) != scratch_.size())
            return false;
        const size_t offset = size_t{channelOffset_} * sampleBytes;
        for (size_t f = 0; f < frames; ++f)
            std::memcpy(scratch_.data() + f * mergedFrameBytes + offset,
                        samples + f * ownFrameBytes, ownFrameBytes);
        return file.seek(position) &&
               file.write(scratch_.data(), scratch_.size()) == scratch_.size() && file.flush();
    }

    const uint32_t mergedChannels_;
    std::vector<OutputStream> streams_; // one, once opened
    uint64_t totalFrames_ = 0;          // frames of the output so far
    uint32_t channels_ = 0;             // of the output: the merged total when merging
    uint32_t channelOffset_ = 0;        // where the current entry's channels start (merging)
    int64_t entryStart_ = 0;  // file position of the current entry's first frame (stitching)
    uint64_t passFrames_ = 0; // written by the current pass
    bool failed_ = false;     // lost: later entries cannot be written either
    std::vector<Contributor> contributors_;
    OutputType lastType_; // of the last entry in the output, for its job
    std::vector<uint8_t> scratch_;
};

} // namespace

std::unique_ptr<OutputSink> makeOutputSink(RunMode mode, const ConversionSettings& settings,
                                           LargeSizes largeSizes, Notifier& notifier,
                                           uint32_t mergedChannels) {
    if (combinesFiles(mode))
        return std::make_unique<SharedOutput>(mode, settings, largeSizes, notifier, mergedChannels);
    return std::make_unique<EntryOutputs>(mode, settings, largeSizes, notifier);
}

} // namespace corv

#include "analyser/engine/output_targets.h"

#include "platform/text_format.h"

#include <algorithm>
#include <cstring>

namespace corv {

bool openStreams(std::vector<OutputStream>& streams, const std::vector<PlannedStream>& plan,
                 FileFormat format, const StreamDescription& description, std::string& error) {
    streams.clear();
    streams.reserve(plan.size());
    for (const auto& planned : plan) {
        OutputStream& stream = streams.emplace_back();
        StreamDescription own = description;
        own.channelMask = planned.channelMask;
        if (!openOutputStream(stream, planned.path, format)) {
            error = formatText("Could not create the output file \"%s\".", planned.path.c_str());
        } else if (!writeHeader(stream, own)) {
            error = formatText("Could not write the output file \"%s\". The disk may be full.",
                               planned.path.c_str());
        } else {
            continue;
        }
        finishStreams(streams, 0, true);
        streams.clear();
        return false;
    }
    return true;
}

BlockWriter::BlockWriter(RunMode mode, uint32_t channels, uint32_t bytesPerSample,
                         uint8_t silenceByte, std::vector<OutputStream>& entryStreams,
                         CombinedOutput& combined)
    : mode_(mode), channels_(channels), bytesPerSample_(bytesPerSample), silenceByte_(silenceByte),
      entryStreams_(entryStreams), combined_(combined) {}

bool BlockWriter::fail(const OutputStream& stream) {
    failedPath_ = stream.path;
    return false;
}

bool BlockWriter::write(const uint8_t* samples, size_t frames) {
    bool ok = true;
    switch (mode_) {
    case RunMode::Plain: {
        OutputStream& stream = entryStreams_.front();
        ok = appendSamples(stream, samples, frames * channels_ * bytesPerSample_) || fail(stream);
        break;
    }
    case RunMode::MonoStreams:
        ok = writeMono(samples, frames);
        break;
    case RunMode::Stitch: {
        OutputStream& stream = combined_.streams.front();
        ok = appendSamples(stream, samples, frames * channels_ * bytesPerSample_) || fail(stream);
        break;
    }
    case RunMode::Merge:
        ok = writeMerged(samples, frames);
        break;
    }
    if (ok) framesWritten_ += frames;
    return ok;
}

bool BlockWriter::writeMono(const uint8_t* samples, size_t frames) {
    const size_t frameBytes = size_t{channels_} * bytesPerSample_;
    scratch_.resize(frames * bytesPerSample_);
    for (size_t s = 0; s < entryStreams_.size(); ++s) {
        const uint8_t* from = samples + s * bytesPerSample_;
        uint8_t* to = scratch_.data();
        for (size_t f = 0; f < frames; ++f, from += frameBytes, to += bytesPerSample_)
            std::memcpy(to, from, bytesPerSample_);
        if (!appendSamples(entryStreams_[s], scratch_.data(), scratch_.size()))
            return fail(entryStreams_[s]);
    }
    return true;
}

// Read-modify-write of the frames this block covers; frames beyond the
// combined output's end are first appended as silence in every channel, so
// shorter entries leave silence in their channels.
bool BlockWriter::writeMerged(const uint8_t* samples, size_t frames) {
    OutputStream& stream = combined_.streams.front();
    FileStream& file = stream.file;
    const size_t mergedFrameBytes = size_t{combined_.channels} * bytesPerSample_;
    const size_t ownFrameBytes = size_t{channels_} * bytesPerSample_;
    const uint64_t end = framesWritten_ + frames;
    if (stream.failed) return fail(stream);

    if (end > combined_.totalFrames) {
        const uint64_t missing = end - combined_.totalFrames;
        scratch_.assign(static_cast<size_t>(missing) * mergedFrameBytes, silenceByte_);
        if (!file.seekToEnd() || file.write(scratch_.data(), scratch_.size()) != scratch_.size()) {
            stream.failed = true;
            return fail(stream);
        }
        combined_.totalFrames = end;
    }
    const int64_t position =
        stream.dataStart + static_cast<int64_t>(framesWritten_ * mergedFrameBytes);
    scratch_.resize(frames * mergedFrameBytes);
    if (!file.seek(position) || file.read(scratch_.data(), scratch_.size()) != scratch_.size()) {
        stream.failed = true;
        return fail(stream);
    }
    const size_t offset = size_t{combined_.channelOffset} * bytesPerSample_;
    for (size_t f = 0; f < frames; ++f)
        std::memcpy(scratch_.data() + f * mergedFrameBytes + offset, samples + f * ownFrameBytes,
                    ownFrameBytes);
    if (!file.seek(position) || file.write(scratch_.data(), scratch_.size()) != scratch_.size() ||
        !file.flush()) {
        stream.failed = true;
        return fail(stream);
    }
    return true;
}

} // namespace corv

#include "analyser/engine/conversion_pass.h"

#include "analyser/engine/channel_mixing.h"
#include "analyser/engine/direct_conversion.h"
#include "analyser/engine/level_control.h"
#include "analyser/engine/output_naming.h"
#include "analyser/engine/resampler_bridge.h"
#include "analyser/engine/sample_codec.h"
#include "platform/file_stream.h"
#include "platform/text_format.h"
#include "protocol/fixed_text.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>

namespace corv {
namespace {

constexpr size_t kBlockFrames = 8192;
// Very wide files get shorter blocks so that one block stays a few dozen MB;
// the output does not depend on how the input is cut.
constexpr size_t kMaxBlockSamples = kBlockFrames * 1024;
// Blocks that neither the resampler nor the working buffer sees (copies and
// direct conversions) depend on no block size: long ones mean fewer reads
// and writes.
constexpr size_t kLargeBlockBytes = size_t{1} << 20;
// A dithered direct conversion takes this many samples at a time through
// working form, so that they stay in the cache.
constexpr size_t kDitheredChunkSamples = 4096;
constexpr uint32_t kMinResampleRate = 1000;
constexpr uint32_t kMaxResampleRate = 768000;

void scaleSamples(double* samples, size_t count, double gain) {
    for (size_t i = 0; i < count; ++i)
        samples[i] *= gain;
}

// The largest |sample|; NaNs do not count. Four running maxima keep the
// comparisons independent of each other.
double largestMagnitude(const double* samples, size_t count) {
    double m[4] = {-1.0, -1.0, -1.0, -1.0};
    size_t i = 0;
    for (; i + 4 <= count; i += 4)
        for (size_t k = 0; k < 4; ++k) {
            const double a = std::fabs(samples[i + k]);
            m[k] = a > m[k] ? a : m[k];
        }
    for (; i < count; ++i) {
        const double a = std::fabs(samples[i]);
        m[0] = a > m[0] ? a : m[0];
    }
    return std::max(std::max(m[0], m[1]), std::max(m[2], m[3]));
}

class Pass {
  public:
    Pass(const RunContext& context, AudioFileRecord& record, const PassRequest& request)
        : ctx_(context), settings_(context.setup.settings), record_(record), request_(request) {}

    PassOutcome run();

  private:
    bool setUp();
    bool checkSource();
    void chooseMap();
    bool chooseOutput();
    void planBlocks();
    void chooseDirect();
    void planDelayAndProgress();
    void startResamplerAndDither();
    void allocateBuffers();
    bool openOutput();
    void readSource();
    void readTemporaryFile();
    bool feedSilence(int64_t frames);
    bool processBlock(const uint8_t* raw, size_t frames, bool last);
    bool processWorking(double* samples, size_t frames);
    bool convertDirect(const uint8_t* samples, size_t frames);
    bool writeBlock(const uint8_t* samples, size_t frames);
    bool copyBlock(FileStream& source, size_t frames, size_t bytes);
    void reportProgress(size_t frames);
    bool stopped() const { return ctx_.stop.load(std::memory_order_relaxed); }
    bool fail(std::string message);
    bool failTemporaryWrite();
    bool failTemporaryRead();

    const RunContext& ctx_;
    const ConversionSettings& settings_;
    AudioFileRecord& record_;
    const PassRequest& request_;
    PassOutcome outcome_;
    OutputType out_;

    const ChannelMap* map_ = nullptr;
    bool working_ = false;
    size_t blockFrames_ = kBlockFrames;
    size_t outputBlockFrames_ = kBlockFrames; // the resampler may give longer blocks
    uint32_t chainChannels_ = 0;              // channels after moves: what toWorking sees
    int64_t delay_ = 0; // frames of leading silence (>0) or of source to drop (<0)
    bool keepLength_ = false;
    int64_t inputFed_ = 0; // input frames handed to the chain
    uint64_t progressCount_ = 0;
    uint64_t progressTotal_ = 1;
    int lastPercent_ = -1;
    bool failed_ = false;

    // Not zeroed: a raw copy that the kernel makes never touches its pages.
    std::unique_ptr<uint8_t[]> raw_;
    size_t rawBytes_ = 0;
    std::vector<uint8_t> moved_, output_;
    std::vector<double> working_buffer_, mixed_;
    std::optional<DirectConversion> direct_;
    std::vector<double> ditheredChunk_; // of a direct conversion
    std::unique_ptr<Resampler> resampler_;
    std::unique_ptr<Dither> dither_;
};

bool Pass::fail(std::string message) {
    if (!message.empty()) ctx_.observer.warn(message);
    failed_ = true;
    return false;
}

bool Pass::failTemporaryWrite() {
    return fail(formatText("Could not write the temporary file \"%s\". The disk may be full.",
                           std::string(fieldText(record_.tempPath)).c_str()));
}

bool Pass::failTemporaryRead() {
    return fail(formatText("Could not read the temporary file \"%s\".",
                           std::string(fieldText(record_.tempPath)).c_str()));
}

bool Pass::setUp() {
    if (!checkSource()) return false;
    chooseMap();
    if (!chooseOutput()) return false;
    planBlocks();
    planDelayAndProgress();
    startResamplerAndDither();
    allocateBuffers();
    return true;
}

bool Pass::checkSource() {
    if (record_.channels == 0 || record_.bytesPerSample == 0 ||
        bytesPerSampleOf(record_.sampleType) != record_.bytesPerSample)
        return fail(formatText("Error on: \"%s\". This file is not recognized by corvandale.",
                               std::string(fieldText(record_.name)).c_str()));
    return true;
}

// The active map for the entry's channel count, when mapping is on.
void Pass::chooseMap() {
    if (settings_.channelMappingEnabled) map_ = ctx_.setup.maps.activeMapFor(record_.channels);
    if (map_ && map_->inChannels != static_cast<int32_t>(record_.channels)) map_ = nullptr;
}

bool Pass::chooseOutput() {
    std::optional<uint32_t> mapped;
    if (map_) mapped = static_cast<uint32_t>(map_->outChannels);
    out_ = chooseOutputType(record_, settings_, ctx_.observer, mapped);
    // A damaged settings file named a type the engine does not know: it was
    // reported; writing empty outputs would only hide it.
    if (out_.bytesPerSample == 0 || out_.minimum == 0.0) return fail("");
    if (out_.sampleRateConverted &&
        (out_.sampleRate < kMinResampleRate || out_.sampleRate > kMaxResampleRate ||
         record_.sampleRate < kMinResampleRate || record_.sampleRate > kMaxResampleRate))
        return fail(formatText("Error on: \"%s\". The samplerate %u cannot be converted to %u.",
                               std::string(fieldText(record_.name)).c_str(), record_.sampleRate,
                               out_.sampleRate));
    return true;
}

// Whether blocks take the working form, the channels they have there, and
// how many frames a block holds.
void Pass::planBlocks() {
    working_ = needsWorkingForm(out_, settings_, map_ && map_->isMix());
    chainChannels_ = map_ && !map_->isMix() ? out_.channels : record_.channels;
    chooseDirect();
    const size_t widest = std::max<size_t>({record_.channels, out_.channels, 1});
    if (working_ && !direct_) {
        blockFrames_ = std::clamp<size_t>(kMaxBlockSamples / widest, 1, kBlockFrames);
    } else {
        const size_t frameBytes = widest * std::max(record_.bytesPerSample, out_.bytesPerSample);
        blockFrames_ = std::max<size_t>(kLargeBlockBytes / frameBytes, 1);
    }
    outputBlockFrames_ = blockFrames_;
}

// Blocks skip the block-sized working buffer when no step needs it: no
// mixing, no resampling, no temporary file.
void Pass::chooseDirect() {
    if (!working_ || ctx_.setup.generalChainOnly || (map_ && map_->isMix()) ||
        out_.sampleRateConverted || request_.writeTemp || request_.readTemp)
        return;
    DirectConversion direct(record_.sampleType, out_, request_.gain, request_.output != nullptr);
    if (direct.usable()) direct_ = direct;
}

// The delay written in the name, and the frames the progress counts up to.
void Pass::planDelayAndProgress() {
    if (request_.readTemp) return; // the temporary file holds the delayed samples
    delay_ = delayFrames(fieldText(record_.name), record_.sampleRate, settings_);
    keepLength_ = settings_.processDelay && settings_.maintainLength;
    const int64_t frames = record_.frameCount;
    const int64_t magnitude = delay_ < 0 ? -delay_ : delay_;
    int64_t total = frames;
    if (keepLength_)
        total = frames + magnitude;
    else if (delay_ > 0)
        total = frames + delay_;
    progressTotal_ = total < 1 ? 1 : static_cast<uint64_t>(total);
}

void Pass::startResamplerAndDither() {
    if (!working_) return;
    if (!request_.readTemp && out_.sampleRateConverted) {
        int blockSize = static_cast<int>(blockFrames_);
        resampler_ = std::make_unique<Resampler>(ctx_.setup.ssrc, out_.channels, record_.sampleRate,
                                                 out_.sampleRate, blockSize);
        outputBlockFrames_ = std::max<size_t>(static_cast<size_t>(blockSize), blockFrames_);
    }
    // Dither belongs to what is written: a peak pass measures (and keeps in
    // the temporary file) the samples the gain will act on.
    if (request_.output && out_.ditherApplied)
        dither_ = std::make_unique<Dither>(
            ctx_.setup.ssrc, out_.channels, out_.sampleRate, settings_.noiseShaping,
            settings_.pdfType,
            settings_.pdfAmplitude / ditherQuantum(static_cast<int32_t>(out_.sampleType)));
}

// Every buffer of the pass, once: blocks never allocate.
void Pass::allocateBuffers() {
    rawBytes_ = blockFrames_ * record_.channels * record_.bytesPerSample;
    raw_ = std::make_unique_for_overwrite<uint8_t[]>(rawBytes_);
    if (map_ && !map_->isMix())
        moved_.resize(blockFrames_ * out_.channels * record_.bytesPerSample);
    if (working_ && !direct_) {
        working_buffer_.resize(blockFrames_ * std::max(chainChannels_, out_.channels));
        if (map_ && map_->isMix()) mixed_.resize(blockFrames_ * out_.channels);
    }
    if (working_ && request_.output)
        output_.resize(outputBlockFrames_ * out_.channels * out_.bytesPerSample);
    if (direct_ && dither_)
        ditheredChunk_.resize(std::max<size_t>(kDitheredChunkSamples / out_.channels, 1) *
                              out_.channels);
}

bool Pass::openOutput() {
    // A channel map makes new channels: the source's speaker mask no longer fits.
    const uint32_t sourceMask = map_ ? 0 : record_.channelMask;
    return request_.output->open(out_, sourceMask, request_.again) || fail("");
}

void Pass::reportProgress(size_t frames) {
    progressCount_ += frames;
    int percent = static_cast<int>(static_cast<float>(progressCount_) * 100.0f /
                                   static_cast<float>(progressTotal_));
    percent = std::clamp(percent, 0, 100);
    if (percent != lastPercent_) {
        lastPercent_ = percent;
        ctx_.observer.progress(percent);
    }
}

bool Pass::writeBlock(const uint8_t* samples, size_t frames) {
    return request_.output->write(samples, frames) || fail("");
}

// A block of stored samples that goes out as it lies, copied by the kernel
// where it can, without passing through this process. False: not copied.
bool Pass::copyBlock(FileStream& source, size_t frames, size_t bytes) {
    if (bytes == 0 || !request_.output->copyFrom(source, bytes)) return false;
    reportProgress(frames);
    outcome_.framesWritten += frames;
    inputFed_ += static_cast<int64_t>(frames);
    return true;
}

// Gain, temporary file, dither, peak and output of a block in working form.
// Dither comes last before the output's rounding: the samples it puts on the
// output's grid reach it unchanged.
bool Pass::processWorking(double* samples, size_t frames) {
    const size_t count = frames * out_.channels;
    if (request_.gain != 1.0) scaleSamples(samples, count, request_.gain);
    if (request_.writeTemp) {
        const size_t bytes = count * sizeof(double);
        if (request_.writeTemp->write(samples, bytes) != bytes) return failTemporaryWrite();
    }
    double peak = largestMagnitude(samples, count);
    if (dither_ && frames > 0) {
        dither_->process(static_cast<int>(frames), samples);
        const double written = largestMagnitude(samples, count);
        peak = codec::ditheredPeak(peak, written);
    }
    record_.peak = std::max(record_.peak, peak);
    if (!request_.output) return true;
    const size_t needed = count * out_.bytesPerSample;
    if (output_.size() < needed) output_.resize(needed);
    fromWorking(samples, frames, out_, output_.data());
    return writeBlock(output_.data(), frames);
}

// A block straight from the input type into the output type; a dither acts
// on a chunk at a time between its reading and its writing.
bool Pass::convertDirect(const uint8_t* samples, size_t frames) {
    const size_t channels = out_.channels;
    uint8_t* out = request_.output ? output_.data() : nullptr;
    double peak = -1.0;
    if (!dither_) {
        peak = direct_->convert(samples, frames * channels, out);
    } else {
        const size_t inFrameBytes = channels * record_.bytesPerSample;
        const size_t outFrameBytes = channels * out_.bytesPerSample;
        const size_t step = ditheredChunk_.size() / channels;
        double* chunk = ditheredChunk_.data();
        for (size_t at = 0; at < frames; at += step) {
            const size_t n = std::min(step, frames - at);
            const double before = direct_->read(samples + at * inFrameBytes, n * channels, chunk);
            dither_->process(static_cast<int>(n), chunk);
            const double written = direct_->write(chunk, n * channels, out + at * outFrameBytes);
            peak = std::max(peak, codec::ditheredPeak(before, written));
        }
    }
    record_.peak = std::max(record_.peak, peak);
    if (out && !writeBlock(out, frames)) return false;
    outcome_.framesWritten += frames;
    return true;
}

bool Pass::processBlock(const uint8_t* raw, size_t frames, bool last) {
    reportProgress(frames);
    const uint8_t* samples = raw;
    if (map_ && !map_->isMix()) {
        moveChannels(*map_, raw, frames, record_.channels, record_.bytesPerSample,
                     silenceByteOf(record_.sampleType), moved_.data());
        samples = moved_.data();
    }
    if (!working_) {
        if (request_.output && !writeBlock(samples, frames)) return false;
        outcome_.framesWritten += frames;
        return true;
    }
    if (direct_) return convertDirect(samples, frames);
    double* block = working_buffer_.data();
    toWorking(samples, frames, chainChannels_, record_.sampleType, block);
    if (map_ && map_->isMix()) {
        mixChannels(*map_, block, frames, mixed_.data());
        block = mixed_.data();
    }
    size_t produced = frames;
    if (resampler_) {
        int outFrames = 0;
        block = resampler_->process(last, static_cast<int>(frames), block, outFrames);
        if (!block) return fail("The resampler gave no samples.");
        produced = static_cast<size_t>(outFrames);
    }
    if (!processWorking(block, produced)) return false;
    outcome_.framesWritten += produced;
    return true;
}

// Silence in the input's own format, in blocks no longer than a source block.
bool Pass::feedSilence(int64_t frames) {
    std::fill_n(raw_.get(), rawBytes_, silenceByteOf(record_.sampleType));
    while (frames > 0 && !stopped()) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(frames, int64_t(blockFrames_)));
        if (!processBlock(raw_.get(), n, false)) return false;
        inputFed_ += static_cast<int64_t>(n);
        frames -= static_cast<int64_t>(n);
    }
    return true;
}

void Pass::readSource() {
    FileStream source;
    if (!source.open(std::string(fieldText(record_.path)), FileStream::Mode::Read) ||
        !source.seek(record_.dataStart)) {
        fail(formatText("Could not open \"%s\" for reading.",
                        std::string(fieldText(record_.path)).c_str()));
        return;
    }
    const int64_t frameCount = std::max<int64_t>(record_.frameCount, 0);
    const size_t frameBytes = size_t{record_.channels} * record_.bytesPerSample;
    const uint8_t silence = silenceByteOf(record_.sampleType);

    // With "Maintain length" the delay is counted in input frames, before
    // resampling, and the input handed on never exceeds the source's length.
    if (delay_ > 0 && !feedSilence(keepLength_ ? std::min(delay_, frameCount) : delay_)) return;
    const bool asStored = request_.output && !working_ && !map_ && delay_ == 0;
    int64_t remaining = frameCount;
    bool lastRead = false;
    while (!failed_ && !lastRead && !stopped()) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(remaining, int64_t(blockFrames_)));
        lastRead = n < blockFrames_; // the remainder block, possibly empty
        const size_t bytes = n * frameBytes;
        remaining -= static_cast<int64_t>(n);
        if (asStored && copyBlock(source, n, bytes)) continue;
        const size_t got = source.read(raw_.get(), bytes);
        // A source shorter than its header says gives silence, not stale bytes.
        std::fill(raw_.get() + got, raw_.get() + bytes, silence);

        const uint8_t* block = raw_.get();
        size_t frames = n;
        if (delay_ < 0) {
            const size_t drop = static_cast<size_t>(std::min<int64_t>(-delay_, int64_t(frames)));
            block += drop * frameBytes;
            frames -= drop;
            delay_ += static_cast<int64_t>(drop);
        }
        if (keepLength_)
            frames =
                static_cast<size_t>(std::min<int64_t>(int64_t(frames), frameCount - inputFed_));
        if (!processBlock(block, frames, false)) return;
        inputFed_ += static_cast<int64_t>(frames);
    }
    if (failed_ || stopped()) return;
    if (keepLength_ && inputFed_ < frameCount && !feedSilence(frameCount - inputFed_)) return;
    if (stopped()) return;
    processBlock(raw_.get(), 0, true);
}

void Pass::readTemporaryFile() {
    FileStream& temp = *request_.readTemp;
    const size_t frameBytes = size_t{out_.channels} * sizeof(double);
    std::vector<double> block(blockFrames_ * out_.channels);
    if (!temp.seek(0)) {
        failTemporaryRead();
        return;
    }
    const int64_t length = temp.length();
    uint64_t remaining = length > 0 ? static_cast<uint64_t>(length) / frameBytes : 0;
    progressTotal_ = std::max<uint64_t>(remaining, 1);
    while (!failed_ && !stopped()) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(remaining, blockFrames_));
        const size_t bytes = n * frameBytes;
        if (temp.read(block.data(), bytes) != bytes) {
            failTemporaryRead();
            return;
        }
        remaining -= n;
        reportProgress(n);
        if (!processWorking(block.data(), n)) return;
        outcome_.framesWritten += n;
        if (n < blockFrames_) break;
    }
}

PassOutcome Pass::run() {
    record_.peak = -1.0;
    record_.result = ConversionResult::Processed;
    if (setUp() && (!request_.output || openOutput())) {
        if (request_.readTemp)
            readTemporaryFile();
        else
            readSource();
    }
    if (request_.writeTemp && !failed_ && !request_.writeTemp->flush()) failTemporaryWrite();
    if (failed_)
        record_.result = ConversionResult::Failed;
    else if (stopped())
        record_.result = ConversionResult::NotConverted;
    return std::move(outcome_);
}

} // namespace

PassOutcome runPass(const RunContext& context, AudioFileRecord& record,
                    const PassRequest& request) {
    return Pass(context, record, request).run();
}

} // namespace corv

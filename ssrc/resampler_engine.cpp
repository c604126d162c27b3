#include "ssrc/resampler_engine.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "ssrc/polyphase_stage.h"
#include "ssrc/sharp_filter_stages.h"

namespace ssrc {
namespace {

constexpr double sharpPassEdge = 0.92; // of the lower Nyquist frequency
constexpr double sharpAttenuationDb = 183.0;
constexpr double shortAttenuationDb = 183.0; // Kaiser's estimate is a few dB optimistic here
// The short filter is flat wherever the sharp one is (0.94 of the lower
// Nyquist frequency and below; above it only shapes the sharp filter's
// transition a little more) and stops from 3 times the lower Nyquist frequency
// on, where the first image of the doubled-rate signal begins.
constexpr double shortPassEdge = 0.47; // of the lower rate
constexpr double shortStopEdge = 1.5;  // of the lower rate

PolyphaseDesign polyphaseDesign(int64_t fromRate, int64_t toRate, int64_t lowerRate) {
    const int64_t common = std::gcd(fromRate, toRate);
    PolyphaseDesign design;
    design.up = toRate / common;
    design.down = fromRate / common;
    design.passEdge =
        shortPassEdge * static_cast<double>(lowerRate) / static_cast<double>(fromRate);
    design.stopEdge =
        shortStopEdge * static_cast<double>(lowerRate) / static_cast<double>(fromRate);
    design.attenuationDb = shortAttenuationDb;
    return design;
}

} // namespace

bool ResamplerEngine::validArguments(int channels, int inputRate, int outputRate) {
    return channels >= 1 && channels <= maxChannels && inputRate >= minRate &&
           inputRate <= maxRate && outputRate >= minRate && outputRate <= maxRate;
}

ResamplerEngine::ResamplerEngine(int channels, int inputRate, int outputRate)
    : channels_(channels), inputRate_(inputRate), outputRate_(outputRate) {
    const int64_t in = inputRate;
    const int64_t out = outputRate;
    // Each stage hands the next the history it needs before time 0 (the
    // response of the filters ahead of the first input), so the start of the
    // output is as exact as the middle.
    const std::vector<double> taps = designSharpFilter(sharpPassEdge, sharpAttenuationDb);
    const std::size_t fftSize = chooseFftSize(taps.size(), channels);
    if (out > in) {
        if (out == 2 * in) {
            stages_.push_back(std::make_unique<SharpInterpolator>(taps, fftSize, channels, 0));
            heldOutputFrames_ += static_cast<double>(stages_.back()->maxHeldFrames()) * out / in;
        } else {
            const PolyphaseDesign design = polyphaseDesign(2 * in, out, in);
            const int64_t history = PolyphaseStage::historyNeeded(design);
            stages_.push_back(std::make_unique<SharpInterpolator>(
                taps, fftSize, channels, static_cast<std::size_t>(history)));
            heldOutputFrames_ += static_cast<double>(stages_.back()->maxHeldFrames()) * out / in;
            stages_.push_back(std::make_unique<PolyphaseStage>(design, channels, history, 0));
            heldOutputFrames_ +=
                static_cast<double>(stages_.back()->maxHeldFrames()) * out / (2.0 * in);
        }
    } else if (out < in) {
        std::size_t history = 0;
        if (in != 2 * out) {
            history = SharpDecimator::historyFor(taps);
            stages_.push_back(std::make_unique<PolyphaseStage>(
                polyphaseDesign(in, 2 * out, out), channels, 0, static_cast<int64_t>(history)));
            heldOutputFrames_ += static_cast<double>(stages_.back()->maxHeldFrames()) * out / in;
        }
        stages_.push_back(std::make_unique<SharpDecimator>(taps, fftSize, channels, history));
        heldOutputFrames_ += static_cast<double>(stages_.back()->maxHeldFrames()) / 2.0;
    }
    chainOutput_.resize(static_cast<std::size_t>(channels));
    output_.resize(static_cast<std::size_t>(channels)); // a valid buffer even for 0 frames
}

int64_t ResamplerEngine::expectedTotal() const {
    return (inputTotal_ * outputRate_ + inputRate_ / 2) / inputRate_;
}

int ResamplerEngine::maxOutputFrames(int inputFrames) const {
    const double frames =
        std::ceil(static_cast<double>(inputFrames) * outputRate_ / inputRate_ + heldOutputFrames_);
    return static_cast<int>(std::min(frames + 16.0, 2147483647.0 / channels_));
}

void ResamplerEngine::runChain() {
    for (std::size_t i = 0; i < stages_.size(); ++i)
        stages_[i]->process(i + 1 < stages_.size() ? stages_[i + 1]->input() : chainOutput_);
}

void ResamplerEngine::collect(int64_t limit, std::size_t& emitted) {
    const std::size_t channels = chainOutput_.size();
    const std::size_t produced = chainOutput_[0].size();
    const std::size_t keep = static_cast<std::size_t>(std::max<int64_t>(
        0, std::min<int64_t>(static_cast<int64_t>(produced), limit - outputTotal_)));
    if (output_.size() < (emitted + keep) * channels) output_.resize((emitted + keep) * channels);
    double* target = output_.data() + emitted * channels;
    if (channels == 2) {
        const double* left = chainOutput_[0].front();
        const double* right = chainOutput_[1].front();
        for (std::size_t i = 0; i < keep; ++i) {
            target[2 * i] = left[i];
            target[2 * i + 1] = right[i];
        }
    } else {
        for (std::size_t c = 0; c < channels; ++c) {
            const double* plane = chainOutput_[c].front();
            for (std::size_t i = 0; i < keep; ++i)
                target[i * channels + c] = plane[i];
        }
    }
    // What lies past the end of the pass is dropped with the rest.
    for (SampleQueue& queue : chainOutput_)
        queue.clear();
    emitted += keep;
    outputTotal_ += static_cast<int64_t>(keep);
}

const double* ResamplerEngine::process(const double* input, int frames, bool last,
                                       int& outputFrames) {
    const std::size_t channels = static_cast<std::size_t>(channels_);
    const std::size_t count = frames > 0 && !finished_ ? static_cast<std::size_t>(frames) : 0;
    ChannelQueues& chainInput = stages_.empty() ? chainOutput_ : stages_.front()->input();
    std::size_t emitted = 0;
    if (!finished_) {
        inputTotal_ += static_cast<int64_t>(count);
        const int64_t limit = last ? expectedTotal() : INT64_MAX;
        // Many channels go through in slices, so the stages' queues stay
        // small; the output does not depend on how the input is cut.
        const std::size_t slice =
            std::clamp<std::size_t>((std::size_t{1} << 18) / channels, 64, 8192);
        for (std::size_t at = 0; at < count || at == 0; at += slice) {
            const std::size_t n = std::min(slice, count - at);
            const double* from = input + at * channels;
            if (channels == 2) {
                double* left = chainInput[0].extend(n);
                double* right = chainInput[1].extend(n);
                for (std::size_t i = 0; i < n; ++i) {
                    left[i] = from[2 * i];
                    right[i] = from[2 * i + 1];
                }
            } else {
                for (std::size_t c = 0; c < channels; ++c) {
                    double* plane = chainInput[c].extend(n);
                    for (std::size_t i = 0; i < n; ++i)
                        plane[i] = from[i * channels + c];
                }
            }
            runChain();
            collect(limit, emitted);
            if (count == 0) break;
        }
        if (last) {
            // Drain: feed silence until every output the pass owes has come out.
            // Only about as much as the remaining output needs, growing while
            // the chain still holds it back: at a high ratio a whole slice of
            // silence would make far more output than is kept.
            const double ratio = static_cast<double>(inputRate_) / outputRate_;
            std::size_t feed = std::min<std::size_t>(
                slice,
                static_cast<std::size_t>(static_cast<double>(limit - outputTotal_) * ratio) + 64);
            const double rounds =
                64.0 + 2.0 * (heldOutputFrames_ + static_cast<double>(limit - outputTotal_)) *
                           ratio / slice;
            for (int round = 0; outputTotal_ < limit && round < rounds; ++round) {
                for (SampleQueue& queue : chainInput)
                    queue.appendZeros(feed);
                runChain();
                collect(limit, emitted);
                feed = std::min(slice, 2 * feed);
            }
            finished_ = true;
        }
    }
    outputFrames = static_cast<int>(emitted);
    return output_.data();
}

} // namespace ssrc

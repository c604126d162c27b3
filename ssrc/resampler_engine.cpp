#include "ssrc/resampler_engine.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "ssrc/fft_ratio_stage.h"
#include "ssrc/polyphase_stage.h"

namespace ssrc {
namespace {

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
    : channels_(channels), inputRate_(inputRate), outputRate_(outputRate),
      chainOutput_(static_cast<std::size_t>(channels)) {
    const int64_t in = inputRate;
    const int64_t out = outputRate;
    if (out == in) return;
    // Each stage hands the next the history it needs before time 0 (the
    // response of the filters ahead of the first input), so the start of the
    // output is as exact as the middle.
    const auto add = [&](std::unique_ptr<ResamplerStage> stage, double outputPerInput) {
        heldOutputFrames_ += static_cast<double>(stage->maxHeldFrames()) * outputPerInput;
        stages_.push_back(std::move(stage));
    };
    const double ratio = static_cast<double>(out) / static_cast<double>(in);
    const PolyphaseDesign design =
        out > in ? polyphaseDesign(2 * in, out, in) : polyphaseDesign(in, 2 * out, out);
    const bool polyphase = out != 2 * in && in != 2 * out;
    const std::size_t history =
        out > in && polyphase ? static_cast<std::size_t>(PolyphaseStage::historyNeeded(design)) : 0;
    const FftRatioStage::Plan twice = FftRatioStage::plan(in, 2 * in, channels, history, false);
    const FftRatioStage::Plan half = FftRatioStage::plan(2 * out, out, channels, 0, false);
    // The one stage where it costs less than the chain (a polyphase output
    // costs about a unit per tap): at large ratios down, the chain's polyphase
    // stage computes only the outputs it keeps, while the one stage
    // transforms every input.
    const FftRatioStage::Plan direct = FftRatioStage::plan(in, out, channels, 0, true);
    const double taps = polyphase ? PolyphaseStage::tapCount(design) : 0.0;
    const double chainCost = out > in ? twice.cost * 2.0 / ratio + taps : half.cost + 2.0 * taps;
    if (direct.m != 0 && direct.cost <= chainCost) {
        add(std::make_unique<FftRatioStage>(direct, channels, 0, 0), ratio);
    } else if (out > in) {
        add(std::make_unique<FftRatioStage>(twice, channels, history, 0), ratio);
        if (polyphase)
            add(std::make_unique<PolyphaseStage>(design, channels, static_cast<int64_t>(history),
                                                 0),
                ratio / 2.0);
    } else {
        const std::size_t used = polyphase ? FftRatioStage::historyUsed(half) : 0;
        if (polyphase)
            add(std::make_unique<PolyphaseStage>(design, channels, 0, static_cast<int64_t>(used)),
                ratio);
        add(std::make_unique<FftRatioStage>(half, channels, 0, used), 0.5);
    }
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

const double* ResamplerEngine::process(const double* input, int frames, bool last,
                                       int& outputFrames) {
    // What the last call returned is not needed any more.
    chainOutput_.dropFrames(returned_);
    returned_ = 0;
    const std::size_t channels = static_cast<std::size_t>(channels_);
    const std::size_t count = frames > 0 && !finished_ ? static_cast<std::size_t>(frames) : 0;
    int64_t limit = INT64_MAX;
    if (!finished_) {
        inputTotal_ += static_cast<int64_t>(count);
        if (last) limit = expectedTotal();
        // Many channels go through in slices, so the stages' queues stay
        // small; the output does not depend on how the input is cut.
        const std::size_t slice =
            std::clamp<std::size_t>((std::size_t{1} << 18) / channels, 64, 8192);
        for (std::size_t at = 0; at < count; at += slice) {
            // Every stage reads interleaved frames: the input goes in as it is.
            chainInput().samples().append(input + at * channels,
                                          std::min(slice, count - at) * channels);
            runChain();
        }
        if (last) {
            // Drain: feed silence until every output the pass owes has come out.
            // Only about as much as the remaining output needs, growing while
            // the chain still holds it back: at a high ratio a whole slice of
            // silence would make far more output than is kept.
            const auto owed = [&] {
                return limit - outputTotal_ - static_cast<int64_t>(chainOutput_.frames());
            };
            const double ratio = static_cast<double>(inputRate_) / outputRate_;
            std::size_t feed = std::min<std::size_t>(
                slice, static_cast<std::size_t>(static_cast<double>(owed()) * ratio) + 64);
            const double rounds =
                64.0 + 2.0 * (heldOutputFrames_ + static_cast<double>(owed())) * ratio / slice;
            for (int round = 0; owed() > 0 && round < rounds; ++round) {
                chainInput().appendZeros(feed);
                runChain();
                feed = std::min(slice, 2 * feed);
            }
            finished_ = true;
        }
    }
    // Past the end of the pass the output is cut; the rest is dropped with
    // what is returned, at the next call.
    const int64_t produced = static_cast<int64_t>(chainOutput_.frames());
    const int64_t keep = std::max<int64_t>(0, std::min(produced, limit - outputTotal_));
    returned_ = static_cast<std::size_t>(produced);
    outputTotal_ += keep;
    outputFrames = static_cast<int>(keep);
    return keep > 0 ? chainOutput_.samples().front() : &empty_;
}

} // namespace ssrc

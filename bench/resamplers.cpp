#include "resamplers.h"

#include <samplerate.h>
#include <soxr.h>

#include "ssrc/ssrcdll.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace bench {

namespace {

class OurStream final : public Stream {
  public:
    OurStream(int channels, int inputRate, int outputRate) : up_(outputRate > inputRate) {
        int blockSize = static_cast<int>(kBlockFrames);
        if (up_)
            _UpsampleInit(channels, inputRate, outputRate, state_, &blockSize);
        else
            _DownsampleInit(channels, inputRate, outputRate, state_, &blockSize);
        channels_ = static_cast<std::size_t>(channels);
    }
    ~OurStream() override {
        if (up_)
            _UpsampleExit(state_);
        else
            _DownsampleExit(state_);
    }
    OurStream(const OurStream&) = delete;
    OurStream& operator=(const OurStream&) = delete;

    std::span<const double> process(const double* input, std::size_t frames, bool last) override {
        static const double silence = 0;
        int outFrames = 0;
        const double* in = frames > 0 ? input : &silence;
        double* out =
            up_ ? _UpsampleProcess(last ? 1 : 0, state_, static_cast<int>(frames), in, &outFrames)
                : _DownsampleProcess(last ? 1 : 0, state_, static_cast<int>(frames), in,
                                     &outFrames);
        if (out == nullptr || outFrames < 0)
            throw std::runtime_error("ssrc: process gave no buffer");
        return {out, static_cast<std::size_t>(outFrames) * channels_};
    }

  private:
    alignas(16) unsigned char state_[SSRC_RESAMPLER_STATE_BYTES];
    bool up_;
    std::size_t channels_ = 1;
};

class SoxrStream final : public Stream {
  public:
    SoxrStream(int channels, int inputRate, int outputRate)
        : channels_(static_cast<std::size_t>(channels)),
          ratio_(static_cast<double>(outputRate) / inputRate) {
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, SOXR_LINEAR_PHASE);
        const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
        soxr_error_t error = nullptr;
        soxr_ = soxr_create(inputRate, outputRate, static_cast<unsigned>(channels), &error, &io,
                            &quality, &runtime);
        if (error != nullptr || soxr_ == nullptr)
            throw std::runtime_error(std::string("soxr: ") + soxr_strerror(error));
    }
    ~SoxrStream() override { soxr_delete(soxr_); }
    SoxrStream(const SoxrStream&) = delete;
    SoxrStream& operator=(const SoxrStream&) = delete;

    std::span<const double> process(const double* input, std::size_t frames, bool last) override {
        output_.clear();
        const std::size_t chunk =
            static_cast<std::size_t>(std::ceil(static_cast<double>(frames) * ratio_)) + 4096;
        std::size_t used = 0;
        while (used < frames) {
            std::size_t inDone = 0;
            std::size_t outDone = 0;
            double* out = grow(chunk);
            check(soxr_process(soxr_, input + used * channels_, frames - used, &inDone, out, chunk,
                               &outDone));
            used += inDone;
            shrink(chunk - outDone);
            if (inDone == 0 && outDone == 0) throw std::runtime_error("soxr: no progress");
        }
        // A null input ends the stream; the tail comes out over as many calls as it takes.
        for (std::size_t outDone = 1; last && outDone > 0;) {
            outDone = 0;
            double* out = grow(chunk);
            check(soxr_process(soxr_, nullptr, 0, nullptr, out, chunk, &outDone));
            shrink(chunk - outDone);
        }
        return output_;
    }

  private:
    double* grow(std::size_t frames) {
        const std::size_t at = output_.size();
        output_.resize(at + frames * channels_);
        return output_.data() + at;
    }
    void shrink(std::size_t unusedFrames) {
        output_.resize(output_.size() - unusedFrames * channels_);
    }
    static void check(soxr_error_t error) {
        if (error != nullptr) throw std::runtime_error(std::string("soxr: ") + error);
    }

    soxr_t soxr_ = nullptr;
    std::size_t channels_;
    double ratio_;
    std::vector<double> output_;
};

class LibsamplerateStream final : public Stream {
  public:
    LibsamplerateStream(int channels, int inputRate, int outputRate)
        : channels_(static_cast<std::size_t>(channels)),
          ratio_(static_cast<double>(outputRate) / inputRate) {
        int error = 0;
        state_ = src_new(SRC_SINC_BEST_QUALITY, channels, &error);
        if (state_ == nullptr)
            throw std::runtime_error(std::string("libsamplerate: ") + src_strerror(error));
    }
    ~LibsamplerateStream() override { src_delete(state_); }
    LibsamplerateStream(const LibsamplerateStream&) = delete;
    LibsamplerateStream& operator=(const LibsamplerateStream&) = delete;

    // Its interface takes floats: the conversion both ways is part of its cost.
    std::span<const double> process(const double* input, std::size_t frames, bool last) override {
        floatIn_.assign(input, input + frames * channels_);
        if (floatIn_.empty()) floatIn_.push_back(0.0f); // it refuses a null input even for 0 frames
        const std::size_t chunk =
            static_cast<std::size_t>(std::ceil(static_cast<double>(frames) * ratio_)) + 4096;
        floatOut_.resize(chunk * channels_);
        output_.clear();
        std::size_t used = 0;
        for (;;) {
            SRC_DATA data{};
            data.data_in = floatIn_.data() + used * channels_;
            data.input_frames = static_cast<long>(frames - used);
            data.data_out = floatOut_.data();
            data.output_frames = static_cast<long>(chunk);
            data.end_of_input = last ? 1 : 0;
            data.src_ratio = ratio_;
            const int error = src_process(state_, &data);
            if (error != 0)
                throw std::runtime_error(std::string("libsamplerate: ") + src_strerror(error));
            used += static_cast<std::size_t>(data.input_frames_used);
            const auto produced = static_cast<std::size_t>(data.output_frames_gen) * channels_;
            output_.insert(output_.end(), floatOut_.begin(),
                           floatOut_.begin() + static_cast<std::ptrdiff_t>(produced));
            if (used >= frames && (!last || produced == 0)) break;
            if (data.input_frames_used == 0 && produced == 0 && used < frames)
                throw std::runtime_error("libsamplerate: no progress");
        }
        return output_;
    }

  private:
    SRC_STATE* state_ = nullptr;
    std::size_t channels_;
    double ratio_;
    std::vector<float> floatIn_;
    std::vector<float> floatOut_;
    std::vector<double> output_;
};

} // namespace

const char* engineName(Engine engine) {
    switch (engine) {
    case Engine::Ours:
        return "ssrc";
    case Engine::Soxr:
        return "soxr VHQ";
    case Engine::Libsamplerate:
        return "lsr best";
    }
    return "?";
}

std::unique_ptr<Stream> openStream(Engine engine, int channels, int inputRate, int outputRate) {
    switch (engine) {
    case Engine::Ours:
        return std::make_unique<OurStream>(channels, inputRate, outputRate);
    case Engine::Soxr:
        return std::make_unique<SoxrStream>(channels, inputRate, outputRate);
    case Engine::Libsamplerate:
        return std::make_unique<LibsamplerateStream>(channels, inputRate, outputRate);
    }
    throw std::invalid_argument("no such engine");
}

std::vector<double> resampleAll(Engine engine, int channels, int inputRate, int outputRate,
                                const std::vector<double>& input) {
    auto stream = openStream(engine, channels, inputRate, outputRate);
    const auto width = static_cast<std::size_t>(channels);
    const std::size_t frames = input.size() / width;
    std::vector<double> output;
    output.reserve(
        static_cast<std::size_t>(static_cast<double>(input.size()) * outputRate / inputRate) +
        4096);
    for (std::size_t at = 0; at < frames; at += kBlockFrames) {
        const std::size_t n = std::min(kBlockFrames, frames - at);
        const auto out = stream->process(input.data() + at * width, n, false);
        output.insert(output.end(), out.begin(), out.end());
    }
    const auto tail = stream->process(input.data(), 0, true);
    output.insert(output.end(), tail.begin(), tail.end());
    return output;
}

} // namespace bench

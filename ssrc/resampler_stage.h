// One stage of the resampler chain. Every channel receives the same number of
// frames, so every channel produces the same number of outputs. A stage reads
// its own input queue and writes straight into the next stage's, in the
// layout that stage reads, so no block is copied between stages.
#ifndef SSRC_RESAMPLER_STAGE_H
#define SSRC_RESAMPLER_STAGE_H

#include <algorithm>
#include <cstddef>
#include <vector>

namespace ssrc {

// Samples waiting for a stage: appended at the back, consumed at the front.
// The storage is kept at least twice as large as what is queued, so the
// queued samples are moved back to its start only now and then.
class SampleQueue {
  public:
    // Room for `count` more samples at the back, to be written by the caller.
    double* extend(std::size_t count) {
        if (tail_ + count > data_.size()) makeRoom(count);
        double* room = data_.data() + tail_;
        tail_ += count;
        return room;
    }
    void append(const double* samples, std::size_t count) {
        std::copy(samples, samples + count, extend(count));
    }
    void appendZeros(std::size_t count) { std::fill_n(extend(count), count, 0.0); }
    std::size_t size() const { return tail_ - head_; }
    const double* front() const { return data_.data() + head_; }
    // Gives back the last `count` samples extend made room for.
    void takeBack(std::size_t count) { tail_ -= count; }
    void drop(std::size_t count) {
        head_ += count;
        if (head_ == tail_) head_ = tail_ = 0;
    }

  private:
    void makeRoom(std::size_t count) {
        const std::size_t queued = size();
        if (2 * (queued + count) > data_.size()) data_.resize(4 * (queued + count));
        std::copy(data_.begin() + static_cast<std::ptrdiff_t>(head_),
                  data_.begin() + static_cast<std::ptrdiff_t>(tail_), data_.begin());
        head_ = 0;
        tail_ = queued;
    }

    std::vector<double> data_;
    std::size_t head_ = 0;
    std::size_t tail_ = 0;
};

// Where a writer puts `frames` new frames: sample i of channel c goes to
// channel[c][i * step].
struct FrameRoom {
    double* const* channel;
    std::size_t step;
};

// The frames waiting for a stage: all channels in one queue, frame after frame.
class FrameQueue {
  public:
    explicit FrameQueue(std::size_t channels) : channels_(channels), room_(channels) {}

    std::size_t channels() const { return channels_; }
    std::size_t frames() const { return samples_.size() / channels_; }
    SampleQueue& samples() { return samples_; }
    const SampleQueue& samples() const { return samples_; }

    FrameRoom extend(std::size_t frames) {
        double* first = samples_.extend(frames * channels_);
        // No room asked, maybe no storage yet: nothing may point past it.
        for (std::size_t c = 0; c < channels_; ++c)
            room_[c] = frames ? first + c : first;
        return {room_.data(), channels_};
    }
    void takeBack(std::size_t frames) { samples_.takeBack(frames * channels_); }
    void appendZeros(std::size_t frames) { samples_.appendZeros(frames * channels_); }
    void dropFrames(std::size_t frames) { samples_.drop(frames * channels_); }

  private:
    std::size_t channels_;
    SampleQueue samples_;
    std::vector<double*> room_;
};

// Windows of `length` frames, `hop` apart, that the queued frames complete.
inline std::size_t completeWindows(std::size_t queued, std::size_t length, std::size_t hop) {
    return queued >= length ? (queued - length) / hop + 1 : 0;
}

class ResamplerStage {
  public:
    explicit ResamplerStage(int channels) : input_(static_cast<std::size_t>(channels)) {}
    virtual ~ResamplerStage() = default;
    // The frames waiting for the stage: the stage before appends to them.
    FrameQueue& input() { return input_; }
    // Consumes what it can of its input and appends the frames that became
    // complete to `output`.
    virtual void process(FrameQueue& output) = 0;
    // Largest number of input frames the stage may hold back between calls.
    virtual std::size_t maxHeldFrames() const = 0;

  protected:
    FrameQueue input_;
};

} // namespace ssrc

#endif

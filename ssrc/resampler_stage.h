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

// The frames waiting for a stage, either one queue per channel (planar) or
// all channels in one queue, frame after frame (interleaved).
class FrameQueue {
  public:
    FrameQueue(std::size_t channels, bool interleaved)
        : channels_(channels), queues_(interleaved ? 1 : channels), room_(channels) {}

    std::size_t channels() const { return channels_; }
    bool interleaved() const { return queues_.size() == 1 && channels_ > 1; }
    std::size_t frames() const { return queues_[0].size() / (interleaved() ? channels_ : 1); }
    // Planar: channel c's samples. Interleaved: the one queue (c = 0).
    SampleQueue& queue(std::size_t c) { return queues_[c]; }
    const SampleQueue& queue(std::size_t c) const { return queues_[c]; }

    FrameRoom extend(std::size_t frames) {
        if (queues_.size() == 1) {
            double* first = queues_[0].extend(frames * channels_);
            // No room asked, maybe no storage yet: nothing may point past it.
            for (std::size_t c = 0; c < channels_; ++c)
                room_[c] = frames ? first + c : first;
            return {room_.data(), channels_};
        }
        for (std::size_t c = 0; c < channels_; ++c)
            room_[c] = queues_[c].extend(frames);
        return {room_.data(), 1};
    }
    void takeBack(std::size_t frames) {
        for (SampleQueue& queue : queues_)
            queue.takeBack(frames * (queues_.size() == 1 ? channels_ : 1));
    }
    void appendZeros(std::size_t frames) {
        for (SampleQueue& queue : queues_)
            queue.appendZeros(frames * (queues_.size() == 1 ? channels_ : 1));
    }
    void dropFrames(std::size_t frames) {
        for (SampleQueue& queue : queues_)
            queue.drop(frames * (queues_.size() == 1 ? channels_ : 1));
    }

  private:
    std::size_t channels_;
    std::vector<SampleQueue> queues_;
    std::vector<double*> room_;
};

// Windows of `length` frames, `hop` apart, that the queued frames complete.
inline std::size_t completeWindows(std::size_t queued, std::size_t length, std::size_t hop) {
    return queued >= length ? (queued - length) / hop + 1 : 0;
}

class ResamplerStage {
  public:
    ResamplerStage(int channels, bool interleavedInput)
        : input_(static_cast<std::size_t>(channels), interleavedInput) {}
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

// One stage of the resampler chain. Channels are kept planar (one queue per
// channel); every channel receives the same number of frames, so every
// channel produces the same number of outputs. A stage reads its own input
// queues and writes straight into the next stage's, so no block is copied
// between stages.
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
    void drop(std::size_t count) {
        head_ += count;
        if (head_ == tail_) head_ = tail_ = 0;
    }
    void clear() { head_ = tail_ = 0; }

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

using ChannelQueues = std::vector<SampleQueue>;

class ResamplerStage {
  public:
    explicit ResamplerStage(int channels) : input_(static_cast<std::size_t>(channels)) {}
    virtual ~ResamplerStage() = default;
    // The frames waiting for the stage, one queue per channel: the stage
    // before appends to them.
    ChannelQueues& input() { return input_; }
    // Consumes what it can of its input and appends the frames that became
    // complete to `output`.
    virtual void process(ChannelQueues& output) = 0;
    // Largest number of input frames the stage may hold back between calls.
    virtual std::size_t maxHeldFrames() const = 0;

  protected:
    ChannelQueues input_;
};

} // namespace ssrc

#endif

// One stage of the resampler chain. Channels are kept planar (one vector per
// channel); every channel receives the same number of frames, so every
// channel produces the same number of outputs.
#ifndef SSRC_RESAMPLER_STAGE_H
#define SSRC_RESAMPLER_STAGE_H

#include <cstddef>
#include <vector>

namespace ssrc {

using PlanarBlock = std::vector<std::vector<double>>;

// Samples waiting for a stage: appended at the back, consumed at the front.
// Consumed samples are only moved out of the way when the storage would
// otherwise have to grow, so most calls move nothing.
class SampleQueue {
  public:
    void append(const double* samples, std::size_t count) {
        makeRoom(count);
        data_.insert(data_.end(), samples, samples + count);
    }
    void appendZeros(std::size_t count) {
        makeRoom(count);
        data_.resize(data_.size() + count, 0.0);
    }
    std::size_t size() const { return data_.size() - head_; }
    const double* front() const { return data_.data() + head_; }
    void drop(std::size_t count) {
        head_ += count;
        if (head_ == data_.size()) {
            data_.clear();
            head_ = 0;
        }
    }

  private:
    void makeRoom(std::size_t count) {
        if (head_ == 0 || data_.size() + count <= data_.capacity()) return;
        data_.erase(data_.begin(), data_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }

    std::vector<double> data_;
    std::size_t head_ = 0;
};

class ResamplerStage {
  public:
    virtual ~ResamplerStage() = default;
    // Consumes every frame of `input` (one vector per channel) and replaces the
    // content of `output` with the frames that became complete.
    virtual void process(const PlanarBlock& input, PlanarBlock& output) = 0;
    // Largest number of input frames the stage may hold back between calls.
    virtual std::size_t maxHeldFrames() const = 0;
};

} // namespace ssrc

#endif

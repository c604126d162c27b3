// Whole resampling and dither passes driven by arbitrary arguments and block
// cuts. Every input is one pass as the converter runs it (init, process blocks,
// drain, exit), with the dither state initialised again on the same memory each
// time and never released, so LeakSanitizer sees any leak across passes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ssrc/ssrcdll.h"

namespace {

constexpr int kProjectRates[] = {6000,  8000,  11025, 12000, 16000, 22050,
                                 24000, 32000, 44100, 48000, 96000, 192000};

class Bytes {
  public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint32_t next(uint32_t range) {
        uint32_t value = 0;
        for (int i = 0; i < 3; ++i)
            value = value << 8 | (position_ < size_ ? data_[position_++] : 0);
        return range == 0 ? 0 : value % range;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// Mostly the project rates; now and then any rate, in or just outside the range.
int pickRate(Bytes& bytes) {
    if (bytes.next(4) != 0) return kProjectRates[bytes.next(12)];
    return static_cast<int>(bytes.next(120000)) - 1000;
}

alignas(16) unsigned char ditherState[SSRC_DITHER_STATE_BYTES];

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytes bytes(data, size);
    const int channels = static_cast<int>(bytes.next(9)); // 0 is a bad argument on purpose
    const int inputRate = pickRate(bytes);
    const int outputRate = pickRate(bytes);

    alignas(16) unsigned char resamplerState[SSRC_RESAMPLER_STATE_BYTES];
    int blockSize = 8192;
    const bool down = outputRate < inputRate;
    (down ? _DownsampleInit : _UpsampleInit)(channels, inputRate, outputRate, resamplerState,
                                             &blockSize);
    auto process = down ? _DownsampleProcess : _UpsampleProcess;

    _DitherInit(channels, outputRate, static_cast<int>(bytes.next(6)),
                static_cast<int>(bytes.next(4)), 1.0 / 32767 * static_cast<double>(bytes.next(4)),
                ditherState);

    const int width = channels > 0 ? channels : 1;
    std::vector<double> block;
    for (int blocks = static_cast<int>(bytes.next(6)); blocks >= 0; --blocks) {
        const bool last = blocks == 0;
        const int frames = last ? 0 : static_cast<int>(bytes.next(3000));
        block.assign(static_cast<size_t>(frames) * width, 0.0);
        for (double& sample : block)
            sample = (static_cast<double>(bytes.next(65536)) - 32768.0) / 32768.0;
        int produced = -1;
        double* output = process(last ? 1 : 0, resamplerState, frames, block.data(), &produced);
        if (output == nullptr || produced < 0) std::abort(); // every call must hand back a buffer
        if (produced > 0) {
            std::vector<double> copy(output, output + static_cast<size_t>(produced) * width);
            _DitherProcess(produced, ditherState, copy.data());
        }
    }
    (down ? _DownsampleExit : _UpsampleExit)(resamplerState);
    return 0;
}

#include "analyser/engine/resampler_bridge.h"

#include "analyser/engine/sample_types.h"

namespace corv {

Resampler::Resampler(const SsrcEntryPoints& api, uint32_t channels, uint32_t inputRate,
                     uint32_t outputRate, int& blockFrames)
    : api_(api), down_(outputRate < inputRate) {
    auto init = down_ ? api_.downsampleInit : api_.upsampleInit;
    init(static_cast<int>(channels), static_cast<int>(inputRate), static_cast<int>(outputRate),
         state_, &blockFrames);
}

Resampler::~Resampler() {
    (down_ ? api_.downsampleExit : api_.upsampleExit)(state_);
}

double* Resampler::process(bool last, int frames, const double* input, int& outputFrames) {
    outputFrames = 0;
    auto call = down_ ? api_.downsampleProcess : api_.upsampleProcess;
    double* out = call(last ? 1 : 0, state_, frames, input, &outputFrames);
    if (outputFrames < 0) return nullptr;
    return out;
}

Dither::Dither(const SsrcEntryPoints& api, uint32_t channels, uint32_t outputRate, int noiseShaping,
               int pdfType, double amplitude)
    : api_(api), state_(new double[SSRC_DITHER_STATE_BYTES / sizeof(double)]) {
    api_.ditherInit(static_cast<int>(channels), static_cast<int>(outputRate), noiseShaping, pdfType,
                    amplitude, state_.get());
}

void Dither::process(int frames, double* samples) {
    api_.ditherProcess(frames, state_.get(), samples);
}

double ditherQuantum(int32_t code) {
    return integerFullScale(static_cast<SampleType>(code));
}

} // namespace corv

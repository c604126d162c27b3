#include "analyser/engine/channel_mixing.h"

#include <cstring>

namespace corv {

void moveChannels(const ChannelMap& map, const uint8_t* in, size_t frames, uint32_t inChannels,
                  uint32_t bytesPerSample, uint8_t silenceByte, uint8_t* out) {
    const size_t outChannels = static_cast<size_t>(map.outChannels);
    const size_t inFrameBytes = size_t{inChannels} * bytesPerSample;
    for (size_t f = 0; f < frames; ++f) {
        const uint8_t* frame = in + f * inFrameBytes;
        for (size_t o = 0; o < outChannels; ++o, out += bytesPerSample) {
            const int32_t source = map.moveTable[o];
            if (source >= 0 && static_cast<uint32_t>(source) < inChannels)
                std::memcpy(out, frame + size_t(source) * bytesPerSample, bytesPerSample);
            else
                std::memset(out, silenceByte, bytesPerSample);
        }
    }
}

void mixChannels(const ChannelMap& map, const double* in, size_t frames, double* out) {
    const size_t inChannels = static_cast<size_t>(map.inChannels);
    const size_t outChannels = static_cast<size_t>(map.outChannels);
    const double* weights = map.mixMatrix.data();
    for (size_t f = 0; f < frames; ++f, in += inChannels, out += outChannels) {
        for (size_t o = 0; o < outChannels; ++o) {
            double sum = 0.0;
            for (size_t i = 0; i < inChannels; ++i)
                sum += weights[i * outChannels + o] * in[i];
            out[o] = sum;
        }
    }
}

} // namespace corv

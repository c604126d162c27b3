#pragma once
// Applying a channel map to one block: moves on the stored samples, mixing
// on the working form.
#include "analyser/engine/channel_maps.h"

#include <cstddef>
#include <cstdint>

namespace corv {

// Rebuilds each frame with map.outChannels channels, each taken from its
// source channel; a negative source or one the file does not have gives
// silence (silenceByte repeated: 128 for 8-bit samples, else 0).
void moveChannels(const ChannelMap& map, const uint8_t* in, size_t frames, uint32_t inChannels,
                  uint32_t bytesPerSample, uint8_t silenceByte, uint8_t* out);

// out[o] = sum over i of weight(i, o) * in[i] per frame, in input channel order.
void mixChannels(const ChannelMap& map, const double* in, size_t frames, double* out);

} // namespace corv

#pragma once
// The checks run before a conversion starts: every entry analysed and
// recognised, combinable when stitching or merging, and accepted by the
// chosen encoder when jobs are to be sent.
#include "analyser/analysis/audio_file_record.h"
#include "analyser/encoder_settings/encoder_blocks.h"
#include "analyser/engine/conversion_settings.h"
#include "analyser/engine/run_mode.h"
#include "platform/notifier.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace corv {

inline constexpr uint32_t kMaxMergedChannels = 1000;

// The output channel count of the active channel map for files with this many
// channels, when channel mapping is enabled and such a map exists.
using MappedChannels = std::function<std::optional<uint32_t>(uint32_t channels)>;

// What one entry's conversion writes, before any combining.
struct EntryOutputShape {
    uint32_t channels = 0;
    int32_t sampleType = 0; // SampleType code
    uint32_t sampleRate = 0;
};
EntryOutputShape effectiveOutput(const AudioFileRecord& record, const ConversionSettings& settings,
                                 const MappedChannels& mapped);

// Sum of the entries' output channels: the channel count of a merged output.
uint64_t mergedChannelTotal(const std::vector<AudioFileRecord*>& list,
                            const ConversionSettings& settings, const MappedChannels& mapped);

// All checks in their order; the first failure is shown through the notifier
// and gives false. Includes the merged channel limit and, with
// sendJobsToBatcher, the encoder's limits for every output.
bool checkList(const std::vector<AudioFileRecord*>& list, const ConversionSettings& settings,
               const EncoderBlocks& encoders, const MappedChannels& mapped, Notifier& notifier);

} // namespace corv

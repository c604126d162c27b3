#pragma once
// Whether the chosen encoder can read what a conversion is about to write.
#include "analyser/encoder_settings/encoder_blocks.h"
#include "analyser/engine/conversion_settings.h"

#include <cstdint>
#include <string>

namespace corv {

// The output of one conversion as the encoder will see it.
struct BatchOutputFormat {
    int32_t sampleType = 0; // SampleType code
    int32_t sampleRate = 0;
    int32_t channels = 0;
};

// True when the job type in settings.batcherOutputType accepts the output.
// On refusal the reason is appended to message (after the caller's prefix).
// Mono streams count only when they are the run's mode (not while stitching
// or merging).
bool ValidateBatchFormat(const BatchOutputFormat& output, const ConversionSettings& settings,
                         const EncoderBlocks& encoders, std::string& message);

} // namespace corv

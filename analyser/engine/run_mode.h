#pragma once
// What a run makes of its list, decided once from the settings so that every
// step (checks, naming, headers, jobs) agrees: stitching before merging before
// mono streams.
#include "analyser/engine/conversion_settings.h"

namespace corv {

enum class RunMode { Plain, MonoStreams, Stitch, Merge };

inline RunMode decideRunMode(const ConversionSettings& settings) {
    if (!settings.streamManipulation) return RunMode::Plain;
    if (settings.stitchFiles) return RunMode::Stitch;
    if (settings.mergeFiles) return RunMode::Merge;
    if (settings.monoStreams) return RunMode::MonoStreams;
    return RunMode::Plain;
}

inline bool combinesFiles(RunMode mode) {
    return mode == RunMode::Stitch || mode == RunMode::Merge;
}

} // namespace corv

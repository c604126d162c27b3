#pragma once
// The analysis of list entries under the engine's settings record: the few
// choices the reader follows, taken from the record.
#include "analyser/analysis/analysis_options.h"
#include "analyser/analysis/audio_file_record.h"
#include "analyser/engine/conversion_settings.h"

namespace corv {

AnalysisOptions analysisOptionsOf(const ConversionSettings& settings);

// analyseFile (wave_reader.h) with the options of the settings.
void analyseFile(AudioFileRecord& record, const ConversionSettings& settings);

} // namespace corv

#include "analyser/engine/entry_analysis.h"

#include "analyser/analysis/wave_reader.h"

namespace corv {

AnalysisOptions analysisOptionsOf(const ConversionSettings& settings) {
    AnalysisOptions options;
    options.headerSizes.ignoreSizeInHeader = settings.ignoreSizeInHeader != 0;
    options.headerSizes.ignoreIfOver2GB = settings.ignoreIfOver2GB != 0;
    options.headerSizes.ignoreIfOver4GB = settings.ignoreIfOver4GB != 0;
    options.headerSizes.ignoreAlways = settings.ignoreAlways != 0;
    options.floatCECompatible = settings.floatCECompatible != 0;
    return options;
}

void analyseFile(AudioFileRecord& record, const ConversionSettings& settings) {
    analyseFile(record, analysisOptionsOf(settings));
}

} // namespace corv

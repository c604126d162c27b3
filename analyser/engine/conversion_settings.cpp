#include "analyser/engine/conversion_settings.h"

#include "analyser/analysis/audio_codes.h"
#include "protocol/job_types.h"

namespace corv {

ConversionSettings defaultConversionSettings() {
    ConversionSettings s{};
    s.sameAsInput = 1;
    setFieldText(s.outputDirectory, "C:\\");
    s.ignoreSizeInHeader = 1;
    s.ignoreIfOver4GB = 1;
    s.outputFormat = static_cast<int32_t>(FileFormat::WavePcm);
    s.targetSampleType = static_cast<int32_t>(SampleType::Int16);
    s.targetSampleRate = 44100;
    s.normalizeFile = 1;
    s.normalizeTarget = 0.95;
    s.noiseShaping = 1;
    s.pdfType = 1;
    s.pdfAmplitude = 1.0f;
    s.showFilename = 1;
    for (int i = 0; i < kListColumnSwitches; ++i)
        s.showColumn[i] = 1;
    s.showColumn[1] = 0; // "Size" is off until the user asks for it
    s.sizeInKB = 1;
    s.monoStreams = 1;
    s.batcherOutputType = kFirstJobType;
    return s;
}

} // namespace corv

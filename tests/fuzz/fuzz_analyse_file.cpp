// The WAVE analysis on arbitrary bytes, from a real file and from memory:
// no read outside the buffers, no overflow, and a record that stays sane.
#include "analyser/analysis/wave_reader.h"
#include "analyser/engine/entry_analysis.h"
#include "platform/record_file.h"
#include "scratch_dir.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool isKnownFormat(corv::FileFormat format) {
    using enum corv::FileFormat;
    return format == WavePcm || format == WaveNonPcm || format == WaveFormatEx ||
           format == NotRecognised;
}

bool isSampleType(corv::SampleType type) {
    return std::find(std::begin(corv::kSampleTypes), std::end(corv::kSampleTypes), type) !=
           std::end(corv::kSampleTypes);
}

void checkRecognised(const corv::AudioFileRecord& r, int64_t size) {
    if (r.channels < 1 || r.sampleRate == 0 || r.bytesPerSample == 0) std::abort();
    if (r.dataStart < 20 || r.dataStart > size)
        std::abort(); // at least RIFF header + one chunk header
    if (r.frameCount < 0) std::abort();
    if (!isSampleType(r.sampleType)) std::abort();
}

// 0: the defaults (sizes trusted below 4 GB); 1: sizes always ignored and
// the float scan on; 2: sizes always trusted.
corv::AnalysisOptions variant(int which) {
    corv::ConversionSettings s = corv::defaultConversionSettings();
    s.ignoreAlways = which == 1;
    s.ignoreIfOver4GB = which != 1;
    s.floatCECompatible = which == 1;
    s.ignoreSizeInHeader = which != 2;
    return corv::analysisOptionsOf(s);
}

void analyseAsFile(const uint8_t* data, size_t size) {
    const std::string path = corv::fuzz::scratchDirectory() + "input.wav";
    if (!corv::writeRecordFile(path, data, size)) std::abort();
    for (int which = 0; which < 3; ++which) {
        corv::AudioFileRecord record;
        if (!corv::initAudioFileRecord(record, path)) std::abort();
        corv::analyseFile(record, variant(which));
        if (!isKnownFormat(record.format) || record.analysed != 1) std::abort();
        const bool recognised = record.format != corv::FileFormat::NotRecognised;
        if (recognised != (record.container != corv::WaveContainer::None)) std::abort();
        if (record.fileSize != static_cast<int64_t>(size)) std::abort();
        if (record.format != corv::FileFormat::NotRecognised) {
            checkRecognised(record, record.fileSize);
            if (record.channels > 1000) std::abort();
        }
    }
}

void parseFromMemory(const uint8_t* data, size_t size) {
    corv::MemorySource source(data, size);
    corv::AudioFileRecord record;
    record.fileSize = static_cast<int64_t>(size);
    if (corv::parseWave(record, source, variant(1))) {
        if (!isKnownFormat(record.format) || record.format == corv::FileFormat::NotRecognised)
            std::abort();
        checkRecognised(record, record.fileSize);
    }
    uint8_t buffer[520];
    source.seek(3);
    const size_t found = corv::findChunk("LIST", source, buffer, sizeof buffer);
    if (found != 0 && (found < 8 || found > sizeof buffer)) std::abort();
    if (found == 0 && source.tell() != 3) std::abort();
    source.seek(3);
    if (corv::findDataChunk("data", source)) {
        uint8_t id[4];
        if (source.read(id, 4) != 4 || std::memcmp(id, "data", 4) != 0) std::abort();
    } else if (source.tell() != 3) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    analyseAsFile(data, size);
    parseFromMemory(data, size);
    return 0;
}

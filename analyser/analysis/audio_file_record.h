#pragma once
// One entry of the file list: what the analysis found and what the last
// conversion did with it.
#include "analyser/analysis/audio_codes.h"
#include "protocol/fixed_text.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace corv {

class FileStream;

enum class ConversionResult : int32_t {
    NotConverted = 1,
    Failed = 2, // "ERR": the source could not be read or an output not written whole
    Processed = 3,
};

struct AudioFileRecord {
    char path[kPathFieldSize]{};
    char name[kPathFieldSize]{};
    char directory[kPathFieldSize]{};
    char tempPath[kPathFieldSize]{};
    FileStream* tempFile = nullptr; // temporary sample file while normalizing
    int64_t fileSize = -1;
    uint32_t channels = 0;
    uint32_t sampleRate = 0;
    FileFormat format = FileFormat::Unanalysed;
    int64_t frameCount = 0;
    uint32_t bytesPerSample = 0;
    SampleType sampleType{};
    double peak = -1.0; // -1: none measured
    int32_t analysed = 0;
    ConversionResult result = ConversionResult::NotConverted;
    int64_t dataStart = 0;
    uint32_t channelMask = 0;
    WaveContainer container = WaveContainer::None; // of a recognised file
};

// The directory the list shows: the path up to its last separator, which is
// kept only when it is also the first one (a file in a drive's root, "C:\").
std::string_view directoryOfPath(std::string_view path);

// The file's length in bytes, -1 when it cannot be found out.
int64_t measureFileSize(const std::string& path);

// Fills a fresh record for a file being added to the list. Refused (false,
// record untouched) when the path is empty, has no separator or does not fit
// the text fields, or when the file cannot be opened for reading (folders
// included).
bool initAudioFileRecord(AudioFileRecord& record, std::string_view path);

} // namespace corv

#pragma once
// Where a conversion's outputs go and what they are called; the delay written
// in a file name; the temporary sample file's name. Names already taken are
// never reused: numbering "(1)", "(2)", ... finds a free one.
#include "analyser/analysis/audio_file_record.h"
#include "analyser/engine/conversion_settings.h"
#include "analyser/engine/run_mode.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corv {

// The number after the first "DELAY" in a name, read as a C integer (leading
// blanks skipped, an optional sign) and clamped to +-kMaxDelayMilliseconds;
// 0 without "DELAY" or without a number.
inline constexpr int64_t kMaxDelayMilliseconds = int64_t{1} << 40;
int64_t delayMilliseconds(std::string_view name);

// The delay in frames at this rate, truncated toward zero; 0 unless
// processDelay is on.
int64_t delayFrames(std::string_view name, uint32_t sampleRate, const ConversionSettings& settings);

// The folder the outputs and the temporary sample file go to, ending in a
// separator: the source's folder with sameAsInput, else outputDirectory.
std::string outputDirectoryFor(const AudioFileRecord& record, const ConversionSettings& settings);

// Whether a name is taken (something of that name exists or cannot be told
// apart from existing); the engine asks the file system, tests a set.
using NameTaken = std::function<bool(const std::string& path)>;

// The file system's answer: anything that is not plainly free counts as taken.
bool takenOnDisk(const std::string& path);

struct PlannedStream {
    std::string path;
    uint32_t channelMask = 0; // "WaveFormatEx" only
};

struct NamingResult {
    std::vector<PlannedStream> streams; // empty on failure
    std::string error;                  // the user's message when it failed
};

// The names of one entry's outputs: one stream, or streamCount mono streams
// with "_ch%0*i" suffixes and, from outputChannelMask, speaker names and
// single-bit masks. Fails (with a message naming the file) when a path would
// not fit its 520-byte field, no free name is found within 100000 numbers, or
// the output format is none the converter writes.
NamingResult planOutputNames(const AudioFileRecord& record, const ConversionSettings& settings,
                             RunMode mode, uint32_t streamCount, uint32_t outputChannelMask,
                             const NameTaken& taken);

// The temporary sample file of an entry: "<name without extension>.corvandale.tmp"
// in its output folder, numbered when taken (two entries of the same name in
// different folders must not share one). Empty with error set on failure.
std::string planTemporaryPath(const AudioFileRecord& record, const ConversionSettings& settings,
                              const NameTaken& taken, std::string& error);

} // namespace corv

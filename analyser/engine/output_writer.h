#pragma once
// Output files of a conversion: the RIFF/WAVE header written when a stream is
// opened, and the padding, size patching and closing when it is complete.
// Any failed write, flush, seek or close removes the partial file.
#include "analyser/analysis/audio_codes.h"
#include "analyser/analysis/ds64_chunk.h"
#include "analyser/analysis/wave_format.h"
#include "analyser/engine/sample_types.h"
#include "platform/file_stream.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corv {

// What the header of one stream says.
struct StreamDescription {
    uint32_t channels = 0;
    uint32_t sampleRate = 0;
    SampleType sampleType{};
    uint32_t bytesPerSample = 0;
    uint32_t channelMask = 0; // "WaveFormatEx" only
};

// The output type of a pass, with the channel count and mask of one stream
// (1 for mono streams, the merged total when merging).
StreamDescription describeStream(const OutputType& out, uint32_t channels, uint32_t channelMask);

// What a WAVE output says once it passed 4 GB. Zero: a RIFF header with 0 in
// the sizes that do not fit. Rf64: a "JUNK" chunk the size of a "ds64" is
// reserved behind "WAVE" in every output, and becomes that "ds64" of an RF64
// header when the output passed 4 GB; smaller outputs stay RIFF with it.
enum class LargeSizes { Zero, Rf64 };

inline constexpr size_t kReservedDs64Bytes = 8 + kDs64FixedSize;

// "RIFF", its size and "WAVE"; the reserved chunk; the "fmt " chunk; the
// "data" chunk's header.
inline constexpr size_t kMaxHeaderSize = 12 + kReservedDs64Bytes + 8 + kFormatSizeExtensible + 8;

struct HeaderBytes {
    uint8_t bytes[kMaxHeaderSize]{};
    // 44, 46 or 68 as the "fmt " record is 16, 18 or 40, kReservedDs64Bytes
    // more for Rf64; 0 for raw samples.
    size_t size = 0;
};

// False for a format code outside the four, or fields that do not fit the
// header (no channels, more than 65535, a block align or byte rate too large).
bool buildHeader(FileFormat format, const StreamDescription& description, HeaderBytes& header,
                 LargeSizes largeSizes = LargeSizes::Zero);

struct OutputStream {
    FileStream file;
    std::string path;
    FileFormat format = FileFormat::WavePcm;
    LargeSizes largeSizes = LargeSizes::Zero;
    StreamDescription description;
    int64_t dataStart = 0; // where the samples begin: the header size
    bool created = false;  // the file is ours to remove
    bool failed = false;   // a write, flush or seek went wrong; the output is lost
};

// Creates (truncating) the file, open for reading and writing: the size patch
// walks the chunks and merging reads samples back.
bool openOutputStream(OutputStream& stream, const std::string& path, FileFormat format,
                      LargeSizes largeSizes = LargeSizes::Zero);

// The header for "Wave PCM", "Wave Non-PCM" and "WaveFormatEx", nothing for
// "Raw samples"; flushed so a full disk shows at once.
bool writeHeader(OutputStream& stream, const StreamDescription& description);

// Appends sample bytes at the current position and flushes.
bool appendSamples(OutputStream& stream, const void* data, size_t bytes);

// Pads odd data, patches the RIFF and "data" sizes (0 when they do not fit in
// 32 bits, or the RF64 header and its "ds64" for LargeSizes::Rf64), closes, and removes the file
// when deleteFile is set or anything failed. samples: the samples of this stream (frames × its
// channels). True when the stream ended as asked: complete on disk, or removed on request.
bool finishStream(OutputStream& stream, uint64_t samples, bool deleteFile);

// Every stream of one output (mono streams, or a single one). When any of them
// fails the others go too, so a failed entry leaves no partial output.
bool finishStreams(std::vector<OutputStream>& streams, uint64_t samplesPerStream, bool deleteFiles);

} // namespace corv

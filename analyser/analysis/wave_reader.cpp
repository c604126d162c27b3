#include "analyser/analysis/wave_reader.h"

#include "analyser/analysis/ds64_chunk.h"
#include "analyser/analysis/riff_names.h"
#include "analyser/analysis/wave_format.h"
#include "platform/file_stream.h"
#include "protocol/little_endian.h"

#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace corv {
namespace {

constexpr int64_t kFirstChunkOffset = 12; // behind "RIFF", size and form type
constexpr size_t kChunkHeaderSize = 8;
constexpr size_t kSmallestChunkBuffer = 100;

struct ChunkHeader {
    uint8_t id[4];
    uint32_t size;
};

bool isPrintableId(const uint8_t id[4]) {
    for (int i = 0; i < 4; ++i) {
        if (!isPrintableIdChar(id[i])) return false;
    }
    return true;
}

bool readChunkHeader(ByteSource& stream, ChunkHeader& header) {
    uint8_t bytes[kChunkHeaderSize];
    if (stream.read(bytes, sizeof bytes) != sizeof bytes) return false;
    std::memcpy(header.id, bytes, 4);
    header.size = readU32le(bytes + 4);
    return true;
}

enum class PadRule { Never, OddDataChunks };

// Walks the chunks from the first one behind the form type until one with the
// wanted id; the stream then stands behind its header. Stops at a header that
// cannot be read or whose id is not printable text.
bool walkToChunk(const char id[4], ByteSource& stream, PadRule pad, ChunkHeader& found) {
    if (!stream.seek(kFirstChunkOffset)) return false;
    bool afterOddChunk = false;
    for (;;) {
        ChunkHeader header{};
        if (!readChunkHeader(stream, header)) return false;
        // Most writers pad odd chunks with a zero byte, others do not; a header
        // that starts with that zero is read again one byte later.
        if (afterOddChunk && header.id[0] == 0) {
            int64_t retry = stream.tell() - static_cast<int64_t>(kChunkHeaderSize) + 1;
            if (!stream.seek(retry) || !readChunkHeader(stream, header)) return false;
        }
        if (!isPrintableId(header.id)) return false;
        if (std::memcmp(header.id, id, 4) == 0) {
            found = header;
            return true;
        }
        int64_t skip = header.size;
        // An odd data chunk is stepped over with its pad byte; other chunks move
        // by their size alone.
        if (pad == PadRule::OddDataChunks && std::memcmp(header.id, "data", 4) == 0 &&
            skip % 2 != 0)
            ++skip;
        afterOddChunk = skip % 2 != 0;
        int64_t here = stream.tell();
        if (here < 0 || !stream.seek(here + skip)) return false;
    }
}

constexpr int64_t kTwoGigabytes = int64_t{1} << 31;
constexpr int64_t kFourGigabytes = int64_t{1} << 32;
constexpr size_t kHeadBytes = 520;
constexpr size_t kFormatBufferSize = 520;
constexpr uint32_t kMaxChannels = 1000;

// The NaN scan reads windows of 32-bit values: one at the start of the
// samples, one in the middle once there are more than kMiddleWindowFrom bytes
// of values, and one kBeforeMiddleDistance bytes before the middle once there
// are more than kBeforeMiddleWindowFrom.
constexpr int64_t kScanValueBytes = 4;
constexpr int64_t kScanWindowBytes = 1'000'000;
constexpr int64_t kMiddleWindowFrom = 5'000'000;
constexpr int64_t kBeforeMiddleWindowFrom = 3'000'000;
constexpr int64_t kBeforeMiddleDistance = 4'000'000;

// "RIFF", "RF64" or "BW64" with the form type "WAVE"; None for anything else.
WaveContainer waveContainerOf(const uint8_t* head) {
    if (std::memcmp(head + 8, "WAVE", 4) != 0) return WaveContainer::None;
    return containerOf(head);
}

// The "ds64" chunk that must come first in an RF64 or BW64 file, with its
// three sizes whole; its table does not matter here.
bool readDs64(ByteSource& stream, Ds64& ds64) {
    ChunkHeader header{};
    uint8_t body[kDs64FixedSize];
    if (!stream.seek(kFirstChunkOffset) || !readChunkHeader(stream, header) ||
        std::memcmp(header.id, "ds64", 4) != 0 || header.size < kDs64FixedSize ||
        stream.read(body, sizeof body) != sizeof body)
        return false;
    ds64 = decodeDs64(body, sizeof body);
    return true;
}

// The header's RIFF size (the 32-bit one, or ds64's) must count every byte
// of the file behind the first 8; a 32-bit size only files below 4 GB.
bool riffSizeMatches(WaveContainer container, uint64_t riffSize, int64_t fileSize) {
    if (fileSize < 8 || riffSize != static_cast<uint64_t>(fileSize - 8)) return false;
    return container != WaveContainer::Riff || fileSize < kFourGigabytes;
}

// What the "fmt " chunk says, decoded and checked.
struct WaveFormat {
    FileFormat fileFormat = FileFormat::NotRecognised;
    bool floatData = false;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint32_t channelMask = 0;
};

// The sub-format GUID of an extensible record: PCM or IEEE float, nothing else.
bool readSubFormat(const uint8_t* guid, bool& floatData) {
    const uint32_t tag = readU32le(guid);
    if (tag != kWaveTagPcm && tag != kWaveTagFloat) return false;
    if (std::memcmp(guid + 4, kSubFormatGuidTail, sizeof kSubFormatGuidTail) != 0) return false;
    floatData = tag == kWaveTagFloat;
    return true;
}

bool readFormat(ByteSource& stream, WaveFormat& format) {
    uint8_t buffer[kFormatBufferSize]{};
    const size_t total = findChunk("fmt ", stream, buffer, sizeof buffer);
    const size_t size = total > kChunkHeaderSize ? total - kChunkHeaderSize : 0;
    if (size != kFormatSizePcm && size != kFormatSizeNonPcm && size != kFormatSizeExtensible)
        return false;
    const uint8_t* p = buffer + kChunkHeaderSize;
    const uint16_t tag = readU16le(p);
    format.channels = readU16le(p + 2);
    format.sampleRate = readU32le(p + 4);
    format.blockAlign = readU16le(p + 12);
    format.bitsPerSample = readU16le(p + 14);
    if (format.channels == 0 || format.sampleRate == 0 || format.blockAlign == 0) return false;

    if (size == kFormatSizePcm) {
        format.fileFormat = FileFormat::WavePcm;
    } else if (size == kFormatSizeNonPcm) {
        if (readU16le(p + 16) != 0) return false;
        format.fileFormat = FileFormat::WaveNonPcm;
    } else {
        if (tag != kWaveTagExtensible || readU16le(p + 16) != kExtensibleExtensionSize)
            return false;
        format.fileFormat = FileFormat::WaveFormatEx;
    }

    if (tag == kWaveTagExtensible) {
        // Only the 40-byte record carries the sub-format that says what the samples are.
        if (size != kFormatSizeExtensible || !readSubFormat(p + 24, format.floatData)) return false;
        format.channelMask = readU32le(p + 20);
        return true;
    }
    if (tag != kWaveTagPcm && tag != kWaveTagFloat) return false;
    format.floatData = tag == kWaveTagFloat;
    return true;
}

// Position of the first sample byte and the 32-bit data size of its header.
bool readDataHeader(ByteSource& stream, int64_t& dataStart, uint32_t& dataSize) {
    if (!findDataChunk("data", stream)) return false;
    uint8_t header[kChunkHeaderSize];
    if (stream.read(header, sizeof header) != sizeof header) return false;
    dataSize = readU32le(header + 4);
    dataStart = stream.tell();
    return dataStart >= 0;
}

bool chooseSampleType(const WaveFormat& format, uint32_t bytesPerSample, SampleType& type,
                      const std::function<bool()>& dataLooksLikeFloat) {
    const uint16_t bits = format.bitsPerSample;
    if (format.floatData) {
        if (bits == 32 && bytesPerSample == 4)
            type = SampleType::FloatIeee;
        else if (bits == 64 && bytesPerSample == 8)
            type = SampleType::Double;
        else
            return false;
        return true;
    }
    if (bytesPerSample == 1)
        type = SampleType::Int8;
    else if (bytesPerSample == 2)
        type = SampleType::Int16;
    else if (bytesPerSample == 3 && bits >= 17 && bits <= 24)
        type = SampleType::Int24;
    else if (bytesPerSample == 4 && bits == 24)
        type = SampleType::FloatPcm;
    else if (bytesPerSample == 4 && bits == 32)
        type = dataLooksLikeFloat() ? SampleType::FloatCe : SampleType::Int32;
    else
        return false;
    return true;
}

bool isNanPattern(uint32_t bits) {
    return (bits & 0x7F800000u) == 0x7F800000u && (bits & 0x007FFFFFu) != 0;
}

// True when the bytes from start (at most one window, never past end) hold a NaN.
bool windowHasNan(ByteSource& stream, int64_t start, int64_t end, std::vector<uint8_t>& buffer) {
    if (start >= end || !stream.seek(start)) return false;
    const int64_t wanted = end - start < kScanWindowBytes ? end - start : kScanWindowBytes;
    buffer.resize(static_cast<size_t>(wanted));
    const size_t got = stream.read(buffer.data(), buffer.size());
    constexpr size_t kValueBytes = static_cast<size_t>(kScanValueBytes);
    for (size_t at = 0; at + kValueBytes <= got; at += kValueBytes) {
        if (isNanPattern(readU32le(buffer.data() + at))) return true;
    }
    return false;
}

} // namespace

bool headerSizesIgnored(const HeaderSizeOptions& options, int64_t fileSize) {
    if (!options.ignoreSizeInHeader) return false;
    return options.ignoreAlways || (options.ignoreIfOver2GB && fileSize >= kTwoGigabytes) ||
           (options.ignoreIfOver4GB && fileSize >= kFourGigabytes);
}

size_t findChunk(const char id[4], ByteSource& stream, uint8_t* buffer, size_t capacity) {
    if (capacity < kSmallestChunkBuffer || buffer == nullptr) return 0;
    const int64_t start = stream.tell();
    ChunkHeader header{};
    if (walkToChunk(id, stream, PadRule::Never, header)) {
        // 64-bit sum: a size field near 2^32 must not wrap past the capacity test.
        const uint64_t total = uint64_t{header.size} + kChunkHeaderSize;
        if (total <= capacity) {
            std::memcpy(buffer, header.id, 4);
            writeU32le(buffer + 4, header.size);
            if (stream.read(buffer + kChunkHeaderSize, header.size) == header.size)
                return static_cast<size_t>(total);
        }
    }
    stream.seek(start);
    return 0;
}

bool findDataChunk(const char id[4], ByteSource& stream) {
    const int64_t start = stream.tell();
    ChunkHeader header{};
    if (walkToChunk(id, stream, PadRule::OddDataChunks, header)) {
        const int64_t here = stream.tell();
        if (here >= static_cast<int64_t>(kChunkHeaderSize) &&
            stream.seek(here - static_cast<int64_t>(kChunkHeaderSize)))
            return true;
    }
    stream.seek(start);
    return false;
}

bool looksLikeFloat(ByteSource& stream, int64_t dataStart, int64_t frameCount, int64_t dataBytes) {
    if (dataStart < 0 || frameCount <= 0) return true;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    // Counts beyond what any position can address would only overflow below.
    const int64_t most = (kMax - dataStart) / kScanValueBytes;
    const int64_t frames = frameCount < most ? frameCount : most;
    const int64_t valueBytes = kScanValueBytes * frames;
    if (dataBytes < 0) dataBytes = valueBytes;
    // Only sample bytes are scanned: chunks behind the data are no samples.
    const int64_t dataEnd = dataBytes < kMax - dataStart ? dataStart + dataBytes : kMax;
    const int64_t middle = dataStart + kScanValueBytes * (frames / 2);

    std::vector<uint8_t> buffer;
    if (windowHasNan(stream, dataStart, dataEnd, buffer)) return false;
    if (valueBytes > kMiddleWindowFrom && windowHasNan(stream, middle, dataEnd, buffer))
        return false;
    if (valueBytes > kBeforeMiddleWindowFrom) {
        // Up to about 2,000,000 frames it would start before the samples: start at them.
        const int64_t before =
            middle - kBeforeMiddleDistance > dataStart ? middle - kBeforeMiddleDistance : dataStart;
        if (windowHasNan(stream, before, dataEnd, buffer)) return false;
    }
    return true;
}

bool parseWave(AudioFileRecord& record, ByteSource& stream, const AnalysisOptions& options) {
    const int64_t fileSize = record.fileSize;
    const bool ignore = headerSizesIgnored(options.headerSizes, fileSize);

    uint8_t head[12];
    if (!stream.seek(0) || stream.read(head, sizeof head) != sizeof head) return false;
    const WaveContainer container = waveContainerOf(head);
    if (container == WaveContainer::None) return false;
    Ds64 ds64;
    if (container != WaveContainer::Riff && !readDs64(stream, ds64)) return false;
    const uint64_t riffSize = ds64.riffSize.value_or(readU32le(head + 4));
    if (!ignore && !riffSizeMatches(container, riffSize, fileSize)) return false;

    WaveFormat format;
    if (!readFormat(stream, format)) return false;

    int64_t dataStart = 0;
    uint32_t dataSize32 = 0;
    if (!readDataHeader(stream, dataStart, dataSize32)) return false;
    const uint64_t dataSize = ds64.dataSize.value_or(dataSize32);
    if (!ignore && (dataSize == 0 || fileSize < dataStart ||
                    static_cast<uint64_t>(fileSize - dataStart) < dataSize))
        return false;
    // An unknown or too short length leaves nothing to count frames in.
    if (ignore && fileSize < dataStart) return false;

    const uint32_t bytesPerSample = format.blockAlign / format.channels;
    if (bytesPerSample == 0) return false; // block align below the channel count
    const int64_t frameBytes = int64_t{format.channels} * bytesPerSample;
    const int64_t frameCount =
        (ignore ? fileSize - dataStart : static_cast<int64_t>(dataSize)) / frameBytes;

    SampleType type{};
    const bool scan = options.floatCECompatible;
    if (!chooseSampleType(format, bytesPerSample, type, [&] {
            return scan && looksLikeFloat(stream, dataStart, frameCount, frameCount * frameBytes);
        }))
        return false;

    record.channels = format.channels;
    record.sampleRate = format.sampleRate;
    record.channelMask = format.channelMask;
    record.bytesPerSample = bytesPerSample;
    record.frameCount = frameCount;
    record.dataStart = dataStart;
    record.sampleType = type;
    record.format = format.fileFormat;
    record.container = container;
    return true;
}

void analyseFile(AudioFileRecord& record, const AnalysisOptions& options) {
    record.format = FileFormat::NotRecognised;
    record.container = WaveContainer::None;
    FileStream file;
    if (!file.open(std::string(fieldText(record.path)), FileStream::Mode::Read)) return;
    record.fileSize = file.length();

    uint8_t head[kHeadBytes]{}; // a short file leaves the rest zero
    (void)file.read(head, sizeof head);
    if (waveContainerOf(head) != WaveContainer::None) (void)parseWave(record, file, options);

    if (record.channels > kMaxChannels) {
        record.format = FileFormat::NotRecognised;
        record.container = WaveContainer::None;
    }
    record.analysed = 1;
}

} // namespace corv

#include "analyser/analysis/wave_reader.h"

#include "analyser/analysis/byte_order.h"

#include <cstring>

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
        if (id[i] < 0x20 || id[i] > 0x7E) return false;
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
    for (;;) {
        ChunkHeader header{};
        if (!readChunkHeader(stream, header) || !isPrintableId(header.id)) return false;
        if (std::memcmp(header.id, id, 4) == 0) {
            found = header;
            return true;
        }
        int64_t skip = header.size;
        // Only sample data is known to be padded to an even length by writers.
        if (pad == PadRule::OddDataChunks && std::memcmp(header.id, "data", 4) == 0 && skip % 2 != 0) ++skip;
        int64_t here = stream.tell();
        if (here < 0 || !stream.seek(here + skip)) return false;
    }
}

} // namespace

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
            if (stream.read(buffer + kChunkHeaderSize, header.size) == header.size) return static_cast<size_t>(total);
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
        if (here >= static_cast<int64_t>(kChunkHeaderSize) && stream.seek(here - static_cast<int64_t>(kChunkHeaderSize)))
            return true;
    }
    stream.seek(start);
    return false;
}

} // namespace corv

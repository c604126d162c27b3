#include "batcher/core/data_chunk.h"

#include <cstdint>
#include <cstring>

namespace corv {
namespace {

constexpr int64_t kFirstChunk = 12; // past "RIFF", its size and "WAVE"

bool isPrintable(uint8_t c) {
    return c >= 0x20 && c <= 0x7e;
}

bool walkToData(ByteSource& source) {
    if (!source.seek(kFirstChunk)) return false;
    for (;;) {
        uint8_t header[8];
        if (source.read(header, sizeof header) != sizeof header) return false;
        for (int i = 0; i < 4; ++i)
            if (!isPrintable(header[i])) return false;
        if (std::memcmp(header, "data", 4) == 0) return true;
        uint32_t size = uint32_t{header[4]} | uint32_t{header[5]} << 8 | uint32_t{header[6]} << 16 |
                        uint32_t{header[7]} << 24;
        if (!source.seek(source.tell() + size)) return false;
    }
}

} // namespace

bool findDataChunk(ByteSource& source) {
    const int64_t start = source.tell();
    if (walkToData(source)) return true;
    source.seek(start);
    return false;
}

} // namespace corv

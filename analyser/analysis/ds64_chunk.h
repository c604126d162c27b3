#pragma once
// RF64 and BW64: WAVE files whose 32-bit sizes say 0xFFFFFFFF and whose real
// sizes stand in a "ds64" chunk right behind "WAVE". Its layout is declared
// here once, for the reader, the chunk tree and the writer.
#include "analyser/analysis/audio_codes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace corv {

// The container a file starting with these 4 bytes is; None for any other.
WaveContainer containerOf(const uint8_t* id);

// A 32-bit chunk size that sends the reader to "ds64" for the real one.
inline constexpr uint32_t kSizeInDs64 = 0xFFFFFFFF;

// The "ds64" body: the RIFF size, the "data" size and the sample count as
// 64-bit fields, the number of table entries, then the table: per entry a
// chunk id and its 64-bit size.
inline constexpr size_t kDs64RiffSizeAt = 0;
inline constexpr size_t kDs64DataSizeAt = 8;
inline constexpr size_t kDs64SampleCountAt = 16;
inline constexpr size_t kDs64TableLengthAt = 24;
inline constexpr size_t kDs64FixedSize = 28; // the body without a table
inline constexpr size_t kDs64EntrySize = 12;

struct Ds64Entry {
    char id[4];
    uint64_t size;
};

// What a "ds64" body holds as far as it goes: a field cut off by the end of
// the body stays empty, and the table has only the entries that fit.
struct Ds64 {
    std::optional<uint64_t> riffSize;
    std::optional<uint64_t> dataSize;
    std::optional<uint64_t> sampleCount;
    std::optional<uint32_t> tableLength;
    std::vector<Ds64Entry> table;

    // The 64-bit size of a chunk whose 32-bit field says kSizeInDs64: "data"
    // from its own field, others from the table; nothing when it is not there.
    std::optional<uint64_t> sizeOf(const char id[4]) const;
};

Ds64 decodeDs64(const uint8_t* body, size_t size);

// The kDs64FixedSize bytes of a body with an empty table.
void encodeDs64(uint8_t* body, uint64_t riffSize, uint64_t dataSize, uint64_t sampleCount);

} // namespace corv

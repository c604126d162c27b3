#include "analyser/analysis/ds64_chunk.h"

#include "protocol/little_endian.h"

#include <cstring>

namespace corv {

WaveContainer containerOf(const uint8_t* id) {
    for (WaveContainer container : {WaveContainer::Riff, WaveContainer::Rf64, WaveContainer::Bw64})
        if (std::memcmp(id, containerName(container).data(), 4) == 0) return container;
    return WaveContainer::None;
}

std::optional<uint64_t> Ds64::sizeOf(const char id[4]) const {
    if (std::memcmp(id, "data", 4) == 0) return dataSize;
    for (const Ds64Entry& entry : table)
        if (std::memcmp(entry.id, id, 4) == 0) return entry.size;
    return std::nullopt;
}

Ds64 decodeDs64(const uint8_t* body, size_t size) {
    Ds64 ds64;
    auto u64At = [&](size_t at) -> std::optional<uint64_t> {
        if (size < at + 8) return std::nullopt;
        return readU64le(body + at);
    };
    ds64.riffSize = u64At(kDs64RiffSizeAt);
    ds64.dataSize = u64At(kDs64DataSizeAt);
    ds64.sampleCount = u64At(kDs64SampleCountAt);
    if (size < kDs64FixedSize) return ds64;
    ds64.tableLength = readU32le(body + kDs64TableLengthAt);
    const size_t fits = (size - kDs64FixedSize) / kDs64EntrySize;
    const size_t count = *ds64.tableLength < fits ? *ds64.tableLength : fits;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = body + kDs64FixedSize + i * kDs64EntrySize;
        Ds64Entry& out = ds64.table.emplace_back();
        std::memcpy(out.id, entry, 4);
        out.size = readU64le(entry + 4);
    }
    return ds64;
}

void encodeDs64(uint8_t* body, uint64_t riffSize, uint64_t dataSize, uint64_t sampleCount) {
    writeU64le(body + kDs64RiffSizeAt, riffSize);
    writeU64le(body + kDs64DataSizeAt, dataSize);
    writeU64le(body + kDs64SampleCountAt, sampleCount);
    writeU32le(body + kDs64TableLengthAt, 0);
}

} // namespace corv

#pragma once
// Builds RIFF files byte by byte for tests: every chunk is spelled out, so
// broken and unusual files are as easy to make as canonical ones.
#include "analyser/analysis/wave_reader.h"
#include "analyser/engine/entry_analysis.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace corv::test {

using Bytes = std::vector<uint8_t>;

void putU16(Bytes& out, uint16_t value);
void putU32(Bytes& out, uint32_t value);
Bytes u32s(std::initializer_list<uint32_t> values);
Bytes u64s(std::initializer_list<uint64_t> values);
Bytes textBytes(std::string_view text); // no terminator
template <typename T> std::vector<T> cat(std::initializer_list<std::vector<T>> parts) {
    std::vector<T> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// Little-endian fields and 4-character ids read back out of written files.
uint32_t u16at(const Bytes& bytes, size_t at);
uint32_t u32at(const Bytes& bytes, size_t at);
std::string textAt(const Bytes& bytes, size_t at);

// id + 32-bit size + payload; a pad byte only when asked for.
Bytes chunk(std::string_view id, const Bytes& payload, bool padOdd = false);
// Same header with a size field that need not match the payload.
Bytes chunkWithSize(std::string_view id, uint32_t sizeField, const Bytes& payload);

struct FormatFields {
    uint16_t tag = 1;
    uint16_t channels = 2;
    uint32_t sampleRate = 44100;
    uint16_t bitsPerSample = 16;
    uint16_t containerBytes = 2; // bytes per sample of one channel
    int extensionSize = -1;      // -1: 0 for 18-byte records, 22 for 40-byte ones
    uint16_t validBits = 0;      // 0: same as bitsPerSample
    uint32_t channelMask = 3;
    uint32_t subFormat = 1; // first GUID field; the rest is the usual base GUID
};
// Payload of a "fmt " chunk of 16, 18 or 40 bytes.
Bytes formatPayload(const FormatFields& f, int recordSize = 16);

// "RIFF" + size (bytes after the first 8 unless given) + form + chunks.
Bytes riff(const std::vector<Bytes>& chunks, std::string_view form = "WAVE");
Bytes riffWithSize(uint32_t sizeField, const std::vector<Bytes>& chunks,
                   std::string_view form = "WAVE");

// A canonical file: fmt of the given record size, then data.
Bytes wave(const FormatFields& f, const Bytes& samples, int recordSize = 16);

// "RF64" (or "BW64") + 0xFFFFFFFF + "WAVE" + a "ds64" of the given body + chunks.
Bytes rf64(const Bytes& ds64Body, const std::vector<Bytes>& chunks, std::string_view id = "RF64");
// The 28-byte "ds64" body: RIFF size, data size, sample count and an empty table.
Bytes ds64Body(uint64_t riffSize, uint64_t dataSize, uint64_t sampleCount);

void writeFile(const std::string& path, const Bytes& bytes);
// The bytes, then a gap up to length that the file system need not store;
// false when it refuses such a file.
bool writeSparse(const std::string& path, const Bytes& head, int64_t length);
Bytes readFile(const std::string& path);
// The same for text, byte for byte (no line-end translation).
void writeText(const std::string& path, std::string_view text);
std::string readText(const std::string& path);
// Every occurrence of `from` replaced by `to`.
std::string replaced(std::string text, std::string_view from, std::string_view to);

// The defaults, with the RIFF and data sizes of the header always trusted.
ConversionSettings trustedSizes();

// Tree lines from `from` on, each behind a '|'; a listing matches a row's
// whole listing or, written behind "...", how it ends.
std::string joinedLines(const std::vector<std::string>& lines, size_t from = 0);
bool listingMatches(const std::string& got, std::string_view expected);

// Adds the file as the list would and analyses it.
AudioFileRecord analysePath(const std::string& path,
                            const ConversionSettings& settings = defaultConversionSettings());

} // namespace corv::test

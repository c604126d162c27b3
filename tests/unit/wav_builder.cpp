#include "wav_builder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace corv::test {

void putU16(Bytes& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void putU32(Bytes& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

Bytes u32s(std::initializer_list<uint32_t> values) {
    Bytes out;
    for (uint32_t v : values)
        putU32(out, v);
    return out;
}

Bytes u64s(std::initializer_list<uint64_t> values) {
    Bytes out;
    for (uint64_t v : values) {
        putU32(out, static_cast<uint32_t>(v));
        putU32(out, static_cast<uint32_t>(v >> 32));
    }
    return out;
}

uint32_t u16at(const Bytes& bytes, size_t at) {
    return bytes[at] | uint32_t{bytes[at + 1]} << 8;
}

uint32_t u32at(const Bytes& bytes, size_t at) {
    return u16at(bytes, at) | u16at(bytes, at + 2) << 16;
}

std::string textAt(const Bytes& bytes, size_t at) {
    return std::string(reinterpret_cast<const char*>(bytes.data()) + at, 4);
}

Bytes textBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes chunkWithSize(std::string_view id, uint32_t sizeField, const Bytes& payload) {
    Bytes out = textBytes(id.substr(0, 4));
    putU32(out, sizeField);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

Bytes chunk(std::string_view id, const Bytes& payload, bool padOdd) {
    Bytes out = chunkWithSize(id, static_cast<uint32_t>(payload.size()), payload);
    if (padOdd && payload.size() % 2) out.push_back(0);
    return out;
}

Bytes formatPayload(const FormatFields& f, int recordSize) {
    Bytes p;
    uint16_t blockAlign = static_cast<uint16_t>(f.channels * f.containerBytes);
    putU16(p, f.tag);
    putU16(p, f.channels);
    putU32(p, f.sampleRate);
    putU32(p, f.sampleRate * blockAlign);
    putU16(p, blockAlign);
    putU16(p, f.bitsPerSample);
    if (recordSize >= 18) {
        int natural = recordSize == 40 ? 22 : 0;
        putU16(p, static_cast<uint16_t>(f.extensionSize < 0 ? natural : f.extensionSize));
    }
    if (recordSize == 40) {
        putU16(p, f.validBits ? f.validBits : f.bitsPerSample);
        putU32(p, f.channelMask);
        putU32(p, f.subFormat);
        putU16(p, 0x0000);
        putU16(p, 0x0010);
        for (uint8_t b : {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71})
            p.push_back(b);
    }
    if (recordSize != 16 && recordSize != 18 && recordSize != 40)
        p.resize(static_cast<size_t>(recordSize), 0);
    return p;
}

Bytes riffWithSize(uint32_t sizeField, const std::vector<Bytes>& chunks, std::string_view form) {
    Bytes body = textBytes(form);
    for (const Bytes& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    return chunkWithSize("RIFF", sizeField, body);
}

Bytes riff(const std::vector<Bytes>& chunks, std::string_view form) {
    size_t size = 4;
    for (const Bytes& c : chunks)
        size += c.size();
    return riffWithSize(static_cast<uint32_t>(size), chunks, form);
}

Bytes wave(const FormatFields& f, const Bytes& samples, int recordSize) {
    return riff({chunk("fmt ", formatPayload(f, recordSize)), chunk("data", samples, true)});
}

Bytes rf64(const Bytes& ds64Body, const std::vector<Bytes>& chunks, std::string_view id) {
    Bytes file = riffWithSize(0xFFFFFFFFu, cat<Bytes>({{chunk("ds64", ds64Body)}, chunks}));
    std::copy(id.begin(), id.begin() + 4, file.begin());
    return file;
}

Bytes ds64Body(uint64_t riffSize, uint64_t dataSize, uint64_t sampleCount) {
    return cat<uint8_t>({u64s({riffSize, dataSize, sampleCount}), u32s({0})});
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

bool writeSparse(const std::string& path, const Bytes& head, int64_t length) {
    writeFile(path, head);
    std::error_code error;
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(length), error);
    return !error && std::filesystem::file_size(path, error) == static_cast<std::uintmax_t>(length);
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeText(const std::string& path, std::string_view text) {
    writeFile(path, textBytes(text));
}

std::string readText(const std::string& path) {
    const Bytes bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

ConversionSettings trustedSizes() {
    ConversionSettings settings = defaultConversionSettings();
    settings.ignoreSizeInHeader = 0;
    return settings;
}

std::string joinedLines(const std::vector<std::string>& lines, size_t from) {
    std::string text;
    for (size_t i = from; i < lines.size(); ++i)
        text += (i == from ? "" : "|") + lines[i];
    return text;
}

bool listingMatches(const std::string& got, std::string_view expected) {
    return expected.starts_with("...") ? got.ends_with(expected.substr(3)) : got == expected;
}

AudioFileRecord analysePath(const std::string& path, const ConversionSettings& settings) {
    AudioFileRecord record;
    if (!initAudioFileRecord(record, path)) throw std::runtime_error("cannot add " + path);
    analyseFile(record, settings);
    return record;
}

} // namespace corv::test

#pragma once
// Little-endian fields at explicit offsets of byte buffers, for stored records,
// file headers and samples alike: each byte is widened before it is shifted,
// so no host byte order or alignment is assumed.
#include <cstdint>

namespace corv {

constexpr uint16_t readU16le(const uint8_t* p) {
    return static_cast<uint16_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8);
}

constexpr uint32_t readU24le(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
}

constexpr uint32_t readU32le(const uint8_t* p) {
    return readU24le(p) | uint32_t{p[3]} << 24;
}

constexpr uint64_t readU64le(const uint8_t* p) {
    return uint64_t{readU32le(p)} | uint64_t{readU32le(p + 4)} << 32;
}

constexpr void writeU16le(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
}

constexpr void writeU24le(uint8_t* p, uint32_t value) {
    writeU16le(p, value);
    p[2] = static_cast<uint8_t>(value >> 16);
}

constexpr void writeU32le(uint8_t* p, uint32_t value) {
    writeU24le(p, value);
    p[3] = static_cast<uint8_t>(value >> 24);
}

constexpr void writeU64le(uint8_t* p, uint64_t value) {
    writeU32le(p, static_cast<uint32_t>(value));
    writeU32le(p + 4, static_cast<uint32_t>(value >> 32));
}

} // namespace corv

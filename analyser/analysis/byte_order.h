#pragma once
// Little-endian fields at explicit offsets of untrusted bytes: each byte is
// widened before it is shifted, so no host layout or alignment is assumed.
#include <cstdint>

namespace corv {

inline uint16_t readU16le(const uint8_t* p) {
    return static_cast<uint16_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8);
}

inline uint32_t readU32le(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

inline void writeU32le(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

} // namespace corv

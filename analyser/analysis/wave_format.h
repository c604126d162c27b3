#pragma once
// The format tags of a WAVE "fmt " record and the sub-format GUIDs of the
// extensible record, as the reader accepts and the writer stores them.
#include <cstdint>

namespace corv {

inline constexpr uint16_t kWaveTagPcm = 1;
inline constexpr uint16_t kWaveTagFloat = 3;
inline constexpr uint16_t kWaveTagExtensible = 0xFFFE;

// KSDATAFORMAT_SUBTYPE_PCM / _IEEE_FLOAT in a file: the format tag as a
// little-endian 32-bit field, then these 12 bytes, the same for both.
inline constexpr uint8_t kSubFormatGuidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                                   0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// Sizes of the "fmt " record: "Wave PCM", "Wave Non-PCM" (a zero extension
// size behind the PCM fields) and "WaveFormatEx" (22 bytes of extension).
inline constexpr uint32_t kFormatSizePcm = 16;
inline constexpr uint32_t kFormatSizeNonPcm = 18;
inline constexpr uint32_t kFormatSizeExtensible = 40;
inline constexpr uint16_t kExtensibleExtensionSize = kFormatSizeExtensible - kFormatSizeNonPcm;

} // namespace corv

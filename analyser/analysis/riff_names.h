#pragma once
// Names the properties tree puts beside RIFF codes, and the printf-style
// formatting its lines are written with.
#include <cstdint>
#include <string>

#include "platform/text_format.h"

namespace corv {

// A chunk identifier character as the walkers accept it: letter, digit,
// punctuation or space (plain ASCII, whatever the locale).
bool isPrintableIdChar(uint8_t c);

// " (PCM)", " (IEEE Float)", " (Alaw)", " (Mulaw)" or "" for a format tag.
const char* formatTagSuffix(uint32_t tag);

struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

// " (PCM)" and so on for a known subformat GUID, "" otherwise.
const char* subformatSuffix(const Guid& guid);

// "CF_TEXT" and so on, "Unknown" for a format that is not in the table.
const char* clipboardFormatName(uint32_t format);

// The INFO description ("Artist" for IART), nullptr for an unknown tag.
const char* infoTagDescription(const char id[4]);

// "United Kingdom" for 44; "" for a code that is not in the table.
const char* countryName(uint32_t country);

// "UK English" for 9/2; "Unknown" for a pair that is not in the table.
const char* languageName(uint32_t language, uint32_t dialect);

} // namespace corv

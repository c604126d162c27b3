#include "analyser/analysis/riff_names.h"

#include "analyser/analysis/wave_format.h"
#include "protocol/little_endian.h"

#include <cstdio>
#include <cstring>

namespace corv {

bool isPrintableIdChar(uint8_t c) {
    return c >= 0x20 && c <= 0x7E;
}

const char* formatTagSuffix(uint32_t tag) {
    switch (tag) {
    case kWaveTagPcm:
        return " (PCM)";
    case kWaveTagFloat:
        return " (IEEE Float)";
    case 6:
        return " (Alaw)";
    case 7:
        return " (Mulaw)";
    default:
        return "";
    }
}

namespace {

struct NamedGuid {
    Guid guid;
    const char* suffix;
};

// The usual base GUID xxxxxxxx-0000-0010-8000-00AA00389B71 with its first field.
constexpr Guid baseGuid(uint32_t first) {
    const uint8_t* t = kSubFormatGuidTail;
    return {
        first, readU16le(t), readU16le(t + 2), {t[4], t[5], t[6], t[7], t[8], t[9], t[10], t[11]}};
}

constexpr NamedGuid kSubformats[] = {
    {{0x6DBA3190, 0x67BD, 0x11CF, {0xA0, 0xF7, 0x00, 0x20, 0xAF, 0xD1, 0x56, 0xE4}}, " (Analog)"},
    {baseGuid(0x00000001), " (PCM)"},
    {baseGuid(0x00000003), " (IEEE Float)"},
    {baseGuid(0x00000009), " (DRM)"},
    {baseGuid(0x00000006), " (Alaw)"},
    {baseGuid(0x00000007), " (Mulaw)"},
    {baseGuid(0x00000002), " (Adpcm)"},
    {baseGuid(0x00000050), " (MPEG)"},
    {{0xAD98D184, 0xAAC3, 0x11D0, {0xA4, 0x1C, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}}, " (VC_ID)"},
    {{0x05589F81, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}}, " (Wave-Ex)"},
    {{0x518590A2, 0xA184, 0x11D0, {0x85, 0x22, 0x00, 0xC0, 0x4F, 0xD9, 0xBA, 0xF3}}, " (DSOUND)"},
};

bool sameGuid(const Guid& a, const Guid& b) {
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 &&
           std::memcmp(a.data4, b.data4, sizeof a.data4) == 0;
}

struct CodeName {
    uint32_t code;
    const char* name;
};

constexpr CodeName kClipboardFormats[] = {
    {1, "CF_TEXT"},
    {2, "CF_BITMAP"},
    {3, "CF_METAFILEPICT"},
    {4, "CF_SYLK"},
    {5, "CF_DIF"},
    {6, "CF_TIFF"},
    {7, "CF_OEMTEXT"},
    {8, "CF_DIB"},
    {9, "CF_PALETTE"},
    {10, "CF_PENDATA"},
    {11, "CF_RIFF"},
    {12, "CF_WAVE"},
    {13, "CF_UNICODETEXT"},
    {14, "CF_ENHMETAFILE"},
    {15, "CF_HDROP"},
    {16, "CF_LOCALE"},
    {128, "CF_OWNERDISPLAY"},
    {129, "CF_DSPTEXT"},
    {130, "CF_DSPBITMAP"},
    {131, "CF_DSPMETAFILEPICT"},
    {142, "CF_DSPENHMETAFILE"},
    {512, "CF_PRIVATEFIRST"},
    {768, "CF_GDIOBJFIRST"},
};

constexpr CodeName kCountries[] = {
    {0, "None"},
    {1, "USA"},
    {2, "Canada"},
    {3, "Latin America"},
    {30, "Greece"},
    {31, "Netherlands"},
    {32, "Belgium"},
    {33, "France"},
    {34, "Spain"},
    {39, "Italy"},
    {41, "Switzerland"},
    {43, "Austria"},
    {44, "United Kingdom"},
    {45, "Denmark"},
    {46, "Sweden"},
    {47, "Norway"},
    {49, "West Germany"},
    {52, "Mexico"},
    {55, "Brazil"},
    {61, "Australia"},
    {64, "New Zealand"},
    {81, "Japan"},
    {82, "Korea"},
    {86, "China"},
    {88, "Taiwan"},
    {90, "Turkey"},
    {351, "Portugal"},
    {352, "Luxembourg"},
    {354, "Iceland"},
    {358, "Finland"},
};

struct LanguageName {
    uint32_t language;
    uint32_t dialect;
    const char* name;
};

constexpr LanguageName kLanguages[] = {
    {0, 0, "None"},
    {1, 1, "Arabic"},
    {2, 1, "Bulgarian"},
    {3, 1, "Catalan"},
    {4, 1, "Traditional Chinese"},
    {4, 2, "Simplified Chinese"},
    {5, 1, "Czech"},
    {6, 1, "Danish"},
    {7, 1, "German"},
    {7, 2, "Swiss German"},
    {8, 1, "Greek"},
    {9, 1, "US English"},
    {9, 2, "UK English"},
    {10, 1, "Spanish"},
    {10, 2, "Spanish Mexican"},
    {11, 1, "Finnish"},
    {12, 1, "French"},
    {12, 2, "Belgian French"},
    {12, 3, "Canadian French"},
    {12, 4, "Swiss French"},
    {13, 1, "Hebrew"},
    {14, 1, "Hungarian"},
    {15, 1, "Icelandic"},
    {16, 1, "Italian"},
    {16, 2, "Swiss Italian"},
    {17, 1, "Japanese"},
    {18, 1, "Korean"},
    {19, 1, "Dutch"},
    {20, 1, "Norwegian - Bokmal"},
    {20, 2, "Norwegian - Nynorsk"},
    {21, 1, "Polish"},
    {22, 1, "Brazilian Portuguese"},
    {22, 2, "Portuguese"},
    {23, 1, "Rhaeto-Romanic"},
    {24, 1, "Romanian"},
    {25, 1, "Russian"},
    {26, 1, "Serbo-Croatian (Latin)"},
    {26, 2, "Serbo-Croatian (Cyrillic)"},
    {27, 1, "Slovak"},
    {28, 1, "Albanian"},
    {29, 1, "Swedish"},
    {30, 1, "Thai"},
    {31, 1, "Turkish"},
    {32, 1, "Urdu"},
    {33, 1, "Bahasa"},
};

struct InfoTag {
    char id[5];
    const char* description;
};

// Tested in this order.
constexpr InfoTag kInfoTags[] = {
    {"IARL", "Archival Location"}, {"IART", "Artist"},     {"ICMS", "Commissioned"},
    {"ICMT", "Comments"},          {"ICOP", "Copyright"},  {"ICRD", "Creation date"},
    {"ICRP", "Cropped"},           {"IDIM", "Dimensions"}, {"IDPI", "Dots Per Inch"},
    {"IENG", "Engineer"},          {"IGNR", "Genre"},      {"IKEY", "Keywords"},
    {"ILGT", "Lightness"},         {"IMED", "Medium"},     {"INAM", "Name"},
    {"IPLT", "Palette"},           {"IPRD", "Product"},    {"ISBJ", "Subject"},
    {"ISFT", "Software"},          {"ISHP", "Sharpness"},  {"ISRC", "Source"},
    {"ISRF", "Source Form"},       {"ITCH", "Technician"},
};

template <size_t N>
const char* lookUp(const CodeName (&table)[N], uint32_t code, const char* otherwise) {
    for (const CodeName& entry : table)
        if (entry.code == code) return entry.name;
    return otherwise;
}

} // namespace

const char* subformatSuffix(const Guid& guid) {
    for (const NamedGuid& entry : kSubformats)
        if (sameGuid(entry.guid, guid)) return entry.suffix;
    return "";
}

const char* clipboardFormatName(uint32_t format) {
    return lookUp(kClipboardFormats, format, "Unknown");
}

const char* infoTagDescription(const char id[4]) {
    for (const InfoTag& tag : kInfoTags)
        if (std::memcmp(tag.id, id, 4) == 0) return tag.description;
    return nullptr;
}

const char* countryName(uint32_t country) {
    return lookUp(kCountries, country, "");
}

const char* languageName(uint32_t language, uint32_t dialect) {
    for (const LanguageName& entry : kLanguages)
        if (entry.language == language && entry.dialect == dialect) return entry.name;
    return "Unknown";
}

} // namespace corv

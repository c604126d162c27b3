// The properties tree of real files: header, limits, decoded chunk bodies,
// broken and truncated files; and the LIST contents in it: INFO tags,
// associated data, AVI header lists, and lists whose sub-chunks lie about
// their sizes. Listings are written one tree line after the other, each line
// behind a '|'.
#include "analyser/analysis/chunk_tree.h"
#include "analyser/analysis/list_chunk.h"
#include "platform/byte_source.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace corv {
namespace {

using test::Bytes;
using test::cat;
using test::chunk;
using test::chunkWithSize;
using test::FormatFields;
using test::formatPayload;
using test::putU16;
using test::riff;
using test::textBytes;
using test::u32s;

const HeaderSizeOptions kDefaultSizes = analysisOptionsOf(defaultConversionSettings()).headerSizes;
const HeaderSizeOptions kAlways{true, false, false, true}, kTrusted{false, false, false, true},
    kOver2GB{true, true, false, false}, kOver4GB{true, false, true, false};

std::string listing(const std::vector<TextNode>& tree) {
    return test::joinedLines(treeLines(tree));
}

// The tree of bytes written to a real file; fileSize -2 means the real size.
std::vector<TextNode> treeOf(const Bytes& bytes, int64_t fileSize = -2,
                             const HeaderSizeOptions& options = kDefaultSizes) {
    const test::TempDir temp;
    test::writeFile(temp.file("probe.wav"), bytes);
    return buildChunkTree(temp.file("probe.wav"),
                          fileSize == -2 ? static_cast<int64_t>(bytes.size()) : fileSize, options);
}

std::string listingOf(const Bytes& bytes, int64_t fileSize = -2,
                      const HeaderSizeOptions& options = kDefaultSizes) {
    return listing(treeOf(bytes, fileSize, options));
}

const std::string kStereo16 = "|      Number of channels: 2|      Sample Rate: 44100 Hz"
                              "|      Average bytes per sec.: 176400 |      Block align: 4 bytes"
                              "|      Bits per sample: 16 ";
const std::string kPcmFormat = "|    fmt |      size: 16 bytes|      Format: 1 (PCM)" + kStereo16;

// Each row: the file (its real size, the default size options) and its whole
// listing, or, behind "...", how the listing ends.
TEST(ChunkTreeFile, ChunkBodiesAndBrokenFiles) {
    const auto extensible = [](FormatFields f) {
        f.tag = 65534;
        return riff({chunk("fmt ", formatPayload(f, 40))});
    };
    Bytes analog = formatPayload({.tag = 65534}, 40);
    // The analog GUID 6DBA3190-67BD-11CF-A0F7-0020AFD156E4, byte by byte.
    const uint8_t analogGuid[16] = {0x90, 0x31, 0xBA, 0x6D, 0xBD, 0x67, 0xCF, 0x11,
                                    0xA0, 0xF7, 0x00, 0x20, 0xAF, 0xD1, 0x56, 0xE4};
    std::copy(analogGuid, analogGuid + 16, analog.begin() + 24);
    const Bytes canonical = test::wave(FormatFields{}, Bytes(8, 0));
    // Two ds64 table entries claimed, one and a part of the next in the body.
    const Bytes table = cat<uint8_t>({textBytes("big "), test::u64s({5000000000}), u32s({7})});
    const Bytes ds64 = cat<uint8_t>({test::u64s({1234, 40, 10}), u32s({2}), table});
    const auto cuePoint = [](uint32_t name, uint32_t position, uint32_t sampleOffset) {
        return cat({u32s({name, position}), textBytes("data"), u32s({0, 0, sampleOffset})});
    };
    const std::string fact5 =
        "|    fact|      size: 4 bytes|      Samples per channel: 5 (sometimes incorrect)";
    // 0x0AAAAAAB * 24 + 4 wraps to 12 in 32 bits: it must not pass as one record.
    const Bytes wrappingCue = cat({u32s({0x0AAAAAABu}), Bytes(8, 0)});
    const struct {
        const char* what;
        Bytes file;
        std::string expected;
    } cases[] = {
        {"canonical PCM", canonical,
         "RIFF|  size: 44 bytes|  WAVE" + kPcmFormat + "|    data|      size: 8 bytes"},
        {"40-byte format", extensible({}),
         "RIFF|  size: 52 bytes|  WAVE|    fmt |      size: 40 bytes|      Format: 65534 "
         "(Determined by subformat)" +
             kStereo16 +
             "|      Vallid bits per sample: 16 |      Channelmask: 3 "
             "|      Subformat: 00000001   00000010   800000AA   00389B71 (PCM)"},
        {"unknown sub-format", extensible({.subFormat = 0xABCD1234}),
         "...|      Subformat: ABCD1234   00000010   800000AA   00389B71"},
        {"analog sub-format", riff({chunk("fmt ", analog)}),
         "...|      Subformat: 6DBA3190   67BD11CF   A0F70020   AFD156E4 (Analog)"},
        {"signed channel mask", extensible({.channelMask = 0x80000001}),
         "...|      Channelmask: -2147483647 |      Subformat: 00000001   00000010   800000AA   "
         "00389B71 (PCM)"},
        {"18-byte format", riff({chunk("fmt ", formatPayload({.tag = 6}, 18))}),
         "...|      Format: 6 (Alaw)" + kStereo16 + "|      Extension size: 0 "},
        {"20-byte format", riff({chunk("fmt ", Bytes(20, 1)), chunk("data", Bytes(2, 0))}),
         "RIFF|  size: 42 bytes|  WAVE|    fmt |      size: 20 bytes|      Unknown fmt chunk|    "
         "data|      size: 2 bytes"},
        {"14-byte format", riff({chunk("fmt ", Bytes(14, 1))}), "...|      Unknown fmt chunk"},
        {"odd data chunk with its pad",
         riff({chunk("data", Bytes(3, 9), true), chunk("fact", u32s({1234}))}),
         "RIFF|  size: 28 bytes|  WAVE|    data|      size: 3 bytes|    fact|      size: 4 bytes|  "
         "    Samples per channel: 1234 (sometimes incorrect)"},
        {"odd chunk with its pad",
         riff({chunk("junk", Bytes(3, 0x41), true), chunk("fact", u32s({5}))}),
         "RIFF|  size: 28 bytes|  WAVE|    junk|      size: 3 bytes" + fact5},
        {"odd chunk without a pad", riff({chunk("junk", Bytes(3, 0x41)), chunk("fact", u32s({5}))}),
         "RIFF|  size: 27 bytes|  WAVE|    junk|      size: 3 bytes" + fact5},
        {"short fact", riff({chunk("fact", {0x02, 0x01}), chunk("data", Bytes(2, 0xFF))}),
         "RIFF|  size: 24 bytes|  WAVE|    fact|      size: 2 bytes|      Samples per channel: 258 "
         "(sometimes incorrect)|    data|      size: 2 bytes"},
        {"cue points",
         riff({chunk("cue ", cat({u32s({2}), cuePoint(1, 0, 100), cuePoint(2, 1, 4000000000u)}))}),
         "RIFF|  size: 64 bytes|  WAVE|    cue |      size: 52 bytes|      Number of cue's: 2"
         "|      Cuepoint|        Name: 1|        Position: 0|        Fcc: data|        Chunk "
         "start: 0|        Block start: 0|        Sample offset 100|      Cuepoint|        Name: 2"
         "|        Position: 1|        Fcc: data|        Chunk start: 0|        Block start: 0"
         "|        Sample offset 4000000000"},
        {"no cue points", riff({chunk("cue ", u32s({0}))}), "...|      Number of cue's: 0"},
        {"too many cue points",
         riff({chunk("cue ", cat({u32s({3}), cuePoint(1, 2, 3), cuePoint(1, 2, 3)}))}),
         "RIFF|  size: 64 bytes|  WAVE|    cue |      size: 52 bytes"},
        {"too few cue points",
         riff({chunk("cue ", cat({u32s({1}), cuePoint(1, 2, 3), cuePoint(1, 2, 3)})),
               chunk("fact", u32s({5}))}),
         "RIFF|  size: 76 bytes|  WAVE|    cue |      size: 52 bytes" + fact5},
        {"cue count wrapping", riff({chunk("cue ", wrappingCue), chunk("fact", u32s({5}))}),
         "RIFF|  size: 36 bytes|  WAVE|    cue |      size: 12 bytes" + fact5},
        {"cue count all ones", riff({chunk("cue ", cat({u32s({0xFFFFFFFFu}), cuePoint(1, 2, 3)}))}),
         "RIFF|  size: 40 bytes|  WAVE|    cue |      size: 28 bytes"},
        {"playlist", riff({chunk("plst", u32s({1, 7, 44100, 3}))}),
         "RIFF|  size: 28 bytes|  WAVE|    plst|      size: 16 bytes|      Number of playlist "
         "segments: 1|      Playsegment|        Name: 7|        Length: 44100|        Loops: 3"},
        {"playlist count wrong", riff({chunk("plst", u32s({2, 7, 44100, 3}))}),
         "RIFF|  size: 28 bytes|  WAVE|    plst|      size: 16 bytes"},
        {"display text", riff({chunk("DISP", cat({u32s({1}), textBytes("Hello"), Bytes(3, 0)}))}),
         "RIFF|  size: 24 bytes|  WAVE|    DISP|      size: 12 bytes|      Type: 1 (CF_TEXT)|      "
         "data: Hello"},
        {"display bitmap", riff({chunk("DISP", u32s({8, 0}))}), "...|      Type: 8 (CF_DIB)"},
        {"display unknown", riff({chunk("DISP", u32s({999, 0}))}), "...|      Type: 999 (Unknown)"},
        {"display of 5 bytes", riff({chunk("DISP", cat({u32s({1}), textBytes("A")}))}),
         "...|    DISP|      size: 5 bytes"},
        // No terminator: the text ends with the chunk, not in the next header.
        {"display text unterminated",
         riff({chunk("DISP", cat({u32s({7}), textBytes("ABCD")})), chunk("data", Bytes(2, 0x41))}),
         "RIFF|  size: 30 bytes|  WAVE|    DISP|      size: 8 bytes|      Type: 7 (CF_OEMTEXT)"
         "|      data: ABCD|    data|      size: 2 bytes"},
        {"display text too long",
         riff({chunk("DISP", cat({u32s({129}), textBytes(std::string(600, 'x'))}))}),
         "...|      Type: 129 (CF_DSPTEXT)|      data: " + std::string(519, 'x')},
        {"INFO list",
         riff({chunk("LIST",
                     cat({textBytes("INFO"), chunk("INAM", textBytes(std::string("Song\0", 5)))}),
                     true)}),
         "RIFF|  size: 30 bytes|  WAVE|    LIST|      size: 17 bytes|      INFO|        INAM "
         "(Name)|          size: 5|          data: Song"},
        {"header without form", u32s({0x46464952, 4}), "RIFF|  size: 4 bytes"},
        // Not RIFF or too short: no tree at all.
        {"not RIFF", textBytes("ID3\x03\x00\x00\x00\x00\x00\x10 some mp3 frames"), ""},
        {"cut inside the header", textBytes("RIFF\x04"), ""},
        {"empty", {}, ""},
        {"cut inside the format body", Bytes(canonical.begin(), canonical.begin() + 30),
         "RIFF|  size: 44 bytes|  WAVE|    fmt |      size: 16 bytes"},
        {"cut inside the data header", Bytes(canonical.begin(), canonical.begin() + 40),
         "RIFF|  size: 44 bytes|  WAVE" + kPcmFormat},
        {"list past the end of the file",
         riff({chunkWithSize("LIST", 500, textBytes(std::string("INFOINAM\x05\0\0\0Song", 16)))}),
         "RIFF|  size: 28 bytes|  WAVE|    LIST|      size: 500 bytes"},
        {"non-printable id",
         riff(
             {chunk("fact", u32s({5})), chunk("\x01xyz", Bytes(4, 0)), chunk("data", Bytes(2, 0))}),
         "RIFF|  size: 38 bytes|  WAVE" + fact5},
        // Chunks over the read limit are skipped by seeking, not allocated.
        {"large chunk",
         riff({chunk("DISP", cat({u32s({1}), Bytes(999996, 0)})), chunk("fact", u32s({5}))}),
         "RIFF|  size: 1000024 bytes|  WAVE|    DISP|      size: 1000000 bytes" + fact5},
        {"RF64 with a ds64 table",
         test::rf64(ds64, {chunkWithSize("data", 0xFFFFFFFF, Bytes(40, 0)),
                           chunkWithSize("big ", 0xFFFFFFFF, {})}),
         "RF64|  size: 4294967295 bytes|  WAVE|    ds64|      size: 44 bytes|      RIFF size: "
         "1234 bytes|      Data size: 40 bytes|      Sample count: 10|      Table entries: 2| "
         "     Chunk big : 5000000000 bytes|    data|      size: 40 bytes (from ds64)|    big | "
         "     size: 5000000000 bytes (from ds64)"},
        // The plain 28-byte ds64 that our own writer makes: no table.
        {"RF64 as written here",
         test::rf64(cat<uint8_t>({test::u64s({76, 8, 2}), u32s({0})}),
                    {chunkWithSize("data", 0xFFFFFFFF, Bytes(8, 0))}),
         "RF64|  size: 4294967295 bytes|  WAVE|    ds64|      size: 28 bytes|      RIFF "
         "size: 76 bytes|      Data size: 8 bytes|      Sample count: 2|      Table "
         "entries: 0|    data|      size: 8 bytes (from ds64)"},
        {"chunk size near 4 GB", riff({chunkWithSize("LIST", 0xFFFFFFF0u, textBytes("INFO"))}),
         "...|    LIST|      size: 4294967280 bytes"},
    };
    EXPECT_TRUE(buildChunkTree(test::TempDir().file("missing.wav"), -1, kDefaultSizes).empty());
    for (const auto& c : cases) {
        const std::string got = listingOf(c.file);
        EXPECT_TRUE(test::listingMatches(got, c.expected)) << c.what << ": " << got;
    }
    // The root and the data chunk open expanded, the data's size line does not; memory reads alike.
    const auto tree = treeOf(canonical);
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_TRUE(tree[0].expanded);
    ASSERT_EQ(tree[0].children.size(), 2u);
    EXPECT_TRUE(tree[0].children[1].expanded);
    EXPECT_FALSE(tree[0].children[1].children[0].expanded);
    MemorySource memory(canonical);
    EXPECT_EQ(listing(buildChunkTree(memory, 52, kDefaultSizes)), listing(tree));
}

TEST(ChunkTreeFile, RiffSizeOptionsDecideTheWalkLimit) {
    // A data chunk claiming 2 GB in a 60-byte file.
    const Bytes huge = test::riffWithSize(
        0x7FFFFFF0, {chunk("fmt ", formatPayload({})),
                     chunkWithSize("data", 0x7FFFFFF0, Bytes(8, 0)), chunk("fact", u32s({7}))});
    const std::string plain = "RIFF|  size: 2147483632 bytes",
                      ignored = plain + " (ignored by corvandale)";
    const std::string dataShown = "|  WAVE" + kPcmFormat + "|    data|      size: 2147483632 bytes";
    const struct {
        int64_t fileSize; // -2: the real size
        HeaderSizeOptions options;
        std::string expected;
    } cases[] = {
        // Ignored, the walk ends at the file's end; trusted, the data chunk shows.
        {-2, kAlways, ignored + "|  WAVE" + kPcmFormat},
        {-2, kTrusted, plain + dataShown},
        // Each choice turns at its exact length. Over 2 GB the limit is the given size,
        // over 4 GB it stays 4294967295.
        {2147483648, kOver2GB, ignored + "|  WAVE" + kPcmFormat},
        {3000000000, kOver2GB, ignored + dataShown},
        {2147483647, kOver2GB, plain + dataShown},
        {2147483648, kOver4GB, plain + dataShown},
        {4294967295, kOver4GB, plain + dataShown},
        {4294967296, kOver4GB, ignored + dataShown},
        {5000000000, {false, true, true, true}, plain + dataShown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(listingOf(huge, c.fileSize, c.options), c.expected) << c.fileSize;

    // A first chunk as large as the limit ends the walk at once.
    const Bytes file = riff({chunkWithSize("data", 100, Bytes(100, 0))});
    EXPECT_EQ(
        listingOf(file, -2, kAlways),
        "RIFF|  size: 112 bytes (ignored by corvandale)|  WAVE|    data|      size: 100 bytes");
    EXPECT_EQ(listingOf(file, 100, kAlways),
              "RIFF|  size: 112 bytes (ignored by corvandale)|  WAVE");
}

// ---- LIST contents ----

Bytes cString(const std::string& text) {
    return cat({textBytes(text), Bytes(1, 0)});
}

// "LIST", its size, the type and the sub-chunks as given.
Bytes list(std::string_view type, std::initializer_list<Bytes> subChunks) {
    Bytes body = textBytes(type);
    for (const Bytes& sub : subChunks)
        body.insert(body.end(), sub.begin(), sub.end());
    return chunk("LIST", body);
}

// The lines the walker hangs under a parent called "LIST" (no size line:
// that belongs to the caller).
std::string walked(const Bytes& bytes) {
    TextNode parent;
    parent.text = "LIST";
    walkListChunk(parent, ChunkBytes(bytes.data(), bytes.size()));
    return test::joinedLines(treeLines({parent}), 1);
}

Bytes labelledText(uint16_t country, uint16_t language, uint16_t dialect) {
    Bytes out = cat({u32s({3, 44100}), textBytes("rgn ")});
    for (uint16_t v : {country, language, dialect, uint16_t{1252}})
        putU16(out, v);
    return out;
}

Bytes streamHeader(std::string_view type, std::string_view handler, int16_t bottom) {
    Bytes out = cat({textBytes(type), textBytes(handler), u32s({0, 0x00090001}),
                     u32s({0, 1, 25, 0, 250, 76800, 10000, 0})});
    for (int16_t v : {int16_t{0}, int16_t{0}, int16_t{320}, bottom})
        putU16(out, static_cast<uint16_t>(v));
    return out;
}

Bytes bitmapFormat() {
    return cat({u32s({40, 320, static_cast<uint32_t>(-240), 0x00180001}),
                u32s({0, 230400, 2835, 2835, 0, 0}), Bytes{1, 2, 3, 0}});
}

const Bytes kWaveFormat = test::formatPayload({}, 18);

TEST(ListChunk, Listings) {
    const std::string name = "    INAM (Name)|      size: 5|      data: Song";
    const std::string nameA = "  INFO|    INAM (Name)|      size: 2|      data: a";
    Bytes tinyLabel;
    putU16(tinyLabel, 0x0201);
    Bytes overlongLtxt = labelledText(1, 9, 1);
    overlongLtxt.push_back(0);
    const struct {
        const char* what;
        Bytes bytes;
        std::string expected;
    } cases[] = {
        {"INFO name with its terminator", list("INFO", {chunk("INAM", cString("Song"))}),
         "  INFO|" + name},
        {"INFO tags in any list type, unknown tags",
         list("adtl", {chunk("IART", cString("Band")), chunk("IXYZ", cString("abc")),
                       chunk("ITCH", cString("Tom")), chunk("ICRD", cString("1999"))}),
         "  adtl|    IART (Artist)|      size: 5|      data: Band|    IXYZ (Unknown)|      size: "
         "4|    ITCH (Technician)|      size: 4|      data: Tom|    ICRD (Creation date)|      "
         "size: 5|      data: 1999"},
        // The pad byte of the RIFF rule is stepped over, and sub-chunks packed
        // without it are read as they stand.
        {"odd sub-chunks padded",
         list("INFO", {chunk("INAM", cString("Song"), true), chunk("IART", cString("Me"), true)}),
         "  INFO|" + name + "|    IART (Artist)|      size: 3|      data: Me"},
        {"odd sub-chunks unpadded",
         list("INFO", {chunk("INAM", cString("Song")), chunk("IART", cString("Me"))}),
         "  INFO|" + name + "|    IART (Artist)|      size: 3|      data: Me"},
        {"INFO text at its limit", list("INFO", {chunk("ICMT", textBytes(std::string(600, 'a')))}),
         "...|      size: 600|      data: " + std::string(519, 'a')},
        {"stream name at its limit",
         list("strl", {chunk("strn", textBytes(std::string(600, 'a')))}),
         "  strl|    strn (name)|      Size: 600|      Data: " + std::string(500, 'a')},
        // No terminator: the text ends with the sub-chunk, not in the next one.
        {"unterminated text",
         list("INFO", {chunk("INAM", textBytes("abcd")), chunk("IART", cString("X"))}),
         "  INFO|    INAM (Name)|      size: 4|      data: abcd|    IART (Artist)|      size: "
         "2|      data: X"},
        {"labels and notes",
         list("adtl", {chunk("labl", cat({u32s({1}), cString("Intro")})),
                       chunk("note", cat({u32s({4000000000u}), textBytes("unterminated")}))}),
         "  adtl|    labl|      size: 10|      Name: 1|      data Intro|    note|      size: "
         "16|      Name: 4000000000|      data unterminated"},
        // Shorter than its cue name: the missing bytes count as zero and the
        // following sub-chunk is not read as part of it.
        {"label shorter than its name",
         list("adtl", {chunk("labl", tinyLabel), chunk("note", cat({u32s({2}), cString("n")}))}),
         "  adtl|    labl|      size: 2|      Name: 513|      data |    note|      size: 6|     "
         " Name: 2|      data n"},
        {"labelled text", list("adtl", {chunk("ltxt", labelledText(44, 9, 2))}),
         "  adtl|    ltxt|      size: 20|      Name: 3|      Length in sampels: 44100|      "
         "Purpose: rgn  (0x206E6772)|      Country: 44 (United Kingdom)|      Language: 9 (UK "
         "English)|      Dialect: 2|      Codepage: 1252"},
        {"unnamed country, unknown language", list("adtl", {chunk("ltxt", labelledText(7, 9, 3))}),
         "...|      Country: 7 ()|      Language: 9 (Unknown)|      Dialect: 3|      Codepage: "
         "1252"},
        {"language by dialect", list("adtl", {chunk("ltxt", labelledText(47, 20, 2))}),
         "...|      Language: 20 (Norwegian - Nynorsk)|      Dialect: 2|      Codepage: 1252"},
        // A labelled text or main header of the wrong size ends the list.
        {"labelled text too long",
         list("adtl", {chunk("labl", cat({u32s({1}), cString("a")})), chunk("ltxt", overlongLtxt),
                       chunk("labl", cat({u32s({2}), cString("b")}))}),
         "  adtl|    labl|      size: 6|      Name: 1|      data a"},
        {"short main header",
         list("hdrl", {chunk("avih", Bytes(52, 0)), chunk("IART", cString("a"))}), "  hdrl"},
        // Seven bytes or fewer: nothing, not even the type.
        {"seven bytes", chunkWithSize("LIST", 7, textBytes("INFOxxx")), ""},
        {"three bytes", Bytes{'L', 'I', 'S'}, ""},
        {"movie list", list("movi", {chunk("00dc", Bytes(4, 1))}), ""},
        // A zero size, a sub-chunk past the end or a strange identifier end the list.
        {"zero size",
         list("INFO", {chunk("INAM", cString("a")), chunkWithSize("IART", 0, {}),
                       chunk("ISFT", cString("b"))}),
         nameA},
        {"sub-chunk past the end",
         list("INFO", {chunk("INAM", cString("a")), chunkWithSize("IART", 3, cString("b"))}),
         nameA},
        {"strange identifier", list("INFO", {chunk("IN\tM", cString("a"))}), "  INFO"},
        {"list size beyond the bytes",
         chunkWithSize("LIST", 5000,
                       cat({textBytes("INFO"), chunk("INAM", cString("a")),
                            chunkWithSize("IART", 200, cString("b"))})),
         nameA},
        // A format without a header in its own list gets no suffix and no lines.
        {"orphan format", list("strl", {chunk("strf", kWaveFormat)}),
         "  strl|    strf|      Size: 18"},
        // A failing nested list ends only its own walk.
        {"failing nested list",
         list("hdrl", {list("strl", {chunk("strn", cString("a")), chunkWithSize("strn", 0, {})}),
                       chunk("strn", cString("after"))}),
         "  hdrl|    LIST|      size: 22|      strl|        strn (name)|          Size: 2|      "
         "    Data: a|    strn (name)|      Size: 6|      Data: after"},
    };
    for (const auto& c : cases) {
        const std::string got = walked(c.bytes);
        EXPECT_TRUE(test::listingMatches(got, c.expected)) << c.what << ": " << got;
    }
}

TEST(ListChunk, AviHeaderListsAndTheStreamTypeOfTheLatestHeaderInTheSameList) {
    const Bytes mainHeader = u32s({33333, 1000000, 0, 16, 250, 0, 2, 65536, 320, 240, 0, 0, 0, 0});
    const Bytes hdrl =
        list("hdrl",
             {chunk("avih", mainHeader),
              list("strl", {chunk("strh", streamHeader("vids", "DIB ", -1)),
                            chunk("strf", bitmapFormat()), chunk("strn", cString("Video"))}),
              list("strl", {chunk("strh", streamHeader("auds", std::string(4, '\0'), 0)),
                            chunk("strf", kWaveFormat), chunk("strn", cString("Audio track"))})});
    const Bytes file = riff(
        {hdrl, list("movi", {chunk("00dc", Bytes(6, 7))}), chunk("idx1", Bytes(16, 0))}, "AVI ");
    // The audio stream header differs from the video one only in type, handler and frame.
    const auto streamLines = [](const std::string& type, const std::string& handler, int bottom) {
        const std::string at = "|              ";
        return "|            strh" + at + "size: 56" + at + "Fcc type: " + type + at +
               "Fcc handler: " + handler + at + "Flags: 0" + at + "Priority: 1" + at +
               "Language: 9" + at + "Initial frames: 0" + at + "Scale: 1" + at + "Rate: 25" + at +
               "Start time stream: 0" + at + "Length stream: 250" + at +
               "Suggested buffersize: 76800" + at + "Quality: 10000 (0-10k)" + at +
               "Size of single sample data 0 " + at +
               "Rc frame Left:0 Top:0 Right:320 Botom:" + std::to_string(bottom);
    };
    const std::string expected =
        "RIFF|  size: 394 bytes|  AVI |    LIST|      size: 332 bytes|      hdrl|        Fcc: "
        "avih|        Size: 56|        Microseconds between frames: 33333|        Maximum "
        "bitrate: 1000000 (approximation)|        Alignment for data: 0|        Flags 16|       "
        " Total number of frames: 250|        Initial frames: 0|        Number of streams: 2|   "
        "     Suggested buffer size: 65536|        Width: 320|        Height: 240|        "
        "Reserved: 0 0 0 0|        LIST|          size: 134|          strl" +
        streamLines("vids", "DIB ", -1) +
        "|            strf (BITMAPINFO  struct)|              Size: 44|              Size struct: "
        "40|              Width: 320|              Height: -240|              Number of planes: "
        "1|              Bit count class: 24|              Compression class: 0|              "
        "Image size: 230400 bytes|              Horizontal resolution: 2835 (pixels/meter)|     "
        "         Vertical resolution: 2835 (pixels/meter)|              Number of color "
        "indexes in the color table used: 0|              Number of color indexes required for "
        "displaying: 0|              Intensity of blue: 1|              Intensity of green: 2|  "
        "            Intensity of red: 3|              Reserverd: 0|            strn (name)|    "
        "          Size: 6|              Data: Video|        LIST|          size: 114|          "
        "strl" +
        streamLines("auds", "", 0) +
        "|            strf (WAVEFORMATEX struct)|              Size: 18|              Format: 1 "
        "(PCM)|              Number of channels: 2|              Sample Rate: 44100 Hz|          "
        "    Average bytes per sec.: 176400 |              Block align: 4 bytes|              "
        "Bits per sample: 16 |              Number of bytes extra info: 0 |            strn "
        "(name)|              Size: 12|              Data: Audio track|    LIST|      size: 18 "
        "bytes|    idx1|      size: 16 bytes";
    EXPECT_EQ(listingOf(file), expected);
    // The nested list starts afresh, and a text stream gives no suffix either.
    const Bytes nested =
        list("hdrl", {chunk("strh", streamHeader("auds", "    ", 0)),
                      list("strl", {chunk("strf", kWaveFormat)}),
                      chunk("strh", streamHeader("txts", "    ", 0)), chunk("strf", kWaveFormat)});
    const std::string lines = walked(nested);
    EXPECT_NE(lines.find("|      strl|        strf|          Size: 18|    strh|"),
              std::string::npos)
        << lines;
    EXPECT_TRUE(lines.ends_with("Botom:0|    strf|      Size: 18")) << lines;
}

TEST(ListChunk, ShortStreamRecordsReadZeroAndDeepNestingIsCutAtTheLimit) {
    // Each short record reads as the same record filled up with zeros, apart
    // from its size line; the name after it is not taken for its fields.
    const auto listing = [](const Bytes& header, const Bytes& format, size_t zeros) {
        const Bytes bytes =
            list("strl", {chunk("strh", header), chunk("strf", cat({format, Bytes(zeros, 0)})),
                          chunk("strn", cString("v"))});
        TextNode parent;
        walkListChunk(parent, ChunkBytes(bytes.data(), bytes.size()));
        return treeLines({parent});
    };
    std::vector<std::string> video = listing(textBytes("vidsDIB "), u32s({40}), 0);
    const auto filled = listing(cat({textBytes("vidsDIB "), Bytes(48, 0)}), u32s({40}), 36);
    ASSERT_EQ(video.size(), 38u);
    EXPECT_EQ(video[3], "      size: 8");
    EXPECT_EQ(video[19], "      Size: 4");
    video[3] = filled[3], video[19] = filled[19];
    EXPECT_EQ(video, filled);
    EXPECT_EQ(video.back(), "      Data: v");

    const Bytes shortWave = u32s({0x00010003});
    std::vector<std::string> audio = listing(textBytes("auds"), shortWave, 0);
    const auto audioFilled = listing(textBytes("auds"), shortWave, 14);
    const size_t sizeLine = audio.size() - 11;
    EXPECT_EQ(audio[sizeLine], "      Size: 4");
    audio[sizeLine] = audioFilled[sizeLine];
    EXPECT_EQ(audio, audioFilled);
    EXPECT_EQ(audio[sizeLine + 1], "      Format: 3 (IEEE Float)");
    Bytes inner = list("INFO", {chunk("INAM", cString("deep"))});
    for (int i = 0; i < 40; ++i)
        inner = list("INFO", {inner});
    TextNode parent;
    walkListChunk(parent, ChunkBytes(inner.data(), inner.size()));
    const std::vector<std::string> lines = treeLines({parent});
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.ends_with("INFO"); }),
              kMaxListDepth);
    // The list beyond the limit shows its name and size only.
    EXPECT_EQ(lines.back().find("  size: "), lines.back().find_first_not_of(' ') - 2);
    EXPECT_TRUE(lines[lines.size() - 2].ends_with("  LIST"));
}

TEST(ChunkBytesView, ReadsOutsideGiveZeroAndSlicesStayInside) {
    const uint8_t raw[] = {1, 2, 3, 4, 5, 'a', 'b', 0, 'c'};
    ChunkBytes bytes(raw, sizeof raw);
    EXPECT_EQ(bytes.u32(0), 0x04030201u);
    EXPECT_EQ(bytes.u32(7), 0x6300u);
    EXPECT_EQ(bytes.u16(8), 'c');
    EXPECT_EQ(bytes.u32(1000), 0u);
    EXPECT_EQ(bytes.u32(SIZE_MAX - 1), 0u);
    EXPECT_EQ(bytes.text(5, 10), "ab");
    EXPECT_EQ(bytes.text(8, 10), "c");
    EXPECT_EQ(bytes.text(5, 1), "a");
    EXPECT_EQ(bytes.text(SIZE_MAX, 4), "");
    EXPECT_EQ(bytes.slice(6, 100).size(), 3u);
    EXPECT_EQ(bytes.slice(6, 100).u8(2), 'c');
    EXPECT_EQ(bytes.slice(6, 2).u8(2), 0);
    EXPECT_EQ(bytes.slice(20, 2).size(), 0u);
}

} // namespace
} // namespace corv

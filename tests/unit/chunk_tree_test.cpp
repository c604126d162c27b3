// The properties tree of real files: header, limits, decoded chunk bodies,
// broken and truncated files. Listings are written one tree line after the
// other, each line behind a '|'.
#include "analyser/analysis/chunk_tree.h"
#include "platform/byte_source.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
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

TEST(ChunkTreeFile, CanonicalPcmHeaderShowsFormatAndDataExpanded) {
    const Bytes file = test::wave(FormatFields{}, Bytes(8, 0));
    const auto tree = treeOf(file);
    EXPECT_EQ(listing(tree),
              "RIFF|  size: 44 bytes|  WAVE" + kPcmFormat + "|    data|      size: 8 bytes");
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_TRUE(tree[0].expanded);
    ASSERT_EQ(tree[0].children.size(), 2u);
    EXPECT_TRUE(tree[0].children[1].expanded);
    EXPECT_FALSE(tree[0].children[1].children[0].expanded);
    MemorySource memory(file);
    EXPECT_EQ(listing(buildChunkTree(memory, 52, kDefaultSizes)), listing(tree));
}

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
    const auto cuePoint = [](uint32_t name, uint32_t position, uint32_t sampleOffset) {
        return cat({u32s({name, position}), textBytes("data"), u32s({0, 0, sampleOffset})});
    };
    const Bytes canonical = test::wave(FormatFields{}, Bytes(8, 0));
    const std::string fact5 =
        "|    fact|      size: 4 bytes|      Samples per channel: 5 (sometimes incorrect)";
    // 0x0AAAAAAB * 24 + 4 wraps to 12 in 32 bits: it must not pass as one record.
    const Bytes wrappingCue = cat({u32s({0x0AAAAAABu}), Bytes(8, 0)});
    const struct {
        const char* what;
        Bytes file;
        std::string expected;
    } cases[] = {
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
        {"chunk size near 4 GB", riff({chunkWithSize("LIST", 0xFFFFFFF0u, textBytes("INFO"))}),
         "...|    LIST|      size: 4294967280 bytes"},
    };
    EXPECT_TRUE(buildChunkTree(test::TempDir().file("missing.wav"), -1, kDefaultSizes).empty());
    for (const auto& c : cases) {
        const std::string got = listingOf(c.file);
        EXPECT_TRUE(test::listingMatches(got, c.expected)) << c.what << ": " << got;
    }
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
        // Over 2 GB the limit is the given size, over 4 GB it stays 4294967295.
        {3000000000, kOver2GB, ignored + dataShown},
        {2147483647, kOver2GB, plain + dataShown},
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

TEST(ChunkTreeFile, Rf64ShowsDs64FieldsThatFitAndTakesSizesFromIt) {
    // Two table entries claimed, one and a part of the next in the body.
    const Bytes table = cat<uint8_t>({textBytes("big "), test::u64s({5000000000}), u32s({7})});
    const Bytes ds64 = cat<uint8_t>({test::u64s({1234, 40, 10}), u32s({2}), table});
    EXPECT_EQ(
        listingOf(test::rf64(ds64, {chunkWithSize("data", 0xFFFFFFFF, Bytes(40, 0)),
                                    chunkWithSize("big ", 0xFFFFFFFF, {})})),
        "RF64|  size: 4294967295 bytes|  WAVE|    ds64|      size: 44 bytes|      RIFF size: "
        "1234 bytes|      Data size: 40 bytes|      Sample count: 10|      Table entries: 2| "
        "     Chunk big : 5000000000 bytes|    data|      size: 40 bytes (from ds64)|    big | "
        "     size: 5000000000 bytes (from ds64)");
}

} // namespace
} // namespace corv

// The properties tree of real files: header, limits, decoded chunk bodies,
// broken and truncated files, and the file size text.
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
using test::chunk;
using test::chunkWithSize;
using test::putText;
using test::putU16;
using test::putU32;
using test::textBytes;
using test::u32s;
using Lines = std::vector<std::string>;

const HeaderSizeOptions kDefaultSizes = analysisOptionsOf(defaultConversionSettings()).headerSizes;

HeaderSizeOptions settingsWith(bool ignore, bool over2GB, bool over4GB, bool always) {
    return {ignore, over2GB, over4GB, always};
}

class ChunkTreeFile : public ::testing::Test {
  protected:
    // The tree of bytes written to a real file; fileSize -2 means the real size.
    std::vector<TextNode> treeOf(const Bytes& bytes, int64_t fileSize = -2,
                                 const HeaderSizeOptions& settings = kDefaultSizes) {
        std::string path = temp_.file("probe.wav");
        test::writeFile(path, bytes);
        if (fileSize == -2) fileSize = static_cast<int64_t>(bytes.size());
        return buildChunkTree(path, fileSize, settings);
    }
    Lines linesOf(const Bytes& bytes, int64_t fileSize = -2,
                  const HeaderSizeOptions& settings = kDefaultSizes) {
        return treeLines(treeOf(bytes, fileSize, settings));
    }

    test::TempDir temp_;
};

const Lines kCanonicalFormatLines = {
    "      Format: 1 (PCM)",       "      Number of channels: 2",
    "      Sample Rate: 44100 Hz", "      Average bytes per sec.: 176400 ",
    "      Block align: 4 bytes",  "      Bits per sample: 16 ",
};

Lines joined(std::initializer_list<Lines> parts) {
    return test::cat(parts);
}

TEST_F(ChunkTreeFile, CanonicalPcmHeaderShowsFormatAndDataExpanded) {
    Bytes file = test::wave(test::FormatFields{}, Bytes(8, 0));
    ASSERT_EQ(file.size(), 52u);
    auto tree = treeOf(file);
    Lines expected =
        joined({{"RIFF", "  size: 44 bytes", "  WAVE", "    fmt ", "      size: 16 bytes"},
                kCanonicalFormatLines,
                {"    data", "      size: 8 bytes"}});
    EXPECT_EQ(treeLines(tree), expected);
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_TRUE(tree[0].expanded);
    ASSERT_EQ(tree[0].children.size(), 2u);
    EXPECT_TRUE(tree[0].children[1].expanded);
    EXPECT_FALSE(tree[0].children[1].children[0].expanded);
}

TEST_F(ChunkTreeFile, MemorySourceGivesTheSameTreeAsTheFile) {
    Bytes file = test::wave(test::FormatFields{}, Bytes(8, 0));
    MemorySource memory(file);
    EXPECT_EQ(treeLines(buildChunkTree(memory, 52, kDefaultSizes)), linesOf(file));
}

// A data chunk claiming 2 GB in a 60-byte file.
Bytes fileWithHugeDataClaim() {
    return test::riffWithSize(0x7FFFFFF0, {chunk("fmt ", test::formatPayload({})),
                                           chunkWithSize("data", 0x7FFFFFF0, Bytes(8, 0)),
                                           chunk("fact", u32s({7}))});
}

TEST_F(ChunkTreeFile, AlwaysIgnoringTheHeaderSizeBoundsTheWalkByTheFileSize) {
    Lines walked = linesOf(fileWithHugeDataClaim(), -2, settingsWith(true, false, false, true));
    Lines expected = joined({{"RIFF", "  size: 2147483632 bytes (ignored by corvandale)", "  WAVE",
                              "    fmt ", "      size: 16 bytes"},
                             kCanonicalFormatLines});
    EXPECT_EQ(walked, expected);

    // Trusted, the same header lets the walk show the data chunk and its size.
    Lines trusted = linesOf(fileWithHugeDataClaim(), -2, settingsWith(false, false, false, true));
    ASSERT_EQ(trusted.size(), 13u);
    EXPECT_EQ(trusted[1], "  size: 2147483632 bytes");
    EXPECT_EQ(trusted[11], "    data");
    EXPECT_EQ(trusted[12], "      size: 2147483632 bytes");
}

TEST_F(ChunkTreeFile, AFirstChunkAsLargeAsTheLimitEndsTheWalkAtOnce) {
    Bytes file = test::riff({chunkWithSize("data", 100, Bytes(100, 0))});
    // 120 bytes: the limit 120 is greater than 100, so the chunk shows...
    EXPECT_EQ(linesOf(file, -2, settingsWith(true, false, false, true)).size(), 5u);
    // ...but with a record size of 100 it does not.
    EXPECT_EQ(linesOf(file, 100, settingsWith(true, false, false, true)),
              (Lines{"RIFF", "  size: 112 bytes (ignored by corvandale)", "  WAVE"}));
}

TEST_F(ChunkTreeFile, SizeThresholdsDecideWhetherTheHeaderSizeIsIgnored) {
    Bytes file = fileWithHugeDataClaim();
    const std::string plain = "  size: 2147483632 bytes";
    const std::string ignored = plain + " (ignored by corvandale)";
    // Over 2 GB: ignored, and the limit is the record's size of 3e9.
    Lines over2 = linesOf(file, 3000000000, settingsWith(true, true, false, false));
    EXPECT_EQ(over2[1], ignored);
    EXPECT_EQ(over2.size(), 13u);
    EXPECT_EQ(linesOf(file, 2147483647, settingsWith(true, true, false, false))[1], plain);
    // The 4 GB switch needs 4294967296 bytes or more.
    EXPECT_EQ(linesOf(file, 3000000000, settingsWith(true, false, true, false))[1], plain);
    EXPECT_EQ(linesOf(file, 4294967295, settingsWith(true, false, true, false))[1], plain);
    Lines over4 = linesOf(file, 4294967296, settingsWith(true, false, true, false));
    EXPECT_EQ(over4[1], ignored);
    // Beyond 4 GB the limit stays at 4294967295, so the data chunk still shows.
    EXPECT_EQ(over4.size(), 13u);
    // The master switch off: nothing is ignored whatever the others say.
    EXPECT_EQ(linesOf(file, 5000000000, settingsWith(false, true, true, true))[1], plain);
}

TEST_F(ChunkTreeFile, FormatRecordsOfEighteenAndFortyBytes) {
    test::FormatFields extensible;
    extensible.tag = 65534;
    Lines fortyLines = linesOf(test::riff({chunk("fmt ", test::formatPayload(extensible, 40))}));
    Lines expected40 =
        joined({{"RIFF", "  size: 52 bytes", "  WAVE", "    fmt ", "      size: 40 bytes",
                 "      Format: 65534 (Determined by subformat)"},
                Lines(kCanonicalFormatLines.begin() + 1, kCanonicalFormatLines.end()),
                {"      Vallid bits per sample: 16 ", "      Channelmask: 3 ",
                 "      Subformat: 00000001   00000010   800000AA   00389B71 (PCM)"}});
    EXPECT_EQ(fortyLines, expected40);

    test::FormatFields alaw;
    alaw.tag = 6;
    Lines eighteen = linesOf(test::riff({chunk("fmt ", test::formatPayload(alaw, 18))}));
    ASSERT_EQ(eighteen.size(), 12u);
    EXPECT_EQ(eighteen[5], "      Format: 6 (Alaw)");
    EXPECT_EQ(eighteen[11], "      Extension size: 0 ");
}

std::string subformatLine(uint32_t first, uint32_t channelMask = 3) {
    test::FormatFields f;
    f.tag = 65534;
    f.subFormat = first;
    f.channelMask = channelMask;
    Bytes file = test::riff({chunk("fmt ", test::formatPayload(f, 40))});
    MemorySource source(file);
    return treeLines(buildChunkTree(source, -1, kDefaultSizes)).back();
}

TEST(ChunkTreeFormat, SubformatNamesAndSignedChannelMask) {
    EXPECT_EQ(subformatLine(3),
              "      Subformat: 00000003   00000010   800000AA   00389B71 (IEEE Float)");
    EXPECT_EQ(subformatLine(0x50),
              "      Subformat: 00000050   00000010   800000AA   00389B71 (MPEG)");
    EXPECT_EQ(subformatLine(0xABCD1234),
              "      Subformat: ABCD1234   00000010   800000AA   00389B71");

    // The analog GUID 6DBA3190-67BD-11CF-A0F7-0020AFD156E4, byte by byte.
    Bytes payload = test::formatPayload({}, 40);
    const uint8_t analog[16] = {0x90, 0x31, 0xBA, 0x6D, 0xBD, 0x67, 0xCF, 0x11,
                                0xA0, 0xF7, 0x00, 0x20, 0xAF, 0xD1, 0x56, 0xE4};
    std::copy(analog, analog + 16, payload.begin() + 24);
    Bytes file = test::riff({chunk("fmt ", payload)});
    MemorySource source(file);
    EXPECT_EQ(treeLines(buildChunkTree(source, -1, kDefaultSizes)).back(),
              "      Subformat: 6DBA3190   67BD11CF   A0F70020   AFD156E4 (Analog)");

    test::FormatFields f;
    f.channelMask = 0x80000001;
    Bytes maskedFile = test::riff({chunk("fmt ", test::formatPayload(f, 40))});
    MemorySource masked(maskedFile);
    Lines lines = treeLines(buildChunkTree(masked, -1, kDefaultSizes));
    EXPECT_EQ(lines[lines.size() - 2], "      Channelmask: -2147483647 ");
}

TEST_F(ChunkTreeFile, OtherFormatSizesAreUnknown) {
    for (int size : {20, 14}) {
        Bytes file = test::riff(
            {chunk("fmt ", Bytes(static_cast<size_t>(size), 1)), chunk("data", Bytes(2, 0))});
        Lines expected = {"RIFF",
                          "  size: " + std::to_string(size + 22) + " bytes",
                          "  WAVE",
                          "    fmt ",
                          "      size: " + std::to_string(size) + " bytes",
                          "      Unknown fmt chunk",
                          "    data",
                          "      size: 2 bytes"};
        EXPECT_EQ(linesOf(file), expected);
    }
}

TEST_F(ChunkTreeFile, OddDataChunkIsPaddedAndTheNextChunkStillShows) {
    Bytes file = test::riff({chunk("data", Bytes(3, 9), true), chunk("fact", u32s({1234}))});
    EXPECT_EQ(linesOf(file), (Lines{"RIFF", "  size: 28 bytes", "  WAVE", "    data",
                                    "      size: 3 bytes", "    fact", "      size: 4 bytes",
                                    "      Samples per channel: 1234 (sometimes incorrect)"}));
}

TEST_F(ChunkTreeFile, OddOtherChunksWithOrWithoutPadByte) {
    Lines expected = {"RIFF",
                      "",
                      "  WAVE",
                      "    junk",
                      "      size: 3 bytes",
                      "    fact",
                      "      size: 4 bytes",
                      "      Samples per channel: 5 (sometimes incorrect)"};
    // A pad byte written by the RIFF rule is stepped over...
    Lines padded =
        linesOf(test::riff({chunk("junk", Bytes(3, 0x41), true), chunk("fact", u32s({5}))}));
    expected[1] = "  size: 28 bytes";
    EXPECT_EQ(padded, expected);
    // ...and a writer that leaves it out is read as it stands.
    Lines unpadded = linesOf(test::riff({chunk("junk", Bytes(3, 0x41)), chunk("fact", u32s({5}))}));
    expected[1] = "  size: 27 bytes";
    EXPECT_EQ(unpadded, expected);
}

TEST_F(ChunkTreeFile, ShortFactReadsNothingOfTheNextChunk) {
    Bytes fact;
    putU16(fact, 0x0102);
    Lines lines = linesOf(test::riff({chunk("fact", fact), chunk("data", Bytes(2, 0xFF))}));
    EXPECT_EQ(lines, (Lines{"RIFF", "  size: 24 bytes", "  WAVE", "    fact", "      size: 2 bytes",
                            "      Samples per channel: 258 (sometimes incorrect)", "    data",
                            "      size: 2 bytes"}));
}

Bytes cuePoint(uint32_t name, uint32_t position, uint32_t sampleOffset) {
    return test::cat({u32s({name, position}), textBytes("data"), u32s({0, 0, sampleOffset})});
}

TEST_F(ChunkTreeFile, CuePointsWhenTheCountFillsTheChunk) {
    Bytes cue = test::cat({u32s({2}), cuePoint(1, 0, 100), cuePoint(2, 1, 4000000000u)});
    Lines lines = linesOf(test::riff({chunk("cue ", cue)}));
    Lines expected = {"RIFF",
                      "  size: 64 bytes",
                      "  WAVE",
                      "    cue ",
                      "      size: 52 bytes",
                      "      Number of cue's: 2",
                      "      Cuepoint",
                      "        Name: 1",
                      "        Position: 0",
                      "        Fcc: data",
                      "        Chunk start: 0",
                      "        Block start: 0",
                      "        Sample offset 100",
                      "      Cuepoint",
                      "        Name: 2",
                      "        Position: 1",
                      "        Fcc: data",
                      "        Chunk start: 0",
                      "        Block start: 0",
                      "        Sample offset 4000000000"};
    EXPECT_EQ(lines, expected);
}

TEST_F(ChunkTreeFile, CueCountsThatDoNotFillTheChunkShowOnlyItsSize) {
    const Lines bare = {"RIFF",
                        "",
                        "  WAVE",
                        "    cue ",
                        "",
                        "    fact",
                        "      size: 4 bytes",
                        "      Samples per channel: 9 (sometimes incorrect)"};
    struct Case {
        uint32_t count;
        size_t records;
    };
    // 0x0AAAAAAB * 24 + 4 wraps to 12 in 32 bits: it must not pass as one record.
    for (Case c : {Case{3, 2}, Case{1, 2}, Case{0x0AAAAAABu, 0}, Case{0xFFFFFFFFu, 1}}) {
        Bytes cue = u32s({c.count});
        for (size_t i = 0; i < c.records; ++i) {
            Bytes point = cuePoint(1, 2, 3);
            cue.insert(cue.end(), point.begin(), point.end());
        }
        if (c.count == 0x0AAAAAABu) cue.resize(12, 0);
        Lines lines = linesOf(test::riff({chunk("cue ", cue), chunk("fact", u32s({9}))}));
        Lines expected = bare;
        expected[1] = "  size: " + std::to_string(4 + 8 + cue.size() + 12) + " bytes";
        expected[4] = "      size: " + std::to_string(cue.size()) + " bytes";
        EXPECT_EQ(lines, expected) << "count " << c.count;
    }
    Lines empty = linesOf(test::riff({chunk("cue ", u32s({0}))}));
    EXPECT_EQ(empty.back(), "      Number of cue's: 0");
}

TEST_F(ChunkTreeFile, PlaylistSegmentsAndMismatchedCount) {
    Bytes plst = u32s({1, 7, 44100, 3});
    EXPECT_EQ(linesOf(test::riff({chunk("plst", plst)})),
              (Lines{"RIFF", "  size: 28 bytes", "  WAVE", "    plst", "      size: 16 bytes",
                     "      Number of playlist segments: 1", "      Playsegment", "        Name: 7",
                     "        Length: 44100", "        Loops: 3"}));
    Bytes wrong = u32s({2, 7, 44100, 3});
    EXPECT_EQ(linesOf(test::riff({chunk("plst", wrong)})),
              (Lines{"RIFF", "  size: 28 bytes", "  WAVE", "    plst", "      size: 16 bytes"}));
}

TEST_F(ChunkTreeFile, DisplayChunkTypesAndText) {
    Bytes text = u32s({1});
    putText(text, "Hello");
    text.resize(12, 0);
    EXPECT_EQ(linesOf(test::riff({chunk("DISP", text)})),
              (Lines{"RIFF", "  size: 24 bytes", "  WAVE", "    DISP", "      size: 12 bytes",
                     "      Type: 1 (CF_TEXT)", "      data: Hello"}));

    for (auto [type, line] : {std::pair<uint32_t, const char*>{8, "      Type: 8 (CF_DIB)"},
                              {999, "      Type: 999 (Unknown)"},
                              {142, "      Type: 142 (CF_DSPENHMETAFILE)"}})
        EXPECT_EQ(linesOf(test::riff({chunk("DISP", u32s({type, 0}))})).back(), line);

    // Five bytes or fewer: only the name and size.
    Bytes shortDisp = u32s({1});
    shortDisp.push_back('A');
    EXPECT_EQ(linesOf(test::riff({chunk("DISP", shortDisp)})).back(), "      size: 5 bytes");
}

TEST_F(ChunkTreeFile, DisplayTextEndsWithTheChunkNotTheFile) {
    Bytes oem = u32s({7});
    putText(oem, "ABCD"); // no terminator: the next chunk header follows at once
    Lines lines = linesOf(test::riff({chunk("DISP", oem), chunk("data", Bytes(2, 0x41))}));
    EXPECT_EQ(lines, (Lines{"RIFF", "  size: 30 bytes", "  WAVE", "    DISP", "      size: 8 bytes",
                            "      Type: 7 (CF_OEMTEXT)", "      data: ABCD", "    data",
                            "      size: 2 bytes"}));

    Bytes longText = u32s({129});
    putText(longText, std::string(600, 'x'));
    Lines dsp = linesOf(test::riff({chunk("DISP", longText)}));
    EXPECT_EQ(dsp[5], "      Type: 129 (CF_DSPTEXT)");
    EXPECT_EQ(dsp[6], "      data: " + std::string(519, 'x'));
}

TEST_F(ChunkTreeFile, InfoListUnderTheListNode) {
    Bytes info = textBytes("INFO");
    Bytes name = chunk("INAM", textBytes(std::string("Song\0", 5)));
    info.insert(info.end(), name.begin(), name.end());
    EXPECT_EQ(
        linesOf(test::riff({chunk("LIST", info, true)})),
        (Lines{"RIFF", "  size: 30 bytes", "  WAVE", "    LIST", "      size: 17 bytes",
               "      INFO", "        INAM (Name)", "          size: 5", "          data: Song"}));
}

TEST_F(ChunkTreeFile, Rf64ShowsDs64FieldsThatFitAndTakesSizesFromIt) {
    // Two table entries claimed, one and a part of the next in the body.
    const Bytes table =
        test::cat<uint8_t>({textBytes("big "), test::u64s({5000000000}), u32s({7})});
    const Bytes ds64 = test::cat<uint8_t>({test::u64s({1234, 40, 10}), u32s({2}), table});
    const Lines rf64Lines = {"RF64",
                             "  size: 4294967295 bytes",
                             "  WAVE",
                             "    ds64",
                             "      size: 44 bytes",
                             "      RIFF size: 1234 bytes",
                             "      Data size: 40 bytes",
                             "      Sample count: 10",
                             "      Table entries: 2",
                             "      Chunk big : 5000000000 bytes",
                             "    data",
                             "      size: 40 bytes (from ds64)",
                             "    big ",
                             "      size: 5000000000 bytes (from ds64)"};
    EXPECT_EQ(linesOf(test::rf64(ds64, {chunkWithSize("data", 0xFFFFFFFF, Bytes(40, 0)),
                                        chunkWithSize("big ", 0xFFFFFFFF, {})})),
              rf64Lines);
}

TEST_F(ChunkTreeFile, NotRiffOrTooShortGivesAnEmptyTree) {
    EXPECT_TRUE(treeOf(textBytes("ID3\x03\x00\x00\x00\x00\x00\x10 some mp3 frames")).empty());
    EXPECT_TRUE(treeOf(textBytes("RIFF\x04")).empty());
    EXPECT_TRUE(treeOf({}).empty());
    EXPECT_TRUE(buildChunkTree(temp_.file("missing.wav"), -1, kDefaultSizes).empty());
}

TEST_F(ChunkTreeFile, HeaderWithoutFormShowsOnlyTheSizeLine) {
    auto tree = treeOf(u32s({0x46464952, 4}));
    EXPECT_EQ(treeLines(tree), (Lines{"RIFF", "  size: 4 bytes"}));
    ASSERT_EQ(tree.size(), 1u);
    EXPECT_FALSE(tree[0].expanded);
}

TEST_F(ChunkTreeFile, TruncatedFilesEndTheWalkQuietly) {
    Bytes full = test::wave(test::FormatFields{}, Bytes(8, 0));
    // Cut inside the format body: it is named but not decoded.
    Bytes cutFormat(full.begin(), full.begin() + 30);
    EXPECT_EQ(linesOf(cutFormat),
              (Lines{"RIFF", "  size: 44 bytes", "  WAVE", "    fmt ", "      size: 16 bytes"}));
    // Cut inside the next header: that chunk does not show.
    Bytes cutHeader(full.begin(), full.begin() + 40);
    EXPECT_EQ(linesOf(cutHeader).size(), 11u);
    // A list reaching past the end of the file shows its size only.
    Bytes list = test::riff(
        {chunkWithSize("LIST", 500, textBytes(std::string("INFOINAM\x05\0\0\0Song", 16)))});
    EXPECT_EQ(linesOf(list),
              (Lines{"RIFF", "  size: 28 bytes", "  WAVE", "    LIST", "      size: 500 bytes"}));
}

TEST_F(ChunkTreeFile, NonPrintableIdentifierEndsTheWalk) {
    Bytes file = test::riff(
        {chunk("fact", u32s({1})), chunk("\x01xyz", Bytes(4, 0)), chunk("data", Bytes(2, 0))});
    EXPECT_EQ(linesOf(file),
              (Lines{"RIFF", "  size: 38 bytes", "  WAVE", "    fact", "      size: 4 bytes",
                     "      Samples per channel: 1 (sometimes incorrect)"}));
}

TEST_F(ChunkTreeFile, ChunksOverTheReadLimitAreSkippedBySeeking) {
    Bytes big = u32s({1});
    big.resize(1000000, 0);
    Bytes file = test::riff({chunk("DISP", big), chunk("fact", u32s({3}))});
    EXPECT_EQ(linesOf(file), (Lines{"RIFF", "  size: 1000024 bytes", "  WAVE", "    DISP",
                                    "      size: 1000000 bytes", "    fact", "      size: 4 bytes",
                                    "      Samples per channel: 3 (sometimes incorrect)"}));
    // A size near 4 GB in a tiny file is skipped, not allocated.
    Bytes huge = test::riff({chunkWithSize("LIST", 0xFFFFFFF0u, textBytes("INFO"))});
    EXPECT_EQ(linesOf(huge).back(), "      size: 4294967280 bytes");
}

} // namespace
} // namespace corv

// LIST contents: INFO tags, associated data, AVI header lists (through a real
// file), and lists whose sub-chunks lie about their sizes.
#include "analyser/analysis/chunk_tree.h"
#include "analyser/analysis/list_chunk.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace corv {
namespace {

using test::Bytes;
using test::cat;
using test::chunk;
using test::chunkWithSize;
using test::putText;
using test::putU16;
using test::putU32;
using test::textBytes;
using test::u32s;
using Lines = std::vector<std::string>;

Bytes cString(const std::string& text) {
    Bytes out = textBytes(text);
    out.push_back(0);
    return out;
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
Lines walked(const Bytes& bytes) {
    TextNode parent;
    parent.text = "LIST";
    walkListChunk(parent, ChunkBytes(bytes.data(), bytes.size()));
    Lines lines = treeLines({parent});
    lines.erase(lines.begin());
    return lines;
}

TEST(ListChunk, InfoNameWithItsTerminator) {
    EXPECT_EQ(walked(list("INFO", {chunk("INAM", cString("Song"))})),
              (Lines{"  INFO", "    INAM (Name)", "      size: 5", "      data: Song"}));
}

TEST(ListChunk, InfoTagsInAnyListTypeAndUnknownTags) {
    Bytes bytes = list("adtl", {chunk("IART", cString("Band")), chunk("IXYZ", cString("abc")),
                                chunk("ITCH", cString("Tom")), chunk("ICRD", cString("1999"))});
    EXPECT_EQ(walked(bytes),
              (Lines{"  adtl", "    IART (Artist)", "      size: 5", "      data: Band",
                     "    IXYZ (Unknown)", "      size: 4", "    ITCH (Technician)",
                     "      size: 4", "      data: Tom", "    ICRD (Creation date)",
                     "      size: 5", "      data: 1999"}));
}

TEST(ListChunk, OddSubChunksWithAndWithoutPadByte) {
    const Lines expected = {"  INFO",           "    INAM (Name)",   "      size: 5",
                            "      data: Song", "    IART (Artist)", "      size: 3",
                            "      data: Me"};
    // The pad byte of the RIFF rule is stepped over...
    EXPECT_EQ(walked(list("INFO", {chunk("INAM", cString("Song"), true),
                                   chunk("IART", cString("Me"), true)})),
              expected);
    // ...and sub-chunks packed without it are read as they stand.
    EXPECT_EQ(walked(list("INFO", {chunk("INAM", cString("Song")), chunk("IART", cString("Me"))})),
              expected);
}

TEST(ListChunk, TextStopsAtItsLimitAndAtTheSubChunkEnd) {
    Bytes longText = textBytes(std::string(600, 'a'));
    Lines info = walked(list("INFO", {chunk("ICMT", longText)}));
    EXPECT_EQ(info[3], "      data: " + std::string(519, 'a'));

    Lines name = walked(list("strl", {chunk("strn", longText)}));
    EXPECT_EQ(name, (Lines{"  strl", "    strn (name)", "      Size: 600",
                           "      Data: " + std::string(500, 'a')}));

    // No terminator: the text ends with the sub-chunk, not in the next one.
    EXPECT_EQ(walked(list("INFO", {chunk("INAM", textBytes("abcd")), chunk("IART", cString("X"))})),
              (Lines{"  INFO", "    INAM (Name)", "      size: 4", "      data: abcd",
                     "    IART (Artist)", "      size: 2", "      data: X"}));
}

TEST(ListChunk, LabelsAndNotes) {
    Bytes label = cat({u32s({1}), cString("Intro")});
    Bytes note = cat({u32s({4000000000u}), textBytes("unterminated")});
    EXPECT_EQ(
        walked(list("adtl", {chunk("labl", label), chunk("note", note)})),
        (Lines{"  adtl", "    labl", "      size: 10", "      Name: 1", "      data Intro",
               "    note", "      size: 16", "      Name: 4000000000", "      data unterminated"}));

    // Shorter than its cue name: the missing bytes count as zero and the
    // following sub-chunk is not read as part of it.
    Bytes tiny;
    putU16(tiny, 0x0201);
    EXPECT_EQ(
        walked(list("adtl", {chunk("labl", tiny), chunk("note", cat({u32s({2}), cString("n")}))})),
        (Lines{"  adtl", "    labl", "      size: 2", "      Name: 513", "      data ", "    note",
               "      size: 6", "      Name: 2", "      data n"}));
}

Bytes labelledText(uint16_t country, uint16_t language, uint16_t dialect) {
    Bytes out = u32s({3, 44100});
    putText(out, "rgn ");
    putU16(out, country);
    putU16(out, language);
    putU16(out, dialect);
    putU16(out, 1252);
    return out;
}

TEST(ListChunk, LabelledTextWithCountryAndLanguage) {
    EXPECT_EQ(walked(list("adtl", {chunk("ltxt", labelledText(44, 9, 2))})),
              (Lines{"  adtl", "    ltxt", "      size: 20", "      Name: 3",
                     "      Length in sampels: 44100", "      Purpose: rgn  (0x206E6772)",
                     "      Country: 44 (United Kingdom)", "      Language: 9 (UK English)",
                     "      Dialect: 2", "      Codepage: 1252"}));

    const struct {
        uint16_t country, language, dialect;
        const char *countryLine, *languageLine;
    } cases[] = {
        {7, 9, 3, "      Country: 7 ()", "      Language: 9 (Unknown)"},
        {358, 0, 0, "      Country: 358 (Finland)", "      Language: 0 (None)"},
        {47, 20, 2, nullptr, "      Language: 20 (Norwegian - Nynorsk)"},
    };
    for (const auto& c : cases) {
        const Bytes ltxt = labelledText(c.country, c.language, c.dialect);
        Lines lines = walked(list("adtl", {chunk("ltxt", ltxt)}));
        if (c.countryLine) {
            EXPECT_EQ(lines[6], c.countryLine);
        }
        EXPECT_EQ(lines[7], c.languageLine);
    }
}

TEST(ListChunk, WrongSizedLabelledTextOrMainHeaderEndsTheList) {
    Bytes ltxt = labelledText(1, 9, 1);
    ltxt.push_back(0);
    EXPECT_EQ(
        walked(list("adtl", {chunk("labl", cat({u32s({1}), cString("a")})), chunk("ltxt", ltxt),
                             chunk("labl", cat({u32s({2}), cString("b")}))})),
        (Lines{"  adtl", "    labl", "      size: 6", "      Name: 1", "      data a"}));
    EXPECT_EQ(walked(list("hdrl", {chunk("avih", Bytes(52, 0)), chunk("IART", cString("a"))})),
              (Lines{"  hdrl"}));
}

TEST(ListChunk, SizeTypeAndConsistencyChecks) {
    // Seven bytes or fewer: nothing, not even the type.
    EXPECT_TRUE(walked(chunkWithSize("LIST", 7, textBytes("INFOxxx"))).empty());
    // The movie list and other types show nothing under the list.
    EXPECT_TRUE(walked(list("movi", {chunk("00dc", Bytes(4, 1))})).empty());
    // A zero size, a sub-chunk past the end or a strange identifier end the list.
    EXPECT_EQ(walked(list("INFO", {chunk("INAM", cString("a")), chunkWithSize("IART", 0, {}),
                                   chunk("ISFT", cString("b"))})),
              (Lines{"  INFO", "    INAM (Name)", "      size: 2", "      data: a"}));
    EXPECT_EQ(
        walked(list("INFO", {chunk("INAM", cString("a")), chunkWithSize("IART", 3, cString("b"))})),
        (Lines{"  INFO", "    INAM (Name)", "      size: 2", "      data: a"}));
    EXPECT_EQ(walked(list("INFO", {chunk("IN\tM", cString("a"))})), (Lines{"  INFO"}));
    // A list size claiming more than the bytes that exist.
    Bytes claimed = chunkWithSize("LIST", 5000,
                                  cat({textBytes("INFO"), chunk("INAM", cString("a")),
                                       chunkWithSize("IART", 200, cString("b"))}));
    EXPECT_EQ(walked(claimed),
              (Lines{"  INFO", "    INAM (Name)", "      size: 2", "      data: a"}));
    EXPECT_TRUE(walked(Bytes{'L', 'I', 'S'}).empty());
}

Bytes streamHeader(std::string_view type, std::string_view handler, int16_t bottom) {
    Bytes out = textBytes(type);
    putText(out, handler);
    putU32(out, 0); // flags
    putU16(out, 1); // priority
    putU16(out, 9); // language
    Bytes rest = u32s({0, 1, 25, 0, 250, 76800, 10000, 0});
    out.insert(out.end(), rest.begin(), rest.end());
    for (int16_t v : {int16_t{0}, int16_t{0}, int16_t{320}, bottom})
        putU16(out, static_cast<uint16_t>(v));
    return out;
}

Bytes bitmapFormat() {
    Bytes out = u32s({40, 320, static_cast<uint32_t>(-240)});
    putU16(out, 1);
    putU16(out, 24);
    Bytes rest = u32s({0, 230400, 2835, 2835, 0, 0});
    out.insert(out.end(), rest.begin(), rest.end());
    for (uint8_t b : {1, 2, 3, 0})
        out.push_back(b);
    return out;
}

Bytes waveFormat() {
    return test::formatPayload({}, 18);
}

const Lines kVideoStreamHeader = {
    "            strh",
    "              size: 56",
    "              Fcc type: vids",
    "              Fcc handler: DIB ",
    "              Flags: 0",
    "              Priority: 1",
    "              Language: 9",
    "              Initial frames: 0",
    "              Scale: 1",
    "              Rate: 25",
    "              Start time stream: 0",
    "              Length stream: 250",
    "              Suggested buffersize: 76800",
    "              Quality: 10000 (0-10k)",
    "              Size of single sample data 0 ",
    "              Rc frame Left:0 Top:0 Right:320 Botom:-1",
};

class AviFile : public ::testing::Test {
  protected:
    test::TempDir temp_;
};

TEST_F(AviFile, HeaderListWithMainHeaderAndNestedStreamLists) {
    Bytes mainHeader = u32s({33333, 1000000, 0, 16, 250, 0, 2, 65536, 320, 240, 0, 0, 0, 0});
    Bytes hdrl =
        list("hdrl",
             {chunk("avih", mainHeader),
              list("strl", {chunk("strh", streamHeader("vids", "DIB ", -1)),
                            chunk("strf", bitmapFormat()), chunk("strn", cString("Video"))}),
              list("strl", {chunk("strh", streamHeader("auds", std::string(4, '\0'), 0)),
                            chunk("strf", waveFormat()), chunk("strn", cString("Audio track"))})});
    Bytes movie = list("movi", {chunk("00dc", Bytes(6, 7))});
    std::string path = temp_.file("clip.avi");
    Bytes file = test::riff({hdrl, movie, chunk("idx1", Bytes(16, 0))}, "AVI ");
    test::writeFile(path, file);

    Lines expected = {"RIFF",
                      "  size: 394 bytes",
                      "  AVI ",
                      "    LIST",
                      "      size: 332 bytes",
                      "      hdrl",
                      "        Fcc: avih",
                      "        Size: 56",
                      "        Microseconds between frames: 33333",
                      "        Maximum bitrate: 1000000 (approximation)",
                      "        Alignment for data: 0",
                      "        Flags 16",
                      "        Total number of frames: 250",
                      "        Initial frames: 0",
                      "        Number of streams: 2",
                      "        Suggested buffer size: 65536",
                      "        Width: 320",
                      "        Height: 240",
                      "        Reserved: 0 0 0 0",
                      "        LIST",
                      "          size: 134",
                      "          strl"};
    // The audio stream header differs from the video one only in type, handler and frame.
    Lines audioHeader = kVideoStreamHeader;
    audioHeader[2] = "              Fcc type: auds";
    audioHeader[3] = "              Fcc handler: ";
    audioHeader[15] = "              Rc frame Left:0 Top:0 Right:320 Botom:0";
    Lines rest = {
        "            strf (BITMAPINFO  struct)",
        "              Size: 44",
        "              Size struct: 40",
        "              Width: 320",
        "              Height: -240",
        "              Number of planes: 1",
        "              Bit count class: 24",
        "              Compression class: 0",
        "              Image size: 230400 bytes",
        "              Horizontal resolution: 2835 (pixels/meter)",
        "              Vertical resolution: 2835 (pixels/meter)",
        "              Number of color indexes in the color table used: 0",
        "              Number of color indexes required for displaying: 0",
        "              Intensity of blue: 1",
        "              Intensity of green: 2",
        "              Intensity of red: 3",
        "              Reserverd: 0",
        "            strn (name)",
        "              Size: 6",
        "              Data: Video",
        "        LIST",
        "          size: 114",
        "          strl",
    };
    Lines audio = {
        "            strf (WAVEFORMATEX struct)",
        "              Size: 18",
        "              Format: 1 (PCM)",
        "              Number of channels: 2",
        "              Sample Rate: 44100 Hz",
        "              Average bytes per sec.: 176400 ",
        "              Block align: 4 bytes",
        "              Bits per sample: 16 ",
        "              Number of bytes extra info: 0 ",
        "            strn (name)",
        "              Size: 12",
        "              Data: Audio track",
        "    LIST",
        "      size: 18 bytes",
        "    idx1",
        "      size: 16 bytes",
    };
    expected = test::cat<std::string>({expected, kVideoStreamHeader, rest, audioHeader, audio});
    EXPECT_EQ(treeLines(buildChunkTree(path, static_cast<int64_t>(file.size()),
                                       analysisOptionsOf(defaultConversionSettings()).headerSizes)),
              expected);
}

TEST(ListChunk, StreamTypeComesFromTheLatestHeaderOfTheSameList) {
    // A format without a header in its own list gets no suffix and no lines.
    Bytes orphan = list("strl", {chunk("strf", waveFormat())});
    EXPECT_EQ(walked(orphan), (Lines{"  strl", "    strf", "      Size: 18"}));
    // The nested list starts afresh, and a text stream gives no suffix either.
    Bytes nested =
        list("hdrl", {chunk("strh", streamHeader("auds", "    ", 0)),
                      list("strl", {chunk("strf", waveFormat())}),
                      chunk("strh", streamHeader("txts", "    ", 0)), chunk("strf", waveFormat())});
    Lines lines = walked(nested);
    EXPECT_EQ(lines[19], "      strl");
    EXPECT_EQ(lines[20], "        strf");
    EXPECT_EQ(lines[21], "          Size: 18");
    EXPECT_EQ(lines.back(), "      Size: 18");
    EXPECT_EQ(lines[lines.size() - 2], "    strf");
}

TEST(ListChunk, ShortStreamRecordsReadZeroInsteadOfTheirNeighbours) {
    // Each short record reads as the same record filled up with zeros, apart
    // from its size line; the name after it is not taken for its fields.
    const auto listing = [](const Bytes& header, const Bytes& format, size_t zeros) {
        const Bytes filled = cat({format, Bytes(zeros, 0)});
        return walked(list(
            "strl", {chunk("strh", header), chunk("strf", filled), chunk("strn", cString("v"))}));
    };
    Lines video = listing(textBytes("vidsDIB "), u32s({40}), 0);
    Lines filled = listing(cat({textBytes("vidsDIB "), Bytes(48, 0)}), u32s({40}), 36);
    ASSERT_EQ(video.size(), 37u);
    EXPECT_EQ(video[2], "      size: 8");
    EXPECT_EQ(video[18], "      Size: 4");
    video[2] = filled[2], video[18] = filled[18];
    EXPECT_EQ(video, filled);
    EXPECT_EQ(video.back(), "      Data: v");

    Bytes shortWave;
    putU16(shortWave, 3);
    putU16(shortWave, 1);
    Lines audio = listing(textBytes("auds"), shortWave, 0);
    Lines audioFilled = listing(textBytes("auds"), shortWave, 14);
    EXPECT_EQ(audio[audio.size() - 11], "      Size: 4");
    audio[audio.size() - 11] = audioFilled[audio.size() - 11];
    EXPECT_EQ(audio, audioFilled);
    EXPECT_EQ(audio[audio.size() - 10], "      Format: 3 (IEEE Float)");
}

TEST(ListChunk, FailingNestedListEndsOnlyItsOwnWalk) {
    Bytes broken = list("strl", {chunk("strn", cString("a")), chunkWithSize("strn", 0, {})});
    Bytes outer = list("hdrl", {broken, chunk("strn", cString("after"))});
    EXPECT_EQ(walked(outer), (Lines{"  hdrl", "    LIST", "      size: 22", "      strl",
                                    "        strn (name)", "          Size: 2", "          Data: a",
                                    "    strn (name)", "      Size: 6", "      Data: after"}));
}

TEST(ListChunk, DeepNestingIsCutAtTheDepthLimit) {
    Bytes inner = list("INFO", {chunk("INAM", cString("deep"))});
    for (int i = 0; i < 40; ++i)
        inner = list("INFO", {inner});
    Lines lines = walked(inner);
    int typeNodes = 0;
    for (const std::string& line : lines)
        if (line.find("INFO") != std::string::npos) ++typeNodes;
    EXPECT_EQ(typeNodes, kMaxListDepth);
    EXPECT_EQ(lines.back().find("size: "), lines.back().find_first_not_of(' '));
    EXPECT_EQ(lines[lines.size() - 2].substr(lines[lines.size() - 2].find_first_not_of(' ')),
              "LIST");
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

// LIST contents: INFO tags, associated data, AVI header lists (through a real
// file), and lists whose sub-chunks lie about their sizes. Listings are written
// one tree line after the other, each line behind a '|'.
#include "analyser/analysis/chunk_tree.h"
#include "analyser/analysis/list_chunk.h"
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
using test::putU16;
using test::textBytes;
using test::u32s;

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

TEST(ListChunk, AviHeaderListWithMainHeaderAndNestedStreamLists) {
    const Bytes mainHeader = u32s({33333, 1000000, 0, 16, 250, 0, 2, 65536, 320, 240, 0, 0, 0, 0});
    const Bytes hdrl =
        list("hdrl",
             {chunk("avih", mainHeader),
              list("strl", {chunk("strh", streamHeader("vids", "DIB ", -1)),
                            chunk("strf", bitmapFormat()), chunk("strn", cString("Video"))}),
              list("strl", {chunk("strh", streamHeader("auds", std::string(4, '\0'), 0)),
                            chunk("strf", kWaveFormat), chunk("strn", cString("Audio track"))})});
    test::TempDir temp;
    const std::string path = temp.file("clip.avi");
    const Bytes file = test::riff(
        {hdrl, list("movi", {chunk("00dc", Bytes(6, 7))}), chunk("idx1", Bytes(16, 0))}, "AVI ");
    test::writeFile(path, file);
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
    EXPECT_EQ(test::joinedLines(treeLines(
                  buildChunkTree(path, static_cast<int64_t>(file.size()),
                                 analysisOptionsOf(defaultConversionSettings()).headerSizes))),
              expected);
}

TEST(ListChunk, StreamTypeComesFromTheLatestHeaderOfTheSameList) {
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

TEST(ListChunk, ShortStreamRecordsReadZeroInsteadOfTheirNeighbours) {
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
}

TEST(ListChunk, DeepNestingIsCutAtTheDepthLimit) {
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

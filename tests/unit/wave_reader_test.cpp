// The RIFF chunk walk and the WAVE analysis on real files and memory.
#include "analyser/analysis/wave_reader.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include "platform/file_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace corv {
namespace {

using test::Bytes;
using test::chunk;
using test::chunkWithSize;
using test::FormatFields;
using test::formatPayload;
using test::riff;
using test::riffWithSize;
using test::wave;

// The bytes with `with` written over them at `at`.
Bytes patched(Bytes bytes, size_t at, const Bytes& with) {
    std::copy(with.begin(), with.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    return bytes;
}

// The defaults with the "Ignore size in header" choices given.
ConversionSettings sizeChoices(int ignore, int over2GB, int over4GB, int always) {
    ConversionSettings s = defaultConversionSettings();
    s.ignoreSizeInHeader = ignore;
    s.ignoreIfOver2GB = over2GB;
    s.ignoreIfOver4GB = over4GB;
    s.ignoreAlways = always;
    return s;
}

ConversionSettings ignoreAlways() {
    return sizeChoices(1, 0, 0, 1);
}

ConversionSettings withFloatCe(ConversionSettings s = defaultConversionSettings()) {
    s.floatCECompatible = 1;
    return s;
}

AudioFileRecord analyseBytes(const test::TempDir& temp, const Bytes& bytes,
                             const ConversionSettings& settings = defaultConversionSettings()) {
    const std::string path = temp.file("probe.wav");
    test::writeFile(path, bytes);
    return test::analysePath(path, settings);
}

FileFormat formatOf(const Bytes& bytes,
                    const ConversionSettings& settings = defaultConversionSettings()) {
    test::TempDir temp;
    return analyseBytes(temp, bytes, settings).format;
}

// Little-endian 32-bit values, as sample data.
Bytes words(size_t count, uint32_t value) {
    Bytes out;
    out.reserve(count * 4);
    for (size_t i = 0; i < count; ++i)
        test::putU32(out, value);
    return out;
}

constexpr uint32_t kHalfAsFloat = 0x3F000000u; // 0.5f
constexpr uint32_t kAllOnes = 0xFFFFFFFFu;     // integer -1, a NaN as float

// ---- findChunk and findDataChunk on memory ----

// findChunk (capacity > 0) or findDataChunk (capacity 0) from `start`: the size
// copied, or 1 for a data chunk found, and where the stream was left; a failure
// must leave it where it started.
struct Found {
    size_t size;
    int64_t end;
};

Found found(const Bytes& file, const char* id, size_t capacity, int64_t start = 0) {
    MemorySource source(file);
    source.seek(start);
    std::vector<uint8_t> buffer(capacity);
    const size_t size =
        capacity ? findChunk(id, source, buffer.data(), capacity) : findDataChunk(id, source);
    if (size == 0) {
        EXPECT_EQ(source.tell(), start) << id;
    }
    return {size, source.tell()};
}

TEST(FindChunk, CopiesHeaderAndPayloadLeavesStreamBehindItAndHandlesSizesPadsAndIds) {
    const Bytes listFirst =
        riff({chunk("LIST", Bytes(5, 0xAA)), chunk("fmt ", {1, 2, 3, 4}), chunk("data", {9, 9})});
    MemorySource source(listFirst);
    std::vector<uint8_t> buffer(520, 0xEE);
    // RIFF(12) + LIST header and 5 bytes, no pad: "fmt " starts at 25.
    ASSERT_EQ(findChunk("fmt ", source, buffer.data(), buffer.size()), 12u);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 13),
              (std::vector<uint8_t>{'f', 'm', 't', ' ', 4, 0, 0, 0, 1, 2, 3, 4, 0xEE}));
    EXPECT_EQ(source.tell(), 25 + 12);
    const Bytes fmt16 = chunk("fmt ", Bytes(16, 0));
    const Bytes file = riff({chunk("fmt ", Bytes(200, 1)), chunk("data", {1, 2})});
    const auto oddThenFmt = [&](const char* id, bool pad) {
        return riff({chunk(id, {1, 2, 3}, pad), fmt16});
    };
    const struct {
        const char* what;
        Bytes file;
        const char* id;
        size_t capacity;
        int64_t start;
        size_t size;
        int64_t end; // -1: not checked
    } cases[] = {
        {"missing", file, "cue ", 520, 7, 0, 7},
        {"one byte short", file, "fmt ", 207, 3, 0, 3},
        {"exact fit", file, "fmt ", 208, 3, 208, -1},
        {"too small a buffer", file, "data", 99, 0, 0, 0},
        {"data found", file, "data", 100, 0, 10, 230},
        {"truncated payload", riff({chunkWithSize("fmt ", 16, Bytes(10, 0))}), "fmt ", 520, 0, 0,
         0},
        // 0xFFFFFFF8 + 8 is 0 in 32 bits; it must still count as far too large.
        {"size wrapping", riff({chunkWithSize("fmt ", 0xFFFFFFF8u, Bytes(16, 0))}), "fmt ", 520, 0,
         0, 0},
        {"control id", riff({chunk("ab\x01z", {1, 2}), fmt16}), "fmt ", 520, 0, 0, 0},
        {"delete id", riff({chunk("ab\x7Fz", {1, 2}), fmt16}), "fmt ", 520, 0, 0, 0},
        // Space and tilde are the printable bounds.
        {"printable bounds", riff({chunk(" ~~ ", {1, 2}), fmt16}), "fmt ", 520, 0, 24, 46},
        // Odd chunks are found padded or not, and only a zero is taken for a pad.
        {"odd data padded", oddThenFmt("data", true), "fmt ", 520, 0, 24, 48},
        {"odd data unpadded", oddThenFmt("data", false), "fmt ", 520, 0, 24, 47},
        {"non-zero after odd", riff({chunk("LIST", {1, 2, 3}), chunk("\x01fmt", Bytes(16, 0))}),
         "fmt ", 520, 0, 0, 0},
        // findDataChunk stands at the header of the match: 12 + (8 + 16) + (8 + 3, no pad) = 47.
        {"data behind odd LIST", riff({fmt16, chunk("LIST", Bytes(3, 7)), chunk("data", {5, 6})}),
         "data", 0, 0, 1, 47},
        {"behind odd data with pad",
         riff({chunk("data", {1, 2, 3}, true), chunk("cue ", {4, 4, 4, 4})}), "cue ", 0, 0, 1, 24},
        {"data behind a broken id", riff({fmt16, chunk("ab\tc", {1, 2}), chunk("data", {5, 6})}),
         "data", 0, 5, 0, 5},
    };
    for (const auto& c : cases) {
        const Found got = found(c.file, c.id, c.capacity, c.start);
        EXPECT_EQ(got.size, c.size) << c.what;
        if (c.end >= 0) {
            EXPECT_EQ(got.end, c.end) << c.what;
        }
    }
}

// ---- analysis of whole files ----

// Each tag (the sub-format in a 40-byte record), bits and container size
// in each format record: the sample type, or none when refused.
TEST(AnalyseFile, SampleTypesOfEveryFormatRecord) {
    using enum SampleType;
    const std::optional<SampleType> no;
    const struct {
        uint16_t tag, bits, container;
        bool floatCe;
        std::optional<SampleType> expected;
    } rows[] = {
        {1, 8, 1, false, Int8},       {1, 16, 2, false, Int16},
        {1, 24, 3, false, Int24},     {1, 32, 4, false, Int32},
        {3, 32, 4, false, FloatIeee}, {1, 24, 4, false, FloatPcm},
        {1, 32, 4, true, FloatCe},    {3, 64, 8, false, Double},
        {1, 20, 3, false, Int24},                            // 20 bits in 3 bytes
        {1, 17, 3, false, Int24},     {1, 16, 3, false, no}, // too few bits for a 3-byte container
        {1, 25, 3, false, no},        {1, 12, 2, false, Int16}, // 12 bits in 2 bytes
        {1, 4, 1, false, Int8}, // whatever the bits for 1 and 2 bytes
        {1, 20, 4, false, no},        {1, 32, 8, false, no},
        {1, 40, 5, false, no},        {3, 24, 4, false, no}, // float needs 32 or 64 bits
        {3, 32, 8, false, no},        {3, 64, 4, false, no},
        {3, 16, 2, false, no},        {2, 16, 2, false, no}, // ADPCM and other tags
        {0xFFFE, 16, 2, false, no},                          // extensible tag without its record
    };
    const struct {
        int size;
        FileFormat format;
        int64_t dataStart; // 12 + fmt header and payload + data header
    } kinds[] = {{16, FileFormat::WavePcm, 44},
                 {18, FileFormat::WaveNonPcm, 46},
                 {40, FileFormat::WaveFormatEx, 68}};
    test::TempDir temp;
    for (const auto& kind : kinds) {
        for (const auto& row : rows) {
            SCOPED_TRACE(testing::Message()
                         << "tag " << row.tag << ", " << row.bits << " bits in " << row.container
                         << " bytes, " << kind.size << "-byte record");
            const bool extensible = kind.size == 40;
            const FormatFields f{.tag = extensible ? uint16_t{0xFFFE} : row.tag,
                                 .channels = 3,
                                 .sampleRate = 48000,
                                 .bitsPerSample = row.bits,
                                 .containerBytes = row.container,
                                 .channelMask = 0x7,
                                 .subFormat = row.tag};
            // 5 frames; 0x11 bytes are ordinary numbers when read as floats.
            const AudioFileRecord r =
                analyseBytes(temp, wave(f, Bytes(size_t{5} * 3 * row.container, 0x11), kind.size),
                             row.floatCe ? withFloatCe() : defaultConversionSettings());
            EXPECT_EQ(r.format, row.expected ? kind.format : FileFormat::NotRecognised);
            if (!row.expected) continue;
            EXPECT_EQ(r.sampleType, *row.expected);
            EXPECT_EQ(r.channels, 3u);
            EXPECT_EQ(r.sampleRate, 48000u);
            EXPECT_EQ(r.bytesPerSample, row.container);
            EXPECT_EQ(r.frameCount, 5);
            EXPECT_EQ(r.dataStart, kind.dataStart);
            EXPECT_EQ(r.channelMask, extensible ? 0x7u : 0u);
            EXPECT_EQ(r.analysed, 1);
        }
    }
}

TEST(AnalyseFile, FormatRecordRejections) {
    const Bytes samples = Bytes(16, 0);
    const Bytes plain = wave({}, samples);
    // Record sizes other than 16, 18 and 40.
    for (int size : {14, 20, 24, 38, 42})
        EXPECT_EQ(formatOf(wave({}, samples, size)), FileFormat::NotRecognised) << size;
    // 18 bytes need extension size 0; 40 bytes need tag 0xFFFE and extension size 22;
    // sub-formats other than PCM and IEEE float are refused (the sample-type
    // table has the tags and sub-formats of each record).
    const struct {
        const char* what;
        Bytes file;
        ConversionSettings settings = defaultConversionSettings();
    } cases[] = {
        {"extension size 2 in 18 bytes", wave({.extensionSize = 2}, samples, 18)},
        {"tag 1 in 40 bytes", wave({}, samples, 40)},
        {"extension size 0 in 40 bytes", wave({.tag = 0xFFFE, .extensionSize = 0}, samples, 40)},
        {"sub-format 0x101", wave({.tag = 0xFFFE, .subFormat = 0x101}, samples, 40)},
        // Only the tail of the GUID differs: its last byte (0x71).
        {"GUID tail", patched(wave({.tag = 0xFFFE}, samples, 40), 20 + 39, {0x72})},
        {"zero channels", patched(plain, 20 + 2, {0, 0})},
        {"zero rate", patched(plain, 20 + 4, {0, 0, 0, 0})},
        {"zero block align", patched(plain, 20 + 12, {0, 0})},
        // A block align (2) below the channel count leaves no bytes per sample.
        {"block align below channels", patched(wave({.channels = 4}, samples), 20 + 12, {2, 0}),
         ignoreAlways()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatOf(c.file, c.settings), FileFormat::NotRecognised) << c.what;
}

TEST(AnalyseFile, Rf64TakesItsSizesFromDs64AndChecksThemLikeRiffSizes) {
    // 10 frames of 16-bit stereo behind an 80-byte header: the true RIFF size is 112.
    auto rf64 = [](uint64_t riffSize, uint64_t dataSize, size_t ds64Bytes = 28) {
        Bytes ds64 = test::ds64Body(riffSize, dataSize, 10);
        ds64.resize(ds64Bytes);
        return test::rf64(ds64, {chunk("fmt ", formatPayload({})),
                                 chunkWithSize("data", 0xFFFFFFFF, Bytes(40, 1))});
    };
    const struct {
        const char* what;
        Bytes bytes;
        ConversionSettings settings;
        int64_t frames; // -1: not recognised
    } cases[] = {
        {"true sizes", rf64(112, 40), test::trustedSizes(), 10},
        {"data size below the chunk's bytes", rf64(112, 20), test::trustedSizes(), 5},
        {"data size beyond the file", rf64(112, 44), test::trustedSizes(), -1},
        {"RIFF size one short", rf64(111, 40), test::trustedSizes(), -1},
        {"RIFF size 4 GB larger", rf64(112 + (uint64_t{1} << 32), 40), test::trustedSizes(), -1},
        {"sizes ignored", rf64(0, 0), ignoreAlways(), 10},
        {"ds64 cut short", rf64(112, 40, 20), ignoreAlways(), -1},
    };
    test::TempDir temp;
    for (const auto& c : cases) {
        const AudioFileRecord r = analyseBytes(temp, c.bytes, c.settings);
        EXPECT_EQ(r.container, c.frames < 0 ? WaveContainer::None : WaveContainer::Rf64) << c.what;
        EXPECT_EQ(r.frameCount, c.frames < 0 ? 0 : c.frames) << c.what;
    }
}

// Sizes in the header against the file, chunk order and padding, files of
// other kinds: stereo 16-bit unless said otherwise.
TEST(AnalyseFile, SizesChunkOrderAndOtherFiles) {
    const Bytes fmt = chunk("fmt ", formatPayload({}));
    const Bytes data = chunk("data", Bytes(8, 1));
    const std::vector<Bytes> chunks = {fmt, chunk("data", Bytes(40, 1))};
    const uint32_t exact = 4 + 24 + 48;
    // "Always" counts only under "Ignore size in header".
    const ConversionSettings alwaysAlone = sizeChoices(0, 0, 0, 1), trusted = test::trustedSizes(),
                             usual = defaultConversionSettings();
    Bytes trailing = riffWithSize(exact, chunks);
    trailing.push_back(0); // bytes behind the RIFF chunk make the length differ as well
    const Bytes odd = chunk("\x7F"
                            "abc",
                            Bytes(2, 0));
    const Bytes mp3 = test::cat<uint8_t>({test::textBytes("ID3\x03"), Bytes(600, 0x55)});
    const FileFormat no = FileFormat::NotRecognised, pcm = FileFormat::WavePcm;
    const struct {
        const char* what;
        Bytes file;
        ConversionSettings settings;
        FileFormat format;
        int64_t frames = -1;    // -1: not checked
        int64_t dataStart = -1; // -1: not checked
    } cases[] = {
        {"exact RIFF size", riffWithSize(exact, chunks), trusted, pcm, 10},
        {"RIFF size one short", riffWithSize(exact - 1, chunks), trusted, no},
        {"RIFF size one long, default", riffWithSize(exact + 1, chunks), usual, no},
        {"RIFF size zero, over 2 GB", riffWithSize(0, chunks), sizeChoices(1, 1, 0, 0), no},
        {"RIFF size all ones, always", riffWithSize(0xFFFFFFFFu, chunks), ignoreAlways(), pcm, 10},
        {"RIFF size wrong, always alone", riffWithSize(exact + 1, chunks), alwaysAlone, no},
        {"trailing byte", trailing, usual, no},
        {"data size zero", riff({fmt, chunkWithSize("data", 0, Bytes(40, 1))}), usual, no},
        {"data size zero, from length", riff({fmt, chunkWithSize("data", 0, Bytes(40, 1))}),
         ignoreAlways(), pcm, 10},
        {"data size beyond the file", riff({fmt, chunkWithSize("data", 1000, Bytes(40, 1))}), usual,
         no},
        {"data size beyond, from length", riff({fmt, chunkWithSize("data", 1000, Bytes(40, 1))}),
         ignoreAlways(), pcm, 10},
        {"nothing behind the header", riff({fmt, chunkWithSize("data", 0, {})}), ignoreAlways(),
         pcm, 0},
        // A shorter data size counts only the declared frames, a partial frame dropped.
        {"data size short",
         riff({fmt, chunkWithSize("data", 9, Bytes(9, 1)), chunk("junk", Bytes(3, 0))}), usual, pcm,
         2},
        // An odd LIST is stepped over by its size alone or with the zero pad.
        {"odd LIST unpadded", riff({fmt, chunk("LIST", Bytes(3, 'x')), data}), usual, pcm, 2,
         12 + 24 + 11 + 8},
        {"odd LIST padded", riff({chunk("LIST", Bytes(3, 'x'), true), fmt, data}), usual, pcm, 2,
         12 + 12 + 24 + 8},
        {"data ahead of the format", riff({data, fmt}), usual, pcm, 2, 20},
        // A chunk id outside space..tilde ahead of either chunk ends the walk; behind the data it
        // is never reached.
        {"odd id first", riff({odd, fmt, data}), usual, no},
        {"control id between", riff({fmt, chunk("ab\x01c", Bytes(2, 0)), data}), usual, no},
        {"odd id behind the data", riff({fmt, data, odd}), usual, pcm},
        {"no data", riff({fmt}), usual, no},
        {"no format", riff({data}), usual, no},
        {"1000 channels",
         wave({.channels = 1000, .bitsPerSample = 8, .containerBytes = 1}, Bytes(2000, 0x80)),
         usual, pcm, 2},
        {"1001 channels",
         wave({.channels = 1001, .bitsPerSample = 8, .containerBytes = 1}, Bytes(2002, 0x80)),
         usual, no},
        {"MP3", mp3, usual, no},
        {"AVI", riff({fmt, data}, "AVI "), usual, no},
        {"RIFF alone", {'R', 'I', 'F', 'F'}, usual, no},
        {"empty", {}, usual, no},
        {"no chunks", riff({}), usual, no},
    };
    test::TempDir temp;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const AudioFileRecord r = analyseBytes(temp, c.file, c.settings);
        EXPECT_EQ(r.format, c.format);
        EXPECT_EQ(r.analysed, 1);
        EXPECT_EQ(r.fileSize, static_cast<int64_t>(c.file.size()));
        if (c.frames >= 0) {
            EXPECT_EQ(r.frameCount, c.frames);
        }
        if (c.dataStart >= 0) {
            EXPECT_EQ(r.dataStart, c.dataStart);
        }
    }
}

TEST(AnalyseFile, ReanalysisSeesTheFileAsItIsNow) {
    test::TempDir temp;
    const std::string path = temp.file("changing.wav");
    test::writeFile(path, wave({}, Bytes(8, 0)));
    AudioFileRecord record = test::analysePath(path);
    EXPECT_EQ(record.frameCount, 2);
    test::writeFile(path, wave({}, Bytes(40, 0)));
    analyseFile(record, defaultConversionSettings());
    EXPECT_EQ(record.fileSize, 84);
    EXPECT_EQ(record.frameCount, 10);
    // Gone since it was added: not recognised, not marked analysed, the size kept.
    record.analysed = 0;
    ASSERT_TRUE(removeFile(path));
    analyseFile(record, defaultConversionSettings());
    EXPECT_EQ(record.format, FileFormat::NotRecognised);
    EXPECT_EQ(record.analysed, 0);
    EXPECT_EQ(record.fileSize, 84);
    test::writeFile(path, {'n', 'o'});
    analyseFile(record, defaultConversionSettings());
    EXPECT_EQ(record.format, FileFormat::NotRecognised);
    EXPECT_EQ(record.fileSize, 2);
}

// ---- the NaN scan of 32-bit PCM data ----

FormatFields int32Layout(uint16_t channels) {
    return {.channels = channels, .bitsPerSample = 32, .containerBytes = 4};
}

// 32-bit PCM of `count` values of 0.5f, with -1 written over the value at each index.
Bytes withMinusOnes(size_t count, std::initializer_list<size_t> at, uint16_t channels = 1) {
    Bytes samples = words(count, kHalfAsFloat);
    for (size_t index : at)
        samples = patched(std::move(samples), index * 4, words(1, kAllOnes));
    return wave(int32Layout(channels), samples);
}

// Rows of 32-bit PCM analysed with "32bits float CE compatible" on.
TEST(FloatCeScan, NaNsInTheScannedWindowsOfFilesAndMemoryMakeIntegers) {
    const SampleType i32 = SampleType::Int32, ce = SampleType::FloatCe;
    const auto stereoWith = [](size_t at, uint32_t word) {
        return wave(int32Layout(2), patched(words(200, kHalfAsFloat), at, words(1, word)));
    };
    const struct {
        const char* what;
        Bytes file;
        SampleType expected;
    } cases[] = {
        {"+infinity is no NaN", stereoWith(40, 0x7F800000u), ce},
        {"-infinity is no NaN", stereoWith(44, 0xFF800000u), ce},
        {"quiet NaN", stereoWith(400, 0x7FC00000u), i32},
        {"signalling NaN", stereoWith(400, 0xFF800001u), i32},
        {"second half of a short stereo file", withMinusOnes(200, {199}, 2), i32},
        {"bytes behind the data are no samples",
         riff({chunk("fmt ", formatPayload(int32Layout(2))),
               chunk("data", words(100, kHalfAsFloat)), chunk("junk", Bytes(64, 0xFF))}),
         ce},
        // The last value of the first million bytes, and the first one behind them.
        {"last of the first window", withMinusOnes(300000, {249999}), i32},
        {"behind the first window", withMinusOnes(300000, {250000}), ce},
        // 1,300,000 values: 5.2 MB, so the middle window at value 650,000 is read;
        // its 4,000,000-byte earlier neighbour would start before the data.
        {"middle window start", withMinusOnes(1300000, {650000}), i32},
        {"middle window end", withMinusOnes(1300000, {899999}), i32},
        {"around the middle window", withMinusOnes(1300000, {649999, 900000}), ce},
        // 2,500,000 values: middle at 1,250,000; the third window covers values
        // 250,000 to 499,999 (bytes 1,000,000 to 1,999,999 of the data).
        {"third window start", withMinusOnes(2500000, {250000}), i32},
        {"third window end", withMinusOnes(2500000, {499999}), i32},
        {"around the windows", withMinusOnes(2500000, {500000, 1249999, 1500000}), ce},
        // 800,000 values: only the third-window rule applies, and it falls back to the start.
        {"third window at the start", withMinusOnes(800000, {400000}), ce},
    };
    test::TempDir temp;
    for (const auto& c : cases)
        EXPECT_EQ(analyseBytes(temp, c.file, withFloatCe()).sampleType, c.expected) << c.what;
    // Without the setting nothing is scanned; all NaNs is still PCM.
    EXPECT_EQ(analyseBytes(temp, stereoWith(40, 0x7F800000u)).sampleType, i32);
    const AudioFileRecord all =
        analyseBytes(temp, wave(int32Layout(1), words(300000, kAllOnes)), withFloatCe());
    EXPECT_EQ(all.format, FileFormat::WavePcm);
    EXPECT_EQ(all.sampleType, i32);
    // The scan alone, on memory: 3 values at 100 with -1 in the middle one.
    const Bytes bytes =
        patched(patched(Bytes(152, 0xFF), 100, words(3, kHalfAsFloat)), 104, words(1, kAllOnes));
    MemorySource source(bytes);
    EXPECT_FALSE(looksLikeFloat(source, 100, 3));
    EXPECT_TRUE(looksLikeFloat(source, 100, 1));     // only the first value
    EXPECT_TRUE(looksLikeFloat(source, 100, 0));     // nothing to look at
    EXPECT_FALSE(looksLikeFloat(source, 100, 1, 8)); // two values' bytes given
    EXPECT_TRUE(looksLikeFloat(source, 100, INT64_MAX / 2, 4));
}

// A 5 GB file made sparse: the header, then a gap the file system need not store.
TEST(FloatCeScan, WindowsOfAFileOver4GB) {
    test::TempDir temp;
    const std::string path = temp.file("huge.wav");
    const Bytes header = riffWithSize(
        0, {chunk("fmt ", formatPayload(int32Layout(1))), chunkWithSize("data", 0, {})});
    if (!test::writeSparse(path, header, int64_t{5} << 30))
        GTEST_SKIP() << "no sparse 5 GB file here";
    const auto poke = [&](int64_t offset, uint32_t value) {
        FileStream file;
        const Bytes bytes = test::u32s({value});
        return file.open(path, FileStream::Mode::ReadWrite) && file.seek(offset) &&
               file.write(bytes.data(), bytes.size()) == bytes.size() && file.close();
    };
    const auto scanned = [&] { return test::analysePath(path, withFloatCe()).sampleType; };
    // frames (5,368,709,120 - 44) / 4 = 1,342,177,269; middle value 671,088,634
    // at byte 44 + 2,684,354,536; the third window 4,000,000 bytes before it.
    const int64_t middle = 2684354580;
    EXPECT_EQ(scanned(), SampleType::FloatCe);
    ASSERT_TRUE(poke(middle + 1000000, kAllOnes)); // just behind the middle window
    ASSERT_TRUE(poke(middle - 3000000, kAllOnes)); // just behind the third window
    ASSERT_TRUE(poke(44 + 1000000, kAllOnes));     // just behind the first window
    EXPECT_EQ(scanned(), SampleType::FloatCe);
    ASSERT_TRUE(poke(middle + 999996, kAllOnes));
    EXPECT_EQ(scanned(), SampleType::Int32);
    ASSERT_TRUE(poke(middle + 999996, 0));
    ASSERT_TRUE(poke(middle - 4000000, kAllOnes));
    EXPECT_EQ(scanned(), SampleType::Int32);
}

} // namespace
} // namespace corv

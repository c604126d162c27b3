// The RIFF chunk walk and the WAVE analysis on real files and memory.
#include "analyser/analysis/wave_reader.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include "platform/file_stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <initializer_list>
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

void patchU32(Bytes& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

// ---- settings the analysis reads ----

ConversionSettings ignoreOver2GB() {
    ConversionSettings s = defaultConversionSettings();
    s.ignoreIfOver4GB = 0;
    s.ignoreIfOver2GB = 1;
    return s;
}

ConversionSettings ignoreAlways() {
    ConversionSettings s = defaultConversionSettings();
    s.ignoreSizeInHeader = 1;
    s.ignoreIfOver4GB = 0;
    s.ignoreAlways = 1;
    return s;
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

// findChunk from `start`; a failure must leave the stream where it was.
size_t found(const Bytes& file, const char* id, size_t capacity = 520, int64_t start = 0,
             int64_t* end = nullptr) {
    MemorySource source(file);
    source.seek(start);
    std::vector<uint8_t> buffer(capacity);
    const size_t size = findChunk(id, source, buffer.data(), capacity);
    if (size == 0) {
        EXPECT_EQ(source.tell(), start) << id;
    }
    if (end) *end = source.tell();
    return size;
}

TEST(FindChunk, CopiesHeaderAndPayloadAndLeavesStreamBehindIt) {
    Bytes file =
        riff({chunk("LIST", Bytes(5, 0xAA)), chunk("fmt ", {1, 2, 3, 4}), chunk("data", {9, 9})});
    MemorySource source(file);
    std::vector<uint8_t> buffer(520, 0xEE);
    // RIFF(12) + LIST header and 5 bytes, no pad: "fmt " starts at 25.
    ASSERT_EQ(findChunk("fmt ", source, buffer.data(), buffer.size()), 12u);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 13),
              (std::vector<uint8_t>{'f', 'm', 't', ' ', 4, 0, 0, 0, 1, 2, 3, 4, 0xEE}));
    EXPECT_EQ(source.tell(), 25 + 12);
}

TEST(FindChunk, FailsAndRestoresPosition) {
    const Bytes file = riff({chunk("fmt ", Bytes(200, 1)), chunk("data", {1, 2})});
    EXPECT_EQ(found(file, "cue ", 520, 7), 0u); // missing
    EXPECT_EQ(found(file, "fmt ", 207, 3), 0u); // 208 would be needed
    EXPECT_EQ(found(file, "fmt ", 208, 3), 208u);
    EXPECT_EQ(found(file, "data", 99), 0u); // too small a buffer
    EXPECT_EQ(found(file, "data", 100), 10u);
    // A truncated payload.
    EXPECT_EQ(found(riff({chunkWithSize("fmt ", 16, Bytes(10, 0))}), "fmt "), 0u);
    // 0xFFFFFFF8 + 8 is 0 in 32 bits; it must still count as far too large.
    EXPECT_EQ(found(riff({chunkWithSize("fmt ", 0xFFFFFFF8u, Bytes(16, 0))}), "fmt "), 0u);
}

TEST(FindChunk, NonPrintableIdBeforeTargetStopsTheWalk) {
    for (const char* id : {"ab\x01z", "ab\x7Fz"})
        EXPECT_EQ(found(riff({chunk(id, {1, 2}), chunk("fmt ", Bytes(16, 0))}), "fmt "), 0u);
    // Space and tilde are the printable bounds.
    EXPECT_EQ(found(riff({chunk(" ~~ ", {1, 2}), chunk("fmt ", Bytes(16, 0))}), "fmt "), 24u);
}

TEST(FindChunk, OddChunksAreFoundPaddedOrNot) {
    for (const char* id : {"data", "LIST"}) {
        for (bool pad : {true, false}) {
            int64_t end = 0;
            const Bytes file = riff({chunk(id, {1, 2, 3}, pad), chunk("fmt ", Bytes(16, 0))});
            EXPECT_EQ(found(file, "fmt ", 520, 0, &end), 24u) << id << pad;
            EXPECT_EQ(end, 12 + (pad ? 12 : 11) + 24) << id << pad;
        }
    }
    // Only a zero is taken for a pad byte.
    EXPECT_EQ(found(riff({chunk("LIST", {1, 2, 3}), chunk("\x01"
                                                          "fmt",
                                                          Bytes(16, 0))}),
                    "fmt "),
              0u);
}

// Where findDataChunk leaves the stream, or -1; a failure must leave it where it was.
int64_t dataChunkAt(const Bytes& file, const char* id, int64_t start = 0) {
    MemorySource source(file);
    source.seek(start);
    if (findDataChunk(id, source)) return source.tell();
    EXPECT_EQ(source.tell(), start) << id;
    return -1;
}

TEST(FindDataChunk, StandsAtTheHeaderOfTheMatchOrRestoresPosition) {
    const Bytes listFirst =
        riff({chunk("fmt ", Bytes(16, 0)), chunk("LIST", Bytes(3, 7)), chunk("data", {5, 6})});
    // 12 + (8 + 16) + (8 + 3, no pad after the odd LIST) = 47.
    EXPECT_EQ(dataChunkAt(listFirst, "data"), 47);
    // An odd data chunk before the target is skipped with its pad: 3 bytes and the pad.
    const Bytes oddData = riff({chunk("data", {1, 2, 3}, true), chunk("cue ", {4, 4, 4, 4})});
    EXPECT_EQ(dataChunkAt(oddData, "cue "), 12 + 8 + 4);
    const Bytes broken =
        riff({chunk("fmt ", Bytes(16, 0)), chunk("ab\tc", {1, 2}), chunk("data", {5, 6})});
    EXPECT_EQ(dataChunkAt(broken, "data", 5), -1);
    EXPECT_EQ(dataChunkAt(broken, "cue ", 5), -1);
}

// ---- analysis of whole files ----

struct SampleRow {
    const char* what;
    bool floatData;
    uint16_t bits;
    uint16_t container;
    bool floatCe;
    SampleType expected;
};

const SampleRow kSampleRows[] = {
    {"8bit int", false, 8, 1, false, SampleType::Int8},
    {"16bit int", false, 16, 2, false, SampleType::Int16},
    {"24bit int", false, 24, 3, false, SampleType::Int24},
    {"32bit int", false, 32, 4, false, SampleType::Int32},
    {"32bit float IEEE", true, 32, 4, false, SampleType::FloatIeee},
    {"32bit float PCM", false, 24, 4, false, SampleType::FloatPcm},
    {"32bit float CE", false, 32, 4, true, SampleType::FloatCe},
    {"64bit float", true, 64, 8, false, SampleType::Double},
};

TEST(AnalyseFile, EverySampleTypeInEveryFormatRecord) {
    test::TempDir temp;
    struct RecordKind {
        int size;
        FileFormat format;
        int64_t dataStart; // 12 + fmt header and payload + data header
    };
    for (RecordKind kind :
         {RecordKind{16, FileFormat::WavePcm, 44}, RecordKind{18, FileFormat::WaveNonPcm, 46},
          RecordKind{40, FileFormat::WaveFormatEx, 68}}) {
        for (const SampleRow& row : kSampleRows) {
            SCOPED_TRACE(std::string(row.what) + " in a " + std::to_string(kind.size) +
                         " byte record");
            FormatFields f;
            f.channels = 3;
            f.sampleRate = 48000;
            f.bitsPerSample = row.bits;
            f.containerBytes = row.container;
            f.channelMask = 0x7;
            if (kind.size == 40) {
                f.tag = 0xFFFE;
                f.subFormat = row.floatData ? 3 : 1;
            } else {
                f.tag = row.floatData ? 3 : 1;
            }
            // 5 frames; 0x11 bytes are ordinary numbers when read as floats.
            Bytes samples = Bytes(size_t{5} * 3 * row.container, 0x11);
            AudioFileRecord r =
                analyseBytes(temp, wave(f, samples, kind.size),
                             row.floatCe ? withFloatCe() : defaultConversionSettings());
            EXPECT_EQ(r.format, kind.format);
            EXPECT_EQ(r.sampleType, row.expected);
            EXPECT_EQ(r.channels, 3u);
            EXPECT_EQ(r.sampleRate, 48000u);
            EXPECT_EQ(r.bytesPerSample, row.container);
            EXPECT_EQ(r.frameCount, 5);
            EXPECT_EQ(r.dataStart, kind.dataStart);
            EXPECT_EQ(r.channelMask, kind.size == 40 ? 0x7u : 0u);
            EXPECT_EQ(r.analysed, 1);
        }
    }
}

TEST(AnalyseFile, ContainerAndBitCombinations) {
    struct Case {
        uint16_t tag, bits, container;
        FileFormat format;
        SampleType type;
    };
    const FileFormat no = FileFormat::NotRecognised, pcm = FileFormat::WavePcm;
    const Case cases[] = {
        {1, 20, 3, pcm, SampleType::Int24}, // 20 bits in 3 bytes
        {1, 17, 3, pcm, SampleType::Int24},
        {1, 16, 3, no, {}}, // too few bits for a 3-byte container
        {1, 25, 3, no, {}},
        {1, 12, 2, pcm, SampleType::Int16}, // 12 bits in 2 bytes
        {1, 4, 1, pcm, SampleType::Int8},   // whatever the bits for 1 and 2 bytes
        {1, 20, 4, no, {}},
        {1, 32, 8, no, {}},
        {1, 40, 5, no, {}},
        {3, 24, 4, no, {}}, // float needs 32 or 64 bits
        {3, 32, 8, no, {}},
        {3, 64, 4, no, {}},
        {3, 16, 2, no, {}},
        {2, 16, 2, no, {}},      // ADPCM and other tags
        {0xFFFE, 16, 2, no, {}}, // extensible tag without its record
    };
    test::TempDir temp;
    for (const Case& c : cases) {
        SCOPED_TRACE("tag " + std::to_string(c.tag) + ", " + std::to_string(c.bits) + " bits in " +
                     std::to_string(c.container) + " bytes");
        const FormatFields f{.tag = c.tag, .bitsPerSample = c.bits, .containerBytes = c.container};
        AudioFileRecord r = analyseBytes(temp, wave(f, Bytes(size_t{4} * 2 * c.container, 0)));
        EXPECT_EQ(r.format, c.format);
        if (c.format != no) {
            EXPECT_EQ(r.sampleType, c.type);
            EXPECT_EQ(r.frameCount, 4);
        }
    }
}

TEST(AnalyseFile, FormatRecordRejections) {
    const Bytes samples = Bytes(16, 0);
    // Record sizes other than 16, 18 and 40.
    for (int size : {14, 20, 24, 38, 42})
        EXPECT_EQ(formatOf(wave({}, samples, size)), FileFormat::NotRecognised) << size;
    // 18 bytes need extension size 0; 40 bytes need tag 0xFFFE and extension size 22;
    // sub-formats other than PCM and IEEE float are refused.
    const FileFormat no = FileFormat::NotRecognised;
    const struct {
        const char* what;
        FormatFields fields;
        int size;
        FileFormat expected;
    } cases[] = {
        {"18 bytes", {}, 18, FileFormat::WaveNonPcm},
        {"extension size 2 in 18 bytes", {.extensionSize = 2}, 18, no},
        {"tag 1 in 40 bytes", {}, 40, no},
        {"extensible", {.tag = 0xFFFE}, 40, FileFormat::WaveFormatEx},
        {"extensible tag in 18 bytes", {.tag = 0xFFFE}, 18, no},
        {"extension size 0 in 40 bytes", {.tag = 0xFFFE, .extensionSize = 0}, 40, no},
        {"ADPCM sub-format", {.tag = 0xFFFE, .subFormat = 2}, 40, no},
        {"sub-format 0x101", {.tag = 0xFFFE, .subFormat = 0x101}, 40, no},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatOf(wave(c.fields, samples, c.size)), c.expected) << c.what;
    // Only the tail of the GUID differs: its last byte (0x71).
    Bytes tail = wave({.tag = 0xFFFE}, samples, 40);
    tail[20 + 39] = 0x72;
    EXPECT_EQ(formatOf(tail), FileFormat::NotRecognised);
    // Zero channels, rate or block align.
    for (size_t offset : {size_t{20 + 2}, size_t{20 + 4}, size_t{20 + 12}}) {
        Bytes zeroed = wave({}, samples);
        std::memset(&zeroed[offset], 0, offset == 24 ? 4 : 2);
        EXPECT_EQ(formatOf(zeroed), FileFormat::NotRecognised) << offset;
    }
    // A block align (2) below the channel count leaves no bytes per sample.
    Bytes narrow = wave({.channels = 4}, samples);
    narrow[20 + 12] = 2;
    narrow[20 + 13] = 0;
    EXPECT_EQ(formatOf(narrow, ignoreAlways()), FileFormat::NotRecognised);
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

TEST(AnalyseFile, ChannelLimitIsAThousand) {
    FormatFields f{.channels = 1000, .bitsPerSample = 8, .containerBytes = 1};
    test::TempDir temp;
    AudioFileRecord r = analyseBytes(temp, wave(f, Bytes(2000, 0x80)));
    EXPECT_EQ(r.format, FileFormat::WavePcm);
    EXPECT_EQ(r.frameCount, 2);
    f.channels = 1001;
    EXPECT_EQ(formatOf(wave(f, Bytes(2002, 0x80))), FileFormat::NotRecognised);
}

TEST(AnalyseFile, RiffSizeMustMatchUnlessIgnored) {
    // Stereo 16-bit.
    const std::vector<Bytes> chunks = {chunk("fmt ", formatPayload({})),
                                       chunk("data", Bytes(40, 1))};
    const uint32_t exact = 4 + 24 + 48;
    EXPECT_EQ(formatOf(riffWithSize(exact, chunks), test::trustedSizes()), FileFormat::WavePcm);
    for (uint32_t wrong : {exact - 1, exact + 1, 0u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(wrong);
        const Bytes file = riffWithSize(wrong, chunks);
        EXPECT_EQ(formatOf(file, test::trustedSizes()), FileFormat::NotRecognised);
        // The default only distrusts files of 4 GB and more.
        EXPECT_EQ(formatOf(file), FileFormat::NotRecognised);
        EXPECT_EQ(formatOf(file, ignoreOver2GB()), FileFormat::NotRecognised);
        EXPECT_EQ(formatOf(file, ignoreAlways()), FileFormat::WavePcm);
        // "Always" counts only under "Ignore size in header".
        ConversionSettings alwaysAlone = ignoreAlways();
        alwaysAlone.ignoreSizeInHeader = 0;
        EXPECT_EQ(formatOf(file, alwaysAlone), FileFormat::NotRecognised);
    }
    // Bytes behind the RIFF chunk make the length differ as well.
    Bytes trailing = riffWithSize(exact, chunks);
    trailing.push_back(0);
    EXPECT_EQ(formatOf(trailing), FileFormat::NotRecognised);
}

TEST(AnalyseFile, DataSizeAgainstFileLength) {
    // Stereo 16-bit: 4 bytes a frame, samples at 44.
    const Bytes fmt = chunk("fmt ", formatPayload({}));
    test::TempDir temp;

    const Bytes empty = riff({fmt, chunkWithSize("data", 0, Bytes(40, 1))});
    EXPECT_EQ(analyseBytes(temp, empty).format, FileFormat::NotRecognised);
    AudioFileRecord fromLength = analyseBytes(temp, empty, ignoreAlways());
    EXPECT_EQ(fromLength.format, FileFormat::WavePcm);
    EXPECT_EQ(fromLength.frameCount, 10); // (84 - 44) / 4

    const Bytes overlong = riff({fmt, chunkWithSize("data", 1000, Bytes(40, 1))});
    EXPECT_EQ(analyseBytes(temp, overlong).format, FileFormat::NotRecognised);
    EXPECT_EQ(analyseBytes(temp, overlong, ignoreAlways()).frameCount, 10);

    // Ignored sizes with nothing behind the header: recognised, no frames.
    const Bytes bare = riff({fmt, chunkWithSize("data", 0, {})});
    AudioFileRecord none = analyseBytes(temp, bare, ignoreAlways());
    EXPECT_EQ(none.format, FileFormat::WavePcm);
    EXPECT_EQ(none.frameCount, 0);

    // A shorter data size than the file holds counts only the declared frames,
    // a partial frame is dropped.
    const Bytes partial =
        riff({fmt, chunkWithSize("data", 9, Bytes(9, 1)), chunk("junk", Bytes(3, 0))});
    AudioFileRecord r = analyseBytes(temp, partial);
    EXPECT_EQ(r.format, FileFormat::WavePcm);
    EXPECT_EQ(r.frameCount, 2);
}

TEST(AnalyseFile, ChunkOrderAndPadding) {
    const Bytes fmt = chunk("fmt ", formatPayload({})); // stereo 16-bit
    const Bytes data = chunk("data", Bytes(8, 1));
    test::TempDir temp;

    // An odd LIST before the data is stepped over by its size alone, or with
    // the zero pad byte most writers add.
    AudioFileRecord list = analyseBytes(temp, riff({fmt, chunk("LIST", Bytes(3, 'x')), data}));
    EXPECT_EQ(list.format, FileFormat::WavePcm);
    EXPECT_EQ(list.dataStart, 12 + 24 + 11 + 8);
    EXPECT_EQ(list.frameCount, 2);
    AudioFileRecord padded =
        analyseBytes(temp, riff({chunk("LIST", Bytes(3, 'x'), true), fmt, data}));
    EXPECT_EQ(padded.format, FileFormat::WavePcm);
    EXPECT_EQ(padded.dataStart, 12 + 12 + 24 + 8);

    // Data ahead of the format record.
    AudioFileRecord early = analyseBytes(temp, riff({data, fmt}));
    EXPECT_EQ(early.format, FileFormat::WavePcm);
    EXPECT_EQ(early.dataStart, 20);

    // A chunk id outside space..tilde ahead of either chunk ends the walk.
    const Bytes odd = chunk("\x7F"
                            "abc",
                            Bytes(2, 0));
    const Bytes control = chunk("ab\x01"
                                "c",
                                Bytes(2, 0));
    EXPECT_EQ(analyseBytes(temp, riff({odd, fmt, data})).format, FileFormat::NotRecognised);
    EXPECT_EQ(analyseBytes(temp, riff({fmt, control, data})).format, FileFormat::NotRecognised);
    // Behind the data it is never reached.
    EXPECT_EQ(analyseBytes(temp, riff({fmt, data, odd})).format, FileFormat::WavePcm);
    // Missing chunks.
    EXPECT_EQ(analyseBytes(temp, riff({fmt})).format, FileFormat::NotRecognised);
    EXPECT_EQ(analyseBytes(temp, riff({data})).format, FileFormat::NotRecognised);
}

TEST(AnalyseFile, OtherFilesAreNotRecognised) {
    test::TempDir temp;
    // An MP3 with an ID3 tag and a frame header.
    Bytes mp3 = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 10};
    mp3.resize(20, 0);
    for (uint8_t b : {0xFF, 0xFB, 0x90, 0x64})
        mp3.push_back(b);
    mp3.resize(600, 0x55);
    AudioFileRecord r = analyseBytes(temp, mp3);
    EXPECT_EQ(r.format, FileFormat::NotRecognised);
    EXPECT_EQ(r.analysed, 1);
    EXPECT_EQ(r.fileSize, 600);

    EXPECT_EQ(
        formatOf(riff({chunk("fmt ", formatPayload({})), chunk("data", Bytes(8, 0))}, "AVI ")),
        FileFormat::NotRecognised);
    EXPECT_EQ(formatOf({'R', 'I', 'F', 'F'}), FileFormat::NotRecognised);
    EXPECT_EQ(formatOf({}), FileFormat::NotRecognised);
    EXPECT_EQ(formatOf(riff({})), FileFormat::NotRecognised);
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
        patchU32(samples, index * 4, kAllOnes);
    return wave(int32Layout(channels), samples);
}

TEST(FloatCeScan, FloatsAndIntegers) {
    test::TempDir temp;
    Bytes floats = words(200, kHalfAsFloat);
    patchU32(floats, 40, 0x7F800000u); // +infinity is no NaN
    patchU32(floats, 44, 0xFF800000u);
    EXPECT_EQ(analyseBytes(temp, wave(int32Layout(2), floats), withFloatCe()).sampleType,
              SampleType::FloatCe);
    EXPECT_EQ(analyseBytes(temp, wave(int32Layout(2), floats)).sampleType, SampleType::Int32);
    // One quiet and one signalling NaN pattern.
    for (uint32_t nan : {0x7FC00000u, 0xFF800001u}) {
        Bytes samples = words(200, kHalfAsFloat);
        patchU32(samples, 400, nan);
        EXPECT_EQ(analyseBytes(temp, wave(int32Layout(2), samples), withFloatCe()).sampleType,
                  SampleType::Int32)
            << std::hex << nan;
    }
    // The second half of a short stereo file is scanned too.
    EXPECT_EQ(analyseBytes(temp, withMinusOnes(200, {199}, 2), withFloatCe()).sampleType,
              SampleType::Int32);
    // Bytes behind the data are no samples.
    const Bytes trailing =
        riff({chunk("fmt ", formatPayload(int32Layout(2))), chunk("data", words(100, kHalfAsFloat)),
              chunk("junk", Bytes(64, 0xFF))});
    EXPECT_EQ(analyseBytes(temp, trailing, withFloatCe()).sampleType, SampleType::FloatCe);
    AudioFileRecord all =
        analyseBytes(temp, wave(int32Layout(1), words(300000, kAllOnes)), withFloatCe());
    EXPECT_EQ(all.format, FileFormat::WavePcm);
    EXPECT_EQ(all.sampleType, SampleType::Int32);
}

TEST(FloatCeScan, WindowsOfLongerFiles) {
    const SampleType i32 = SampleType::Int32, ce = SampleType::FloatCe;
    const struct {
        size_t count;
        std::initializer_list<size_t> minusOnes;
        SampleType expected;
    } cases[] = {
        // The last value of the first million bytes, and the first one behind them.
        {300000, {249999}, i32},
        {300000, {250000}, ce},
        // 1,300,000 values: 5.2 MB, so the middle window at value 650,000 is read;
        // its 4,000,000-byte earlier neighbour would start before the data.
        {1300000, {650000}, i32},
        {1300000, {899999}, i32},
        {1300000, {649999, 900000}, ce},
        // 2,500,000 values: middle at 1,250,000; the third window covers values
        // 250,000 to 499,999 (bytes 1,000,000 to 1,999,999 of the data).
        {2500000, {250000}, i32},
        {2500000, {499999}, i32},
        {2500000, {500000, 1249999, 1500000}, ce},
        // 800,000 values: only the third-window rule applies, and it falls back to the start.
        {800000, {400000}, ce},
    };
    test::TempDir temp;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " values, -1 at " +
                     std::to_string(*c.minusOnes.begin()));
        EXPECT_EQ(analyseBytes(temp, withMinusOnes(c.count, c.minusOnes), withFloatCe()).sampleType,
                  c.expected);
    }
}

TEST(FloatCeScan, MemorySourceWindows) {
    // The scan alone, on memory: 3 values at 100 with -1 in the middle one.
    Bytes bytes = Bytes(100, 0xFF);
    Bytes data = words(3, kHalfAsFloat);
    patchU32(data, 4, kAllOnes);
    bytes.insert(bytes.end(), data.begin(), data.end());
    bytes.resize(bytes.size() + 40, 0xFF);
    MemorySource source(bytes);
    EXPECT_FALSE(looksLikeFloat(source, 100, 3));
    EXPECT_TRUE(looksLikeFloat(source, 100, 1));     // only the first value
    EXPECT_TRUE(looksLikeFloat(source, 100, 0));     // nothing to look at
    EXPECT_FALSE(looksLikeFloat(source, 100, 1, 8)); // two values' bytes given
    EXPECT_TRUE(looksLikeFloat(source, 100, INT64_MAX / 2, 4));
}

// ---- files over 4 GB, made sparse ----

class HugeFile : public ::testing::Test {
  protected:
    static constexpr int64_t kLength = int64_t{5} << 30; // 5 GB

    // Writes the header and stretches the file to 5 GB without writing the rest.
    bool make(const FormatFields& f) {
        path_ = temp_.file("huge.wav");
        return test::writeSparse(
            path_, riffWithSize(0, {chunk("fmt ", formatPayload(f)), chunkWithSize("data", 0, {})}),
            kLength);
    }

    bool poke(int64_t offset, uint32_t value) {
        FileStream file;
        Bytes bytes;
        test::putU32(bytes, value);
        return file.open(path_, FileStream::Mode::ReadWrite) && file.seek(offset) &&
               file.write(bytes.data(), bytes.size()) == bytes.size() && file.close();
    }

    AudioFileRecord analyse(const ConversionSettings& settings) {
        return test::analysePath(path_, settings);
    }

    test::TempDir temp_;
    std::string path_;
};

TEST_F(HugeFile, ZeroSizesAreIgnoredOverFourGigabytes) {
    if (!make(FormatFields{})) GTEST_SKIP() << "no sparse 5 GB file here";
    AudioFileRecord r = analyse(defaultConversionSettings());
    EXPECT_EQ(r.fileSize, 5368709120);
    EXPECT_EQ(r.format, FileFormat::WavePcm);
    EXPECT_EQ(r.dataStart, 44);
    EXPECT_EQ(r.frameCount, 1342177269); // (5,368,709,120 - 44) / 4
    EXPECT_EQ(analyse(test::trustedSizes()).format, FileFormat::NotRecognised);
    EXPECT_EQ(analyse(ignoreOver2GB()).frameCount, 1342177269);
    ConversionSettings noChoice = defaultConversionSettings();
    noChoice.ignoreIfOver4GB = 0;
    EXPECT_EQ(analyse(noChoice).format, FileFormat::NotRecognised);
}

TEST_F(HugeFile, FloatCeScanWindows) {
    if (!make(int32Layout(1))) GTEST_SKIP() << "no sparse 5 GB file here";
    // frames (5,368,709,120 - 44) / 4 = 1,342,177,269; middle value 671,088,634
    // at byte 44 + 2,684,354,536; the third window 4,000,000 bytes before it.
    const int64_t middle = 2684354580;
    EXPECT_EQ(analyse(withFloatCe()).sampleType, SampleType::FloatCe);
    ASSERT_TRUE(poke(middle + 1000000, kAllOnes)); // just behind the middle window
    ASSERT_TRUE(poke(middle - 3000000, kAllOnes)); // just behind the third window
    ASSERT_TRUE(poke(44 + 1000000, kAllOnes));     // just behind the first window
    EXPECT_EQ(analyse(withFloatCe()).sampleType, SampleType::FloatCe);
    ASSERT_TRUE(poke(middle + 999996, kAllOnes));
    EXPECT_EQ(analyse(withFloatCe()).sampleType, SampleType::Int32);
    ASSERT_TRUE(poke(middle + 999996, 0));
    ASSERT_TRUE(poke(middle - 4000000, kAllOnes));
    EXPECT_EQ(analyse(withFloatCe()).sampleType, SampleType::Int32);
}

} // namespace
} // namespace corv

// Output files: headers byte for byte, padding and size patching, removal of
// failed or unwanted outputs, and the WAVE reader accepting what was written.
#include "analyser/analysis/wave_reader.h"
#include "analyser/engine/output_writer.h"
#include "platform/path.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace corv {
namespace {

using test::Bytes;
using test::cat;
using test::readFile;
using test::textAt;
using test::u16at;
using test::u32at;

StreamDescription describe(uint32_t channels, uint32_t rate, SampleType type, uint32_t mask = 0) {
    return StreamDescription{channels, rate, type, bytesPerSampleOf(type), mask};
}

// Opens, writes the header, appends the samples and finishes one stream.
void writeStream(const std::string& path, FileFormat format, const StreamDescription& d,
                 const Bytes& samples) {
    OutputStream stream;
    ASSERT_TRUE(openOutputStream(stream, path, format));
    ASSERT_TRUE(writeHeader(stream, d));
    if (!samples.empty()) {
        ASSERT_TRUE(appendSamples(stream, samples.data(), samples.size()));
    }
    ASSERT_TRUE(finishStream(stream, samples.size() / d.bytesPerSample, false));
}

// Little-endian fields of a written header: offset, width in bytes, value.
struct Field {
    size_t at;
    int width;
    uint32_t value;
};

void expectFields(const Bytes& file, const std::vector<Field>& fields) {
    for (const Field& f : fields)
        EXPECT_EQ(f.width == 2 ? u16at(file, f.at) : u32at(file, f.at), f.value) << "at " << f.at;
}

bool exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// ---- headers ----

// Each output type in each header, its fields, and the reader taking it back.
TEST(OutputHeader, FieldsFollowFormatAndTypeAndTheReaderAgrees) {
    const FileFormat pcm = FileFormat::WavePcm, ext = FileFormat::WaveFormatEx;
    using enum SampleType;
    const struct {
        FileFormat format;
        SampleType type;
        uint32_t channels, rate, mask, dataBytes, tag, bits;
        uint32_t subFormat; // first field of the extensible GUID
        SampleType readAs;  // CE floats are 32-bit integers to a reader without the scan
        int64_t frames;
    } cases[] = {
        {pcm, Int16, 2, 44100, 0, 8, 1, 16, 0, Int16, 2},
        // An odd data size gets a pad byte counted only by the RIFF size.
        {pcm, Int8, 1, 8000, 0, 3, 1, 8, 0, Int8, 3},
        {pcm, Int24, 1, 96000, 0, 48, 1, 24, 0, Int24, 16},
        {pcm, Int32, 1, 96000, 0, 48, 1, 32, 0, Int32, 12},
        {pcm, FloatPcm, 1, 96000, 0, 48, 1, 24, 0, FloatPcm, 12},
        {pcm, FloatCe, 1, 96000, 0, 48, 1, 32, 0, Int32, 12},
        {pcm, FloatIeee, 1, 96000, 0, 48, 3, 32, 0, FloatIeee, 12},
        {pcm, Double, 1, 96000, 0, 48, 3, 64, 0, Double, 6},
        {FileFormat::WaveNonPcm, FloatIeee, 2, 44100, 0, 16, 3, 32, 0, FloatIeee, 2},
        // PCM float keeps the PCM sub-format, the other floats take the IEEE one.
        {ext, FloatPcm, 3, 48000, 0x103, 24, 0xFFFE, 24, 1, FloatPcm, 2},
        {ext, FloatIeee, 1, 96000, 4, 48, 0xFFFE, 32, 3, FloatIeee, 12},
        {ext, Double, 1, 96000, 4, 48, 0xFFFE, 64, 3, Double, 6},
    };
    test::TempDir temp;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(sampleTypeName(static_cast<int32_t>(c.type))) + " in format " +
                     std::to_string(static_cast<int>(c.format)));
        const std::string path = temp.file("type.wav");
        writeStream(path, c.format, describe(c.channels, c.rate, c.type, c.mask),
                    Bytes(c.dataBytes, 1));
        const Bytes file = readFile(path);
        const uint32_t fmtSize = c.format == ext ? 40 : c.format == pcm ? 16 : 18;
        const uint32_t blockAlign = c.channels * bytesPerSampleOf(c.type);
        ASSERT_EQ(file.size(), 28 + fmtSize + c.dataBytes + c.dataBytes % 2);
        EXPECT_EQ(textAt(file, 0) + textAt(file, 8) + textAt(file, 12), "RIFFWAVEfmt ");
        EXPECT_EQ(file.back(), c.dataBytes % 2 ? 0 : 1); // the samples, then the pad
        expectFields(file, {{4, 4, 20 + fmtSize + c.dataBytes + c.dataBytes % 2},
                            {16, 4, fmtSize},
                            {20, 2, c.tag},
                            {22, 2, c.channels},
                            {24, 4, c.rate},
                            {28, 4, c.rate * blockAlign},
                            {32, 2, blockAlign},
                            {34, 2, c.bits},
                            {24 + fmtSize, 4, c.dataBytes}});
        EXPECT_EQ(textAt(file, 20 + fmtSize), "data");
        if (fmtSize == 18) {
            EXPECT_EQ(u16at(file, 36), 0u); // no extension
        }
        if (c.format == ext) {
            // Extension size, valid bits, channel mask, GUID.
            expectFields(file,
                         {{36, 2, 22}, {38, 2, c.bits}, {40, 4, c.mask}, {44, 4, c.subFormat}});
            EXPECT_EQ(
                Bytes(file.begin() + 48, file.begin() + 60),
                (Bytes{0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}));
        }
        const auto record = test::analysePath(path);
        EXPECT_EQ(record.format, c.format);
        EXPECT_EQ(record.sampleType, c.readAs);
        EXPECT_EQ(record.channels, c.channels);
        EXPECT_EQ(record.sampleRate, c.rate);
        EXPECT_EQ(record.channelMask, c.mask);
        EXPECT_EQ(record.frameCount, c.frames);
    }
}

TEST(OutputHeader, RawSamplesHaveNoHeaderButArePadded) {
    test::TempDir temp;
    const std::string odd = temp.file("out.raw"), even = temp.file("even.raw");
    writeStream(odd, FileFormat::RawSamples, describe(1, 44100, SampleType::Int24),
                Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(readFile(odd), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 0}));
    writeStream(even, FileFormat::RawSamples, describe(2, 44100, SampleType::Int16),
                Bytes{1, 2, 3, 4});
    EXPECT_EQ(readFile(even), (Bytes{1, 2, 3, 4}));
}

// What cannot be written fails the stream, which leaves no file: a header that
// cannot hold the stream, or a folder that does not exist.
TEST(OutputFailure, WhatCannotBeWrittenLeavesNoFile) {
    test::TempDir temp;
    const std::string path = temp.file("bad.wav");
    const std::string missing = temp.dir() + "missing" + kPathSeparator + "out.wav";
    const struct {
        std::string path;
        FileFormat format;
        StreamDescription stream;
        bool fits;
    } cases[] = {
        {path, static_cast<FileFormat>(30), describe(2, 44100, SampleType::Int16), false},
        {path, FileFormat::WavePcm, describe(0, 44100, SampleType::Int16), false},
        {path, FileFormat::WavePcm, describe(65536, 8000, SampleType::Int8), false},
        {path, FileFormat::WavePcm, describe(1000, 192000, SampleType::Double), true},
        {missing, FileFormat::WavePcm, describe(2, 44100, SampleType::Int16), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " " + std::to_string(c.stream.channels));
        HeaderBytes header;
        EXPECT_EQ(buildHeader(c.format, c.stream, header), c.fits);
        const bool opens = c.path != missing;
        OutputStream stream;
        EXPECT_EQ(openOutputStream(stream, c.path, c.format), opens);
        EXPECT_EQ(stream.created, opens);
        EXPECT_EQ(writeHeader(stream, c.stream), c.fits && opens);
        EXPECT_EQ(finishStream(stream, 0, false), c.fits && opens);
        EXPECT_EQ(exists(c.path), c.fits && opens);
        std::filesystem::remove(c.path);
    }
}

// ---- finishing ----

TEST(FinishStream, PadGoesAtTheEndAfterAnInPlaceWrite) {
    test::TempDir temp;
    const std::string path = temp.file("merge.wav");
    OutputStream stream;
    ASSERT_TRUE(openOutputStream(stream, path, FileFormat::WavePcm));
    ASSERT_TRUE(writeHeader(stream, describe(1, 8000, SampleType::Int8)));
    const Bytes first = {10, 20, 30, 40, 50};
    ASSERT_TRUE(appendSamples(stream, first.data(), first.size()));
    // Merging rewrites earlier frames in place; the position is then mid-data.
    ASSERT_TRUE(stream.file.seek(stream.dataStart));
    const Bytes again = {11, 21};
    ASSERT_TRUE(appendSamples(stream, again.data(), again.size()));
    ASSERT_TRUE(finishStream(stream, 5, false));

    Bytes file = readFile(path);
    EXPECT_EQ(Bytes(file.begin() + 44, file.end()), (Bytes{11, 21, 30, 40, 50, 0}));
    EXPECT_EQ(u32at(file, 40), 5u);
    EXPECT_EQ(u32at(file, 4), 42u);
}

#ifndef _WIN32 // the sparse files are made only where the gap stays unwritten
// Writes a stream whose samples end `dataBytes` behind the header, leaving a sparse
// gap; false when the file system refuses such a file.
bool writeSparse(const std::string& path, uint32_t channels, int64_t dataBytes) {
    OutputStream stream;
    const Bytes tail(2 * channels, 7);
    if (!openOutputStream(stream, path, FileFormat::WavePcm) ||
        !writeHeader(stream, describe(channels, 48000, SampleType::Int16)))
        return false;
    if (!stream.file.seek(stream.dataStart + dataBytes - static_cast<int64_t>(tail.size())) ||
        !appendSamples(stream, tail.data(), tail.size())) {
        finishStream(stream, 0, true);
        return false;
    }
    return finishStream(stream, static_cast<uint64_t>(dataBytes) / 2, false);
}

// The header of a file too large to read whole.
Bytes headerOf(const std::string& path) {
    FileStream file;
    Bytes header(44);
    if (!file.open(path, FileStream::Mode::Read) || file.read(header.data(), 44) != 44)
        header.clear();
    return header;
}

TEST(FinishStream, FourGigabyteLimitOfTheSizeFields) {
    test::TempDir temp;
    // RIFF size 0xFFFFFFFE still fits; the data size is 36 bytes less.
    const std::string big = temp.file("big.wav");
    if (!writeSparse(big, 1, 0xFFFFFFFEll - 36)) GTEST_SKIP() << "no sparse 4 GB file here";
    Bytes header = headerOf(big);
    ASSERT_EQ(header.size(), 44u);
    expectFields(header, {{4, 4, 0xFFFFFFFEu}, {40, 4, 0xFFFFFFDAu}});
    std::filesystem::remove(big);

    // Over 4 GB both sizes are left zero.
    const std::string huge = temp.file("huge.wav");
    const int64_t dataBytes = (int64_t{1} << 32) + 400;
    if (!writeSparse(huge, 2, dataBytes)) GTEST_SKIP() << "no sparse 4 GB file here";
    EXPECT_EQ(std::filesystem::file_size(huge), static_cast<uintmax_t>(44 + dataBytes));
    header = headerOf(huge);
    ASSERT_EQ(header.size(), 44u);
    expectFields(header, {{4, 4, 0}, {40, 4, 0}});
    EXPECT_EQ(textAt(header, 36), "data");
    // The reader takes such files through "Ignore size in header" (> 4 GB by default).
    auto record = test::analysePath(huge);
    EXPECT_EQ(record.format, FileFormat::WavePcm);
    EXPECT_EQ(record.frameCount, dataBytes / 4);
}
#endif

// ---- failures remove the output ----

// One failed stream, or the delete flag, removes every stream of the output.
TEST(OutputFailure, OneFailedStreamRemovesEveryStreamOfTheOutput) {
    test::TempDir temp;
    const Bytes samples = {1, 2, 3, 4, 5, 6};
    for (int way : {0, 1, 2}) {
        const bool fail = way == 1, remove = way == 2;
        SCOPED_TRACE(way);
        std::vector<OutputStream> streams(3);
        for (size_t s = 0; s < streams.size(); ++s) {
            ASSERT_TRUE(openOutputStream(streams[s], temp.file(std::to_string(s) + ".wav"),
                                         FileFormat::WavePcm));
            ASSERT_TRUE(writeHeader(streams[s], describe(1, 22050, SampleType::Int24)));
            ASSERT_TRUE(appendSamples(streams[s], samples.data(), samples.size()));
        }
        streams[1].failed = fail; // as after a write error in the middle of the pass
        EXPECT_EQ(finishStreams(streams, 2, remove), !fail);
        for (const auto& stream : streams) {
            if (fail || remove) {
                EXPECT_FALSE(exists(stream.path)) << stream.path;
                continue;
            }
            auto record = test::analysePath(stream.path);
            EXPECT_EQ(record.format, FileFormat::WavePcm);
            EXPECT_EQ(record.sampleType, SampleType::Int24);
            EXPECT_EQ(record.frameCount, 2);
        }
    }
}

} // namespace
} // namespace corv

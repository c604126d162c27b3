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
using test::readFile;

uint32_t u16at(const Bytes& b, size_t at) { return b[at] | b[at + 1] << 8; }
uint32_t u32at(const Bytes& b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}
std::string textAt(const Bytes& b, size_t at) {
    return std::string(reinterpret_cast<const char*>(b.data()) + at, 4);
}

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

AudioFileRecord analysed(const std::string& path) {
    AudioFileRecord record;
    setFieldText(record.path, path);
    analyseFile(record, defaultConversionSettings());
    return record;
}

bool exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// ---- headers ----

TEST(OutputHeader, OneSecondOfSixteenBitStereoWavePcm) {
    test::TempDir temp;
    const std::string path = temp.file("second.wav");
    writeStream(path, FileFormat::WavePcm, describe(2, 44100, SampleType::Int16),
                Bytes(176400, 0x11));
    Bytes file = readFile(path);
    ASSERT_EQ(file.size(), 176444u);
    const Bytes expected = {
        'R',  'I',  'F',  'F',  0x34, 0xB1, 0x02, 0x00, // RIFF size 176436
        'W',  'A',  'V',  'E',  'f',  'm',  't',  ' ',  0x10, 0x00, 0x00, 0x00,
        0x01, 0x00,                                     // tag 1
        0x02, 0x00,                                     // channels
        0x44, 0xAC, 0x00, 0x00,                         // 44100
        0x10, 0xB1, 0x02, 0x00,                         // byte rate 176400
        0x04, 0x00, 0x10, 0x00,                         // block align 4, 16 bits
        'd',  'a',  't',  'a',  0x10, 0xB1, 0x02, 0x00}; // data size 176400
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 44), expected);
    EXPECT_EQ(file[44], 0x11);
    EXPECT_EQ(file.back(), 0x11);

    auto record = analysed(path);
    EXPECT_EQ(record.format, FileFormat::WavePcm);
    EXPECT_EQ(record.channels, 2u);
    EXPECT_EQ(record.sampleRate, 44100u);
    EXPECT_EQ(record.sampleType, SampleType::Int16);
    EXPECT_EQ(record.frameCount, 44100);
    EXPECT_EQ(record.dataStart, 44);
}

TEST(OutputHeader, OddMonoEightBitGetsAPadByteCountedOnlyByRiff) {
    test::TempDir temp;
    const std::string path = temp.file("odd.wav");
    writeStream(path, FileFormat::WavePcm, describe(1, 8000, SampleType::Int8), Bytes{1, 2, 3});
    Bytes file = readFile(path);
    ASSERT_EQ(file.size(), 48u);
    EXPECT_EQ(u32at(file, 4), 40u);
    EXPECT_EQ(u32at(file, 28), 8000u); // byte rate
    EXPECT_EQ(u16at(file, 32), 1u);    // block align
    EXPECT_EQ(u16at(file, 34), 8u);
    EXPECT_EQ(u32at(file, 40), 3u);
    EXPECT_EQ(Bytes(file.begin() + 44, file.end()), (Bytes{1, 2, 3, 0}));

    auto record = analysed(path);
    EXPECT_EQ(record.format, FileFormat::WavePcm);
    EXPECT_EQ(record.sampleType, SampleType::Int8);
    EXPECT_EQ(record.frameCount, 3);
}

TEST(OutputHeader, ExtensibleWithPcmFloatHasTwentyFourBitsAndPcmSubFormat) {
    test::TempDir temp;
    const std::string path = temp.file("ext.wav");
    writeStream(path, FileFormat::WaveFormatEx, describe(3, 48000, SampleType::FloatPcm, 0x103),
                Bytes(24, 0));
    Bytes file = readFile(path);
    ASSERT_EQ(file.size(), 68u + 24u);
    EXPECT_EQ(u32at(file, 4), 84u);
    EXPECT_EQ(u32at(file, 16), 40u);
    EXPECT_EQ(u16at(file, 20), 0xFFFEu);
    EXPECT_EQ(u16at(file, 22), 3u);
    EXPECT_EQ(u32at(file, 24), 48000u);
    EXPECT_EQ(u32at(file, 28), 576000u);
    EXPECT_EQ(u16at(file, 32), 12u);
    EXPECT_EQ(u16at(file, 34), 24u);
    EXPECT_EQ(u16at(file, 36), 22u);
    EXPECT_EQ(u16at(file, 38), 24u);
    EXPECT_EQ(u32at(file, 40), 0x103u);
    EXPECT_EQ(Bytes(file.begin() + 44, file.begin() + 60),
              (Bytes{0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00,
                     0x38, 0x9B, 0x71}));
    EXPECT_EQ(textAt(file, 60), "data");
    EXPECT_EQ(u32at(file, 64), 24u);

    auto record = analysed(path);
    EXPECT_EQ(record.format, FileFormat::WaveFormatEx);
    EXPECT_EQ(record.sampleType, SampleType::FloatPcm);
    EXPECT_EQ(record.channels, 3u);
    EXPECT_EQ(record.channelMask, 0x103u);
    EXPECT_EQ(record.frameCount, 2);
}

TEST(OutputHeader, ExtensibleFloatOutputsUseTheIeeeSubFormat) {
    for (SampleType type : {SampleType::FloatIeee, SampleType::Double}) {
        test::TempDir temp;
        const std::string path = temp.file("float.wav");
        writeStream(path, FileFormat::WaveFormatEx, describe(1, 96000, type, 4), Bytes(16, 0));
        Bytes file = readFile(path);
        EXPECT_EQ(u16at(file, 20), 0xFFFEu);
        EXPECT_EQ(u16at(file, 34), bytesPerSampleOf(type) * 8);
        EXPECT_EQ(file[44], 0x03);
        auto record = analysed(path);
        EXPECT_EQ(record.format, FileFormat::WaveFormatEx);
        EXPECT_EQ(record.sampleType, type);
        EXPECT_EQ(record.frameCount, type == SampleType::Double ? 2 : 4);
    }
}

TEST(OutputHeader, NonPcmFloatIsFortySixBytesWithTagThree) {
    test::TempDir temp;
    const std::string path = temp.file("nonpcm.wav");
    writeStream(path, FileFormat::WaveNonPcm, describe(2, 44100, SampleType::FloatIeee),
                Bytes(16, 0));
    Bytes file = readFile(path);
    ASSERT_EQ(file.size(), 46u + 16u);
    EXPECT_EQ(u32at(file, 16), 18u);
    EXPECT_EQ(u16at(file, 20), 3u);
    EXPECT_EQ(u16at(file, 34), 32u);
    EXPECT_EQ(u16at(file, 36), 0u);
    EXPECT_EQ(textAt(file, 38), "data");
    EXPECT_EQ(u32at(file, 42), 16u);
    EXPECT_EQ(u32at(file, 4), 54u);

    auto record = analysed(path);
    EXPECT_EQ(record.format, FileFormat::WaveNonPcm);
    EXPECT_EQ(record.sampleType, SampleType::FloatIeee);
    EXPECT_EQ(record.frameCount, 2);
}

TEST(OutputHeader, TagFollowsTheOutputTypeInPlainHeaders) {
    const std::pair<SampleType, uint32_t> tags[] = {
        {SampleType::Int24, 1},     {SampleType::Int32, 1},  {SampleType::FloatPcm, 1},
        {SampleType::FloatCe, 1},   {SampleType::FloatIeee, 3}, {SampleType::Double, 3}};
    for (auto [type, tag] : tags) {
        HeaderBytes header;
        ASSERT_TRUE(buildHeader(FileFormat::WavePcm, describe(2, 44100, type), header));
        Bytes bytes(header.bytes, header.bytes + header.size);
        EXPECT_EQ(bytes.size(), 44u);
        EXPECT_EQ(u16at(bytes, 20), tag) << static_cast<int>(type);
        EXPECT_EQ(u16at(bytes, 34), type == SampleType::FloatPcm ? 24u : bytesPerSampleOf(type) * 8);
    }
}

TEST(OutputHeader, RawSamplesHaveNoHeaderButArePadded) {
    test::TempDir temp;
    const std::string path = temp.file("out.raw");
    writeStream(path, FileFormat::RawSamples, describe(1, 44100, SampleType::Int24),
                Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_EQ(readFile(path), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 0}));

    const std::string even = temp.file("even.raw");
    writeStream(even, FileFormat::RawSamples, describe(2, 44100, SampleType::Int16),
                Bytes{1, 2, 3, 4});
    EXPECT_EQ(readFile(even), (Bytes{1, 2, 3, 4}));
}

TEST(OutputHeader, RefusesWhatTheHeaderCannotHold) {
    HeaderBytes header;
    EXPECT_FALSE(buildHeader(static_cast<FileFormat>(30), describe(2, 44100, SampleType::Int16),
                             header));
    EXPECT_FALSE(buildHeader(FileFormat::WavePcm, describe(0, 44100, SampleType::Int16), header));
    EXPECT_FALSE(buildHeader(FileFormat::WavePcm, describe(65536, 8000, SampleType::Int8), header));
    EXPECT_TRUE(buildHeader(FileFormat::WavePcm, describe(1000, 192000, SampleType::Double), header));
    EXPECT_TRUE(buildHeader(FileFormat::RawSamples, describe(2, 44100, SampleType::Int16), header));
    EXPECT_EQ(header.size, 0u);
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

TEST(FinishStream, DeleteFlagRemovesTheFile) {
    test::TempDir temp;
    const std::string path = temp.file("gone.wav");
    OutputStream stream;
    ASSERT_TRUE(openOutputStream(stream, path, FileFormat::WavePcm));
    ASSERT_TRUE(writeHeader(stream, describe(2, 44100, SampleType::Int16)));
    const Bytes samples(8, 1);
    ASSERT_TRUE(appendSamples(stream, samples.data(), samples.size()));
    EXPECT_TRUE(finishStream(stream, 4, true));
    EXPECT_FALSE(exists(path));
}

TEST(FinishStream, OverFourGigabytesLeavesBothSizesZero) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a sparse file; a Windows file system would write out the gap";
#else
    test::TempDir temp;
    const std::string path = temp.file("huge.wav");
    OutputStream stream;
    ASSERT_TRUE(openOutputStream(stream, path, FileFormat::WavePcm));
    ASSERT_TRUE(writeHeader(stream, describe(2, 48000, SampleType::Int16)));
    const int64_t dataBytes = (int64_t{1} << 32) + 400;
    const Bytes tail(4, 7);
    if (!stream.file.seek(stream.dataStart + dataBytes - 4) ||
        !appendSamples(stream, tail.data(), tail.size())) {
        finishStream(stream, 0, true);
        GTEST_SKIP() << "the file system refuses a sparse 4 GB file";
    }
    ASSERT_TRUE(finishStream(stream, static_cast<uint64_t>(dataBytes) / 2, false));

    FileStream file;
    ASSERT_TRUE(file.open(path, FileStream::Mode::Read));
    EXPECT_EQ(file.length(), 44 + dataBytes);
    Bytes header(44);
    ASSERT_EQ(file.read(header.data(), header.size()), header.size());
    file.close();
    EXPECT_EQ(u32at(header, 4), 0u);
    EXPECT_EQ(u32at(header, 40), 0u);
    EXPECT_EQ(textAt(header, 36), "data");

    // The reader takes such files through "Ignore size in header" (> 4 GB by default).
    auto record = analysed(path);
    EXPECT_EQ(record.format, FileFormat::WavePcm);
    EXPECT_EQ(record.frameCount, dataBytes / 4);
#endif
}

TEST(FinishStream, JustUnderFourGigabytesKeepsTheSizes) {
#ifdef _WIN32
    GTEST_SKIP() << "needs a sparse file; a Windows file system would write out the gap";
#else
    test::TempDir temp;
    const std::string path = temp.file("big.wav");
    OutputStream stream;
    ASSERT_TRUE(openOutputStream(stream, path, FileFormat::WavePcm));
    ASSERT_TRUE(writeHeader(stream, describe(1, 48000, SampleType::Int16)));
    // RIFF size 0xFFFFFFFE still fits; the data size is 36 bytes less.
    const int64_t dataBytes = 0xFFFFFFFEll - 36;
    const Bytes tail(2, 7);
    if (!stream.file.seek(stream.dataStart + dataBytes - 2) ||
        !appendSamples(stream, tail.data(), tail.size())) {
        finishStream(stream, 0, true);
        GTEST_SKIP() << "the file system refuses a sparse 4 GB file";
    }
    ASSERT_TRUE(finishStream(stream, static_cast<uint64_t>(dataBytes) / 2, false));
    FileStream file;
    ASSERT_TRUE(file.open(path, FileStream::Mode::Read));
    Bytes header(44);
    ASSERT_EQ(file.read(header.data(), header.size()), header.size());
    EXPECT_EQ(u32at(header, 4), 0xFFFFFFFEu);
    EXPECT_EQ(u32at(header, 40), 0xFFFFFFDAu);
#endif
}

// ---- failures remove the output ----

TEST(OutputFailure, FolderThatDoesNotExistCreatesNothing) {
    test::TempDir temp;
    const std::string path = temp.dir() + "missing" + kPathSeparator + "out.wav";
    OutputStream stream;
    EXPECT_FALSE(openOutputStream(stream, path, FileFormat::WavePcm));
    EXPECT_FALSE(stream.created);
    EXPECT_FALSE(writeHeader(stream, describe(2, 44100, SampleType::Int16)));
    EXPECT_FALSE(finishStream(stream, 0, false));
    EXPECT_FALSE(exists(path));
}

TEST(OutputFailure, FullDiskFailsAndRemovesTheOutput) {
#ifdef _WIN32
    GTEST_SKIP() << "no /dev/full here";
#else
    if (!exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    test::TempDir temp;
    // Through a link, so removing the output removes the link, never the device.
    const std::string path = temp.file("full.wav");
    std::error_code error;
    std::filesystem::create_symlink("/dev/full", path, error);
    if (error) GTEST_SKIP() << "cannot link to /dev/full";

    OutputStream stream;
    ASSERT_TRUE(openOutputStream(stream, path, FileFormat::WavePcm));
    EXPECT_FALSE(writeHeader(stream, describe(2, 44100, SampleType::Int16)));
    const Bytes samples(4096, 1);
    EXPECT_FALSE(appendSamples(stream, samples.data(), samples.size()));
    EXPECT_FALSE(finishStream(stream, 2048, false));
    EXPECT_FALSE(exists(path));
    EXPECT_TRUE(exists("/dev/full"));
#endif
}

TEST(OutputFailure, UnknownFormatOrUnusableHeaderFailsTheStream) {
    test::TempDir temp;
    const std::string path = temp.file("bad.wav");
    OutputStream stream;
    ASSERT_TRUE(openOutputStream(stream, path, static_cast<FileFormat>(30)));
    EXPECT_FALSE(writeHeader(stream, describe(2, 44100, SampleType::Int16)));
    EXPECT_FALSE(finishStream(stream, 0, false));
    EXPECT_FALSE(exists(path));

    ASSERT_TRUE(openOutputStream(stream, path, FileFormat::WavePcm));
    EXPECT_FALSE(writeHeader(stream, describe(0, 44100, SampleType::Int16)));
    EXPECT_FALSE(finishStream(stream, 0, false));
    EXPECT_FALSE(exists(path));
}

TEST(OutputFailure, OneFailedStreamRemovesEveryStreamOfTheOutput) {
    test::TempDir temp;
    std::vector<OutputStream> streams(3);
    const Bytes samples = {1, 2, 3, 4};
    for (size_t s = 0; s < streams.size(); ++s) {
        ASSERT_TRUE(openOutputStream(streams[s], temp.file("x_ch" + std::to_string(s) + ".wav"),
                                     FileFormat::WavePcm));
        ASSERT_TRUE(writeHeader(streams[s], describe(1, 44100, SampleType::Int16)));
        ASSERT_TRUE(appendSamples(streams[s], samples.data(), samples.size()));
    }
    streams[1].failed = true; // as after a write error in the middle of the pass
    EXPECT_FALSE(finishStreams(streams, 2, false));
    for (const auto& stream : streams) EXPECT_FALSE(exists(stream.path)) << stream.path;
}

TEST(OutputFailure, StreamsThatAllSucceedAreKept) {
    test::TempDir temp;
    std::vector<OutputStream> streams(2);
    const Bytes samples = {1, 2, 3, 4, 5, 6};
    for (size_t s = 0; s < streams.size(); ++s) {
        ASSERT_TRUE(openOutputStream(streams[s], temp.file("y_ch" + std::to_string(s) + ".wav"),
                                     FileFormat::WavePcm));
        ASSERT_TRUE(writeHeader(streams[s], describe(1, 22050, SampleType::Int24)));
        ASSERT_TRUE(appendSamples(streams[s], samples.data(), samples.size()));
    }
    EXPECT_TRUE(finishStreams(streams, 2, false));
    for (const auto& stream : streams) {
        auto record = analysed(stream.path);
        EXPECT_EQ(record.format, FileFormat::WavePcm);
        EXPECT_EQ(record.sampleType, SampleType::Int24);
        EXPECT_EQ(record.frameCount, 2);
    }
}

// ---- the whole road: working samples out and read back ----

TEST(OutputRoundTrip, WrittenSamplesReadBackThroughTheReader) {
    test::TempDir temp;
    const std::string path = temp.file("road.wav");
    OutputType out;
    out.channels = 2;
    out.sampleType = SampleType::Int16;
    out.bytesPerSample = 2;
    out.sampleRate = 32000;
    std::vector<double> values = {0.5, -0.5, 1.25, -1.0, 0.0, 0.25};
    Bytes raw(values.size() * 2);
    ASSERT_EQ(fromWorking(values.data(), 3, out, raw.data()), raw.size());
    writeStream(path, FileFormat::WaveFormatEx, describeStream(out, 2, 3), raw);

    auto record = analysed(path);
    ASSERT_EQ(record.format, FileFormat::WaveFormatEx);
    EXPECT_EQ(record.channels, 2u);
    EXPECT_EQ(record.sampleRate, 32000u);
    EXPECT_EQ(record.channelMask, 3u);
    ASSERT_EQ(record.frameCount, 3);

    Bytes file = readFile(path);
    std::vector<double> back(6);
    ASSERT_TRUE(toWorking(file.data() + record.dataStart, 3, 2, record.sampleType, back.data()));
    // 16384, -16384, 32767 (clipped), -32767, 0, 8192 (8191.75 rounded) over 32768.
    EXPECT_EQ(back, (std::vector<double>{0.5, -0.5, 32767.0 / 32768, -32767.0 / 32768, 0.0,
                                         0.25}));
}

} // namespace
} // namespace corv

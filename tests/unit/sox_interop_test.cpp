// Files written by sox and FFmpeg, independent writers, analysed and compared
// with what soxi and ffprobe report about them.
#include "analyser/analysis/wave_reader.h"
#include "ffprobe.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace corv {
namespace {

#ifndef _WIN32
bool soxAvailable() {
    static const bool available =
        std::system("command -v sox >/dev/null && command -v soxi >/dev/null") == 0;
    return available;
}

bool run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// One number that `soxi -<option>` prints for the file.
long long soxiNumber(const test::TempDir& temp, const std::string& option,
                     const std::string& file) {
    const std::string out = temp.file("soxi.txt");
    if (!run("soxi -" + option + " '" + file + "' >'" + out + "' 2>/dev/null")) return -1;
    std::ifstream in(out);
    long long value = -1;
    in >> value;
    return value;
}

struct SoxCase {
    const char* encoding; // sox -e
    int bits;
    int channels;
    int rate;
    bool plainHeader; // -t wavpcm instead of sox's choice of header
    SampleType expected;
};

std::string describe(const SoxCase& c) {
    std::ostringstream text;
    text << c.encoding << " " << c.bits << " bits, " << c.channels << " ch, " << c.rate << " Hz"
         << (c.plainHeader ? ", wavpcm" : "");
    return text.str();
}

// The format record size sox chose, read at its fixed place behind "fmt ".
FileFormat formatFromHeader(const test::Bytes& bytes) {
    if (bytes.size() < 20) return FileFormat::NotRecognised;
    switch (bytes[16]) {
    case 16:
        return FileFormat::WavePcm;
    case 18:
        return FileFormat::WaveNonPcm;
    case 40:
        return FileFormat::WaveFormatEx;
    }
    return FileFormat::NotRecognised;
}

TEST(SoxInterop, AnalysisAgreesWithSoxi) {
    if (!soxAvailable()) GTEST_SKIP() << "sox is not installed";
    const SoxCase cases[] = {
        {"unsigned-integer", 8, 1, 8000, false, SampleType::Int8},
        {"unsigned-integer", 8, 2, 22050, true, SampleType::Int8},
        {"signed-integer", 16, 1, 44100, false, SampleType::Int16},
        {"signed-integer", 16, 2, 48000, false, SampleType::Int16},
        {"signed-integer", 16, 4, 48000, false, SampleType::Int16},
        {"signed-integer", 16, 4, 48000, true, SampleType::Int16},
        {"signed-integer", 24, 3, 48000, false, SampleType::Int24},
        {"signed-integer", 24, 5, 96000, true, SampleType::Int24},
        {"signed-integer", 24, 6, 44100, false, SampleType::Int24},
        {"signed-integer", 32, 2, 44100, false, SampleType::Int32},
        {"signed-integer", 32, 6, 192000, true, SampleType::Int32},
        {"floating-point", 32, 1, 32000, false, SampleType::FloatIeee},
        {"floating-point", 32, 6, 48000, true, SampleType::FloatIeee},
        {"floating-point", 64, 2, 44100, false, SampleType::Double},
        {"floating-point", 64, 3, 11025, true, SampleType::Double},
    };
    test::TempDir temp;
    int index = 0;
    for (const SoxCase& c : cases) {
        SCOPED_TRACE(describe(c));
        const std::string file = temp.file("sox" + std::to_string(index++) + ".wav");
        std::ostringstream command;
        command << "sox -n -r " << c.rate << " -c " << c.channels << " -e " << c.encoding << " -b "
                << c.bits << (c.plainHeader ? " -t wavpcm" : "") << " '" << file
                << "' synth 0.37 sine 440 vol 0.5"
                << " >/dev/null 2>&1";
        ASSERT_TRUE(run(command.str()));

        const AudioFileRecord record = test::analysePath(file);
        EXPECT_EQ(record.format, formatFromHeader(test::readFile(file)));
        EXPECT_NE(record.format, FileFormat::NotRecognised);
        EXPECT_EQ(record.sampleType, c.expected);
        EXPECT_EQ(record.channels, static_cast<uint32_t>(soxiNumber(temp, "c", file)));
        EXPECT_EQ(record.sampleRate, static_cast<uint32_t>(soxiNumber(temp, "r", file)));
        EXPECT_EQ(record.frameCount, soxiNumber(temp, "s", file));
        EXPECT_EQ(record.bytesPerSample * 8, static_cast<uint32_t>(c.bits));
    }
}

TEST(SoxInterop, ExtensibleHeadersCarryTheSpeakerMask) {
    if (!soxAvailable()) GTEST_SKIP() << "sox is not installed";
    test::TempDir temp;
    const std::string file = temp.file("six.wav");
    ASSERT_TRUE(
        run("sox -n -r 48000 -c 6 -b 24 '" + file + "' synth 0.1 sine 440 >/dev/null 2>&1"));
    const AudioFileRecord record = test::analysePath(file);
    ASSERT_EQ(record.format, FileFormat::WaveFormatEx);
    // The mask sits 20 bytes into the 40-byte record that starts at 20.
    const uint32_t mask = test::u32at(test::readFile(file), 40);
    EXPECT_NE(mask, 0u);
    EXPECT_EQ(record.channelMask, mask);
}
TEST(FfmpegInterop, Rf64AndBw64AnalysisAgreesWithFfprobe) {
    if (!test::ffmpegAvailable()) GTEST_SKIP() << "ffmpeg is not installed";
    test::TempDir temp;
    ConversionSettings trustSizes = defaultConversionSettings();
    trustSizes.ignoreSizeInHeader = 0;
    struct Case {
        std::string what; // an FFmpeg codec, or a file made here
        int channels;
        int rate;
        SampleType expected;
    };
    const Case cases[] = {
        {"pcm_u8", 1, 8000, SampleType::Int8},
        {"pcm_s16le", 2, 44100, SampleType::Int16},
        {"pcm_s24le", 6, 48000, SampleType::Int24},
        {"pcm_s32le", 2, 96000, SampleType::Int32},
        {"pcm_f32le", 1, 48000, SampleType::FloatIeee},
        {"pcm_f64le", 3, 22050, SampleType::Double},
        {"RF64", 2, 44100, SampleType::Int16},
        {"BW64", 2, 44100, SampleType::Int16},
        {"sparse RF64 over 4 GB", 2, 44100, SampleType::Int16},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = temp.file("in" + std::to_string(index++) + ".wav");
        if (c.what.rfind("pcm_", 0) == 0) {
            ASSERT_TRUE(run("ffmpeg -v error -f lavfi -i sine=frequency=440:sample_rate=" +
                            std::to_string(c.rate) + ":duration=0.37 -ac " +
                            std::to_string(c.channels) + " -c:a " + c.what + " -rf64 always '" +
                            file + "'"));
        } else if (c.what.rfind("sparse", 0) == 0) {
            const int64_t length = (int64_t{9} << 29) + 80, dataBytes = length - 80;
            const test::Bytes ds64 = test::cat<uint8_t>(
                {test::u64s({uint64_t(length) - 8, uint64_t(dataBytes), uint64_t(dataBytes) / 4}),
                 test::u32s({0})});
            if (!test::writeSparse(file,
                                   test::rf64(ds64, {test::chunk("fmt ", test::formatPayload({})),
                                                     test::chunkWithSize("data", 0xFFFFFFFF, {})}),
                                   length))
                GTEST_SKIP() << "no sparse 4.5 GB file here";
        } else {
            test::writeFile(file, test::rf64Wave({}, test::Bytes(4 * 1000, 3), c.what));
        }
        const AudioFileRecord record = test::analysePath(file, trustSizes);
        const test::ProbedStream probed = test::ffprobe(temp, file);
        EXPECT_EQ(record.sampleType, c.expected);
        EXPECT_EQ(std::string(containerName(record.container)),
                  c.what.substr(0, 4) == "BW64" ? "BW64" : "RF64");
        EXPECT_EQ(record.channels, static_cast<uint32_t>(c.channels));
        EXPECT_EQ(record.channels, probed.channels);
        EXPECT_EQ(record.sampleRate, probed.sampleRate);
        EXPECT_EQ(record.frameCount, probed.frames);
        EXPECT_NEAR(double(record.frameCount) / record.sampleRate, probed.seconds, 1e-6);
    }
}
#else
TEST(SoxInterop, AnalysisAgreesWithSoxi) {
    GTEST_SKIP() << "sox is not run under Windows";
}
#endif

} // namespace
} // namespace corv

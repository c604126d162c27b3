// Files written by sox and FFmpeg, independent writers, analysed and compared
// with what soxi and ffprobe report about them.
#include "analyser/analysis/wave_reader.h"
#include "outside_tools.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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
    return test::commandNumber(temp, "soxi -" + option + " '" + file + "'");
}

struct SoxCase {
    const char* encoding; // sox -e
    int bits;
    int channels;
    int rate;
    bool plainHeader; // -t wavpcm instead of sox's choice of header
    SampleType expected;
};

// The format record size sox chose, read at its fixed place behind "fmt ".
FileFormat formatFromHeader(const test::Bytes& bytes) {
    const uint32_t size = bytes.size() < 20 ? 0 : test::u32at(bytes, 16);
    return size == 16   ? FileFormat::WavePcm
           : size == 18 ? FileFormat::WaveNonPcm
           : size == 40 ? FileFormat::WaveFormatEx
                        : FileFormat::NotRecognised;
}

TEST(SoxInterop, AnalysisAgreesWithSoxi) {
    if (!soxAvailable()) GTEST_SKIP() << "sox is not installed";
    const SoxCase cases[] = {
        {"unsigned-integer", 8, 1, 8000, false, SampleType::Int8},
        {"unsigned-integer", 8, 2, 22050, true, SampleType::Int8},
        {"signed-integer", 16, 2, 48000, false, SampleType::Int16},
        {"signed-integer", 16, 4, 48000, true, SampleType::Int16},
        {"signed-integer", 24, 5, 96000, true, SampleType::Int24},
        {"signed-integer", 24, 6, 44100, false, SampleType::Int24},
        {"signed-integer", 32, 6, 192000, true, SampleType::Int32},
        {"floating-point", 32, 1, 32000, false, SampleType::FloatIeee},
        {"floating-point", 64, 3, 11025, true, SampleType::Double},
    };
    test::TempDir temp;
    int index = 0;
    for (const SoxCase& c : cases) {
        SCOPED_TRACE(std::string(c.encoding) + " " + std::to_string(c.bits) + " bits, " +
                     std::to_string(c.channels) + " ch" + (c.plainHeader ? ", wavpcm" : ""));
        const std::string file = temp.file("sox" + std::to_string(index++) + ".wav");
        ASSERT_TRUE(run("sox -n -r " + std::to_string(c.rate) + " -c " +
                        std::to_string(c.channels) + " -e " + c.encoding + " -b " +
                        std::to_string(c.bits) + (c.plainHeader ? " -t wavpcm '" : " '") + file +
                        "' synth 0.37 sine 440 vol 0.5 >/dev/null 2>&1"));

        const AudioFileRecord record = test::analysePath(file);
        EXPECT_EQ(record.format, formatFromHeader(test::readFile(file)));
        EXPECT_NE(record.format, FileFormat::NotRecognised);
        EXPECT_EQ(record.sampleType, c.expected);
        EXPECT_EQ(record.channels, static_cast<uint32_t>(soxiNumber(temp, "c", file)));
        EXPECT_EQ(record.sampleRate, static_cast<uint32_t>(soxiNumber(temp, "r", file)));
        EXPECT_EQ(record.frameCount, soxiNumber(temp, "s", file));
        EXPECT_EQ(record.bytesPerSample * 8, static_cast<uint32_t>(c.bits));
        // An extensible header's speaker mask sits 20 bytes into its 40-byte record at 20.
        if (record.format == FileFormat::WaveFormatEx) {
            EXPECT_EQ(record.channelMask, test::u32at(test::readFile(file), 40));
            EXPECT_NE(record.channelMask, 0u);
        }
    }
}

TEST(FfmpegInterop, Rf64AndBw64AnalysisAgreesWithFfprobe) {
    if (!test::ffmpegAvailable()) GTEST_SKIP() << "ffmpeg is not installed";
    test::TempDir temp;
    std::vector<std::string> files;
    for (const char* codec : {"pcm_s16le -ac 2", "pcm_s24le -ac 6", "pcm_f32le -ac 1"}) {
        files.push_back(temp.file("ffmpeg" + std::to_string(files.size()) + ".wav"));
        ASSERT_TRUE(run("ffmpeg -v error -f lavfi -i sine=sample_rate=48000:duration=0.37 -c:a " +
                        std::string(codec) + " -rf64 always '" + files.back() + "'"));
    }
    test::Bytes bw64 = test::readFile(files[1]);
    std::copy_n("BW64", 4, bw64.begin());
    files.push_back(temp.file("bw64.wav"));
    test::writeFile(files.back(), bw64);
    // 4.5 GB of 16-bit stereo behind an 80-byte header (ds64, fmt, data), stored sparse.
    const int64_t length = (int64_t{9} << 29) + 80, samples = length - 80;
    files.push_back(temp.file("sparse.wav"));
    const test::Bytes ds64 = test::ds64Body(length - 8, samples, samples / 4);
    if (!test::writeSparse(files.back(),
                           test::rf64(ds64, {test::chunk("fmt ", test::formatPayload({})),
                                             test::chunkWithSize("data", 0xFFFFFFFF, {})}),
                           length))
        files.pop_back();

    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const AudioFileRecord record = test::analysePath(file, test::trustedSizes());
        EXPECT_NE(record.container, WaveContainer::None);
        EXPECT_EQ(record.channels, test::ffprobeNumber(temp, "channels", file));
        EXPECT_EQ(record.sampleRate, test::ffprobeNumber(temp, "sample_rate", file));
        EXPECT_EQ(record.frameCount, test::ffprobeNumber(temp, "duration_ts", file));
    }
}
#endif

} // namespace
} // namespace corv

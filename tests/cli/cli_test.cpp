#include "analyser/analysis/chunk_tree.h"
#include "analyser/engine/settings_file.h"
#include "conversion_harness.h"
#include "corvandale_version.h"
#include "outside_tools.h"
#include "platform/record_file.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace corv::test {
namespace {

using nlohmann::json;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
    json parsed() const { return json::parse(out); }
};

std::string quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class CliTest : public ::testing::Test {
  protected:
    CliRun run(const std::vector<std::string>& args) {
        std::string command = quoted(CORVANDALE_CLI);
        for (const auto& arg : args)
            command += " " + quoted(arg);
        command += " >" + quoted(temp.file("stdout.txt")) + " 2>" +
                   quoted(temp.file("stderr.txt")) + " </dev/null";
        int raw = std::system(command.c_str());
        CliRun result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = readText(temp.file("stdout.txt"));
        result.err = readText(temp.file("stderr.txt"));
        return result;
    }
    std::string folder(const std::string& name) {
        std::filesystem::create_directories(temp.path() / name);
        return temp.file(name) + "/";
    }
    std::string stereo16(const std::string& name, std::initializer_list<int16_t> values) {
        return writeWave16(temp.file(name), 2, 44100, values);
    }
    TempDir temp;
};

TEST_F(CliTest, InfoJsonHoldsExactlyTheRecordFields) {
    const std::string pcm = stereo16("pcm.wav", {1, 2, 3, 4, 5, 6});
    CliRun r = run({"info", "--json", pcm});
    ASSERT_EQ(r.status, 0) << r.err;
    const json files = r.parsed();
    ASSERT_EQ(files.size(), 1u);
    const auto code = [](auto value) { return static_cast<int32_t>(value); };
    EXPECT_EQ(files[0], (json{{"path", pcm},
                              {"name", "pcm.wav"},
                              {"directory", temp.path().string()},
                              {"fileSize", 44 + 12},
                              {"channels", 2},
                              {"sampleRate", 44100},
                              {"format", code(FileFormat::WavePcm)},
                              {"frameCount", 3},
                              {"bytesPerSample", 2},
                              {"sampleType", code(SampleType::Int16)},
                              {"dataStart", 44},
                              {"channelMask", 0},
                              {"container", "RIFF"}}));
}

TEST_F(CliTest, Rf64OutputsAreTodaysUnderFourGigabytesWithAJunkChunk) {
    // One minute of 16-bit stereo at 44100 Hz, written as 24-bit extensible.
    Bytes samples(size_t{60} * 44100 * 4);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<uint8_t>(i * 7 + i / 4096);
    writeFile(temp.file("minute.wav"), wave(FormatFields{}, samples));
    Bytes outputs[2];
    for (int rf64 : {0, 1}) {
        const std::string out = folder(rf64 ? "rf64" : "riff");
        std::vector<std::string> args = {"convert", "--type", "24bit", "--format",
                                         "ext",     "--out",  out,     temp.file("minute.wav")};
        if (rf64) args.insert(args.begin() + 1, "--rf64");
        ASSERT_EQ(run(args).status, 0);
        outputs[rf64] = readFile(out + "minute.wav");
    }
    Bytes expected = outputs[0];
    const Bytes junk = cat<uint8_t>({textBytes("JUNK"), u32s({28}), Bytes(28, 0)});
    expected.insert(expected.begin() + 12, junk.begin(), junk.end());
    for (int i = 0; i < 4; ++i)
        expected[4 + i] = static_cast<uint8_t>((u32at(outputs[0], 4) + 36) >> (8 * i));
    EXPECT_TRUE(outputs[1] == expected);
}

TEST_F(CliTest, Rf64OutputOverFourGigabytesReadsBackWithItsFrameCount) {
    // A raw copy of a sparse input whose 32-bit sizes say 0, as today's outputs over 4 GB do.
    const int64_t dataBytes = (int64_t{1} << 32) + 4096;
    const std::string in = temp.file("big.wav");
    if (!writeSparse(
            in, riffWithSize(0, {chunk("fmt ", formatPayload({})), chunkWithSize("data", 0, {})}),
            44 + dataBytes))
        GTEST_SKIP() << "no sparse 4 GB file here";
    const std::string out = folder("out");
    CliRun r = run({"convert", "--rf64", "--out", out, "--json", in});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string output = r.parsed()[0]["outputs"][0];
    const AudioFileRecord record = analysePath(output, trustedSizes());
    EXPECT_EQ(record.container, WaveContainer::Rf64);
    EXPECT_EQ(record.frameCount, dataBytes / 4);
    if (ffmpegAvailable()) {
        EXPECT_EQ(ffprobeNumber(temp, "duration_ts", output), dataBytes / 4);
    }
}

// Files the list refuses are named and the others still converted; a path
// given twice is one entry; a peak that is not finite is null in the JSON.
TEST_F(CliTest, ConvertTo24BitScalesEverySampleAndReportsEachEntry) {
    const std::string in = stereo16("in.wav", {32767, -32768, 0, 1, -1, 16384, -16384, 12345});
    const std::string inf = writeWaveFloat(temp.file("inf.wav"), 1, 44100, {INFINITY, 0.5f});
    const std::string out = folder("out");
    CliRun r = run({"convert", "--type", "24bit", "--out", out, "--json", in,
                    temp.file("missing.wav"), folder("a folder"), in, inf});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("missing.wav"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("a folder"), std::string::npos) << r.err;
    const json entries = r.parsed();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0]["name"], "in.wav");
    EXPECT_EQ(entries[1]["name"], "inf.wav");
    EXPECT_EQ(entries[0]["peak"], 1.0);
    EXPECT_TRUE(entries[1]["peak"].is_null());
    for (const auto& entry : entries) {
        EXPECT_EQ(entry["result"], static_cast<int32_t>(ConversionResult::Processed));
        ASSERT_EQ(entry["outputs"].size(), 1u);
        EXPECT_EQ(entry["outputs"][0].get<std::string>().rfind(out, 0), 0u) << entry;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 2);
    // x / 32768 * 8388607, rounded half away from zero.
    EXPECT_EQ(readWave(entries[0]["outputs"][0].get<std::string>()).samples,
              (std::vector<double>{8388351, -8388607, 0, 256, -256, 4194304, -4194304, 3160320}));
}

TEST_F(CliTest, BadUsageExitsWithTwoAndWritesNothing) {
    const std::string in = stereo16("in.wav", {1, 2});
    const std::vector<std::vector<std::string>> bad = {
        {"frob", in},
        {"convert", "--frob", in},
        {"info"},
        {"tree", in, in},
        {"convert", "--type", "12bit", in},
        {"convert", "--rate", "0", in},
        {"convert", "--rate", "44100.5", in},
        {"convert", "--normalize", "0", in},
        {"convert", "--normalize", "1000.1", in},
        {"convert", "--pdf", "flat", in},
        {"convert", "--format", "mp3", in},
        {"convert", "--out", "/" + std::string(519, 'x'), in},
        {"convert", "--mono", "--merge", in},
        {"convert", "--settings", temp.file("no-settings.ini"), in},
    };
    for (const auto& args : bad) {
        CliRun r = run(args);
        EXPECT_EQ(r.status, 2) << args[0] << " " << args[1];
        EXPECT_NE(r.err.find("corvandale-cli: "), std::string::npos) << r.err;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}),
              3); // in.wav, stdout, stderr

    for (const char* command : {"info", "convert", "tree"})
        EXPECT_EQ(run({command, "--help"}).status, 0);
    EXPECT_EQ(run({"--version"}).out, "corvandale-cli " CORV_VERSION_TEXT "\n");
}

TEST_F(CliTest, TreePrintsOneNodePerLineIndentedByLevel) {
    const std::string in = stereo16("tree.wav", {1, 2, 3, 4});
    CliRun r = run({"tree", in});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string expected;
    for (const auto& line : treeLines(buildChunkTree(
             in, measureFileSize(in), analysisOptionsOf(defaultConversionSettings()).headerSizes)))
        expected += line + "\n";
    EXPECT_EQ(r.out, expected);

    CliRun notRiff = run({"tree", temp.file("stdout.txt")});
    EXPECT_EQ(notRiff.status, 1);
    EXPECT_NE(notRiff.err.find("stdout.txt"), std::string::npos);
}

TEST_F(CliTest, SettingsFileDecidesUnlessAFlagOverridesIt) {
    const std::string in = stereo16("set.wav", {100, -100});
    const std::string fromFile = folder("from-file");
    AnalyserSettings settings = defaultAnalyserSettings();
    settings.conversion.convertSampleType = 1;
    settings.conversion.targetSampleType = static_cast<int32_t>(SampleType::Int24);
    settings.conversion.sameAsInput = 0;
    setFieldText(settings.conversion.outputDirectory, fromFile);
    ASSERT_TRUE(writeRecordFile(temp.file("settings.ini"), &settings, sizeof settings));

    CliRun r = run({"convert", "--settings", temp.file("settings.ini"), "--json", in});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string output24 = r.parsed()[0]["outputs"][0];
    EXPECT_EQ(output24.rfind(fromFile, 0), 0u) << output24;
    EXPECT_EQ(analysePath(output24).sampleType, SampleType::Int24);

    const std::string fromFlag = folder("from-flag");
    r = run({"convert", "--settings", temp.file("settings.ini"), "--type", "float", "--out",
             fromFlag, "--json", in});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string outputFloat = r.parsed()[0]["outputs"][0];
    EXPECT_EQ(outputFloat.rfind(fromFlag, 0), 0u) << outputFloat;
    EXPECT_EQ(analysePath(outputFloat).sampleType, SampleType::FloatIeee);
}

} // namespace
} // namespace corv::test

// Output names: numbering around taken names, mono stream suffixes and speaker
// names, the delay in a name, field limits, temporary files.
#include "analyser/engine/output_naming.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>

namespace corv {
namespace {

const std::string kDir = std::string("music") + kPathSeparator;

AudioFileRecord recordFor(const std::string& directory, const std::string& name) {
    AudioFileRecord record;
    EXPECT_TRUE(setFieldText(record.path, directory + name));
    EXPECT_TRUE(setFieldText(record.name, name));
    return record;
}

ConversionSettings sameFolder(FileFormat format = FileFormat::WavePcm) {
    ConversionSettings settings = defaultConversionSettings();
    settings.sameAsInput = 1;
    settings.processDelay = 0;
    settings.outputFormat = static_cast<int32_t>(format);
    return settings;
}

struct TakenSet {
    std::set<std::string> names;
    NameTaken predicate() const {
        return [this](const std::string& path) { return names.count(path) > 0; };
    }
};

std::vector<std::string> pathsOf(const NamingResult& result) {
    std::vector<std::string> paths;
    for (const auto& stream : result.streams)
        paths.push_back(stream.path);
    return paths;
}

std::string single(const AudioFileRecord& record, const ConversionSettings& settings,
                   RunMode mode = RunMode::Plain, const TakenSet& taken = {}) {
    auto result = planOutputNames(record, settings, mode, 1, 0, taken.predicate());
    EXPECT_EQ(result.error, "");
    return result.streams.empty() ? std::string() : result.streams[0].path;
}

TEST(AnalyserOutputNames, BesideItsSourceAFileIsNumberedOnRealFiles) {
    test::TempDir temp;
    std::ofstream(temp.file("song.wav")) << "x";
    auto record = recordFor(temp.dir(), "song.wav");
    const NameTaken onDisk = takenOnDisk;

    auto first = planOutputNames(record, sameFolder(), RunMode::Plain, 1, 0x3, onDisk);
    ASSERT_EQ(pathsOf(first), (std::vector<std::string>{temp.file("song(1).wav")}));
    EXPECT_EQ(first.streams[0].channelMask, 0x3u);
    std::ofstream(first.streams[0].path) << "x";
    EXPECT_EQ(pathsOf(planOutputNames(record, sameFolder(), RunMode::Plain, 1, 0, onDisk)),
              (std::vector<std::string>{temp.file("song(2).wav")}));
}

TEST(AnalyserOutputNames, ModesAndFormatsGiveSuffixAndExtension) {
    auto record = recordFor(kDir, "a.b.wav");
    EXPECT_EQ(single(record, sameFolder(), RunMode::Stitch), kDir + "a.b_Stitch.wav");
    EXPECT_EQ(single(record, sameFolder(), RunMode::Merge), kDir + "a.b_Merge.wav");
    EXPECT_EQ(single(record, sameFolder(FileFormat::RawSamples)), kDir + "a.b.raw");
    EXPECT_EQ(single(recordFor(kDir, "noext"), sameFolder(FileFormat::WaveFormatEx)),
              kDir + "noext.wav");

    auto settings = sameFolder();
    settings.outputFormat = 65;
    EXPECT_NE(planOutputNames(record, settings, RunMode::Plain, 1, 0, TakenSet{}.predicate()).error,
              "");
}

TEST(AnalyserOutputNames, MonoStreamsTakeSpeakerNamesFromTheMask) {
    auto record = recordFor(kDir, "x.wav");
    auto settings = sameFolder(FileFormat::WaveFormatEx);
    TakenSet none;

    auto six = planOutputNames(record, settings, RunMode::MonoStreams, 6, 0x3F, none.predicate());
    EXPECT_EQ(pathsOf(six),
              (std::vector<std::string>{kDir + "x_ch0_L.wav", kDir + "x_ch1_R.wav",
                                        kDir + "x_ch2_C.wav", kDir + "x_ch3_LFE.wav",
                                        kDir + "x_ch4_SL.wav", kDir + "x_ch5_SR.wav"}));
    for (size_t s = 0; s < six.streams.size(); ++s)
        EXPECT_EQ(six.streams[s].channelMask, 1u << s);

    // More speakers than streams: the walk stops at the last stream.
    EXPECT_EQ(
        pathsOf(planOutputNames(record, settings, RunMode::MonoStreams, 2, 0x3F, none.predicate())),
        (std::vector<std::string>{kDir + "x_ch0_L.wav", kDir + "x_ch1_R.wav"}));

    // Fewer: the rest keep the bare suffix and no mask; bits are walked in order.
    auto three =
        planOutputNames(record, settings, RunMode::MonoStreams, 3, 0x20004, none.predicate());
    EXPECT_EQ(pathsOf(three),
              (std::vector<std::string>{kDir + "x_ch0_C.wav", kDir + "x_ch1_tbR.wav",
                                        kDir + "x_ch2.wav"}));
    EXPECT_EQ(three.streams[2].channelMask, 0u);

    auto twelve = planOutputNames(record, settings, RunMode::MonoStreams, 12, 0, none.predicate());
    ASSERT_EQ(twelve.streams.size(), 12u);
    EXPECT_EQ(twelve.streams[0].path, kDir + "x_ch00.wav");
    EXPECT_EQ(twelve.streams[11].path, kDir + "x_ch11.wav");

    EXPECT_EQ(planOutputNames(record, settings, RunMode::MonoStreams, 100, 0, none.predicate())
                  .streams[99]
                  .path,
              kDir + "x_ch99.wav");
    EXPECT_EQ(planOutputNames(record, settings, RunMode::MonoStreams, 101, 0, none.predicate())
                  .streams[7]
                  .path,
              kDir + "x_ch007.wav");
    EXPECT_EQ(planOutputNames(record, settings, RunMode::MonoStreams, 1001, 0, none.predicate())
                  .streams[7]
                  .path,
              kDir + "x_ch7.wav");
}

TEST(AnalyserOutputNames, OneTakenStreamNumbersTheWholeSet) {
    TakenSet taken{{kDir + "x_ch1.wav", kDir + "x_ch0(1).wav"}};
    auto result = planOutputNames(recordFor(kDir, "x.wav"), sameFolder(), RunMode::MonoStreams, 2,
                                  0, taken.predicate());
    EXPECT_EQ(pathsOf(result),
              (std::vector<std::string>{kDir + "x_ch0(2).wav", kDir + "x_ch1(2).wav"}));
}

TEST(AnalyserOutputNames, DelayIsReadClampedAndTakenOutOfTheName) {
    EXPECT_EQ(delayMilliseconds("Track DELAY -24ms.wav"), -24);
    EXPECT_EQ(delayMilliseconds("DELAY+7 DELAY 9"), 7);
    EXPECT_EQ(delayMilliseconds("DELAY0"), 0);
    EXPECT_EQ(delayMilliseconds("DELAY ms"), 0);
    EXPECT_EQ(delayMilliseconds("delay 5"), 0);
    EXPECT_EQ(delayMilliseconds("DELAY 99999999999999999999999"), kMaxDelayMilliseconds);
    EXPECT_EQ(delayMilliseconds("DELAY -99999999999999999999999"), -kMaxDelayMilliseconds);

    auto settings = sameFolder();
    EXPECT_EQ(delayFrames("DELAY -20", 48000, settings), 0);
    settings.processDelay = 1;
    EXPECT_EQ(delayFrames("DELAY -20", 48000, settings), -960);
    EXPECT_EQ(delayFrames("DELAY 1", 44100, settings), 44);
    EXPECT_EQ(delayFrames("DELAY -1", 44100, settings), -44);
    EXPECT_EQ(delayFrames("DELAY 99999999999999999999999", 4000000000u, settings),
              kMaxDelayMilliseconds / 1000 * 4000000000 + kMaxDelayMilliseconds % 1000 * 4000000);

    EXPECT_EQ(single(recordFor(kDir, "Track DELAY -20ms.wav"), settings),
              kDir + "Track NOdel -20ms.wav");
    EXPECT_EQ(single(recordFor(kDir, "Track DELAY 0ms.wav"), settings),
              kDir + "Track DELAY 0ms.wav");
    settings.processDelay = 0;
    EXPECT_EQ(single(recordFor(kDir, "Track DELAY -20ms.wav"), settings),
              kDir + "Track DELAY -20ms.wav");
}

TEST(AnalyserOutputNames, PathsThatWouldNotFitTheirFieldFailWithTheirName) {
    auto settings = sameFolder();
    settings.sameAsInput = 0;
    std::memset(settings.outputDirectory, 'd', sizeof settings.outputDirectory); // no terminator
    auto record = recordFor(kDir, "a.wav");
    EXPECT_EQ(outputDirectoryFor(record, settings).size(), 520u);
    auto result = planOutputNames(record, settings, RunMode::Plain, 1, 0, TakenSet{}.predicate());
    EXPECT_TRUE(result.streams.empty());
    EXPECT_NE(result.error.find("too long"), std::string::npos);

    std::string outDir = kDir + std::string(400, 'd') + kPathSeparator;
    ASSERT_TRUE(setFieldText(settings.outputDirectory, outDir));
    std::string fits(519 - outDir.size() - 4, 'n'); // directory + name + ".wav" = 519
    EXPECT_EQ(single(recordFor(kDir, fits + ".wav"), settings).size(), 519u);
    auto tooLong = planOutputNames(recordFor(kDir, fits + "n.wav"), settings, RunMode::Plain, 1, 0,
                                   TakenSet{}.predicate());
    EXPECT_TRUE(tooLong.streams.empty());
    EXPECT_NE(tooLong.error.find(outDir + fits + "n.wav"), std::string::npos);

    // The numbered name is the one that does not fit.
    TakenSet taken{{outDir + fits + ".wav"}};
    auto numbered = planOutputNames(recordFor(kDir, fits + ".wav"), settings, RunMode::Plain, 1, 0,
                                    taken.predicate());
    EXPECT_TRUE(numbered.streams.empty());
    EXPECT_NE(numbered.error.find(fits + "(1).wav"), std::string::npos);
}

TEST(AnalyserOutputNames, EndlesslyTakenNamesGiveUp) {
    NameTaken all = [](const std::string&) { return true; };
    auto record = recordFor(kDir, "a.wav");
    EXPECT_NE(planOutputNames(record, sameFolder(), RunMode::Plain, 1, 0, all).error, "");
    EXPECT_NE(planOutputNames(record, sameFolder(), RunMode::MonoStreams, 2, 0, all).error, "");
}

TEST(AnalyserOutputNames, TemporaryFilesAreNumberedInTheSharedOutputFolder) {
    auto settings = sameFolder();
    settings.sameAsInput = 0;
    ASSERT_TRUE(setFieldText(settings.outputDirectory, kDir));
    TakenSet taken{{kDir + "take.corvandale.tmp"}};
    std::string error;
    EXPECT_EQ(planTemporaryPath(recordFor("one/", "take.wav"), settings, taken.predicate(), error),
              kDir + "take(1).corvandale.tmp");
    EXPECT_EQ(error, "");

    std::string longName(515, 'n');
    EXPECT_EQ(
        planTemporaryPath(recordFor("", longName + ".wav"), settings, taken.predicate(), error),
        "");
    EXPECT_NE(error.find("too long"), std::string::npos);
}

} // namespace
} // namespace corv

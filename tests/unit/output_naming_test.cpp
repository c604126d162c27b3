// Names of new files, for both programs: the first free numbered name and
// what the file system says is free; Corvandale's outputs (suffixes, mono
// stream and speaker names, the delay in a name, field limits, temporary
// files) and Quillmere's encoder outputs.
#include "analyser/engine/output_naming.h"
#include "batcher_test_support.h"
#include "platform/free_name.h"
#include "platform/path.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <tuple>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace corv {
namespace {

using Paths = std::vector<std::string>;
const std::string kDir = std::string("music") + kPathSeparator;

TEST(FreeNames, TheFirstFreeCandidateWithinTheLimitsIsChosen) {
    using enum FreeName::Outcome;
    const struct {
        std::set<std::string> taken;
        size_t limit;
        std::string undecided;
        FreeName::Outcome outcome;
        std::string path;
    } cases[] = {
        {{}, 20, "", Found, "a.wav"},
        {{"a.wav", "a(1).wav"}, 20, "", Found, "a(2).wav"},
        // A candidate of the limit's length is too long; one byte less fits.
        {{}, 5, "", TooLong, "a.wav"},
        {{}, 6, "", Found, "a.wav"},
        {{"a.wav"}, 8, "", TooLong, "a(1).wav"},
        // An unanswered question stops the search instead of numbering past it.
        {{"a.wav"}, 20, "a(1).wav", Undecided, "a(1).wav"},
    };
    for (const auto& c : cases) {
        const FreeName found = firstFreeName("a", ".wav", c.limit, [&](const std::string& path) {
            if (path == c.undecided) return NameState::Undecided;
            return c.taken.count(path) ? NameState::Taken : NameState::Free;
        });
        EXPECT_EQ(std::pair(found.outcome, found.path), std::pair(c.outcome, c.path));
    }
    const FreeName none =
        firstFreeName("a", ".wav", 99, [](const std::string&) { return NameState::Taken; });
    EXPECT_EQ(none.outcome, NoneFree);
}

#ifndef _WIN32
TEST(FreeNames, WhatTheFileSystemCallsFree) {
    test::TempDir temp;
    std::ofstream(temp.file("file")) << "x";
    std::ofstream(temp.file("unreadable")) << "x";
    ASSERT_EQ(chmod(temp.file("unreadable").c_str(), 0), 0);
    std::filesystem::create_directory(temp.file("folder"));
    // A link to nowhere cannot be opened, yet writing there would follow it.
    std::filesystem::create_symlink(temp.file("nowhere"), temp.file("link"));
    const std::pair<std::string, NameState> cases[] = {
        {"free", NameState::Free},
        {"file", NameState::Taken},
        {"unreadable", NameState::Taken},
        {"folder", NameState::Taken},
        {"link", NameState::Taken},
        {"file/below", NameState::Free},
        {std::string(300, 'n'), NameState::Undecided}};
    for (const auto& [name, state] : cases)
        EXPECT_EQ(nameState(temp.file(name)), state) << name;
    EXPECT_EQ(takenOnDisk(temp.file("link")), true);
    EXPECT_EQ(takenOnDisk(temp.file(std::string(300, 'n'))), true);
}
#endif

// Quillmere's encoder outputs beside their input, by way of a LAME job.
TEST(FreeNames, AnEncoderJobNamesAFreeOutputOrFails) {
    test::TempDir dir;
    const auto built = [](const std::string& input) {
        auto job = test::makeJob(JobType::Lame);
        setFieldText(job->settings.lame.inputPath, input);
        return test::buildCommand(*job, defaultBatcherSettings(), false);
    };
    std::ofstream(dir.file("song.mp3")) << "x";
    auto named = built(dir.file("song.wav"));
    EXPECT_EQ(named->outputPath, dir.file("song(1).mp3"));
    EXPECT_EQ(fieldText(named->record->inputDirectory), dir.dir());
    EXPECT_NE(named->arguments().find(" \"" + dir.file("song(1).mp3") + "\""), std::string::npos);
    // FLAC's progress marker is the stem of the input, dots and all.
    auto flac = test::makeJob(JobType::Flac);
    setFieldText(flac->settings.flac.inputPath, dir.file("my.song.wav"));
    auto stem = test::buildCommand(*flac, defaultBatcherSettings(), false);
    EXPECT_EQ(fieldText(stem->record->progressMarker), "my.song");
    EXPECT_EQ(stem->outputPath, dir.file("my.song.flac"));
    // A name the file system will not answer for, or one longer than a path
    // field, fails the job with the record empty.
    std::vector<std::string> inputs = {dir.dir() + std::string(519 - dir.dir().size(), 'n')};
#ifndef _WIN32
    inputs.push_back(dir.file(std::string(300, 'n') + ".wav"));
#endif
    for (const std::string& input : inputs) {
        auto failed = built(input);
        EXPECT_FALSE(failed->outcome.ok);
        EXPECT_FALSE(failed->outcome.error.empty());
        EXPECT_EQ(failed->arguments(), "");
        EXPECT_EQ(fieldText(failed->record->inputDirectory), "");
    }
}

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

NameTaken takenIn(std::set<std::string> names) {
    return [names = std::move(names)](const std::string& path) { return names.count(path) > 0; };
}

Paths pathsOf(const NamingResult& result) {
    Paths paths;
    for (const auto& stream : result.streams)
        paths.push_back(stream.path);
    return paths;
}

NamingResult plan(const AudioFileRecord& record, const ConversionSettings& settings,
                  RunMode mode = RunMode::Plain, uint32_t streams = 1, uint32_t mask = 0,
                  const NameTaken& taken = takenIn({})) {
    return planOutputNames(record, settings, mode, streams, mask, taken);
}

std::string single(const AudioFileRecord& record, const ConversionSettings& settings,
                   RunMode mode = RunMode::Plain) {
    auto result = plan(record, settings, mode);
    EXPECT_EQ(result.error, "");
    return result.streams.empty() ? std::string() : result.streams[0].path;
}

TEST(AnalyserOutputNames, BesideItsSourceAFileIsNumberedOnRealFiles) {
    test::TempDir temp;
    std::ofstream(temp.file("song.wav")) << "x";
    auto record = recordFor(temp.dir(), "song.wav");
    auto first = plan(record, sameFolder(), RunMode::Plain, 1, 0x3, takenOnDisk);
    ASSERT_EQ(pathsOf(first), Paths{temp.file("song(1).wav")});
    EXPECT_EQ(first.streams[0].channelMask, 0x3u);
    std::ofstream(first.streams[0].path) << "x";
    EXPECT_EQ(pathsOf(plan(record, sameFolder(), RunMode::Plain, 1, 0, takenOnDisk)),
              Paths{temp.file("song(2).wav")});
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
    EXPECT_NE(plan(record, settings).error, "");
}

TEST(AnalyserOutputNames, MonoStreamsAreNumberedAndTakeSpeakerNamesFromTheMask) {
    auto record = recordFor(kDir, "x.wav");
    auto settings = sameFolder(FileFormat::WaveFormatEx);
    auto six = plan(record, settings, RunMode::MonoStreams, 6, 0x3F);
    EXPECT_EQ(pathsOf(six),
              (Paths{kDir + "x_ch0_L.wav", kDir + "x_ch1_R.wav", kDir + "x_ch2_C.wav",
                     kDir + "x_ch3_LFE.wav", kDir + "x_ch4_SL.wav", kDir + "x_ch5_SR.wav"}));
    for (size_t s = 0; s < six.streams.size(); ++s)
        EXPECT_EQ(six.streams[s].channelMask, 1u << s);
    // More speakers than streams: the walk stops at the last stream.
    EXPECT_EQ(pathsOf(plan(record, settings, RunMode::MonoStreams, 2, 0x3F)),
              (Paths{kDir + "x_ch0_L.wav", kDir + "x_ch1_R.wav"}));
    // Fewer: the rest keep the bare suffix and no mask; bits are walked in order.
    auto three = plan(record, settings, RunMode::MonoStreams, 3, 0x20004);
    EXPECT_EQ(pathsOf(three),
              (Paths{kDir + "x_ch0_C.wav", kDir + "x_ch1_tbR.wav", kDir + "x_ch2.wav"}));
    EXPECT_EQ(std::tuple(three.streams[0].channelMask, three.streams[1].channelMask,
                         three.streams[2].channelMask),
              std::tuple(0x4u, 0x20000u, 0u)); // each stream its own speaker's bit

    // The number's width follows the stream count.
    const struct {
        uint32_t streams, index;
        const char* name;
    } widths[] = {{9, 8, "x_ch8.wav"},     {10, 0, "x_ch00.wav"},   {10, 9, "x_ch09.wav"},
                  {100, 99, "x_ch99.wav"}, {101, 7, "x_ch007.wav"}, {1000, 7, "x_ch007.wav"},
                  {1001, 7, "x_ch7.wav"}};
    for (const auto& w : widths)
        EXPECT_EQ(plan(record, settings, RunMode::MonoStreams, w.streams).streams.at(w.index).path,
                  kDir + w.name)
            << w.streams;

    // One taken stream numbers the whole set.
    auto taken = plan(record, sameFolder(), RunMode::MonoStreams, 2, 0,
                      takenIn({kDir + "x_ch1.wav", kDir + "x_ch0(1).wav"}));
    EXPECT_EQ(pathsOf(taken), (Paths{kDir + "x_ch0(2).wav", kDir + "x_ch1(2).wav"}));
    const NameTaken all = [](const std::string&) { return true; };
    EXPECT_NE(plan(record, sameFolder(), RunMode::Plain, 1, 0, all).error, "");
    EXPECT_NE(plan(record, sameFolder(), RunMode::MonoStreams, 2, 0, all).error, "");
}

TEST(AnalyserOutputNames, DelayIsReadClampedAndTakenOutOfTheName) {
    const std::pair<const char*, int64_t> delays[] = {
        {"Track DELAY -24ms.wav", -24},
        {"DELAY+7 DELAY 9", 7},
        {"DELAY0", 0},
        {"DELAY ms", 0},
        {"delay 5", 0},
        {"DELAY 99999999999999999999999", kMaxDelayMilliseconds},
        {"DELAY -99999999999999999999999", -kMaxDelayMilliseconds}};
    for (auto [name, milliseconds] : delays)
        EXPECT_EQ(delayMilliseconds(name), milliseconds) << name;

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
    auto result = plan(record, settings);
    EXPECT_TRUE(result.streams.empty());
    EXPECT_NE(result.error.find("too long"), std::string::npos);

    std::string outDir = kDir + std::string(400, 'd') + kPathSeparator;
    ASSERT_TRUE(setFieldText(settings.outputDirectory, outDir));
    std::string fits(519 - outDir.size() - 4, 'n'); // directory + name + ".wav" = 519
    EXPECT_EQ(single(recordFor(kDir, fits + ".wav"), settings).size(), 519u);
    auto tooLong = plan(recordFor(kDir, fits + "n.wav"), settings);
    EXPECT_TRUE(tooLong.streams.empty());
    EXPECT_NE(tooLong.error.find(outDir + fits + "n.wav"), std::string::npos);
    // The numbered name is the one that does not fit.
    auto numbered = plan(recordFor(kDir, fits + ".wav"), settings, RunMode::Plain, 1, 0,
                         takenIn({outDir + fits + ".wav"}));
    EXPECT_TRUE(numbered.streams.empty());
    EXPECT_NE(numbered.error.find(fits + "(1).wav"), std::string::npos);
}

TEST(AnalyserOutputNames, TemporaryFilesAreNumberedInTheSharedOutputFolder) {
    auto settings = sameFolder();
    settings.sameAsInput = 0;
    ASSERT_TRUE(setFieldText(settings.outputDirectory, kDir));
    const NameTaken taken = takenIn({kDir + "take.corvandale.tmp"});
    std::string error;
    EXPECT_EQ(planTemporaryPath(recordFor("one/", "take.wav"), settings, taken, error),
              kDir + "take(1).corvandale.tmp");
    EXPECT_EQ(error, "");
    EXPECT_EQ(
        planTemporaryPath(recordFor("", std::string(515, 'n') + ".wav"), settings, taken, error),
        "");
    EXPECT_NE(error.find("too long"), std::string::npos);
}

} // namespace
} // namespace corv

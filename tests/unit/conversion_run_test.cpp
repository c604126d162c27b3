// The conversion engine end to end on real files: each kind of pass, delays
// from file names, "Stop", failures that must leave nothing half written.
#include "conversion_harness.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <set>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace corv {
namespace {

using test::Conversion;
using test::readWave;
using test::writeWave16;

std::vector<int16_t> ramp(size_t count, int step = 7) {
    std::vector<int16_t> out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = static_cast<int16_t>((int(i) * step) % 30000 - 15000);
    return out;
}

TEST(ConversionPasses, CopiesUntouchedSamplesBitExactBesideTheSource) {
    test::TempDir temp;
    auto samples = ramp(2 * 20000);
    samples[0] = -32768;
    samples[1] = 32767;
    const std::string source = writeWave16(temp.file("song.wav"), 2, 44100, samples);
    Conversion c;
    ASSERT_TRUE(c.run({source}));
    EXPECT_EQ(c.record(0).result, ConversionResult::Processed);
    EXPECT_EQ(c.record(0).peak, -1.0); // no working form, nothing measured
    ASSERT_EQ(c.outputs(0), std::vector<std::string>{temp.file("song(1).wav")});
    EXPECT_EQ(test::readFile(source), test::readFile(temp.file("song(1).wav")));
}

TEST(ConversionPasses, ResamplesToTheRoundedLengthAndDithersOntoTheGrid) {
    test::TempDir temp;
    std::vector<int16_t> tone(44100);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = int16_t(8000 * std::sin(i * 0.05));
    Conversion c;
    c.resampleTo(48000);
    c.convertTo(SampleType::Int8); // 8-bit, dithered
    c.settings.conversion.dither = 1;
    ASSERT_TRUE(c.run({writeWave16(temp.file("t.wav"), 1, 44100, tone)}));
    auto out = readWave(c.outputs(0).at(0));
    EXPECT_EQ(out.record.sampleRate, 48000u);
    ASSERT_EQ(out.record.frameCount, 48000);
    // The resampled tone stays within a few 8-bit steps of the ideal one.
    for (size_t i = 1000; i < 47000; i += 97) {
        double ideal = 8000.0 / 32768.0 * std::sin(i * 44100.0 / 48000.0 * 0.05) * 127 + 128;
        EXPECT_NEAR(out.samples[i], ideal, 3.0) << i;
    }
}

// 10 kHz files of 10000 frames: 1 ms is 10 frames.
TEST(ConversionPasses, ADelayInTheNameShiftsTheSourceAndKeepsTheLengthWhenAsked) {
    const struct {
        const char* name;
        bool keepLength;
        int64_t expectedFrames;
        int64_t leadingSilence;   // frames of silence before the first source frame
        int64_t firstSourceFrame; // index of the source frame that comes first
    } cases[] = {
        {"a DELAY 100ms.wav", false, 11000, 1000, 0},
        {"b DELAY 100ms.wav", true, 10000, 1000, 0},
        {"c DELAY -50ms.wav", false, 9500, 0, 500},
        {"d DELAY -50ms.wav", true, 10000, 0, 500},
        {"e DELAY -5000ms.wav", true, 10000, 0, 50000},
        {"f DELAY 5000ms.wav", true, 10000, 10000, 0},
        {"g DELAY -99999999999999999999ms.wav", false, 0, 0, 0},
        {"h DELAY0.wav", true, 10000, 0, 0},
    };
    std::vector<int16_t> samples(10000);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(i % 20000 + 1);
    for (const auto& d : cases) {
        SCOPED_TRACE(d.name);
        test::TempDir temp;
        Conversion c;
        c.settings.conversion.processDelay = 1;
        c.settings.conversion.maintainLength = d.keepLength;
        ASSERT_TRUE(c.run({writeWave16(temp.file(d.name), 1, 1000 * 10, samples)}));
        ASSERT_EQ(c.record(0).result, ConversionResult::Processed);
        auto out = readWave(c.outputs(0).at(0));
        ASSERT_EQ(out.record.frameCount, d.expectedFrames);
        for (int64_t i = 0; i < d.expectedFrames; ++i) {
            const int64_t source = i - d.leadingSilence + d.firstSourceFrame;
            const double expected = i < d.leadingSilence || source >= 10000 ? 0.0 : samples[source];
            ASSERT_EQ(out.samples[i], expected) << "frame " << i;
        }
    }
    // 8-bit silence is the byte 128, not 0.
    test::TempDir temp;
    test::FormatFields u8{
        .channels = 1, .sampleRate = 1000, .bitsPerSample = 8, .containerBytes = 1};
    test::writeFile(temp.file("u DELAY 10ms.wav"), test::wave(u8, test::Bytes(20, 200)));
    Conversion c;
    c.settings.conversion.processDelay = 1;
    ASSERT_TRUE(c.run({temp.file("u DELAY 10ms.wav")}));
    EXPECT_EQ(readWave(c.outputs(0).at(0)).samples,
              test::cat<double>({std::vector<double>(10, 128), std::vector<double>(20, 200)}));
}

TEST(ConversionPasses, DelayWithResamplingCountsInputFrames) {
    test::TempDir temp;
    Conversion c;
    c.settings.conversion.processDelay = 1;
    c.settings.conversion.maintainLength = 1;
    c.resampleTo(48000);
    ASSERT_TRUE(c.run({writeWave16(temp.file("x DELAY -100ms.wav"), 2, 24000, ramp(2 * 30000))}));
    EXPECT_EQ(readWave(c.outputs(0).at(0)).record.frameCount, 60000);
    EXPECT_EQ(c.outputs(0).at(0), temp.file("x NOdel -100ms.wav"));
}

std::set<std::string> filesIn(const test::TempDir& temp) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(temp.path()))
        names.insert(entry.path().string());
    return names;
}

// "Stop" during the second of three entries, or during the list's peak search
// before any entry is converted: what was not finished is not converted and
// leaves no file, and only a finished entry is sent to the batcher.
TEST(ConversionRun, StopLeavesTheUnfinishedEntriesNotConverted) {
    for (const bool listPeak : {false, true}) {
        SCOPED_TRACE(listPeak ? "list peak search" : "second entry");
        test::TempDir temp;
        std::set<std::string> left;
        for (const char* name : {"one.wav", "two.wav", "three.wav"})
            left.insert(writeWave16(temp.file(name), 2, 44100, ramp(2 * 50000)));
        Conversion c;
        auto& s = c.settings.conversion;
        if (listPeak) {
            s.normalize = s.normalizeList = s.normalizeWithTempFile = 1;
            s.normalizeFile = 0;
        } else {
            c.convertTo(SampleType::Int24);
            s.amplify = 1;
            s.amplifyDb = 12.0; // would clip: no message once stopped
        }
        c.sendJobsTo(JobType::WavPack);
        c.observer.onProgress = [&](int entry, int percent) {
            if (entry == 1 && percent >= 40) c.stop = true;
        };
        ASSERT_TRUE(c.run({temp.file("one.wav"), temp.file("two.wav"), temp.file("three.wav")}));
        EXPECT_TRUE(c.outcome.stopped);
        EXPECT_EQ(c.record(0).result,
                  listPeak ? ConversionResult::NotConverted : ConversionResult::Processed);
        EXPECT_EQ(c.record(1).result, ConversionResult::NotConverted);
        EXPECT_EQ(c.record(2).result, ConversionResult::NotConverted);
        if (!listPeak) left.insert(temp.file("one(1).wav"));
        EXPECT_EQ(filesIn(temp), left);
        ASSERT_EQ(c.observer.jobs.size(), listPeak ? 0u : 1u);
        if (!listPeak) {
            EXPECT_EQ(c.observer.jobs[0].outputPaths.at(0), temp.file("one(1).wav"));
        }
        EXPECT_TRUE(c.observer.notifier.messages.empty());
    }
}

TEST(ConversionRun, NotANumberBecomesSilenceAndInfinityIsThePeak) {
    test::TempDir temp;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Conversion c;
    c.convertTo(SampleType::Int16);
    ASSERT_TRUE(c.run({test::writeWaveFloat(temp.file("f.wav"), 1, 8000, {nan, 0.5f, -inf, nan})}));
    auto out = readWave(c.outputs(0).at(0));
    EXPECT_EQ(out.samples, (std::vector<double>{0, 16384, -32768, 0}));
    EXPECT_TRUE(std::isinf(c.record(0).peak));
}

// A sample type no code stands for, or an output folder that cannot take
// files, fails each entry with its message and writes nothing.
TEST(ConversionRun, SettingsThatCannotBeCarriedOutFailEachEntry) {
    for (const bool badType : {true, false}) {
        test::TempDir temp;
        Conversion c;
        const std::string missing = temp.file("no such folder/");
        if (badType) {
            c.settings.conversion.convertSampleType = 1;
            c.settings.conversion.targetSampleType = 12;
        } else {
            c.settings.conversion.sameAsInput = 0;
            std::snprintf(c.settings.conversion.outputDirectory, 520, "%s", missing.c_str());
        }
        ASSERT_TRUE(c.run({writeWave16(temp.file("a.wav"), 1, 8000, ramp(100)),
                           writeWave16(temp.file("b.wav"), 1, 8000, ramp(100))}));
        for (size_t i : {0u, 1u}) {
            EXPECT_EQ(c.record(i).result, ConversionResult::Failed);
            EXPECT_TRUE(c.outputs(i).empty());
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 2);
        ASSERT_EQ(c.observer.notifier.messages.size(), badType ? 4u : 2u); // type and format
        if (badType) {
            EXPECT_EQ(c.observer.notifier.messages[0].first, "Internal error, new sample type");
            EXPECT_EQ(c.observer.notifier.messages[1].first, "Internal error, new format");
        } else {
            EXPECT_NE(c.observer.notifier.messages[0].first.find(missing + "a.wav"),
                      std::string::npos);
        }
    }
}

#ifndef _WIN32
// A lowered limit of the process, raised again at the end of the scope: a
// file-size limit makes every write past it fail, as a full disk does.
class ResourceLimit {
  public:
    ResourceLimit(int resource, rlim_t value) : resource_(resource) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(resource_, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = value;
        setrlimit(resource_, &limited);
    }
    ~ResourceLimit() { setrlimit(resource_, &saved_); }

  private:
    int resource_;
    rlimit saved_{};
};

// A full disk fails the entry whose output it stops, or every entry of a
// stitched or merged output, removes what was written, and the run goes on.
TEST(ConversionRun, AFullDiskFailsTheEntriesOfTheOutputItStopsAndLeavesNothingHalfWritten) {
    enum Mode { Plain, MonoStreams, TempFile, Stitch, Merge };
    for (Mode mode : {Plain, MonoStreams, TempFile, Stitch, Merge}) {
        SCOPED_TRACE(mode);
        test::TempDir temp;
        const std::string big = writeWave16(temp.file("big.wav"), 2, 44100, ramp(2 * 100000));
        const std::string small = writeWave16(temp.file("small.wav"), 2, 44100, ramp(2 * 1000));
        const bool combined = mode == Stitch || mode == Merge;
        Conversion c;
        auto& s = c.settings.conversion;
        c.convertTo(SampleType::Int24);
        if (mode != MonoStreams) c.sendJobsTo(JobType::WavPack); // it takes no mono streams
        s.streamManipulation = mode != Plain && mode != TempFile;
        s.monoStreams = mode == MonoStreams;
        s.stitchFiles = mode == Stitch;
        s.mergeFiles = mode == Merge;
        s.normalize = s.normalizeWithTempFile = mode == TempFile;
        {
            ResourceLimit limit(RLIMIT_FSIZE, 200000);
            ASSERT_TRUE(combined ? c.run({small, big}) : c.run({big, small}));
        }
        const size_t bigEntry = combined ? 1 : 0, smallEntry = 1 - bigEntry;
        EXPECT_EQ(c.record(bigEntry).result, ConversionResult::Failed);
        EXPECT_EQ(c.record(smallEntry).result,
                  combined ? ConversionResult::Failed : ConversionResult::Processed);
        EXPECT_TRUE(c.outputs(bigEntry).empty());
        // Only the finished entry is sent to the batcher.
        ASSERT_EQ(c.observer.jobs.size(), mode == Plain || mode == TempFile ? 1u : 0u);
        if (!c.observer.jobs.empty()) {
            EXPECT_EQ(c.observer.jobs[0].record, &c.record(smallEntry));
        }
        ASSERT_FALSE(c.observer.notifier.messages.empty());
        if (!combined) {
            EXPECT_NE(c.observer.notifier.messages[0].first.find("big"), std::string::npos);
        }
        // Nothing but the sources and the finished entry's outputs is left.
        std::set<std::string> left = {big, small};
        for (const std::string& path : c.outputs(smallEntry))
            left.insert(path);
        EXPECT_EQ(filesIn(temp), left);
    }
}

TEST(ConversionRun, MonoStreamsBeyondTheOpenFileLimitFailTheEntryCleanly) {
    test::TempDir temp;
    const std::string wide = writeWave16(temp.file("wide.wav"), 100, 8000, ramp(100 * 10));
    Conversion c;
    c.settings.conversion.streamManipulation = 1;
    bool ran = false;
    {
        ResourceLimit limit(RLIMIT_NOFILE, 48);
        ran = c.run({wide});
    }
    ASSERT_TRUE(ran);
    EXPECT_EQ(c.record(0).result, ConversionResult::Failed);
    ASSERT_EQ(c.observer.notifier.messages.size(), 1u);
    EXPECT_NE(c.observer.notifier.messages[0].first.find("wide_ch"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 1);
}
#endif

} // namespace
} // namespace corv

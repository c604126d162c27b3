// The engine's level modes and scopes, channel maps, mono streams, stitching
// and merging, on real files.
#include "conversion_harness.h"
#include "ssrc/ssrcdll.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace corv {
namespace {

using test::Conversion;
using test::readWave;
using test::writeWave16;

// A 16-bit mono file whose loudest sample is peak × 32768.
std::string fileWithPeak(const test::TempDir& temp, const std::string& name, double peak,
                         size_t frames = 20000) {
    std::vector<int16_t> samples(frames);
    for (size_t i = 0; i < frames; ++i)
        samples[i] = static_cast<int16_t>(std::lround(peak * 32768.0 * std::sin(i * 0.01)));
    samples[frames / 2] = static_cast<int16_t>(std::lround(peak * 32768.0));
    return writeWave16(temp.file(name), 1, 8000, samples);
}

double outputPeak(const std::string& path) {
    double peak = 0;
    for (double s : readWave(path).samples)
        peak = std::max(peak, std::fabs(s) / 32767.0);
    return peak;
}

// Each scope, read in one pass or through the temporary file.
TEST(Normalize, BringsThePeaksToTheTarget) {
    enum Scope { File, List, OnClipping };
    for (const Scope scope : {File, List, OnClipping})
        for (const bool withTemp : {false, true}) {
            SCOPED_TRACE(testing::Message() << "scope " << scope << " temp " << withTemp);
            test::TempDir temp;
            // Float input can go above full scale: 1.2 clips unless something acts.
            std::vector<float> loud(20000);
            for (size_t i = 0; i < loud.size(); ++i)
                loud[i] = static_cast<float>(1.2 * std::sin(i * 0.01));
            loud[10000] = 1.2f;
            Conversion c;
            auto& s = c.settings.conversion;
            s.normalize = 1;
            s.normalizeWithTempFile = withTemp;
            s.normalizeFile = scope == File;
            s.normalizeList = scope == List;
            s.normalizeOnClipping = scope == OnClipping;
            c.convertTo(SampleType::Int16);
            // Exactly full scale does not clip: "on clipping" leaves it alone.
            ASSERT_TRUE(
                c.run({fileWithPeak(temp, "half.wav", 0.5), fileWithPeak(temp, "quarter.wav", 0.25),
                       test::writeWaveFloat(temp.file("loud.wav"), 1, 8000, loud),
                       test::writeWaveFloat(temp.file("full.wav"), 1, 8000, {0.5f, 1.0f})}));
            const double expected[3][4] = {{0.95, 0.95, 0.95, 0.95},
                                           {0.95 * 0.5 / 1.2, 0.95 * 0.25 / 1.2, 0.95, 0.95 / 1.2},
                                           {0.5, 0.25, 0.95, 1.0}};
            for (size_t i = 0; i < 4; ++i) {
                SCOPED_TRACE(i);
                ASSERT_EQ(c.record(i).result, ConversionResult::Processed);
                EXPECT_NEAR(c.record(i).peak, expected[scope][i], 1e-4);
                ASSERT_EQ(c.outputs(i).size(), 1u);
                EXPECT_NEAR(outputPeak(c.outputs(i)[0]), expected[scope][i], 1e-4);
            }
            // A file's own peak is searched first only where its gain needs it.
            const bool filePeak = scope == File || (scope == OnClipping && withTemp);
            EXPECT_EQ(std::count(c.observer.captions.begin(), c.observer.captions.end(),
                                 kCaptionFilePeak),
                      filePeak ? 4 : 0);
            const bool extraPass = scope == OnClipping && !withTemp;
            EXPECT_EQ(std::count(c.observer.captions.begin(), c.observer.captions.end(),
                                 kCaptionExtraPass),
                      extraPass ? 1 : 0);
            EXPECT_TRUE(c.observer.notifier.messages.empty()); // nothing clipped in the end
            // One output per source, and no temporary file left behind.
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 8);
        }
}

// The clipping message comes for a peak above full scale only: a legal
// full-scale file raises none.
TEST(LevelControl, ClippingIsReportedAtTheEndForPeaksAboveFullScale) {
    const float justAbove = std::nextafter(1.0f, 2.0f);
    const struct {
        const char* what;
        std::vector<float> samples; // written as 16-bit when all are -1.0, else as float
        double amplifyDb;
        double peak;
        bool clipped;
    } cases[] = {
        {"16-bit at negative full scale", {-1.0f, -1.0f}, 0, 1.0, false},
        {"float at full scale", {0.5f, 1.0f, -1.0f}, 0, 1.0, false},
        {"float just above", {0.5f, justAbove}, 0, justAbove, true},
        {"amplified", {0.6f, -0.3f}, 6.0, 0.6f * std::pow(10.0, 0.3), true},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.what);
        test::TempDir temp;
        const bool pcm = t.samples[0] == -1.0f;
        Conversion c;
        c.convertTo(pcm ? SampleType::Int24 : SampleType::Int16);
        c.settings.conversion.amplify = t.amplifyDb != 0;
        c.settings.conversion.amplifyDb = t.amplifyDb;
        ASSERT_TRUE(c.run({pcm ? writeWave16(temp.file("a.wav"), 1, 8000, {-32768, -32768})
                               : test::writeWaveFloat(temp.file("a.wav"), 1, 8000, t.samples)}));
        EXPECT_NEAR(c.record(0).peak, t.peak, t.clipped ? 1e-6 : 0.0);
        EXPECT_EQ(c.observer.notifier.messages.size(), t.clipped ? 1u : 0u);
        if (t.clipped) {
            EXPECT_EQ(c.observer.notifier.messages.at(0).first, kClippingMessage);
            EXPECT_EQ(outputPeak(c.outputs(0).at(0)), 1.0); // clipped, not wrapped
        }
    }
}

// Dither is the last step before rounding: what the library makes of the
// gained samples is written exactly, with the temporary file too.
TEST(LevelControl, DitherActsOnTheGainedSamplesAndIsWrittenExactly) {
    for (const bool normalize : {false, true}) {
        SCOPED_TRACE(normalize ? "normalize with temp file" : "amplify");
        test::TempDir temp;
        std::vector<int16_t> tone(20000);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = static_cast<int16_t>(std::lround(40 * std::sin(i * 0.1427)));
        Conversion c;
        auto& s = c.settings.conversion;
        s.dither = 1;
        s.noiseShaping = 3;
        s.amplify = !normalize;
        s.amplifyDb = -3.0;
        s.normalize = s.normalizeWithTempFile = normalize;
        s.normalizeTarget = 0.7 * 40 / 32768.0;
        ASSERT_TRUE(c.run({writeWave16(temp.file("t.wav"), 1, 44100, tone)}));
        const double gain = normalize ? 0.7 : std::pow(10.0, -3.0 / 20.0);
        std::vector<double> expected(tone.size());
        for (size_t i = 0; i < tone.size(); ++i)
            expected[i] = tone[i] / 32768.0 * gain;
        std::vector<double> state(SSRC_DITHER_STATE_BYTES / sizeof(double));
        _DitherInit(1, 44100, 3, s.pdfType, s.pdfAmplitude / 32767.0, state.data());
        _DitherProcess(static_cast<int>(expected.size()), state.data(), expected.data());
        double peak = 0;
        for (double& v : expected) {
            peak = std::max(peak, std::fabs(v));
            v = std::round(v * 32767.0);
        }
        EXPECT_EQ(readWave(c.outputs(0).at(0)).samples, expected);
        EXPECT_EQ(c.record(0).peak, peak);
    }
}

// The dither's grid holds one step below negative full scale, as the output does.
TEST(LevelControl, DitherAtNegativeFullScaleReachesTheLowestSample) {
    test::TempDir temp;
    Conversion c;
    c.convertTo(SampleType::Int16);
    c.settings.conversion.dither = 1;
    ASSERT_TRUE(c.run(
        {test::writeWaveFloat(temp.file("low.wav"), 1, 8000, std::vector<float>(4000, -1.0f))}));
    const auto out = readWave(c.outputs(0).at(0)).samples;
    EXPECT_EQ(*std::min_element(out.begin(), out.end()), -32768);
    EXPECT_GT(std::count(out.begin(), out.end(), -32768), 100);
}

// A shaping dither keeps its samples within the output's range: the
// overshoot must still show, so that "on clipping" lowers the level instead
// of writing flattened tops.
TEST(LevelControl, AnOvershootShowsThroughAShapingDither) {
    test::TempDir temp;
    std::vector<float> loud(20000);
    for (size_t i = 0; i < loud.size(); ++i)
        loud[i] = static_cast<float>(1.3 * std::sin(i * 0.01));
    Conversion c;
    auto& s = c.settings.conversion;
    c.convertTo(SampleType::Int16);
    s.dither = 1;
    s.noiseShaping = 3;
    s.normalize = s.normalizeOnClipping = 1;
    s.normalizeFile = 0;
    ASSERT_TRUE(c.run({test::writeWaveFloat(temp.file("loud.wav"), 1, 8000, loud)}));
    EXPECT_EQ(std::count(c.observer.captions.begin(), c.observer.captions.end(), kCaptionExtraPass),
              1);
    EXPECT_TRUE(c.observer.notifier.messages.empty());
    EXPECT_NEAR(c.record(0).peak, 0.95, 2e-3);
    const auto out = readWave(c.outputs(0).at(0)).samples;
    for (size_t i = 0; i < loud.size(); ++i)
        ASSERT_NEAR(out[i] / 32767.0, 0.95 / 1.3 * loud[i], 2e-3) << i;
}

TEST(LevelControl, SameNamedEntriesKeepTheirOwnTemporaryFiles) {
    test::TempDir temp;
    std::filesystem::create_directories(temp.path() / "x");
    std::filesystem::create_directories(temp.path() / "y");
    Conversion c;
    auto& s = c.settings.conversion;
    s.normalize = s.normalizeWithTempFile = s.normalizeList = 1;
    s.normalizeFile = 0;
    s.sameAsInput = 0;
    std::snprintf(s.outputDirectory, 520, "%s", temp.dir().c_str());
    ASSERT_TRUE(
        c.run({fileWithPeak(temp, "x/same.wav", 0.5), fileWithPeak(temp, "y/same.wav", 0.25)}));
    EXPECT_NEAR(outputPeak(c.outputs(0).at(0)), 0.95, 1e-4);
    EXPECT_NEAR(outputPeak(c.outputs(1).at(0)), 0.475, 1e-4);
}

TEST(ChannelMaps, MoveAndMixMapsShapeTheOutput) {
    test::TempDir temp;
    // Four channels, each frame f holding f + 1000 × channel.
    std::vector<int16_t> quad;
    for (int16_t f = 0; f < 100; ++f)
        for (int16_t ch = 0; ch < 4; ++ch)
            quad.push_back(static_cast<int16_t>(f + 1000 * ch));
    std::vector<int16_t> stereo;
    for (int16_t f = 0; f < 100; ++f)
        stereo.insert(stereo.end(), {int16_t(100 * f), int16_t(-50 * f)});
    Conversion c;
    c.settings.conversion.channelMappingEnabled = 1;
    readMaps(c.maps, "4->3#move#active#pick\n3 -1 9 \n2->1#mix#active#mono\n0.5 0.5 \n");
    ASSERT_TRUE(c.run({writeWave16(temp.file("quad.wav"), 4, 8000, quad, 0x33),
                       writeWave16(temp.file("st.wav"), 2, 8000, stereo)}));
    auto moved = readWave(c.outputs(0).at(0));
    EXPECT_EQ(moved.record.channels, 3u);
    EXPECT_EQ(moved.record.format, FileFormat::WavePcm); // a map drops the speaker mask
    for (size_t f = 0; f < 100; ++f)
        ASSERT_EQ(
            std::vector<double>(moved.samples.begin() + 3 * f, moved.samples.begin() + 3 * f + 3),
            (std::vector<double>{double(f + 3000), 0, 0}));
    auto mixed = readWave(c.outputs(1).at(0));
    EXPECT_EQ(mixed.record.channels, 1u);
    for (size_t f = 0; f < 100; ++f)
        ASSERT_EQ(mixed.samples[f], std::round(25.0 * f / 32768.0 * 32767.0)) << f;
}

TEST(Streams, MonoStreamsCarryTheSpeakerNamesAndBits) {
    test::TempDir temp;
    std::vector<int16_t> six;
    for (int16_t f = 0; f < 50; ++f)
        for (int16_t ch = 0; ch < 6; ++ch)
            six.push_back(static_cast<int16_t>(ch * 100 + f));
    Conversion c;
    c.settings.conversion.streamManipulation = 1;
    c.settings.conversion.outputFormat = static_cast<int32_t>(FileFormat::WaveFormatEx);
    ASSERT_TRUE(c.run({writeWave16(temp.file("x.wav"), 6, 48000, six, 0x3F)}));
    ASSERT_EQ(c.outputs(0).size(), 6u);
    EXPECT_EQ(c.outputs(0)[3], temp.file("x_ch3_LFE.wav")); // every name: the naming test
    for (int ch = 0; ch < 6; ++ch) {
        auto out = readWave(c.outputs(0)[ch]);
        EXPECT_EQ(out.record.channels, 1u);
        EXPECT_EQ(out.record.channelMask, 1u << ch);
        ASSERT_EQ(out.samples.size(), 50u);
        EXPECT_EQ(out.samples[7], ch * 100 + 7);
    }
}

// Stitching appends the entries (and wins over mono streams), merging puts
// them side by side, a shorter file leaving silence (128 in 8 bits) in its
// channels; one header counts the frames of the whole.
TEST(Streams, StitchingAndMergingWriteOneFileForTheWhole) {
    for (const bool merge : {false, true}) {
        SCOPED_TRACE(merge ? "merge" : "stitch");
        test::TempDir temp;
        Conversion c;
        c.combine(merge);
        c.settings.conversion.monoStreams = 1;
        c.sendJobsTo(JobType::Flac);
        if (merge) c.convertTo(SampleType::Int8);
        ASSERT_TRUE(c.run({writeWave16(temp.file("a.wav"), 2, 8000, {256, 512, 768, 1024}),
                           merge ? writeWave16(temp.file("b.wav"), 1, 8000, {2560, 5120, 7680})
                                 : writeWave16(temp.file("b.wav"), 2, 8000, {2560, 5120})}));
        const std::string path = temp.file(merge ? "a_Merge.wav" : "a_Stitch.wav");
        EXPECT_EQ(c.outputs(0), std::vector<std::string>{path});
        EXPECT_EQ(c.outputs(1), std::vector<std::string>{path});
        const auto out = readWave(path);
        EXPECT_EQ(out.record.channels, merge ? 3u : 2u);
        const std::vector<double> merged = {129, 130, 138, 131, 132, 148, 128, 128, 158},
                                  stitched = {256, 512, 768, 1024, 2560, 5120};
        EXPECT_EQ(out.samples, merge ? merged : stitched);
        const auto bytes = test::readFile(path);
        EXPECT_EQ(test::u32at(bytes, 40), merge ? 9u : 12u);
        EXPECT_EQ(test::u32at(bytes, 4), bytes.size() - 8);
        ASSERT_EQ(c.observer.jobs.size(), 1u);
        EXPECT_EQ(c.observer.jobs[0].frames, 3u);
        EXPECT_EQ(c.observer.jobs[0].channels, merge ? 3u : 2u);
    }
}

// A clipped entry is converted again over its own frames of the shared
// output: stitching goes back to where the entry began, merging rewrites its
// channels.
TEST(Streams, AnExtraPassRewritesOnlyItsEntrysPartOfACombinedOutput) {
    for (const bool merge : {false, true}) {
        SCOPED_TRACE(merge ? "merge" : "stitch");
        test::TempDir temp;
        Conversion c;
        c.combine(merge);
        auto& s = c.settings.conversion;
        s.normalize = s.normalizeOnClipping = 1;
        s.normalizeFile = 0;
        c.convertTo(SampleType::Int16);
        const std::string quiet = fileWithPeak(temp, "quiet.wav", 0.5, 3000);
        std::vector<float> loud(2000, 0.6f);
        loud[100] = 1.2f;
        ASSERT_TRUE(c.run({quiet, test::writeWaveFloat(temp.file("loud.wav"), 1, 8000, loud)}));
        ASSERT_EQ(c.record(1).result, ConversionResult::Processed);
        EXPECT_NEAR(c.record(1).peak, 0.95, 1e-9);
        auto out = readWave(c.outputs(0).at(0));
        const auto original = readWave(quiet).samples;
        ASSERT_EQ(out.record.frameCount, merge ? 3000 : 5000);
        const size_t channels = merge ? 2 : 1;
        for (size_t f = 0; f < 3000; ++f)
            ASSERT_EQ(out.samples[f * channels], std::round(original[f] / 32768.0 * 32767.0)) << f;
        const size_t loudAt = merge ? 1 : 3000; // where the second entry's first sample is
        const double step = merge ? 2 : 1;
        EXPECT_EQ(out.samples[loudAt + 100 * step], std::round(0.95 * 32767.0));
        EXPECT_EQ(out.samples[loudAt], std::round(0.6 * 0.95 / 1.2 * 32767.0));
        if (merge) {
            EXPECT_EQ(out.samples[2 * 2500 + 1], 0); // shorter: silence after its end
        }
    }
}

TEST(Streams, CombiningChecksStopTheRunBeforeAnyOutput) {
    test::TempDir temp;
    Conversion c;
    c.settings.conversion.streamManipulation = c.settings.conversion.stitchFiles = 1;
    EXPECT_FALSE(c.run({writeWave16(temp.file("a.wav"), 2, 8000, {1, 2}),
                        writeWave16(temp.file("b.wav"), 1, 8000, {1})}));
    ASSERT_EQ(c.observer.notifier.messages.size(), 1u);
    EXPECT_EQ(c.observer.notifier.messages[0].first,
              "Cant combine files together; Different number of channels detected");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 2);
}

} // namespace
} // namespace corv

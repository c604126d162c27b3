// The two settings files: first start, short files, round trips, bad text.
#include "analyser/engine/settings_file.h"
#include "batcher/config/batcher_settings.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

namespace corv {
namespace {

using test::readFile;
using test::writeFile;

template <typename T> T at(const std::vector<uint8_t>& bytes, size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

std::vector<uint8_t> patternBytes(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

TEST(AnalyserSettingsFile, FirstStartWritesDefaultsOf932Bytes) {
    test::TempDir temp;
    AnalyserSettings settings{};
    loadSettings(settings, temp.dir());

    auto bytes = readFile(temp.file(kAnalyserSettingsFileName));
    ASSERT_EQ(bytes.size(), 932u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[1])), "C:\\");
    EXPECT_EQ(at<int32_t>(bytes, 528), 50);
    EXPECT_EQ(at<int32_t>(bytes, 544), 44100);
    EXPECT_EQ(at<double>(bytes, 568), 0.95);
    EXPECT_EQ(at<int32_t>(bytes, 612), 1000);
    EXPECT_EQ(at<int32_t>(bytes, 536), 4);
    EXPECT_EQ(at<float>(bytes, 588), 1.0f);
    // Column switches: everything shown but "Size".
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 594, bytes.begin() + 602),
              (std::vector<uint8_t>{1, 0, 1, 1, 1, 1, 1, 1}));
    // First encoder block (Surcode CD Pro) and the last (AC3 library) follow.
    EXPECT_EQ(at<int32_t>(bytes, 616 + 4), 1234);
    EXPECT_EQ(at<int32_t>(bytes, 616 + 12), 6);
    EXPECT_EQ(at<int32_t>(bytes, 932 - 44), 448);
    EXPECT_EQ(at<int32_t>(bytes, 932 - 4), 5);
    // The whole text field is stored, zero after the text.
    EXPECT_TRUE(
        std::all_of(bytes.begin() + 4, bytes.begin() + 521, [](uint8_t b) { return b == 0; }));
}

TEST(AnalyserSettingsFile, EncoderDefaultsMatchTheStoredLayouts) {
    auto blocks = defaultEncoderBlocks();
    EXPECT_EQ(blocks.twoLame.channelMode, 's');
    EXPECT_EQ(blocks.twoLame.bitrate, 192);
    EXPECT_EQ(blocks.ape.compressionLevel, 3000);
    EXPECT_EQ(blocks.wavPack.hybridBitrate, 800);
    EXPECT_EQ(blocks.neroAac.vbrPreset, 4);
    EXPECT_EQ(blocks.lame.algorithmQuality, 2);
    EXPECT_EQ(blocks.oggVorbis.quality, 8.0f);
    EXPECT_EQ(blocks.sonicFoundry.dialogNormIndex, 26);
    EXPECT_EQ(blocks.sonicFoundry.lfeFilter, 1);
    EXPECT_EQ(blocks.sonicFoundry.intelByteOrder, 1);
    EXPECT_EQ(blocks.sonicFoundry.slotStream[5], 5);
    EXPECT_EQ(blocks.surcodeDvd.dataRate, 768);
    EXPECT_EQ(blocks.ac3Library.sampleRate, 48000);
}

TEST(AnalyserSettingsFile, ShortFileLoadsWhatIsThereAndLeavesTheRest) {
    test::TempDir temp;
    auto stored = defaultAnalyserSettings();
    stored.conversion.targetSampleRate = 96000;
    std::vector<uint8_t> bytes(reinterpret_cast<uint8_t*>(&stored),
                               reinterpret_cast<uint8_t*>(&stored) + 616);
    writeFile(temp.file(kAnalyserSettingsFileName), bytes);

    AnalyserSettings loaded{}; // zero, as at start-up
    loadSettings(loaded, temp.dir());
    EXPECT_EQ(loaded.conversion.targetSampleRate, 96000);
    EncoderBlocks zero{};
    EXPECT_EQ(std::memcmp(&loaded.encoders, &zero, sizeof zero), 0);
    // Loading an existing file never rewrites it.
    EXPECT_EQ(readFile(temp.file(kAnalyserSettingsFileName)).size(), 616u);
}

TEST(AnalyserSettingsFile, RoundTripKeepsEveryByte) {
    test::TempDir temp;
    auto bytes = patternBytes(932);
    writeFile(temp.file(kAnalyserSettingsFileName), bytes);
    AnalyserSettings settings{};
    loadSettings(settings, temp.dir());
    ASSERT_TRUE(saveSettings(settings, temp.dir()));
    EXPECT_EQ(readFile(temp.file(kAnalyserSettingsFileName)), bytes);
}

TEST(AnalyserSettingsFile, LongerFileLoadsOnlyTheRecords) {
    test::TempDir temp;
    auto bytes = patternBytes(2000);
    writeFile(temp.file(kAnalyserSettingsFileName), bytes);
    AnalyserSettings settings{};
    loadSettings(settings, temp.dir());
    EXPECT_EQ(std::memcmp(&settings, bytes.data(), sizeof settings), 0);
}

TEST(AnalyserSettingsFile, UnwritableFolderIsNotAnError) {
    AnalyserSettings settings = defaultAnalyserSettings();
    EXPECT_FALSE(saveSettings(settings, "/nonexistent-folder-for-corvandale/"));
}

TEST(FixedText, UnterminatedFieldIsCutAtItsEnd) {
    ConversionSettings s{};
    std::memset(s.outputDirectory, 'x', sizeof s.outputDirectory);
    s.processDelay = 'y'; // the byte after the field must not be read as text
    EXPECT_EQ(fieldText(s.outputDirectory).size(), 520u);
    EXPECT_EQ(fieldText(s.outputDirectory).back(), 'x');
}

TEST(FixedText, TextThatDoesNotFitIsRefused) {
    char field[8];
    ASSERT_TRUE(setFieldText(field, "1234567"));
    EXPECT_EQ(fieldText(field), "1234567");
    EXPECT_FALSE(setFieldText(field, "12345678"));
    EXPECT_EQ(fieldText(field), "1234567");
}

TEST(BatcherSettingsFile, FirstStartWritesDefaults) {
    test::TempDir temp;
    BatcherSettings settings{};
    UsableFlags usable;
    usable.fill(true);
    loadBatcherSettings(settings, usable, temp.dir());

    auto bytes = readFile(temp.file(kBatcherSettingsFileName));
    ASSERT_EQ(bytes.size(), 6264u);
    for (int i = 0; i < kProgramCount; ++i) {
        EXPECT_EQ(bytes[i], 0);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[12 + 520 * i])), "C:\\");
    }
    EXPECT_EQ(bytes[6260], 1);
    EXPECT_EQ(bytes[6252], 0);
    EXPECT_EQ(at<uint32_t>(bytes, 6256), 0u);
    EXPECT_EQ(usable, UsableFlags{});
}

TEST(BatcherSettingsFile, EachUsableFlagDependsOnItsOwnPathAndSwitch) {
    test::TempDir temp;
    std::ofstream(temp.file("aacenc32.exe")) << "x";
    std::ofstream(temp.file("lame.exe")) << "x";
    auto settings = defaultBatcherSettings();
    setFieldText(settings.programPath[6], temp.file("aacenc32.exe"));
    setFieldText(settings.programPath[3], temp.file("mac.exe")); // removed from disk
    setFieldText(settings.programPath[8], temp.file("lame.exe"));
    settings.disabled[8] = 1;
    ASSERT_TRUE(saveBatcherSettings(settings, temp.dir()));

    BatcherSettings loaded{};
    UsableFlags usable{};
    loadBatcherSettings(loaded, usable, temp.dir());
    EXPECT_TRUE(usable[6]);
    EXPECT_FALSE(usable[3]);
    EXPECT_FALSE(usable[8]); // present but disabled
    EXPECT_EQ(fieldText(loaded.programPath[3]), "C:\\");
    EXPECT_EQ(fieldText(loaded.programPath[6]), temp.file("aacenc32.exe"));
    // The reset is written back at once.
    auto bytes = readFile(temp.file(kBatcherSettingsFileName));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[12 + 520 * 3])), "C:\\");
}

TEST(BatcherSettingsFile, ShortFileKeepsFieldsBeyondItsEnd) {
    test::TempDir temp;
    writeFile(temp.file(kBatcherSettingsFileName), std::vector<uint8_t>(12, 1));
    BatcherSettings loaded = defaultBatcherSettings();
    loaded.invertSonicSettings = 0;
    loaded.configurePage = 2;
    UsableFlags usable{};
    loadBatcherSettings(loaded, usable, temp.dir());
    EXPECT_EQ(loaded.disabled[11], 1);
    EXPECT_EQ(loaded.invertSonicSettings, 0);
    EXPECT_EQ(loaded.configurePage, 2u);
    EXPECT_EQ(readFile(temp.file(kBatcherSettingsFileName)).size(), 6264u);
}

TEST(BatcherSettingsFile, UnterminatedPathIsCutAndReset) {
    test::TempDir temp;
    auto bytes = defaultBatcherSettings();
    std::memset(bytes.programPath[4], 'a', kPathFieldSize); // runs into the next path
    ASSERT_TRUE(saveBatcherSettings(bytes, temp.dir()));
    BatcherSettings loaded{};
    UsableFlags usable{};
    loadBatcherSettings(loaded, usable, temp.dir());
    EXPECT_EQ(fieldText(loaded.programPath[4]), "C:\\");
    EXPECT_FALSE(usable[4]);
}

} // namespace
} // namespace corv

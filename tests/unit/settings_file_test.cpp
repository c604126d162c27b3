// The two settings files: first start, short and long files, round trips, usable programs.
#include "analyser/engine/settings_file.h"
#include "batcher/config/batcher_settings.h"
#include "batcher/config/configure_groups.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <tuple>

namespace corv {
namespace {

using test::Bytes;
using test::readFile;
using test::writeFile;

template <typename Record> Bytes bytesOf(const Record& record) {
    const auto* p = reinterpret_cast<const uint8_t*>(&record);
    return Bytes(p, p + sizeof record);
}

TEST(AnalyserSettingsFile, FirstStartShortAndLongFilesAndUnterminatedTexts) {
    test::TempDir temp;
    const std::string path = temp.file(kAnalyserSettingsFileName);
    AnalyserSettings settings{};
    loadSettings(settings, temp.dir());
    EXPECT_EQ(readFile(path), bytesOf(defaultAnalyserSettings()));
    EXPECT_EQ(bytesOf(settings), bytesOf(defaultAnalyserSettings()));

    // A short file loads what it holds, leaves the rest as it was, and stays short.
    auto stored = defaultAnalyserSettings();
    stored.conversion.targetSampleRate = 96000;
    Bytes prefix = bytesOf(stored);
    prefix.resize(616);
    writeFile(path, prefix);
    AnalyserSettings loaded{};
    loadSettings(loaded, temp.dir());
    EXPECT_EQ(loaded.conversion.targetSampleRate, 96000);
    EXPECT_EQ(bytesOf(loaded.encoders), bytesOf(EncoderBlocks{}));
    EXPECT_EQ(readFile(path).size(), 616u);

    // Every byte survives a load and a save; a longer file loads the record only.
    Bytes pattern(2000);
    for (size_t i = 0; i < pattern.size(); ++i)
        pattern[i] = static_cast<uint8_t>(i * 7 + 3);
    writeFile(path, pattern);
    loadSettings(loaded, temp.dir());
    ASSERT_TRUE(saveSettings(loaded, temp.dir()));
    EXPECT_EQ(readFile(path), Bytes(pattern.begin(), pattern.begin() + 932));
    EXPECT_FALSE(saveSettings(loaded, temp.file("no such folder") + "/"));

    // Unterminated text fields are cut at their end; a text too long for one is refused.
    ConversionSettings s{};
    std::memset(s.outputDirectory, 'x', sizeof s.outputDirectory);
    s.processDelay = 'y'; // the byte after the field must not be read as text
    EXPECT_EQ(fieldText(s.outputDirectory), std::string(520, 'x'));
    char field[8];
    ASSERT_TRUE(setFieldText(field, "1234567"));
    EXPECT_FALSE(setFieldText(field, "12345678"));
    EXPECT_EQ(fieldText(field), "1234567");
}

TEST(BatcherSettingsFile, FirstStartShortFilesAndTheUsableProgramsOfEachPathAndSwitch) {
    test::TempDir temp;
    BatcherSettings settings{};
    UsableFlags usable;
    usable.fill(true);
    loadBatcherSettings(settings, usable, temp.dir());
    EXPECT_EQ(readFile(temp.file(kBatcherSettingsFileName)), bytesOf(defaultBatcherSettings()));
    EXPECT_EQ(usable, UsableFlags{});

    // A short file keeps the fields beyond its end, and is written back whole.
    writeFile(temp.file(kBatcherSettingsFileName), Bytes(12, 1));
    settings.invertSonicSettings = 0;
    settings.configurePage = 2;
    loadBatcherSettings(settings, usable, temp.dir());
    EXPECT_EQ(settings.disabled[11], 1);
    EXPECT_EQ(settings.invertSonicSettings, 0);
    EXPECT_EQ(settings.configurePage, 2u);
    EXPECT_EQ(readFile(temp.file(kBatcherSettingsFileName)).size(), 6264u);

    // Each usable flag depends on its own path and switch.
    std::ofstream(temp.file("aacenc32.exe")) << "x";
    std::ofstream(temp.file("lame.exe")) << "x";
    settings = defaultBatcherSettings();
    setFieldText(settings.programPath[6], temp.file("aacenc32.exe"));
    setFieldText(settings.programPath[3], temp.file("mac.exe")); // removed from disk
    setFieldText(settings.programPath[8], temp.file("lame.exe"));
    settings.disabled[8] = 1;
    std::memset(settings.programPath[4], 'a', kPathFieldSize); // runs into the next path
    ASSERT_TRUE(saveBatcherSettings(settings, temp.dir()));

    BatcherSettings loaded{};
    usable.fill(true);
    loadBatcherSettings(loaded, usable, temp.dir());
    EXPECT_TRUE(usable[6]);
    EXPECT_FALSE(usable[3]);
    EXPECT_FALSE(usable[4]);
    EXPECT_FALSE(usable[8]); // present but disabled
    EXPECT_EQ(fieldText(loaded.programPath[6]), temp.file("aacenc32.exe"));
    EXPECT_EQ(fieldText(loaded.programPath[3]), "C:\\");
    EXPECT_EQ(fieldText(loaded.programPath[4]), "C:\\");
    // The reset is written back at once.
    EXPECT_EQ(readFile(temp.file(kBatcherSettingsFileName)), bytesOf(loaded));

    // "Jobs at once": zero (older files) is one per core, at most 8, and stays zero while chosen.
    for (auto [stored, cores, jobs] :
         {std::tuple{0, 2, 2}, {0, 1, 1}, {0, 64, 8}, {3, 2, 3}, {200, 2, 8}}) {
        loaded.jobsAtOnce = static_cast<uint8_t>(stored);
        EXPECT_EQ(jobsAtOnceOf(loaded, cores), jobs) << stored << " " << cores;
    }
    EXPECT_EQ(storedJobsAtOnce(0, 2, 2), 0);
    EXPECT_EQ(storedJobsAtOnce(0, 1, 2), 1);
    EXPECT_EQ(storedJobsAtOnce(4, 2, 2), 2);
}

TEST(ConfigureGroups, EachControlIdNamesItsProgramAndRole) {
    const std::tuple<int, int, GroupControl> known[] = {
        {3010, 0, GroupControl::Path},    {3013, 0, GroupControl::Download},
        {3091, 8, GroupControl::Disable}, {3103, 9, GroupControl::Download},
        {3160, 10, GroupControl::Path},   {3172, 11, GroupControl::Find}};
    for (auto [id, program, role] : known) {
        ASSERT_TRUE(groupCommandOf(id)) << id;
        EXPECT_EQ(groupCommandOf(id)->programIndex, program) << id;
        EXPECT_EQ(groupCommandOf(id)->control, role) << id;
        EXPECT_EQ(controlId(program, role), id);
    }
    for (int id : {3009, 3014, 3110, 3150, 3174})
        EXPECT_FALSE(groupCommandOf(id)) << id;
}

} // namespace
} // namespace corv

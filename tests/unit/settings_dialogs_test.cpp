// Texts, values and rules of the settings dialogs, without windows.
#include "analyser/ui/folder_choice.h"
#include "analyser/ui/preferences_values.h"
#include "platform/path.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <tuple>

namespace corv {
namespace {

struct Preferences : ::testing::Test {
    test::TempDir temp;
    AnalyserSettings settings = defaultAnalyserSettings();
    bool workerRunning = false;
    PreferencesEditor editor{settings, temp.dir(), [this] { return workerRunning; }};
    ConversionSettings& s = settings.conversion;
};

TEST_F(Preferences, OpensOnTheLevelItemOfTheStoredFlags) {
    s.amplifyDb = -3.5;
    const std::tuple<uint8_t, uint8_t, uint8_t, LevelChoice, const char*> cases[] = {
        {0, 0, 1, LevelChoice::None, ""},
        {1, 1, 1, LevelChoice::Amplify, "-3.50"},
        {0, 1, 0, LevelChoice::Normalize, "95.00"},
        {0, 1, 1, LevelChoice::NormalizeWithTempFile, "95.00"}};
    for (auto [amplify, normalize, withTempFile, level, text] : cases) {
        s.amplify = amplify, s.normalize = normalize, s.normalizeWithTempFile = withTempFile;
        EXPECT_EQ(editor.shown().level, level);
        EXPECT_EQ(editor.shown().levelText, text);
    }
}

TEST_F(Preferences, ApplyReadsNumbersLenientlyButKeepsNonFiniteOnes) {
    struct Case {
        LevelChoice level;
        const char *levelText, *amplitudeText;
        double amplifyDb, normalizeTarget;
        float amplitude;
        bool refused;
    } cases[] = {{LevelChoice::Normalize, "80", "0.5", 0.0, 0.8, 0.5f, false},
                 {LevelChoice::Amplify, " 6.5dB", "x", 6.5, 0.95, 0.0f, false},
                 {LevelChoice::Amplify, "inf", "2", 0.0, 0.95, 2.0f, true},
                 {LevelChoice::NormalizeWithTempFile, "nan", "1", 0.0, 0.95, 1.0f, true},
                 {LevelChoice::Normalize, "1e999", "1", 0.0, 0.95, 1.0f, true},
                 {LevelChoice::None, "inf", "-inf", 0.0, 0.95, 1.0f, true},
                 {LevelChoice::None, "", "1e39", 0.0, 0.95, 1.0f, true}};
    for (const Case& c : cases) {
        s = defaultConversionSettings();
        PreferencesValues v = editor.shown();
        v.level = c.level, v.levelText = c.levelText, v.pdfAmplitudeText = c.amplitudeText;
        ApplyOutcome outcome = editor.apply(v);
        EXPECT_EQ(outcome.numberRefused, c.refused) << c.levelText << " " << c.amplitudeText;
        EXPECT_EQ(s.amplifyDb, c.amplifyDb);
        EXPECT_EQ(s.normalizeTarget, c.normalizeTarget);
        EXPECT_EQ(s.pdfAmplitude, c.amplitude);
    }
}

TEST_F(Preferences, EveryCodeShownIsStoredAgainAndUnknownCodesStay) {
    const char* names[] = {"No shaping", "Triangular", "ATH based", "ATH lower amp"};
    for (int32_t code : {1, 2, 3, 4}) {
        s.noiseShaping = code;
        PreferencesValues v = editor.shown();
        ASSERT_GE(v.noiseShaping, 0);
        EXPECT_EQ(kNoiseShapingItems[v.noiseShaping].text, names[code - 1]);
        editor.apply(v);
        EXPECT_EQ(s.noiseShaping, code);
    }
    // Codes no list item or radio carries: nothing selected, nothing lost.
    s.outputFormat = 65, s.targetSampleType = 3, s.targetSampleRate = 22000, s.noiseShaping = 9;
    PreferencesValues v = editor.shown();
    EXPECT_EQ(std::tuple(v.outputFormat, v.sampleType, v.sampleRate, v.noiseShaping),
              std::tuple(-1, -1, -1, -1));
    editor.apply(v);
    EXPECT_EQ(std::tuple(s.outputFormat, s.targetSampleType, s.targetSampleRate, s.noiseShaping),
              std::tuple(65, 3, 22000, 9));
    v.outputFormat = 3, v.sampleType = 7, v.sampleRate = 11;
    editor.apply(v);
    EXPECT_EQ(std::tuple(s.outputFormat, s.targetSampleType, s.targetSampleRate),
              std::tuple(20, 256, 192000));
}

TEST_F(Preferences, ApplyWaitsWhileAConversionWorkerRuns) {
    PreferencesValues v = editor.shown();
    v.level = LevelChoice::Amplify, v.outputDirectory = "D:\\out\\";
    workerRunning = true;
    const AnalyserSettings before = settings;
    EXPECT_FALSE(editor.apply(v).applied);
    EXPECT_EQ(std::memcmp(&settings, &before, sizeof settings), 0);
    EXPECT_FALSE(std::filesystem::exists(temp.file(kAnalyserSettingsFileName)));
}

TEST(FolderChoice, FreeSpaceDecidesAndTheFolderEndsInASeparator) {
    const std::pair<std::optional<uint64_t>, std::string_view> cases[] = {
        {std::nullopt, kInvalidDirectoryText},
        {0, kNoFreeSpaceText},
        {999, kNoFreeSpaceText},
        {1000, ""},
        {1ull << 40, ""}};
    for (auto [bytes, refusal] : cases)
        EXPECT_EQ(freeSpaceRefusal(bytes), refusal);
    const std::string sep(1, kPathSeparator);
    EXPECT_EQ(withTrailingSeparator("out"), "out" + sep);
    EXPECT_EQ(withTrailingSeparator("out" + sep), "out" + sep);
}

} // namespace
} // namespace corv

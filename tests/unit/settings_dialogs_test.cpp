// Texts, values and rules of the settings dialogs, without windows.
#include "analyser/ui/folder_choice.h"
#include "analyser/ui/number_text.h"
#include "analyser/ui/preferences_values.h"
#include "platform/path.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>

namespace corv {
namespace {

TEST(FileSizeText, DotsBetweenThousands) {
    const std::pair<int64_t, const char*> cases[] = {{-1, "UNK"},
                                                     {0, "0 bytes"},
                                                     {999, "999 bytes"},
                                                     {1000, "1.000 bytes"},
                                                     {44100, "44.100 bytes"},
                                                     {999999, "999.999 bytes"},
                                                     {1000000, "1.000.000 bytes"},
                                                     {1234567, "1.234.567 bytes"},
                                                     {999999999, "999.999.999 bytes"},
                                                     {1000000000, "1.000.000.000 bytes"},
                                                     {4294967296, "4.294.967.296 bytes"},
                                                     {12345678901234, "12345.678.901.234 bytes"}};
    for (auto [size, text] : cases)
        EXPECT_EQ(fileSizeText(size), text);
}

struct Preferences : ::testing::Test {
    test::TempDir temp;
    AnalyserSettings settings = defaultAnalyserSettings();
    bool workerRunning = false;
    PreferencesEditor editor{settings, temp.dir(), [this] { return workerRunning; }};
    ConversionSettings& s = settings.conversion;
};

TEST_F(Preferences, LevelListRuleFromTheStoredFlagsAndNumbers) {
    s.amplifyDb = -3.5;
    struct Case {
        uint8_t amplify, normalize, withTempFile;
        LevelChoice shown;
        const char *text, *unit;
        bool textEnabled, scopesEnabled;
    } cases[] = {{0, 0, 1, LevelChoice::None, "", "", false, false},
                 {1, 1, 1, LevelChoice::Amplify, "-3.50", "dB", true, false},
                 {0, 1, 0, LevelChoice::Normalize, "95.00", "%", true, true},
                 {0, 1, 1, LevelChoice::NormalizeWithTempFile, "95.00", "%", true, true}};
    for (const Case& c : cases) {
        s.amplify = c.amplify, s.normalize = c.normalize, s.normalizeWithTempFile = c.withTempFile;
        PreferencesValues v = editor.shown();
        EXPECT_EQ(v.level, c.shown);
        EXPECT_EQ(v.levelText, c.text);
        EXPECT_EQ(levelView(v.level, s).unit, c.unit);
        EXPECT_EQ(enabledControls(v).levelText, c.textEnabled);
        EXPECT_EQ(enabledControls(v).normalizeScopes, c.scopesEnabled);
    }
}

TEST_F(Preferences, EachSwitchEnablesOnlyItsOwnControls) {
    using E = PreferencesEnables;
    const std::pair<bool PreferencesValues::*, bool E::*> rules[] = {
        {&PreferencesValues::sameAsInput, &E::outputDirectory},
        {&PreferencesValues::processDelay, &E::maintainLength},
        {&PreferencesValues::ignoreSizeInHeader, &E::sizeRadios},
        {&PreferencesValues::streamManipulation, &E::streamRadios},
        {&PreferencesValues::convertSampleType, &E::sampleTypeList},
        {&PreferencesValues::convertSampleRate, &E::sampleRateList},
        {&PreferencesValues::dither, &E::ditherControls}};
    const PreferencesValues off{};
    const E before = enabledControls(off);
    EXPECT_TRUE(before.outputDirectory); // the one enabled while its box is unchecked
    for (auto [sw, enable] : rules) {
        PreferencesValues on = off;
        on.*sw = true;
        E after = enabledControls(on);
        EXPECT_NE(after.*enable, before.*enable);
        after.*enable = before.*enable;
        EXPECT_EQ(std::memcmp(&after, &before, sizeof after), 0) << "a control of another switch";
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
    EXPECT_EQ(v.outputFormat, -1);
    EXPECT_EQ(v.sampleRate, -1);
    editor.apply(v);
    EXPECT_EQ(s.outputFormat, 65);
    EXPECT_EQ(s.targetSampleType, 3);
    EXPECT_EQ(s.targetSampleRate, 22000);
    EXPECT_EQ(s.noiseShaping, 9);
    v.outputFormat = 3, v.sampleType = 7, v.sampleRate = 11;
    editor.apply(v);
    EXPECT_EQ(s.outputFormat, 20);
    EXPECT_EQ(s.targetSampleType, 256);
    EXPECT_EQ(s.targetSampleRate, 192000);
}

TEST_F(Preferences, ApplySavesButWaitsForARunningWorkerAndSameAsInputIsStoredAtOnce) {
    const std::string file = temp.file(kAnalyserSettingsFileName);
    editor.sameAsInputClicked(false); // stored without Apply, nothing written
    EXPECT_EQ(s.sameAsInput, 0);
    EXPECT_FALSE(std::filesystem::exists(file));

    PreferencesValues v = editor.shown();
    v.outputDirectory = "D:\\out\\";
    v.level = LevelChoice::Normalize, v.levelText = "80";
    workerRunning = true;
    const AnalyserSettings before = settings;
    EXPECT_FALSE(editor.apply(v).applied);
    EXPECT_EQ(std::memcmp(&settings, &before, sizeof settings), 0);
    EXPECT_FALSE(std::filesystem::exists(file));

    workerRunning = false;
    ApplyOutcome outcome = editor.apply(v);
    EXPECT_TRUE(outcome.applied && outcome.saved);
    AnalyserSettings stored{};
    loadSettings(stored, temp.dir());
    EXPECT_EQ(std::memcmp(&stored, &settings, sizeof stored), 0);
    EXPECT_EQ(fieldText(stored.conversion.outputDirectory), "D:\\out\\");
    EXPECT_EQ(stored.conversion.normalizeTarget, 0.8);
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

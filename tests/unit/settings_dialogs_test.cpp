// Texts, values and rules of the settings and channel mapping dialogs,
// without windows: what they show for the stored settings, what Apply stores,
// the mapping form's rows and values, and what the mapping buttons do to the
// program's maps and "mappings.ini".
#include "analyser/ui/channel_map_editing.h"
#include "analyser/ui/channel_map_form.h"
#include "analyser/ui/folder_choice.h"
#include "analyser/ui/preferences_values.h"
#include "analyser/ui/user_actions.h"
#include "platform/path.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
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

TEST_F(Preferences, LevelItemAndNumbersAreShownAndReadBackLeniently) {
    s.amplifyDb = -3.5;
    const std::tuple<uint8_t, uint8_t, uint8_t, LevelChoice, const char*> shownLevels[] = {
        {0, 0, 1, LevelChoice::None, ""},
        {1, 1, 1, LevelChoice::Amplify, "-3.50"},
        {0, 1, 0, LevelChoice::Normalize, "95.00"},
        {0, 1, 1, LevelChoice::NormalizeWithTempFile, "95.00"}};
    for (auto [amplify, normalize, withTempFile, level, text] : shownLevels) {
        s.amplify = amplify, s.normalize = normalize, s.normalizeWithTempFile = withTempFile;
        EXPECT_EQ(editor.shown().level, level);
        EXPECT_EQ(editor.shown().levelText, text);
    }
    // Apply reads numbers leniently but keeps the stored ones for non-finite text.
    struct Case {
        LevelChoice level;
        const char *levelText, *amplitudeText;
        double amplifyDb, normalizeTarget;
        float amplitude;
        bool refused;
    } applied[] = {{LevelChoice::Normalize, "80", "0.5", 0.0, 0.8, 0.5f, false},
                   {LevelChoice::Amplify, " 6.5dB", "x", 6.5, 0.95, 0.0f, false},
                   {LevelChoice::Amplify, "inf", "2", 0.0, 0.95, 2.0f, true},
                   {LevelChoice::NormalizeWithTempFile, "nan", "1", 0.0, 0.95, 1.0f, true},
                   {LevelChoice::Normalize, "1e999", "1", 0.0, 0.95, 1.0f, true},
                   {LevelChoice::None, "inf", "-inf", 0.0, 0.95, 1.0f, true},
                   {LevelChoice::None, "", "1e39", 0.0, 0.95, 1.0f, true}};
    for (const Case& c : applied) {
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

TEST(PreferencesEnables, EachSwitchAndLevelChoiceEnablesOnlyItsOwnControls) {
    using Flags = std::array<bool, 9>; // in the order of PreferencesEnables
    auto flags = [](const PreferencesValues& v) {
        auto [a, b, c, d, e, f, g, h, i] = enabledControls(v);
        return Flags{a, b, c, d, e, f, g, h, i};
    };
    const std::pair<void (*)(PreferencesValues&), Flags> cases[] = {
        {[](PreferencesValues&) {}, {1, 0, 0, 0, 0, 0, 0, 0, 0}},
        {[](PreferencesValues& v) { v.sameAsInput = true; }, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {[](PreferencesValues& v) { v.processDelay = true; }, {1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {[](PreferencesValues& v) { v.ignoreSizeInHeader = true; }, {1, 0, 1, 0, 0, 0, 0, 0, 0}},
        {[](PreferencesValues& v) { v.streamManipulation = true; }, {1, 0, 0, 1, 0, 0, 0, 0, 0}},
        {[](PreferencesValues& v) { v.convertSampleType = true; }, {1, 0, 0, 0, 1, 0, 0, 0, 0}},
        {[](PreferencesValues& v) { v.convertSampleRate = true; }, {1, 0, 0, 0, 0, 1, 0, 0, 0}},
        {[](PreferencesValues& v) { v.level = LevelChoice::Amplify; }, {1, 0, 0, 0, 0, 0, 1, 0, 0}},
        {[](PreferencesValues& v) { v.level = LevelChoice::Normalize; },
         {1, 0, 0, 0, 0, 0, 1, 1, 0}},
        {[](PreferencesValues& v) { v.level = LevelChoice::NormalizeWithTempFile; },
         {1, 0, 0, 0, 0, 0, 1, 1, 0}},
        {[](PreferencesValues& v) { v.dither = true; }, {1, 0, 0, 0, 0, 0, 0, 0, 1}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        PreferencesValues v;
        cases[i].first(v);
        EXPECT_EQ(flags(v), cases[i].second) << "case " << i;
    }
}

TEST_F(Preferences, EveryCodeShownIsStoredAgainUnknownCodesStayAndARunBlocksApply) {
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
    // While a conversion worker runs, Apply and "Same as input file" wait.
    std::filesystem::remove(temp.file(kAnalyserSettingsFileName));
    v = editor.shown();
    v.level = LevelChoice::Amplify, v.outputDirectory = "D:\\out\\";
    workerRunning = true;
    const AnalyserSettings before = settings;
    EXPECT_FALSE(editor.apply(v).applied);
    EXPECT_FALSE(editor.sameAsInputClicked(false));
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

ChannelMap moveMap(int32_t in, std::vector<int32_t> table, std::string description = "") {
    return ChannelMap{in, static_cast<int32_t>(table.size()), std::move(table), {}, description};
}

TEST(ChannelMapForm, ChoicesWeightsAndDescriptionsAreStoredSoundly) {
    const std::string longText(600, 'x');
    const ChannelMap fine{1, 2, {}, {0.70711, 0.3}, ""};
    struct Case {
        ChannelMap before;
        MapForm typed;
        std::vector<int32_t> moves;
        std::vector<double> weights;
        std::string description;
    } cases[] = {
        // A new map left empty moves silence; -1 and positions past the inputs name no channel.
        {blankMap(2, 2, false), {{0, 0}, {}, "front#rear"}, {-1, -1}, {}, "front_rear"},
        {moveMap(3, {0, 0, 0}), {{3, -1, 9}, {}, "a\r\nb"}, {2, -1, -1}, {}, "a  b"},
        {blankMap(2, 4, true),
         {{}, {"0.5", "inf", "nan", "1e999", "abc", "", " 0.25x", "-1"}, ""},
         {},
         {0.5, 0, 0, 0, 0, 0, 0.25, -1},
         ""},
        // Unchanged, a description longer than the field stays whole; typed, it is taken.
        {moveMap(2, {1, 0}, longText + "#"),
         formOf(moveMap(2, {1, 0}, longText + "#")),
         {1, 0},
         {},
         longText + "#"},
        {moveMap(2, {1, 0}, longText), {{2, 1}, {}, "short#"}, {1, 0}, {}, "short_"},
        // What the form cannot show stays as stored unless it is changed.
        {moveMap(2, {5, 1}), formOf(moveMap(2, {5, 1})), {5, 1}, {}, ""},
        {fine, {{}, {"0.707", "0.5"}, ""}, {}, {0.70711, 0.5}, ""},
    };
    for (const Case& c : cases) {
        ChannelMap stored = storedMap(c.before, c.typed);
        EXPECT_EQ(stored.inChannels, c.before.inChannels);
        EXPECT_EQ(stored.moveTable, c.moves);
        EXPECT_EQ(stored.mixMatrix, c.weights);
        EXPECT_EQ(stored.description, c.description);
    }
    MapForm shown = formOf(ChannelMap{2, 1, {}, {0.5, 0}, ""});
    EXPECT_EQ(shown.weights, (std::vector<std::string>{"0.500", ""}));
    EXPECT_EQ(formOf(moveMap(2, {5, 1, -1})).sources, (std::vector<int>{0, 2, 0}));
    const ChannelMap most = blankMap(10, 10, true), tall = blankMap(2, 11, false);
    EXPECT_EQ(decideView(2, &most), ViewChoice::SelectOne);
    EXPECT_EQ(decideView(1, &tall), ViewChoice::TooManyChannels);
    EXPECT_EQ(decideView(1, &most), ViewChoice::Open);
    for (auto [rows, height] : {std::pair{1, 220}, {2, 220}, {3, 260}, {10, 540}})
        EXPECT_EQ(MapFormLayout(rows, 10).windowHeight(), height);
}

struct MapEditing : ::testing::Test {
    // The program's list as read at start, before the dialog opens over it.
    ChannelMapList started() {
        std::ofstream(temp.file(kMapsFileName))
            << "2->2#move#active#swap\n1 0 \n6->2#mix#active#down\n\n2->1#move#inactive#left\n0 \n";
        ChannelMapList maps;
        loadMaps(maps, temp.dir(), false);
        return maps;
    }
    test::TempDir temp;
    ChannelMapList live = started();
    AnalyserSettings settings = defaultAnalyserSettings();
    bool running = false;
    ChannelMapEditor editor{live, settings, temp.dir(), [this] { return running; }};
};

TEST_F(MapEditing, OnlyApplyWaitsForAConversionAndCancelReadsTheFileAgainAfterIt) {
    running = true;
    editor.change(2, moveMap(2, {1}, "right"));
    editor.remove({1, 0});
    EXPECT_EQ(editor.maps().maps()[0].description, "right");
    EXPECT_EQ(editor.apply({false}, false, MapButton::Ok).message, kWaitForConversionMessage);
    EXPECT_EQ(settings.conversion.channelMappingEnabled, 0);
    std::ofstream(temp.file(kMapsFileName)) << "2->2#move#active#swap\n1 0 \n6->2#mix#active#\n\n";
    editor.cancel(); // the program's list stays the run's
    EXPECT_EQ(live.maps().size(), 3u);
    running = false;
    editor.cancel();
    EXPECT_EQ(live.maps().size(), 2u);
    EXPECT_EQ(live.activeMapFor(6), &live.maps()[1]);

    ChannelMapEditor reopened{live, settings, temp.dir(), [this] { return running; }};
    reopened.add(moveMap(2, {0, 1}, "straight")); // a second map from 2 channels
    const std::vector<bool> twoFromStereo{true, false, true};
    EXPECT_EQ(reopened.apply(twoFromStereo, true, MapButton::Ok).message,
              "Double mapping for 2 channels. Please remove a mapping.");
    EXPECT_EQ(reopened.apply(twoFromStereo, true, MapButton::Apply).message,
              "Multiple mappings for 2 channels. Please remove a mapping.");
    EXPECT_EQ(live.activeMapFor(2), &live.maps()[0]); // nothing taken
    EXPECT_TRUE(reopened.apply({false, true, true}, true, MapButton::Apply).done);
    EXPECT_EQ(live.activeMapFor(2), &live.maps()[2]);
    EXPECT_EQ(live.activeMapFor(6), &live.maps()[1]);

    std::filesystem::remove(temp.file(kMapsFileName));
    std::filesystem::create_directory(temp.file(kMapsFileName)); // cannot be written
    EXPECT_EQ(editor.apply({}, true, MapButton::Ok).message, kMapsNotSavedMessage);
}

} // namespace
} // namespace corv

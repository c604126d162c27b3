// The channel mapping dialogs without windows: rows, the form's values, and
// what the buttons do to the program's maps and "mappings.ini".
#include "analyser/ui/channel_map_editing.h"
#include "analyser/ui/channel_map_form.h"
#include "analyser/ui/user_actions.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace corv {
namespace {

ChannelMap moveMap(int32_t in, std::vector<int32_t> table, std::string description = "") {
    return ChannelMap{in, static_cast<int32_t>(table.size()), std::move(table), {}, description};
}

TEST(ChannelMapForm, ChoicesWeightsAndDescriptionsAreStoredSoundly) {
    const std::string longText(600, 'x');
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
        // A source past the inputs shows the empty entry and comes back as silence.
        {moveMap(2, {5, 1}), formOf(moveMap(2, {5, 1})), {-1, 1}, {}, ""},
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
}

TEST(ChannelMapForm, ViewOpensOneMapOfAtMostTenByTenAndMixFormsGrowWithTheInputs) {
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

TEST_F(MapEditing, DeleteApplyAndCancelWaitForAConversionAndCancelReadsTheFileAgain) {
    running = true;
    for (const MapsOutcome& outcome : {editor.remove({0}), editor.cancel(),
                                       editor.apply({false, false, false}, false, MapButton::Ok)})
        EXPECT_EQ(outcome.message, kWaitForConversionMessage);
    EXPECT_EQ(editor.maps().maps().size(), 3u);
    EXPECT_EQ(settings.conversion.channelMappingEnabled, 0);

    running = false;
    editor.change(2, moveMap(2, {1}, "right"));
    EXPECT_TRUE(editor.remove({1, 0}).done);
    EXPECT_EQ(editor.maps().maps()[0].description, "right");
    EXPECT_EQ(live.maps().size(), 3u); // the program's list keeps them until Apply
    EXPECT_TRUE(editor.cancel().done);
    EXPECT_EQ(live.maps().size(), 3u);
    EXPECT_EQ(live.activeMapFor(6), &live.maps()[1]);

    std::filesystem::remove(temp.file(kMapsFileName));
    std::filesystem::create_directory(temp.file(kMapsFileName)); // cannot be written
    EXPECT_EQ(editor.apply({}, true, MapButton::Ok).message, kMapsNotSavedMessage);
}

} // namespace
} // namespace corv

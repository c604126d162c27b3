// Channel maps: the file's two-line records read, written and imported at start-up.
#include "analyser/engine/channel_maps.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace corv {
namespace {

ChannelMapList readText(std::string_view text) {
    ChannelMapList list;
    readMaps(list, text);
    return list;
}

std::vector<int64_t> inCounts(const ChannelMapList& list) {
    std::vector<int64_t> counts;
    for (const auto& map : list.maps())
        counts.push_back(map.inChannels);
    return counts;
}

TEST(ChannelMaps, MoveAndMixMapsSurviveAWriteAndReadBack) {
    auto list = readText("2->2#move#active#swap\n1 0 \n"
                         "2->3#mix#inactive#up # with hash\n0.5 0.25 -1 1.5 0 0.125 \n");
    ASSERT_EQ(list.maps().size(), 2u);
    EXPECT_EQ(list.maps()[0].moveTable, (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(list.maps()[0].description, "swap");
    EXPECT_EQ(list.maps()[1].mixMatrix, (std::vector<double>{0.5, 0.25, -1, 1.5, 0, 0.125}));
    EXPECT_EQ(list.maps()[1].description, "up # with hash");
    EXPECT_EQ(list.activeMapFor(2), &list.maps()[0]);

    std::string text = writeMaps(list);
    EXPECT_NE(text.find("2->2#move#active#swap"), std::string::npos);
    EXPECT_NE(text.find("0.500 0.250 -1.000 1.500 0.000 0.125 "), std::string::npos);
    EXPECT_EQ(writeMaps(readText(text)), text); // read back as written, states and all
}

TEST(ChannelMaps, CrlfLinesAndAShortSecondLineReadLikePlainOnes) {
    auto list = readText("3->4#move#active#d\r\n2 \r\n2->2#mix#active#\r\n0.5\r\n");
    ASSERT_EQ(list.maps().size(), 2u);
    EXPECT_EQ(list.maps()[0].description, "d");
    // Missing numbers are silence; an index past the input count is kept as read.
    EXPECT_EQ(list.maps()[0].moveTable, (std::vector<int32_t>{2, -1, -1, -1}));
    EXPECT_EQ(list.maps()[1].description, "");
    EXPECT_EQ(list.maps()[1].mixMatrix, (std::vector<double>{0.5, 0, 0, 0}));
    EXPECT_EQ(list.activeMapFor(3), &list.maps()[0]);
}

TEST(ChannelMaps, MalformedFirstLineEndsReadingAndCountsOutsideTheLimitsAreSkipped) {
    for (const char* bad :
         {"2->2#copy#active#x\n0 1 \n", "2-2#move#active#x\n0 1 \n", "2->2\n0 1 \n", "\n"}) {
        auto list =
            readText(std::string("1->1#move#active#a\n0 \n") + bad + "1->2#move#active#b\n0 0 \n");
        EXPECT_EQ(inCounts(list), (std::vector<int64_t>{1})) << bad;
    }
    auto list = readText("0->2#move#active#\n0 0 \n"
                         "-3->2#move#active#\n0 0 \n"
                         "2->0#mix#active#\n\n"
                         "1000->2#move#active#\n0 0 \n"
                         "2->1001#move#active#\n0 \n"
                         "99999999999999999999->2#move#active#\n0 0 \n"
                         "999->1000#move#active#top\n5 \n");
    ASSERT_EQ(inCounts(list), (std::vector<int64_t>{999}));
    EXPECT_EQ(list.maps()[0].moveTable.size(), 1000u);
    EXPECT_EQ(list.activeMapFor(999), &list.maps()[0]);
    EXPECT_EQ(list.activeMapFor(0), nullptr);
    EXPECT_EQ(list.activeMapFor(-3), nullptr);
    EXPECT_EQ(list.activeMapFor(1000), nullptr);
}

TEST(ChannelMaps, LaterActiveMapOfACountWinsAndTheEarlierIsSavedInactive) {
    auto list = readText("2->1#move#active#first\n0 \n2->1#move#active#second\n1 \n");
    EXPECT_EQ(list.activeMapFor(2), &list.maps()[1]);
    std::string written = writeMaps(list);
    std::erase(written, '\r'); // Windows writes "\r\n"
    EXPECT_EQ(written, "2->1#move#inactive#first\n0 \n2->1#move#active#second\n1 \n");
}

// Appending refuses bad counts and tables of the wrong size; a removed or
// replaced map leaves the other counts' active maps as they were.
TEST(ChannelMaps, EditsKeepTheListSound) {
    auto list =
        readText("2->2#move#active#a\n0 1 \n6->2#move#active#b\n0 1 \n1->1#move#active#\n0 \n");
    EXPECT_FALSE(list.append(ChannelMap{0, 1, {0}, {}, ""}, true));
    EXPECT_FALSE(list.append(ChannelMap{2, 2, {0}, {}, ""}, true));
    EXPECT_FALSE(list.append(ChannelMap{2, 2, {0, 1}, {1, 0, 0, 1}, ""}, true));
    EXPECT_EQ(list.maps().size(), 3u);
    list.remove(1);
    EXPECT_EQ(list.activeMapFor(6), nullptr);
    EXPECT_EQ(list.activeMapFor(1), &list.maps()[1]);
    EXPECT_FALSE(list.replace(0, ChannelMap{3, 1, {0}, {}, ""})); // another input count
    EXPECT_TRUE(list.replace(0, ChannelMap{2, 1, {}, {0.5, 0.5}, "mix"}));
    EXPECT_EQ(list.activeMapFor(2)->description, "mix");
    EXPECT_TRUE(list.append(ChannelMap{6, 1, {}, std::vector<double>(6, 0.5), ""}, true));
    EXPECT_EQ(list.activeMapFor(6), &list.maps()[2]);
}

TEST(ChannelMaps, StartUpImportPutsNewMapsFirstInactiveAndRenamesTheirFile) {
    test::TempDir temp;
    test::writeText(temp.file(kMapsFileName), "2->2#move#active#old\n1 0 \n");
    test::writeText(temp.file(kMapsImportFileName),
                    "2->2#move#active#new\r\n0 0 \r\n6->2#mix#active#down\r\n\r\n");
    test::writeText(temp.file(kMapsImportedFileName), "earlier import");

    ChannelMapList list;
    loadMapsAtStartUp(list, temp.dir());

    EXPECT_FALSE(std::filesystem::exists(temp.file(kMapsImportFileName)));
    EXPECT_EQ(test::readText(temp.file(kMapsImportedFileName)).substr(0, 22),
              "2->2#move#active#new\r\n");
    ASSERT_EQ(inCounts(list), (std::vector<int64_t>{2, 6, 2}));
    EXPECT_EQ(list.activeMapFor(2), &list.maps()[2]);
    EXPECT_EQ(list.activeMapFor(6), nullptr);

    ChannelMapList saved;
    ASSERT_TRUE(readMapsFile(saved, temp.file(kMapsFileName)));
    ASSERT_EQ(saved.maps().size(), 3u);
    EXPECT_EQ(saved.maps()[0].description, "new");
    EXPECT_EQ(saved.maps()[1].mixMatrix.size(), 12u);
    EXPECT_EQ(saved.maps()[2].description, "old");
    EXPECT_TRUE(saved.isActive(2));
    EXPECT_FALSE(saved.isActive(0) || saved.isActive(1));

    // Nothing new at the next start: the same maps, read once.
    ChannelMapList next;
    loadMapsAtStartUp(next, temp.dir());
    EXPECT_EQ(next.maps().size(), 3u);
}

TEST(ChannelMaps, AnImportThatCannotBeMovedAsideWaitsAndComesInOnce) {
    test::TempDir temp;
    test::writeText(temp.file(kMapsFileName), "2->2#move#active#old\n1 0 \n");
    test::writeText(temp.file(kMapsImportFileName), "6->2#mix#active#down\n\n");
    // A folder that holds something can be neither removed nor renamed onto.
    const std::filesystem::path blocker = temp.file(kMapsImportedFileName);
    std::filesystem::create_directories(blocker / "kept");

    ChannelMapList list;
    EXPECT_FALSE(loadMapsAtStartUp(list, temp.dir()));
    EXPECT_EQ(inCounts(list), (std::vector<int64_t>{2}));
    EXPECT_TRUE(std::filesystem::exists(temp.file(kMapsImportFileName)));

    std::filesystem::remove_all(blocker);
    ChannelMapList next;
    EXPECT_TRUE(loadMapsAtStartUp(next, temp.dir()));
    EXPECT_EQ(inCounts(next), (std::vector<int64_t>{6, 2}));
}

} // namespace
} // namespace corv

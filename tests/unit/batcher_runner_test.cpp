// The portable rules of the job runners: progress read from a console
// screen, percentages and totals, the screen dump, the Surcode time display.
#include "batcher/core/console_screen.h"
#include "batcher/core/job_progress.h"
#include "batcher/encoders/window_encoders.h"
#include "batcher_test_support.h"

#include <gtest/gtest.h>

#include <climits>

namespace corv {
namespace {

TEST(ConsoleScreen, ProgressNumberFollowsTheMarkerAndTheSeparatorRule) {
    const std::string lame = "Encoding x.wav ( 9%)\nFrame | ETA\n  512/1024 ( 50%)| 0:01 (x)";
    const std::string ape = "Progress: 10.0% Progress: 20.5%\nProgress: 30.0%";
    struct Case {
        std::string screen, marker;
        char separator;
        bool first;
        std::optional<int64_t> expected;
    } cases[] = {
        {lame, "ETA", '(', true, 50}, // the first separator after the marker, not before it
        {lame, "ETA", '(', false, std::nullopt}, // the last one: "(x)" has no figure (yet)
        {ape, "Progress", ':', false, 30},       // several progress lines: the last counts
        {ape, "Progress", ':', true, 10},
        {lame, "quality", '(', true, std::nullopt}, // no marker
        {lame, "ETA", '[', true, std::nullopt},     // no separator
        {"ETA [ -7", "ETA", '[', true, -7},
        {"ETA:" + std::string(30, '9'), "ETA", ':', true, int64_t{1} << 40}, // bounded
    };
    for (const Case& c : cases)
        EXPECT_EQ(progressNumber(c.screen, c.marker, c.separator, c.first), c.expected)
            << c.screen << " / " << c.marker;
}

TEST(ConsoleScreen, DumpFramesEightyColumnRowsAndPadsTheLastOne) {
    std::string screen;
    for (int i = 0; i < kScreenDumpChars; ++i)
        screen += static_cast<char>('a' + i / kConsoleColumns % 26);
    std::string dump = screenDump(screen);
    const std::string rule(80, '_');
    EXPECT_EQ(
        dump.rfind("\tScreen dump:\r\n\t " + rule + "\r\n\t|" + std::string(80, 'a') + "|\r\n", 0),
        0u);
    // 25 rows, the last of 79 characters and one added blank, then the bottom border.
    EXPECT_TRUE(dump.ends_with("\t|" + std::string(79, 'y') + " |\r\n\t|" + rule + "|\r\n"));
    EXPECT_EQ(dump.size(), 15 + 84 + 25 * 85 + 85u);
    EXPECT_EQ(screenDump(""), "\tScreen dump:\r\n\t " + rule + "\r\n\t|" + rule + "|\r\n");
}

TEST(JobProgress, PercentagesAndTotalsStayFiniteAndPositive) {
    EXPECT_EQ(percentOf(50, 100), 50);
    EXPECT_EQ(percentOf(150, 100), 150); // the log shows it, the bar stops at its end
    EXPECT_EQ(percentOf(7, 0), 700);     // a total below 1 counts as 1
    EXPECT_EQ(percentOf(1, 3), 33);
    EXPECT_EQ(percentOf(int64_t{1} << 40, 1), INT_MAX);
    EXPECT_EQ(percentOf(90500, 180000), 50);

    struct Case {
        int32_t type;
        uint64_t frames;
        uint32_t rate;
        char mode;
        int total;
    } cases[] = {
        {1002, 115200, 44100, 's', 75},
        {1002, 115200, 44100, 'm', 87},
        {1002, uint64_t{3} << 31, 44100, 'j', 4194303}, // not the negative low 32 bits
        {1002, 100, 44100, 'j', 1},
        {1000, 441000, 48000, 0, 10000}, // CD Pro counts at 44100 Hz
        {1001, 480000, 48000, 0, 10000},
        {1001, 480000, 0, 0, 1},           // any process can send a rate of 0
        {1001, UINT64_MAX, 1, 0, INT_MAX}, // clamped
        {1008, 480000, 48000, 0, 100},
    };
    for (const Case& c : cases) {
        auto job = test::makeJob(c.type);
        job->frameCount = c.frames;
        job->sampleRate = c.rate;
        job->settings.twoLame.channelMode = c.mode;
        EXPECT_EQ(progressTotalOf(*job), c.total) << c.type << " " << c.frames;
    }
}

TEST(WindowEncoders, TheSurcodeTimeDisplayIsReadAsAtoiReadsEachPart) {
    EXPECT_EQ(elapsedMilliseconds("00:01:30.50"), 90500);
    EXPECT_EQ(elapsedMilliseconds("01:00:00.01"), 3600010);
    EXPECT_EQ(elapsedMilliseconds("12:3"),
              12 * 3600000 + 3 * 60000); // short, read as far as it goes
    EXPECT_TRUE(isTimeDisplay("00:00:10.00"));
    for (std::string_view text : {"00:00:10.0", "00-00:10.00", "00:00:10:00", ""})
        EXPECT_FALSE(isTimeDisplay(text)) << text;
}

} // namespace
} // namespace corv

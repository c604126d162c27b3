// The job runners' portable rules: progress read from real console screens, totals, the
// screen dump, Surcode's registry and time, RunJobs, and RunAc3Job on the ac3enc.dll stand-in.
#include "batcher/core/ac3_job.h"
#include "batcher/core/console_screen.h"
#include "batcher/core/job_end.h"
#include "batcher/core/job_progress.h"
#include "batcher/core/progress_reading.h"
#include "batcher/core/run_jobs.h"
#include "batcher/encoders/text_format.h"
#include "batcher/encoders/window_encoders.h"
#include "batcher_test_support.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <map>

extern "C" {
void AC3_encode_version(uint8_t* record);
int AC3_encode_init(const uint8_t* record);
int AC3_encode_frame(uint8_t* output, const uint8_t* input);
void AC3_encode_close();
}

namespace corv {
namespace {

TEST(ConsoleScreen, ProgressNumberFollowsTheMarkerAndSeparatorAndTheDumpFramesEachRow) {
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

    // The dump frames rows of 80 columns and pads the last one.
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

TEST(JobProgress, PercentagesAndTotalsStayFiniteAndPositiveAndOnlyRisingOnesCount) {
    EXPECT_EQ(percentOf(50, 100), 50);
    EXPECT_EQ(percentOf(150, 100), 150); // read, but kept from the log by RisingPercent
    EXPECT_EQ(percentOf(7, 0), 700);     // a total below 1 counts as 1
    EXPECT_EQ(percentOf(1, 3), 33);
    EXPECT_EQ(percentOf(int64_t{1} << 40, 1), INT_MAX);

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
    // Only rising readings up to 100 count.
    RisingPercent rising;
    std::vector<int> counted;
    for (int percent : {0, 5, 5, 3, 31, 30, 150, 99, 100, 100})
        if (rising.rises(percent)) counted.push_back(percent);
    EXPECT_EQ(counted, (std::vector<int>{5, 31, 99, 100}));
}

// A snapshot of tests/data/screens as the runner reads it: 65 rows of 80 characters (the
// file cuts their trailing blanks), the cursor from its "# cursor N" line (or 0).
std::pair<std::string, int> snapshot(const std::string& name) {
    std::ifstream in(CORV_SCREEN_SNAPSHOTS "/" + name);
    EXPECT_TRUE(in) << name;
    std::string screen, row;
    int cursor = 0;
    while (std::getline(in, row)) {
        if (row.starts_with("# cursor ")) {
            cursor = std::stoi(row.substr(9));
            continue;
        }
        row.resize(kConsoleColumns, ' ');
        screen += row;
    }
    screen.resize(kScreenReadChars, ' ');
    return {screen, cursor};
}

// The reading of a job on somefile.wav, with the hints its command line gets.
ProgressReading readingOf(int32_t type) {
    auto job = test::makeJob(type);
    job->settings.twoLame.channelMode = 's';
    job->settings.oggVorbis.qualityMode = 1;
    auto built = test::buildCommand(*job, BatcherSettings{}, true);
    EXPECT_TRUE(built->outcome.ok);
    return ProgressReading(type, *built->record);
}

TEST(ProgressReading, SnapshotsOfEachEncodersScreenReadRight) {
    struct Case {
        const char* file;
        int32_t type;
        std::optional<int> percent;
        bool shows = true;
        std::optional<int> cursor = std::nullopt; // instead of the file's
    } cases[] = {
        // Captured from today's encoders by screen_capture (scripts/test-real-encoders.sh).
        {"lame-3.100-running.txt", 1008, 39},
        {"flac-1.4.2-banner.txt", 1004, std::nullopt, false},
        {"flac-1.4.2-running.txt", 1004, 36},
        {"flac-1.4.2-torn.txt", 1004, std::nullopt},        // the cursor inside its line
        {"flac-1.4.2-torn-moving.txt", 1004, std::nullopt}, // "1" of "10%", the cursor moving
        {"flac-1.4.2-final.txt", 1004, std::nullopt},       // "wrote ... bytes": no figure
        {"wavpack-5.6.0-running.txt", 1005, 51},
        {"wavpack-5.6.0-final.txt", 1005, std::nullopt}, // its ratio is no progress
        {"twolame-0.4.0-running.txt", 1002, 41},         // its own frame count, not the job's total
        {"twolame-0.4.0-torn.txt", 1002, std::nullopt},  // "369/766 (46%)"
        {"twolame-0.4.0-final.txt", 1002, 100},
        {"mpcenc-1.30.1-running.txt", 1007, 22},
        {"mpcenc-1.30.1-torn.txt", 1007, std::nullopt},
        {"mpcenc-1.30.1-torn.txt", 1007, std::nullopt, true, 0}, // the play times disagree
        {"mpcenc-1.30.1-final.txt", 1007, 100},
        // Written by hand from the texts that the marker rules name.
        {"twolame-ancillary-bits.txt", 1002, 50}, // 150 of the job's 300 frames
        {"ape-progress.txt", 1003, 37},
        {"nero-frame.txt", 1006, 25},
        {"oggenc-quality.txt", 1009, 42},
    };
    for (const Case& c : cases) {
        ProgressReading reading = readingOf(c.type);
        auto [screen, cursor] = snapshot(c.file);
        EXPECT_EQ(reading.shows(screen), c.shows) << c.file;
        // A TwoLAME job's progress total counts frames (300 here), the others' 100.
        int total = c.type == 1002 ? 300 : 100;
        EXPECT_EQ(reading.percent(screen, c.cursor.value_or(cursor), total), c.percent) << c.file;
    }
}

TEST(JobEnd, AStopRemovesTheOutputUnlessTheEncoderHadFinishedByItself) {
    EXPECT_EQ(jobEndOf({false, true, 3}).removeOutput, false); // failed, but left as it is
    EXPECT_EQ(jobEndOf({true, true, 0}).logLine, kFinishedBeforeStopLine);
    for (ProgramEnd cut : {ProgramEnd{true, false, 0}, {true, true, 3}, {true, false, {}}})
        EXPECT_TRUE(jobEndOf(cut).removeOutput && jobEndOf(cut).logLine == kUserAbortedLine);
}

// The Surcode registry values as name=value lines, the ones logged marked.
std::string registryOf(const JobRecord& job) {
    std::string all;
    for (const RegistryValue& v : surcodeRegistryValues(job, "C:\\out.dts"))
        all += v.name + "=" + (v.isNumber ? std::to_string(v.number) : v.text) +
               (v.logLine.empty() ? "" : "*") + "|";
    return all;
}

TEST(WindowEncoders, SurcodeGetsItsSlotsDvdNumbersAndTimeReadAndSonicItsTextFile) {
    test::TempDir dir;
    test::writeFile(dir.file("l.wav"), test::Bytes(4, 0));
    test::writeFile(dir.file("ls.wav"), test::Bytes(4, 0));
    auto job = test::makeJob(JobType::SurcodeDvd);
    setFieldText(job->settings.surcode.channelFiles[0], dir.file("l.wav"));
    setFieldText(job->settings.surcode.channelFiles[1], dir.file("missing.wav"));
    setFieldText(job->settings.surcode.channelFiles[4], dir.file("ls.wav"));
    job->sampleRate = 48000;
    job->settings.surcode.dataRate = 768;
    job->settings.surcode.attenuateRear = 1;
    const std::string files = "WAVEFILE7=C:\\out.dts*|WAVEFILE1=" + dir.file("l.wav") +
                              "*|WAVEFILE3=" + dir.file("ls.wav") + "*|";
    EXPECT_EQ(registryOf(*job), files + "SAMPLING RATE=0|SURROUND DOWNMIX=1|DTS BITRATE INDEX=2|");
    job->sampleRate = 44100;
    job->settings.surcode.dataRate = 1234;
    job->settings.surcode.attenuateRear = 0;
    EXPECT_EQ(registryOf(*job), files + "SAMPLING RATE=1|SURROUND DOWNMIX=0|DTS BITRATE INDEX=0|");
    job->jobType = static_cast<int32_t>(JobType::SurcodeCdPro);
    EXPECT_EQ(registryOf(*job), files);

    // Surcode's time display is read as atoi reads each part.
    EXPECT_EQ(elapsedMilliseconds("00:01:30.50"), 90500);
    EXPECT_EQ(elapsedMilliseconds("01:00:00.01"), 3600010);
    EXPECT_EQ(elapsedMilliseconds("12:3"), 12 * 3600000 + 3 * 60000); // read as far as it goes
    EXPECT_TRUE(isTimeDisplay("00:00:10.00"));
    for (std::string_view text : {"00:00:10.0", "00-00:10.00", "00:00:10:00", ""})
        EXPECT_FALSE(isTimeDisplay(text)) << text;

    ASSERT_TRUE(writeSonicParameterFile(dir.file("SonnicAc3.ini"), "a=1\r\nb=2\r\n"));
    EXPECT_EQ(test::readFile(dir.file("SonnicAc3.ini")), test::textBytes("a=1\r\r\nb=2\r\r\n"));
}

// A queue whose jobs add rows as Corvandale does during a run; runners that only record. Row
// i's console program shows screens[i] at each look and ends by itself with exits[i] at its
// looks[i]-th look.
struct GrowingQueue final : JobQueue, EncoderRunners, RunObserver {
    std::vector<int> looks, exits;
    std::vector<std::string> screens;
    std::map<int, int> slotRow;
    int busy = 0, mostBusy = 0, stopAfterPauses = -1;
    std::vector<int32_t> types;
    std::vector<int> gone; // rows whose copy fails
    std::vector<int> adds; // per started job: rows it adds
    int stopAt = -1;       // the started job that presses Stop
    bool stopOnProgress = false;
    std::atomic<bool>* abort = nullptr;
    std::vector<std::string> events;

    int rowCount() override { return static_cast<int>(types.size()); }
    bool copyRow(int index, std::string& name, JobRecord& job) override {
        if (std::find(gone.begin(), gone.end(), index) != gone.end()) return false;
        name = "job" + std::to_string(index);
        job.jobType = types[static_cast<size_t>(index)];
        setFieldText(job.settings.lame.inputPath, "C:\\in\\" + name + ".wav");
        return true;
    }
    void jobStarted(int index, int total, std::string_view) override {
        events.push_back(formatText("start %i/%i", index, total));
        if (static_cast<size_t>(index) < adds.size())
            types.insert(types.end(), static_cast<size_t>(adds[static_cast<size_t>(index)]), 1008);
        if (index == stopAt) *abort = true;
    }
    void warn(std::string_view text, std::string_view) override { events.emplace_back(text); }
    void progress(int) override {
        if (stopOnProgress) *abort = true;
    }
    void jobFinished() override {}
    void openConsole() override { events.emplace_back("open"); }
    void closeConsole() override { events.emplace_back("close"); }
    void clearConsole() override {}
    void hideConsole() override {}
    void slotStarted(int, std::string_view, std::string_view) override {}
    void slotProgress(int, int) override {}
    void queueProgress(int, int) override {}
    bool startConsoleJob(int slot, const std::string& line, std::string_view, uint16_t,
                         std::string&) override {
        const int row = std::stoi(line.substr(line.find("job") + 3));
        slotRow[slot] = row;
        mostBusy = std::max(mostBusy, ++busy);
        return true;
    }
    ScreenLook lookAtConsole(int slot) override {
        const size_t row = static_cast<size_t>(slotRow[slot]);
        ScreenLook look{--looks[row] <= 0, std::nullopt, screens[row], kCursorMoving};
        if (look.ended) look.exitCode = exits[row];
        return look;
    }
    std::string endConsoleJob(int slot, bool& byItself, std::optional<uint32_t>& exit) override {
        const size_t row = static_cast<size_t>(slotRow[slot]);
        if ((byItself = looks[row] <= 0)) exit = exits[row];
        --busy;
        return "dump" + std::to_string(row);
    }
    void removeOutput(const std::string& path) override { events.push_back("remove " + path); }
    void pause() override {
        if (stopAfterPauses-- == 0) *abort = true;
    }
    void runAc3Job(const JobRecord&) override { events.emplace_back(busy ? "ac3 beside" : "ac3"); }
    void runSurcodeJob(const JobRecord&) override { events.emplace_back("surcode"); }
    void runSonicJob(const JobRecord&) override { events.emplace_back("sonic"); }
};

TEST(RunJobs, RunsTheRowsListedAtItsStartAndCountsTheOnesAddedMeanwhile) {
    UsableFlags usable{};
    usable[11] = usable[10] = true; // the AC3 library and Sonic Foundry; not LAME
    struct Case {
        std::vector<int32_t> types;
        std::vector<int> adds, gone;
        int stopAt;
        std::vector<std::string> events, messages;
        std::string log;
    } cases[] = {
        {{1011, 999, 1010, 1008},
         {0, 1},
         {},
         -1,
         {"open", "start 0/4", "ac3", "start 1/4", std::string(kUnknownJobTypeMessage), "start 2/4",
          "sonic", "start 3/4", "close"},
         {"While Quillmere was busy running a new job has been added. This job is SKIPPED."},
         "***** Lame disabled or not configured. Skipping current job *****\r\n\r\n\r\n"},
        {{1011, 1011, 1011},
         {2, 0, 1},
         {1},
         -1, // a row that has gone is passed over
         {"open", "start 0/3", "ac3", "start 2/3", "ac3", "close"},
         {"While Quillmere was busy running the jobs in the list 3 new jobs have been added. "
          "These jobs have been SKIPPED"}},
        {{1011, 1011, 1011},
         {1, 1},
         {},
         1, // Stop: no message about added jobs
         {"open", "start 0/3", "ac3", "start 1/3", "ac3", "close"}},
        {{}, {}, {}, -1, {}, {std::string(kNoJobsMessage)}},
    };
    for (Case& c : cases) {
        std::atomic<bool> abort{false};
        std::atomic<int> total{0};
        BatcherLog log{LogKind::Job};
        GrowingQueue queue;
        queue.types = c.types;
        queue.adds = c.adds;
        queue.gone = c.gone;
        queue.stopAt = c.stopAt;
        queue.abort = &abort;
        EXPECT_EQ(RunJobs(queue, queue, queue, defaultBatcherSettings(), usable,
                          RunShared{abort, total, log}),
                  c.messages);
        EXPECT_EQ(queue.events, c.events);
        EXPECT_EQ(log.shownText(), c.log);
        EXPECT_FALSE(abort); // cleared for the next run
    }
}

// Console jobs side by side: at most that many at once, the AC3 library alone, each job's log
// block whole and in list order (the same bytes as one at a time), a Stop ends every running job.
TEST(RunJobs, SeveralAtOnceKeepEachJobsBlockInListOrder) {
    UsableFlags usable{};
    usable[8] = usable[11] = true;
    const std::string lame = snapshot("lame-3.100-running.txt").first;
    std::string logs[3];
    for (int jobs : {1, 2, 3}) { // 3: two at once, Stop while the first two long jobs run
        const bool stop = jobs == 3;
        std::atomic<bool> abort{false};
        std::atomic<int> total{0};
        BatcherLog log{LogKind::Job};
        GrowingQueue queue;
        queue.abort = &abort;
        queue.types = {1008, 1008, 1008, stop ? 1008 : 1011, 1008};
        queue.looks = stop ? std::vector<int>{99, 99, 1, 1, 1} : std::vector<int>{4, 1, 2, 0, 3};
        queue.exits = {0, 0, 3, 0, 0};
        queue.screens = {lame, stop ? lame : std::string(kScreenReadChars, ' '), lame, lame, lame};
        queue.stopAfterPauses = stop ? 2 : -1;
        RunJobs(queue, queue, queue, test::settingsWithPrograms(), usable,
                RunShared{abort, total, log, std::min(jobs, 2)});
        logs[jobs - 1] = log.shownText();
        EXPECT_EQ(queue.mostBusy, std::min(jobs, 2));
        EXPECT_EQ(queue.busy, 0);
        EXPECT_EQ(std::count(queue.events.begin(), queue.events.end(), "ac3"), stop ? 0 : 1);
        if (stop) {
            EXPECT_EQ(queue.events, (std::vector<std::string>{"remove C:\\in\\job0.mp3",
                                                              "remove C:\\in\\job1.mp3"}));
        }
    }
    // One at a time as ever: 39 % read from LAME's screen, 100 at a clean end, no marker on a
    // blank screen, a failing exit code; two at once the very same bytes.
    for (const char* line : {"job0.mp3\"\r\n\tProgress:  39%  100% \r\n\tScreen dump:",
                             "job1.mp3\"\r\n\tProgress: \tScreen dump:", "|dump2",
                             "\tExit code: 3 (the encoder failed)\r\n"})
        EXPECT_NE(logs[0].find(line), std::string::npos) << line;
    EXPECT_EQ(logs[1], logs[0]);
    // The Stop: both running jobs end with the line, their outputs go, the third never starts.
    const std::string aborted = " 39% \tScreen dump:\r\n\t " + std::string(80, '_') +
                                "\r\n\t|dump%d" + std::string(75, ' ') + "|\r\n\t|" +
                                std::string(80, '_') +
                                "|\r\n\r\n\tUser aborted conversion.\r\n***** Process";
    EXPECT_NE(logs[2].find(formatText(aborted.c_str(), 0)), std::string::npos) << logs[2];
    EXPECT_NE(logs[2].find(formatText(aborted.c_str(), 1)), std::string::npos) << logs[2];
    EXPECT_EQ(logs[2].find("job2"), std::string::npos);
}

using test::Bytes;

const Ac3Library kStandIn{reinterpret_cast<void (*)(void*)>(AC3_encode_version),
                          reinterpret_cast<int (*)(void*)>(AC3_encode_init),
                          reinterpret_cast<int (*)(void*, void*)>(AC3_encode_frame),
                          AC3_encode_close};

struct Ac3Run : ::testing::Test {
    test::TempDir dir;
    std::atomic<bool> abort{false};
    std::atomic<int> total{100};
    BatcherLog log{LogKind::Job};
    GrowingQueue observer; // as the observer, it presses Stop at the first progress if told

    std::unique_ptr<JobRecord> job(int mode, bool lfe, int dataRate = 448) {
        auto j = test::makeJob(JobType::Ac3Library);
        setFieldText(j->outputDirectory, dir.dir());
        setFieldText(j->baseName, "song");
        j->settings.ac3Library = {
            .dataRate = dataRate, .sampleRate = 48000, .codingMode = mode, .lfe = lfe};
        setFieldText(j->settings.ac3Library.inputPath, dir.file("song.wav"));
        return j;
    }
    std::string run(const JobRecord& j, const Ac3Library* library = &kStandIn) {
        RunAc3Job(j, "C:\\ac3enc.dll", library, RunShared{abort, total, log}, observer);
        return log.shownText();
    }
};

// Input bytes whose block sums tell where each block starts and ends.
Bytes samples(size_t count) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 4096);
    return bytes;
}

Bytes expectedFrames(const Bytes& data, size_t block, int channels) {
    Bytes frames;
    for (size_t start = 0; start < data.size(); start += block) {
        uint32_t sum = 0;
        for (size_t i = start; i < std::min(data.size(), start + block); ++i)
            sum += data[i]; // the rest of the last block is zeros
        frames.insert(frames.end(), {'A', 'C', '3', static_cast<uint8_t>(channels)});
        test::putU32(frames, sum);
    }
    return frames;
}

TEST_F(Ac3Run, BlocksFollowTheCodingModeAndTheLastOneIsZeroFilled) {
    struct Case {
        int mode;
        bool lfe;
        int channels;
        size_t dataBytes;
    } cases[] = {
        {7, true, 6, 36864 * 2 + 100}, // 36864-byte blocks, a short last one
        {2, false, 2, 12288 * 3},      // a whole number of blocks: no extra block
        {6, false, 4, 24576 + 1},
        {1, false, 1, 100},
    };
    for (const Case& c : cases) {
        Bytes data = samples(c.dataBytes);
        // A chunk before "fmt " is skipped by its size.
        test::writeFile(
            dir.file("song.wav"),
            test::riff({test::chunk("LIST", test::textBytes("INFOabc")),
                        test::chunk("fmt ", test::formatPayload({})), test::chunk("data", data)}));
        std::filesystem::remove(dir.file("song.ac3"));
        run(*job(c.mode, c.lfe));
        EXPECT_EQ(test::readFile(dir.file("song.ac3")),
                  expectedFrames(data, static_cast<size_t>(c.channels) * 6144, c.channels))
            << "mode " << c.mode;
    }
    const std::string text = log.shownText();
    EXPECT_NE(text.find("***** Starting ac3 encoder dll *****\r\n\tac3 encoder properties:\r\n"
                        "\tfilename: \"C:\\ac3enc.dll\" \r\n\tRelease date: 07-03-2024 "
                        "(dd-mm-yyyy)\r\n\tHomePage: " +
                        std::string(264, 'h') + "\r\n\tInput File: " + dir.file("song.wav") +
                        "\r\n\tOutput File: " + dir.file("song.ac3") +
                        "\r\n\tProgress: 33% 66% 99%" +
                        "\r\n***** Ac3 encoder finished/terminated *****\r\n\r\n\r\n"),
              std::string::npos)
        << text;
}

TEST_F(Ac3Run, FailuresAndStopLeaveNoOutputAndSayWhy) {
    test::writeFile(dir.file("song.wav"), test::wave({}, samples(12288 * 4)));
    test::writeFile(dir.file("song.ac3"), test::textBytes("an older file"));
    struct Case {
        std::unique_ptr<JobRecord> job;
        const Ac3Library* library;
        bool stop;
        std::string line;
    };
    Case cases[] = {
        {job(2, false), nullptr, false,
         "\r\n***** ac3enc.dll is missing or invallid, skipping current job *****\r\n"},
        {job(0, false), &kStandIn, false,
         "\r\n***** Audio coding mode 0 is not one of 1 to 7, skipping current job *****\r\n"},
        {job(2, false, 999), &kStandIn, false,
         "\r\n***** ac3enc.dll gave 40000 bytes for one frame, skipping current job *****\r\n"},
        {job(2, false), &kStandIn, true,
         "\r\n***** Ac3 encoder finished/terminated *****\r\n\r\n\r\n"},
    };
    for (Case& c : cases) {
        abort = false;
        observer.abort = &abort;
        observer.stopOnProgress = c.stop;
        EXPECT_TRUE(run(*c.job, c.library).ends_with(c.line)) << c.line;
        EXPECT_FALSE(std::filesystem::exists(dir.file("song(1).ac3"))) << c.line;
        EXPECT_EQ(test::readFile(dir.file("song.ac3")), test::textBytes("an older file"));
    }

    test::writeFile(dir.file("song.wav"),
                    test::riff({test::chunk("f\x01t ", {}), test::chunk("data", {})}));
    EXPECT_TRUE(run(*job(2, false))
                    .ends_with("\r\n***** Cant find data chunk, skipping current job *****\r\n"));
    std::filesystem::remove(dir.file("song.wav"));
    EXPECT_TRUE(run(*job(2, false))
                    .ends_with("\r\n***** Cant open input file, skipping current job *****\r\n"));
}

} // namespace
} // namespace corv

// Quillmere.exe running its queue as the user meets it: a real process whose
// encoders are the stand-ins of tests/fixtures (console encoders, the two
// window programs, ac3enc.dll), driven through its windows, read back from
// its job log, the files and the registry.
#include "copydata_client.h"
#include "program_process.h"
#include "remote_window.h"

#include "batcher/win/process_tree.h"
#include "protocol/job_record.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace {

using namespace e2e;

constexpr int kRun = 5020, kExit = 5030, kStop = 410, kShowPrograms = 3150;
constexpr int kApe = 3, kFlac = 4, kLame = 8, kOgg = 9;
constexpr char kConsoleEncoder[] = "console_encoder.exe", kWindowEncoder[] = "window_encoder.exe";

// A job of a window-driven encoder or the AC3 library for in + "song.wav".
std::unique_ptr<corv::JobRecord> windowJob(int type, const std::string& in) {
    auto job = std::make_unique<corv::JobRecord>();
    job->jobType = type;
    job->sampleRate = 48000;
    job->frameCount = 480000; // 10 s, what the Surcode stand-in counts
    corv::setFieldText(job->jobName, "song.wav");
    corv::setFieldText(job->outputDirectory, in);
    corv::setFieldText(job->baseName, "song");
    return job;
}

// The job log, cut into the parts each job wrote.
std::vector<std::string> jobParts(const std::string& log) {
    std::vector<std::string> parts;
    std::regex start(R"(\*\*\*\*\* (Starting|[^*]*Skipping))");
    for (auto it = std::sregex_iterator(log.begin(), log.end(), start);
         it != std::sregex_iterator(); ++it)
        parts.push_back(log.substr(static_cast<size_t>(it->position())));
    for (size_t i = 0; i + 1 < parts.size(); ++i)
        parts[i].resize(parts[i].size() - parts[i + 1].size());
    return parts;
}

// Rising, each once, never 0, ending at 100.
void expectRisingTo100(const std::string& part) {
    EXPECT_TRUE(risingTo100(loggedPercentages(part)) && loggedPercentages(part)[0] > 0) << part;
}

// A key of the current user's, made when missing; null when it cannot be.
HKEY userKey(const char* path, DWORD options = 0) {
    HKEY key = nullptr;
    return RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, options, KEY_ALL_ACCESS, nullptr,
                           &key, nullptr) == ERROR_SUCCESS
               ? key
               : nullptr;
}

struct QuillmereRun : ::testing::Test {
    ScratchFolder folder{"run"};
    QuillmereProcess quillmere{folder.path()};
    CopyDataClient client;
    std::string encoder = ownDirectory() + kConsoleEncoder;

    ~QuillmereRun() override {
        killProcesses(kConsoleEncoder, 1);
        killProcesses(kWindowEncoder, 1);
    }

    void add(const corv::JobRecord& job) { client.addJob(quillmere.mainWindow(), job); }
    std::string log() const { return quillmere.file("JobLogQuillmere.txt"); }
    // Waits until the hanging stand-in ("hang.wav") has shown its 5 %.
    bool hangShows() {
        return waitFor([&] {
            std::string text = log();
            return text.find("hang.wav") != std::string::npos && text.ends_with(" 5% ");
        });
    }
};

TEST_F(QuillmereRun, ConsoleJobsSkippedFailedAndAddedWhileBusy) {
    writeFile(folder.path() + "notaprogram.exe", "plain text");
    writeBatcherSettings(
        folder.path(),
        {{kLame, encoder}, {kApe, encoder}, {kOgg, folder.path() + "notaprogram.exe"}});
    ASSERT_TRUE(quillmere.start());
    const std::string in = folder.path();
    const int programs[] = {kFlac, kLame, kLame, kApe, kLame, kOgg, kLame};
    const char* names[] = {"skipped", "plain", "early", "several", "fail", "nostart", "hang"};
    for (int i = 0; i < 7; ++i)
        add(*consoleJob(programs[i], in + names[i] + ".wav"));
    writeFile(in + "plain.mp3", "taken"); // so the output is plain(1).mp3
    // Consoles of this prefix start 120 columns wide; the batcher's must still be 80.
    HKEY console = userKey("Console");
    DWORD wide = 300 << 16 | 120;
    RegSetValueExA(console, "ScreenBufferSize", 0, REG_DWORD, reinterpret_cast<BYTE*>(&wide), 4);

    ASSERT_TRUE(quillmere.run());
    ASSERT_TRUE(hangShows()) << log();
    RegDeleteValueA(console, "ScreenBufferSize");
    RegCloseKey(console);
    add(*consoleJob(kLame, in + "late1.wav"));
    add(*consoleJob(kLame, in + "late2.wav"));
    killProcesses(kConsoleEncoder, 9); // the hanging encoder ends after all
    EXPECT_EQ(quillmere.answerBox(),
              "While Quillmere was busy running the jobs in the list 2 new jobs have been added. "
              "These jobs have been SKIPPED");
    ASSERT_TRUE(quillmere.waitForRunEnd());
    EXPECT_EQ(listRowCount(quillmere.jobList()), 9); // all still listed, the late ones unrun

    std::vector<std::string> parts = jobParts(log());
    ASSERT_EQ(parts.size(), 7u) << log();
    EXPECT_EQ(parts[0],
              "***** Flac disabled or not configured. Skipping current job *****\r\n\r\n\r\n");
    EXPECT_EQ(parts[1].rfind("***** Starting dos job: *****\r\n\tRunning: \"" + encoder +
                                 "\"   --preset medium -q 0 \"" + in + "plain.wav\" \"" + in +
                                 "plain(1).mp3\"\r\n\tProgress:  ",
                             0),
              0u)
        << parts[1];
    expectRisingTo100(parts[1]);
    EXPECT_NE(parts[1].find(" 100% \r\n\tScreen dump:\r\n\t " + std::string(80, '_') +
                            "\r\n\t|Encoding " + in + "plain.wav"),
              std::string::npos)
        << parts[1];
    EXPECT_NE(parts[1].find(" |\r\n\t|ETA Progress "), std::string::npos) << parts[1];
    EXPECT_TRUE(parts[1].ends_with("|\r\n\tExit code: 0\r\n\r\n***** Process Finished/Terminated "
                                   "***** \r\n\r\n\r\n"));
    EXPECT_EQ(readFile(in + "plain(1).mp3"), "partial");
    EXPECT_NE(parts[2].find("\tProgress: \tScreen dump:\r\n"), std::string::npos) << parts[2];
    expectRisingTo100(parts[3]); // the last of several lines counts; 100 as it ended with 0
    EXPECT_NE(parts[4].find("\tExit code: 3 (the encoder failed)\r\n"), std::string::npos);
    EXPECT_EQ(loggedPercentages(parts[4]).back(), 30);
    EXPECT_NE(parts[5].find("\tThe program could not be started: "), std::string::npos) << parts[5];
    EXPECT_TRUE(parts[5].ends_with("***** Process Finished/Terminated ***** \r\n\r\n\r\n"));
    EXPECT_NE(parts[6].find("\tExit code: 9 (the encoder failed)\r\n"), std::string::npos);
}

// Stop during the second of three jobs ends the run; Exit or a close during
// a run stops it first.
TEST_F(QuillmereRun, StopExitOrACloseDuringARunEndIt) {
    writeBatcherSettings(folder.path(), {{kLame, encoder}});
    ASSERT_TRUE(quillmere.start());
    PostMessageA(quillmere.control(kRun), BM_CLICK, 0, 0);
    EXPECT_EQ(quillmere.answerBox(), "No jobs in queue.");
    for (const char* name : {"one.wav", "hang.wav", "three.wav"})
        add(*consoleJob(kLame, folder.path() + name));
    PostMessageA(quillmere.control(kRun), BM_CLICK, 0, 0); // the second Run finds a run going on
    ASSERT_TRUE(quillmere.run());
    ASSERT_TRUE(hangShows()) << log();
    EXPECT_EQ(countWindows("Conversion", quillmere.processId()), 1);
    add(*consoleJob(kLame, folder.path() + "late.wav")); // no message about it after a Stop
    HWND dialog = quillmere.progressDialog();
    EXPECT_EQ(windowText(GetDlgItem(dialog, 3215)), "1/3");
    SendMessageA(GetDlgItem(dialog, kStop), BM_CLICK, 0, 0);
    ASSERT_TRUE(quillmere.waitForRunEnd());

    std::vector<std::string> parts = jobParts(log());
    ASSERT_EQ(parts.size(), 2u) << log(); // the third job never started
    const std::string aborted =
        "\tUser aborted conversion.\r\n***** Process Finished/Terminated ***** \r\n\r\n\r\n";
    EXPECT_TRUE(parts[1].ends_with("|\r\n\r\n" + aborted)) << parts[1];
    EXPECT_EQ(parts[1].find("Exit code"), std::string::npos);
    EXPECT_TRUE(fileExists(folder.path() + "one.mp3"));
    EXPECT_FALSE(fileExists(folder.path() + "hang.mp3")); // cut short, so removed
    EXPECT_EQ(countProcesses(kConsoleEncoder), 0);
    EXPECT_EQ(findDialog(quillmere.processId(), "Quillmere"), nullptr);

    for (bool exitButton : {true, false}) {
        ASSERT_TRUE(quillmere.start());
        add(*consoleJob(kLame, folder.path() + "hang.wav"));
        ASSERT_TRUE(quillmere.run());
        ASSERT_TRUE(hangShows()) << log();
        PostMessageA(exitButton ? quillmere.control(kExit) : quillmere.mainWindow(),
                     exitButton ? BM_CLICK : WM_CLOSE, 0, 0);
        EXPECT_EQ(quillmere.waitForExit(), 1) << exitButton;
        EXPECT_TRUE(log().ends_with(aborted));
        EXPECT_EQ(countProcesses(kConsoleEncoder), 0);
        EXPECT_FALSE(fileExists(folder.path() + "hang.mp3"));
    }
}

// Two at once: the console jobs run side by side, each block whole and in list order, the
// failing one fails alone; the window-driven job between them runs alone; a Stop ends both
// running jobs and removes their outputs.
TEST_F(QuillmereRun, TwoJobsAtOnce) {
    const std::string in = folder.path(), window = ownDirectory() + kWindowEncoder;
    writeBatcherSettings(in, {{kLame, encoder}, {kApe, encoder}, {10, window}}, 2);
    auto sonic = windowJob(1010, in);
    sonic->settings.sonicFoundry.useLfe = 1; // flipped on arrival: no channel file
    ASSERT_TRUE(quillmere.start());
    const char* names[] = {"one.wav", "fail.wav", "", "several.wav", "four.wav"};
    for (const char* name : names) // "several" prints Monkey's Audio's lines
        *name ? add(*consoleJob(name[0] == 's' ? kApe : kLame, in + name)) : add(*sonic);
    ASSERT_TRUE(quillmere.run());
    int mostConsoles = 0; // sampled until the run ends: never a console job beside Sonic
    bool beside = false;
    waitFor(
        [&] {
            const int consoles = countProcesses(kConsoleEncoder);
            mostConsoles = std::max(mostConsoles, consoles);
            beside = beside || (consoles > 0 && countProcesses(kWindowEncoder) > 0);
            return !IsWindow(quillmere.progressDialog());
        },
        std::chrono::seconds(60));
    ASSERT_TRUE(quillmere.waitForRunEnd());
    EXPECT_EQ(mostConsoles, 2);
    EXPECT_FALSE(beside);
    std::vector<std::string> parts = jobParts(log());
    ASSERT_EQ(parts.size(), 5u) << log();
    for (size_t i = 0; i < 5; ++i) { // in list order, each whole, only "fail" failed
        EXPECT_NE(parts[i].find(in + (i == 2 ? "song.ac3" : names[i])), std::string::npos);
        EXPECT_TRUE(parts[i].ends_with("terminated *****\r\n\r\n\r\n") ||
                    parts[i].ends_with(
                        "\tExit code: " + std::string(i == 1 ? "3 (the encoder failed)" : "0") +
                        "\r\n\r\n***** Process Finished/Terminated ***** \r\n\r\n\r\n"))
            << parts[i];
        if (i != 1) expectRisingTo100(parts[i]);
    }

    ASSERT_TRUE(quillmere.start());
    for (const char* name : {"hang1.wav", "hang2.wav"})
        add(*consoleJob(kLame, in + name));
    ASSERT_TRUE(quillmere.run());
    // Both encoders and their helpers, and the first one's 5 %.
    ASSERT_TRUE(waitFor([&] { return countProcesses(kConsoleEncoder) == 4; }));
    ASSERT_TRUE(waitFor([&] { return log().ends_with(" 5% "); })) << log();
    HWND dialog = quillmere.progressDialog();
    EXPECT_EQ(windowText(GetDlgItem(dialog, 3220)), "hang1.wav - LAME (mp3)");
    EXPECT_EQ(windowText(GetDlgItem(dialog, 3231)), "hang2.wav - LAME (mp3)");
    EXPECT_EQ(windowText(GetDlgItem(dialog, 3215)), "0/2");
    SendMessageA(GetDlgItem(dialog, kStop), BM_CLICK, 0, 0);
    ASSERT_TRUE(quillmere.waitForRunEnd());
    parts = jobParts(log());
    ASSERT_EQ(parts.size(), 2u) << log();
    for (const std::string& part : parts)
        EXPECT_TRUE(
            part.ends_with("\tUser aborted conversion.\r\n***** Process Finished/Terminated "
                           "***** \r\n\r\n\r\n"))
            << part;
    EXPECT_EQ(countProcesses(kConsoleEncoder), 0);
    EXPECT_FALSE(fileExists(in + "hang1.mp3") || fileExists(in + "hang2.mp3"));
}

// Sonic Foundry stand-ins that misbehave (tests/fixtures): slow to write ("flush", in a folder
// with a blank), done as Stop is pressed ("finish"), hung ("hang").
TEST_F(QuillmereRun, MisbehavingEncodersFreezeNothingOutliveNothingAndLoseNoFinishedFile) {
    const std::string in = folder.path(), blank = in + "Jane Doe\\";
    CreateDirectoryA(blank.c_str(), nullptr);
    writeBatcherSettings(in, {{kLame, encoder}, {10, ownDirectory() + kWindowEncoder}});
    auto sonic = [&](const std::string& out, const char* name) {
        auto job = windowJob(1010, out);
        corv::setFieldText(job->baseName, name);
        job->settings.sonicFoundry.useLfe = 1; // flipped on arrival: no channel file
        add(*job);
    };
    auto answers = [&](int id) { // a click the dialog answers, whatever the encoder does
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutA(GetDlgItem(quillmere.progressDialog(), id), BM_CLICK, 0, 0,
                                   SMTO_NORMAL, 5000, &ignored) != 0;
    };
    HANDLE finish = CreateEventA(nullptr, TRUE, FALSE, "CorvSonicFinish");
    ASSERT_TRUE(quillmere.start());
    sonic(blank, "flush");
    sonic(in, "finish");
    ASSERT_TRUE(quillmere.run());
    ASSERT_TRUE(waitFor([&] { return readFile(in + "finish.ac3") == "AC3 stand-in"; })) << log();
    EXPECT_TRUE(answers(kStop) && SetEvent(finish) && quillmere.waitForRunEnd());
    for (const std::string& file : {blank + "flush.ac3", in + "finish.ac3"})
        EXPECT_EQ(readFile(file), "AC3 stand-in") << log();

    ASSERT_TRUE(quillmere.start());
    sonic(in, "hang");
    ASSERT_TRUE(quillmere.run());
    ASSERT_TRUE(waitFor([&] { return log().ends_with("\tProgress:"); })) << log();
    EXPECT_TRUE(answers(kShowPrograms));
    PostMessageA(quillmere.control(kExit), BM_CLICK, 0, 0);
    EXPECT_EQ(quillmere.waitForExit(), 1);
    EXPECT_TRUE(log().ends_with("aborted conversion.\r\n***** Sonic Foundry finished/terminated "
                                "*****\r\n\r\n\r\n")); // the runner came back
    EXPECT_EQ(countProcesses(kWindowEncoder), 0);
}

// A runner left by an exception ends what it started, the helper of "hang" too (as a Stop does).
TEST_F(QuillmereRun, ProcessTreeEndsWithAllItStartedWhenLeftByAnException) {
    try {
        corv::ProcessTree tree;
        STARTUPINFOA startup{sizeof startup};
        tree.start(nullptr, ownDirectory() + kConsoleEncoder + " hang.wav " + folder.path() + "o",
                   nullptr, 0, startup);
        ASSERT_TRUE(waitFor([] { return countProcesses(kConsoleEncoder) == 2; }));
        throw 1; // as a runner that fails
    } catch (int) {
    }
    EXPECT_EQ(countProcesses(kConsoleEncoder), 0);
}

// A REG_SZ as its text, a REG_DWORD as its number in decimal.
std::string registryValue(HKEY key, const char* name) {
    char data[600] = {};
    DWORD type = 0, size = sizeof data - 1;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size))
        return "<none>";
    return type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data)) : data;
}

TEST_F(QuillmereRun, WindowDrivenEncodersAndTheAc3Library) {
    const std::string window = ownDirectory() + "window_encoder.exe";
    const std::string noButton = folder.path() + "surcode_nobutton.exe";
    ASSERT_TRUE(CopyFileA(window.c_str(), noButton.c_str(), FALSE));
    writeBatcherSettings(
        folder.path(),
        {{0, noButton}, {1, window}, {10, window}, {11, ownDirectory() + "ac3enc.dll"}});
    const std::string in = folder.path();
    for (const char* name : {"L.wav", "R.wav", "song.dts"})
        writeFile(in + name, "x");
    writeFile(in + "song.wav", std::string("RIFF\x24\x60\0\0WAVEdata\x00\x60\0\0", 20) +
                                   std::string(0x6000, '\x01'));
    const char* key = "Software\\Minnetonka Audio Software\\Surcode DTS\\OPTIONS";
    HKEY options = userKey(key);
    ASSERT_NE(options, nullptr);
    RegSetValueExA(options, "WAVEFILE3", 0, REG_SZ, reinterpret_cast<const BYTE*>("old"), 4);

    auto job = [&](int type) { return windowJob(type, in); };
    auto noEncode = job(1000), dvd = job(1001), sonic = job(1010), ac3 = job(1011);
    dvd->settings.surcode = {{}, 1, {}, 768, 1, {}}; // DVD, 768 kbps, attenuate rear
    corv::SonicFoundrySettings& s = sonic->settings.sonicFoundry;
    s.codingMode = 2;
    s.useLfe = 1; // flipped on arrival (invert is on by default)
    s.dataRate = 448;
    for (int slot : {0, 1}) {
        std::string file = in + (slot ? "R.wav" : "L.wav");
        corv::setFieldText(dvd->settings.surcode.channelFiles[slot], file);
        corv::setFieldText(s.channelFiles[slot], file);
    }
    ac3->settings.ac3Library = {{}, 448, 48000, 2, 0, {}};
    corv::setFieldText(ac3->settings.ac3Library.inputPath, in + "song.wav");

    ASSERT_TRUE(quillmere.start());
    for (const auto* j : {noEncode.get(), dvd.get(), sonic.get(), ac3.get()})
        add(*j);
    ASSERT_TRUE(quillmere.run());
    ASSERT_TRUE(quillmere.waitForRunEnd());

    std::vector<std::string> all = jobParts(log());
    ASSERT_EQ(all.size(), 4u) << log();
    // Without an Encode button the job ends by itself, not at the next Stop.
    EXPECT_TRUE(
        all[0].ends_with("\tThe encoder window has no Encode button or no time display.\r\n"))
        << all[0];
    std::vector<std::string> parts(all.begin() + 1, all.end());
    EXPECT_EQ(parts[0].rfind("***** Starting surcode process *****\r\n\tOutput file:    \"" + in +
                                 "song(1).dts\" \r\n\tWAVEFILE1(L):   \"" + in +
                                 "L.wav\" \r\n\tWAVEFILE2(R):   \"" + in +
                                 "R.wav\" \r\n\tRunning: \"" + window + "\" \r\n\tProgress:",
                             0),
              0u)
        << parts[0];
    expectRisingTo100(parts[0]);
    EXPECT_TRUE(parts[0].ends_with("%\r\n***** Surcode finished/terminated *****\r\n\r\n\r\n"));
    EXPECT_EQ(registryValue(options, "WAVEFILE7"), in + "song(1).dts");
    EXPECT_EQ(registryValue(options, "WAVEFILE1"), in + "L.wav");
    EXPECT_EQ(registryValue(options, "WAVEFILE3"), "<none>"); // the old one is gone
    EXPECT_EQ(registryValue(options, "SAMPLING RATE"), "0");
    EXPECT_EQ(registryValue(options, "SURROUND DOWNMIX"), "1");
    EXPECT_EQ(registryValue(options, "DTS BITRATE INDEX"), "2");
    RegCloseKey(options);

    EXPECT_NE(parts[1].find("\tRunning: \"" + window + "\"  -A -P " + in + "SonnicAc3.ini -o " +
                            in + "song.ac3 -L " + in + "L.wav -R " + in + "R.wav \r\n"),
              std::string::npos)
        << parts[1];
    expectRisingTo100(parts[1]);
    EXPECT_EQ(readFile(in + "song.ac3"), "AC3 stand-in");
    std::string parameters = quillmere.file("SonnicAc3.ini");
    EXPECT_EQ(parameters.rfind("[Parameters]\r\r\nDataRate=448\r\r\nSampleRate=0\r\r\n", 0), 0u);

    EXPECT_NE(parts[2].find("\tOutput File: " + in + "song(1).ac3\r\n\tProgress: 49% 99%\r\n"),
              std::string::npos)
        << parts[2];
    EXPECT_EQ(readFile(in + "song(1).ac3").size(), 16u);
}

// Each window-driven job that cannot go on ends with its own line, and the
// run goes on: Encode that never goes grey, a registry key that cannot be
// made (a non-volatile key under a volatile one), a program that cannot start.
TEST_F(QuillmereRun, WindowEncodersThatCannotGoOnEndWithALine) {
    const std::string in = folder.path();
    const std::string noGrey = in + "surcode_nogrey.exe", broken = in + "notaprogram.exe";
    ASSERT_TRUE(CopyFileA((ownDirectory() + "window_encoder.exe").c_str(), noGrey.c_str(), FALSE));
    writeFile(broken, "plain text");
    writeBatcherSettings(in, {{0, noGrey}, {1, noGrey}, {10, broken}});
    const char* dvdKey = "Software\\Minnetonka Audio Software\\Surcode DTS";
    RegDeleteTreeA(HKEY_CURRENT_USER, dvdKey);
    // Its parent is made a plain key first: made by the volatile one below, it
    // would be volatile too, and the CD Pro key beside it could not be made.
    ASSERT_EQ(RegCloseKey(userKey("Software\\Minnetonka Audio Software")), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(userKey(dvdKey, REG_OPTION_VOLATILE)), ERROR_SUCCESS);
    auto cdPro = windowJob(1000, in), dvd = windowJob(1001, in), sonic = windowJob(1010, in);
    writeFile(in + "song.wav", "x");
    for (auto* surcode : {cdPro.get(), dvd.get()})
        corv::setFieldText(surcode->settings.surcode.channelFiles[0], in + "song.wav");
    corv::setFieldText(sonic->settings.sonicFoundry.channelFiles[0], in + "song.wav");

    ASSERT_TRUE(quillmere.start());
    for (const auto* j : {cdPro.get(), dvd.get(), sonic.get()})
        add(*j);
    ASSERT_TRUE(quillmere.run());
    ASSERT_TRUE(quillmere.waitForRunEnd()) << log();
    RegDeleteTreeA(HKEY_CURRENT_USER, dvdKey);

    std::vector<std::string> parts = jobParts(log());
    ASSERT_EQ(parts.size(), 3u) << log();
    EXPECT_NE(parts[0].find("\tEncoding did not start: Encode stayed enabled.\r\n"),
              std::string::npos)
        << parts[0];
    EXPECT_NE(parts[1].find("\tThe registry key \"" + std::string(dvdKey) +
                            "\\OPTIONS\" cannot be opened. Skipping current job\r\n"),
              std::string::npos)
        << parts[1];
    EXPECT_NE(parts[2].find("\tThe program could not be started: "), std::string::npos) << parts[2];
    EXPECT_EQ(countProcesses("surcode_nogrey.exe"), 0); // ended with its job
}

} // namespace

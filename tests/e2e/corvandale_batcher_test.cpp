// Corvandale and Quillmere as one: converted files become Quillmere's jobs.
// The real Corvandale.exe and Quillmere.exe, the jobs run by the real LAME.
#include "copydata_client.h"
#include "corvandale_app.h"
#include "remote_window.h"

#include "analyser/batcher_client/job_hand_over.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <functional>

namespace {

using namespace e2e;
using Texts = std::vector<std::string>;

// The threads of a process (but one) stopped or going again: a batcher that
// does not answer, a conversion held.
void holdThreads(DWORD processId, bool hold, DWORD exceptThread = 0) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{sizeof entry};
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId || entry.th32ThreadID == exceptThread) continue;
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
        hold ? SuspendThread(thread) : ResumeThread(thread);
        CloseHandle(thread);
    }
    CloseHandle(snapshot);
}

// Corvandale in its own folder sending LAME jobs, with files listed.
struct Converter {
    Converter(const std::string& folder, const std::vector<std::string>& sources,
              const std::function<void(corv::ConversionSettings&)>& change = {})
        : app(folder) {
        writeSettings(folder, "", [&](corv::ConversionSettings& s) {
            s.sendJobsToBatcher = s.startBatcherWhenFinished = 1;
            s.batcherOutputType = 1008;
            if (change) change(s);
        });
        EXPECT_TRUE(app.start());
        list(sources);
    }
    void list(const std::vector<std::string>& sources) {
        app.post(kClearList);
        ASSERT_TRUE(waitFor([&] { return app.rows() == 0; }));
        ASSERT_TRUE(app.listDropped(sources));
    }
    CorvandaleProcess app;
};

// The converted files go to real-lame-corvandale\ beside this test, where
// check_real_outputs.sh decodes LAME's .mp3 files natively afterwards.
TEST(CorvandaleQuillmere, StartsQuillmereFromItsTreeWhoseLameJobsMakeMp3s) {
    const std::string lame = winePath(CORV_ENCODER_CACHE "/lame-3.100/lame.exe");
    if (!fileExists(lame)) GTEST_SKIP() << "no " << lame << ": run scripts/build-encoders.sh lame";
    killProcesses("Quillmere.exe", 0);
    // The program folder's a-loop (made by the build) is a folder link back to
    // itself that the search meets before tools\.
    const std::string program = ownDirectory() + "corv-tree\\", tools = program + "tools\\";
    ASSERT_TRUE(CopyFileA((ownDirectory() + "Quillmere.exe").c_str(),
                          (tools + "Quillmere.exe").c_str(), FALSE));
    writeBatcherSettings(tools, {{8, lame}});
    const std::string music = freshFolderBesideTest("real-lame-corvandale");
    const Texts names = {"one", "two", "three"};
    Texts sources;
    for (size_t i = 0; i < names.size(); ++i)
        writeSine(sources.emplace_back(music + names[i] + ".wav"), 2, 44100, 0.4 * (i + 1));

    Converter converter(program, sources);
    converter.app.post(kConvert);
    HWND quillmere = nullptr;
    ASSERT_TRUE(waitFor([&] { return (quillmere = FindWindowA("Quillmere", "Quillmere")); }));
    ASSERT_TRUE(waitFor([&] { return listRowCount(GetDlgItem(quillmere, 5005)) == 3; }));
    // Its logs beside it: the Quillmere.exe in tools\ runs.
    ASSERT_TRUE(waitFor(
        [&] { return countOf(readFile(tools + "JobLogQuillmere.txt"), "\tExit code: 0\r\n") == 3; },
        120s))
        << readFile(tools + "JobLogQuillmere.txt");
    ASSERT_TRUE(converter.app.waitForConversionEnd());
    EXPECT_EQ(converter.app.columnTexts("Result"), Texts(3, "Succes"));
    for (const std::string& name : names)
        EXPECT_TRUE(fileExists(music + name + "(1).mp3")) << name;
    killProcesses("Quillmere.exe", 0);
}

// Without Quillmere the run says so and goes on; a job answered with 0 is counted at the end.
TEST(CorvandaleQuillmere, WithoutQuillmereOrWithOneRefusingTheJobTheRunSaysSo) {
    ScratchFolder program("corv-no-batcher"), music("corv-no-batcher-music");
    writeSine(music.path() + "a.wav", 2, 44100, 0.2);
    Converter converter(program.path(), {music.path() + "a.wav"});
    converter.app.post(kConvert);
    EXPECT_EQ(converter.app.answerBox(), "No running instance of Quillmere found");
    ASSERT_TRUE(converter.app.waitForConversionEnd());
    EXPECT_EQ(converter.app.columnTexts("Result"), Texts{"Succes"});
    EXPECT_EQ(countProcesses("Quillmere.exe"), 0);

    CopyDataClient quillmere(true);
    quillmere.jobAnswer = 0;
    converter.app.post(kConvert);
    EXPECT_EQ(converter.app.answerBox(), corv::handOverFailureMessage(1, false));
}

// What reaches a running Quillmere, as its message log shows: a late reply
// still connects, a stopped run sends nothing more, a finished one its job,
// Start jobs and Notify user, and one that no longer answers is reported.
TEST(CorvandaleQuillmere, LateRepliesStoppedAndFinishedRunsAndAHungQuillmere) {
    ScratchFolder program("corv-link"), music("corv-link-music"), batcher("corv-link-batcher");
    const std::string longer = music.path() + "long.wav", shorter = music.path() + "short.wav";
    writeSine(longer, 2, 44100, 120);
    writeSine(shorter, 2, 44100, 0.5);
    QuillmereProcess quillmere(batcher.path());
    ASSERT_TRUE(quillmere.start());
    const auto received = [&](const char* what) {
        return countOf(quillmere.file("MsgLogQuillmere.txt"),
                       "Msg description: " + std::string(what));
    };
    Converter converter(program.path(), {shorter, longer});
    auto& app = converter.app;
    holdThreads(quillmere.processId(), true);
    app.post(kConvert);
    HWND waiting = nullptr;
    ASSERT_TRUE(
        waitFor([&] { return (waiting = findDialog(app.processId(), "Waiting for Quillmere")); }));
    // The short file's job waits for that reply, so the long file is not begun;
    // the conversion is held from then until the Stop has been taken.
    const HWND dialog = GetWindow(waiting, GW_OWNER);
    const DWORD windowThread = GetWindowThreadProcessId(dialog, nullptr);
    holdThreads(app.processId(), true, windowThread);
    Sleep(100); // the reply to Open connection comes far later than 10 ms
    holdThreads(quillmere.processId(), false);
    EXPECT_TRUE(waitFor([&] { return received("Open connection") == 1 && !IsWindow(waiting); }));
    pressButton(dialog, IDCANCEL);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(dialog); }));
    holdThreads(app.processId(), false, windowThread);
    ASSERT_TRUE(app.waitForConversionEnd());
    const Texts stopped = app.columnTexts("Result");
    EXPECT_EQ(stopped[1], "-");

    converter.list({shorter});
    ASSERT_TRUE(app.convertAndWait());
    ASSERT_TRUE(waitFor([&] { return received("Notify user") == 1; }));
    const std::string log = quillmere.file("MsgLogQuillmere.txt");
    EXPECT_EQ(received("Open connection"), 1);                      // the late reply connected
    EXPECT_EQ(received("Add job"), stopped[0] == "Succes" ? 2 : 1); // finished before the Stop
    EXPECT_LT(log.find("Add job"), log.find("Start jobs"));
    EXPECT_LT(log.find("Start jobs"), log.find("Notify user"));
    // Named whatever the variants (a 32-bit Quillmere cannot list a 64-bit one's modules).
    EXPECT_EQ(countOf(log, "received from Corvandale.exe. "), countOf(log, "received from "));

    holdThreads(quillmere.processId(), true); // killed so at the end
    converter.list({shorter});
    app.post(kConvert);
    EXPECT_EQ(app.answerBox(), corv::handOverFailureMessage(1, true));
    ASSERT_TRUE(app.waitForConversionEnd());
    EXPECT_EQ(app.columnTexts("Result"), Texts{"Succes"});
}

} // namespace

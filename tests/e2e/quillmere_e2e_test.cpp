// Quillmere.exe as Corvandale and a user meet it: a separate process, driven
// by copy-data messages and clicks, read back through its windows and files;
// its Configure dialog: what Disable greys, the tab shown again, what OK keeps
// and Cancel drops, and the reset of a path whose program has gone.
#include "copydata_client.h"
#include "program_process.h"
#include "remote_window.h"

#include "batcher/config/batcher_settings.h"
#include "protocol/job_record.h"
#include "protocol/messages.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace e2e;
using enum corv::MessageId;

constexpr int kShowLog = 3151, kClearList = 5010, kRun = 5020, kExit = 5030;
constexpr int kLogText = 3250, kCopyAll = 3255, kOk = 420, kCancel = 415, kJobsLog = 3260;
constexpr int kConfigure = 5008, kTabs = 3009;
constexpr char kNoPrograms[] =
    "No conversion programs configured. Please configure Quillmere before running any jobs.";
constexpr char kStartLine[] = "Starting Quillmere\r\n";

std::unique_ptr<corv::JobRecord> lameJob(const std::string& name) {
    auto job = consoleJob(8, "C:\\music\\" + name); // LAME
    corv::setFieldText(job->outputDirectory, "C:\\music\\");
    job->settings.lame.mpegVersion = 1;
    job->settings.lame.bitrateMode = 0;
    job->settings.lame.preset = 1;
    job->settings.lame.algorithmQuality = 2;
    return job;
}

// A message log entry: the sender's line, then what was made of the message.
std::string received(const std::string& sender, int id, const std::string& lines) {
    char line[128];
    snprintf(line, sizeof line, "* Message received from %s. Msg ID: %04i.\r\n", sender.c_str(),
             id);
    return line + ("\t" + lines) + "\r\n\r\n";
}

TEST(QuillmereE2E, SecondInstanceIsTurnedAwayAndCopyDataMessagesAreAnsweredListedAndLogged) {
    ScratchFolder folder("messages"), second("second");
    QuillmereProcess quillmere(folder.path()), again(second.path());
    ASSERT_TRUE(quillmere.start());
    HWND main = quillmere.mainWindow();
    ASSERT_TRUE(again.startOnly());
    EXPECT_EQ(again.answerBox(), "Program is already running. Exiting now.");
    EXPECT_EQ(again.waitForExit(), 0);
    EXPECT_EQ(filesIn(second.path()), std::set<std::string>{"Quillmere.exe"}); // it made nothing
    // The first one is untouched; its Run button finds no usable program,
    // even with an empty list.
    ASSERT_TRUE(IsWindow(main));
    PostMessageA(quillmere.control(kRun), BM_CLICK, 0, 0);
    EXPECT_EQ(quillmere.answerBox(), kNoPrograms);

    CopyDataClient client;
    ASSERT_NE(client.window(), nullptr);
    auto& replies = client.received();
    const std::string me = "quillmere_e2e_tests.exe"; // the sender: this program
    std::string log = kStartLine;

    // Open connection: 102 without payload, naming the batcher's main window.
    client.send(main, OpenConnection);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].id, ConnectionReply);
    EXPECT_EQ(replies[0].from, main);
    EXPECT_FALSE(replies[0].hadPayload);
    log += received(me, 100, "Msg description: Open connection ");

    // Add job: a row with the job name, program and one-line settings.
    auto job = lameJob("song.wav");
    client.addJob(main, *job);
    HWND list = quillmere.jobList();
    ASSERT_EQ(listRowCount(list), 1);
    EXPECT_EQ(listCellText(list, 0, 0), "song.wav");
    EXPECT_EQ(listCellText(list, 0, 1), "LAME (mp3)");
    EXPECT_EQ(listCellText(list, 0, 2), " MPEG1   preset Standard   quality:q2  ");
    log += received(me, 130,
                    "Msg description: Add job \r\n\tMPEG1\r\n\tpreset Standard\r\n\tquality:q2");

    // A wrong size adds nothing and gets no reply.
    std::vector<char> bytes(6801, 0);
    std::memcpy(bytes.data(), job.get(), sizeof *job);
    EXPECT_EQ(client.send(main, AddJobRecord, bytes.data(), bytes.size()), 0); // refused: 0
    log += received(me, 130, "Invallid message, message ignored! ");
    corv::setFieldText(job->settings.lame.inputPath, "-V0"); // refused too: not a full path
    EXPECT_EQ(client.addJob(main, *job), 0);
    log += received(me, 130,
                    "Msg description: Add job \r\n\tInvalid job: the input path is not a full "
                    "path (a drive or \\\\server\\share\\ first), job ignored! ");
    EXPECT_EQ(listRowCount(list), 1);

    // Give commandline: the preview of the configured (default "C:\") LAME path.
    auto preview = lameJob("");
    corv::setFieldText(preview->settings.lame.inputPath, "");
    client.sendJob(main, GiveCommandline, *preview);
    const std::string lameReply =
        "\"C:\\\"   --preset standard -q 2 \"C:\\somefile.wav\" \"C:\\someoutput.mp3\"";
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[1].id, GiveCommandline);
    EXPECT_EQ(replies[1].from, main);
    EXPECT_EQ(replies[1].payload, lameReply + '\0');
    log += received(me, 131, "Msg description: Give commandline \r\n\t" + lameReply + "\r\n");

    const std::string noDos =
        "Msg description: Give commandline \r\n\tNo dos command available.\r\n";
    corv::JobRecord surcode{};
    surcode.jobType = 1000;
    client.sendJob(main, GiveCommandline, surcode);
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[2].payload, std::string("No dos command available.") + '\0');
    log += received(me, 131, noDos);

    client.send(main, corv::MessageId{132});
    log += received(me, 132, "Unknown message ");

    // A sender that is no window is not logged under the previous sender's
    // name; another process's window is named after its own program.
    client.send(main, OpenConnection, nullptr, 0,
                reinterpret_cast<HWND>(static_cast<intptr_t>(0x0DEAD0)));
    log += received("", 100, "Msg description: Open connection ");
    HANDLE other = startProcess("\"" + ownDirectory() + "titled_window.exe\" \"Other sender\"");
    ASSERT_NE(other, nullptr);
    HWND otherWindow = nullptr;
    waitFor([&] { return (otherWindow = FindWindowA(nullptr, "Other sender")) != nullptr; });
    ShowWindow(main, SW_MINIMIZE); // as Corvandale starts it
    client.send(main, NotifyUser, nullptr, 0, otherWindow);
    EXPECT_FALSE(IsIconic(main));
    log += received("titled_window.exe", 104, "Msg description: Notify user ");
    endProcess(other);

    // A sender whose window does not answer (its thread is stuck) gets no
    // reply, and the batcher does not get stuck with it.
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND stuckWindow = nullptr;
    std::thread stuck([&] {
        stuckWindow = CreateWindowA("STATIC", "stuck sender", WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, nullptr, nullptr);
        WaitForSingleObject(release, 120000); // no message pumping meanwhile
        DestroyWindow(stuckWindow);
    });
    waitFor([&] { return stuckWindow != nullptr; });
    EXPECT_TRUE(client.sendJob(main, GiveCommandline, surcode, stuckWindow));
    log += received(me, 131, noDos);
    EXPECT_TRUE(client.send(main, NotifyUser)); // answered while the stuck one still is
    log += received(me, 104, "Msg description: Notify user ");
    SetEvent(release);
    stuck.join();
    CloseHandle(release);
    EXPECT_EQ(replies.size(), 3u); // none since the first Give commandline

    // Start jobs runs through the Run command's checks: nothing is configured.
    client.send(main, StartJobs);
    log += received(me, 110, "Msg description: Start jobs ");
    EXPECT_EQ(quillmere.answerBox(), kNoPrograms);

    quillmere.click(kExit);
    EXPECT_EQ(quillmere.waitForExit(), 1);
    EXPECT_EQ(quillmere.file("MsgLogQuillmere.txt"), log);
    EXPECT_EQ(quillmere.file("JobLogQuillmere.txt"), kStartLine);
}

TEST(QuillmereE2E, DeleteRemovesEverySelectedRowAndClearListEmptiesTheList) {
    ScratchFolder folder("delete");
    QuillmereProcess quillmere(folder.path());
    ASSERT_TRUE(quillmere.start());
    CopyDataClient client;
    for (int i = 0; i < 5; ++i)
        client.addJob(quillmere.mainWindow(), *lameJob("job" + std::to_string(i) + ".wav"));
    HWND list = quillmere.jobList();
    ASSERT_EQ(listRowCount(list), 5);

    for (int row : {1, 2, 4})
        ASSERT_TRUE(setListRowSelected(list, row, true));
    // The Delete key goes through the batcher's accelerator table.
    PostMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
    PostMessageA(list, WM_KEYUP, VK_DELETE, 0xC0000001);
    EXPECT_TRUE(waitFor([&] { return listRowCount(list) == 2; }));
    EXPECT_EQ(listColumnTexts(list, 0), (std::vector<std::string>{"job0.wav", "job3.wav"}));

    quillmere.click(kClearList);
    quillmere.click(kClearList); // on an empty list: nothing happens
    client.addJob(quillmere.mainWindow(), *lameJob("after.wav"));
    EXPECT_EQ(listColumnTexts(list, 0), (std::vector<std::string>{"after.wav"}));

    // Names travel as UTF-8: the manifest makes it Quillmere's code page.
    client.addJob(quillmere.mainWindow(), *lameJob("\xc3\x9cn\xc3\xaf"
                                                   "code \xd0\x81.wav"));
    EXPECT_EQ(listCellTextW(list, 1, 0), L"\u00dcn\u00efcode \u0401.wav");
    quillmere.click(kClearList);
    client.addJob(quillmere.mainWindow(), *lameJob("after.wav"));

    // A job type this batcher does not know: refused, and said so once the
    // sender has been let go.
    auto unknown = lameJob("future.wav");
    unknown->jobType = 1012;
    EXPECT_EQ(client.addJob(quillmere.mainWindow(), *unknown), 0);
    EXPECT_EQ(quillmere.answerBox(), "ohoh... new format is not configured");
    EXPECT_EQ(listRowCount(list), 1);
}

TEST(QuillmereE2E, ExitSavesTheLogWindowSettingAndTheTitleBarCloseDoesNot) {
    ScratchFolder folder("settings");
    QuillmereProcess quillmere(folder.path());
    ASSERT_TRUE(quillmere.start());

    // The first start writes the defaults (their bytes are the native tests').
    EXPECT_EQ(quillmere.file("settingsQuillmere.ini").size(), 6264u);

    // The log window: owned by the main window at 150,150, no smaller than 400x250.
    quillmere.click(kShowLog);
    HWND logWindow = waitForDialog(quillmere.processId(), "Log window");
    ASSERT_NE(logWindow, nullptr);
    EXPECT_EQ(GetWindow(logWindow, GW_OWNER), quillmere.mainWindow());
    RECT r{};
    GetWindowRect(logWindow, &r);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 150);
    // Returns once the window has taken it (and any size held as its least).
    SetWindowPos(logWindow, nullptr, 0, 0, 120, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(logWindow, &r);
    EXPECT_GE(r.right - r.left, 400);
    EXPECT_GE(r.bottom - r.top, 250);

    // It shows the message log first (the default choice), then the job log.
    HWND text = GetDlgItem(logWindow, kLogText);
    EXPECT_EQ(windowText(text), kStartLine);
    CopyDataClient client;
    client.send(quillmere.mainWindow(), NotifyUser); // the open window follows
    EXPECT_TRUE(waitFor([&] { return windowText(text).find("Notify user") != std::string::npos; }));
    SendMessageA(GetDlgItem(logWindow, kJobsLog), BM_CLICK, 0, 0);
    EXPECT_EQ(windowText(text), kStartLine);
    SendMessageA(GetDlgItem(logWindow, kCopyAll), BM_CLICK, 0, 0);
    EXPECT_EQ(clipboardText(), kStartLine);

    // OK closes it and unticks "Show logging window".
    SendMessageA(GetDlgItem(logWindow, kOk), BM_CLICK, 0, 0);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(logWindow); }));
    EXPECT_EQ(SendMessageA(quillmere.control(kShowLog), BM_GETCHECK, 0, 0), BST_UNCHECKED);

    // Ticked again, then closed from the title bar: nothing is saved; ended with Exit: saved.
    for (bool byExit : {false, true}) {
        ASSERT_TRUE(!byExit || quillmere.start()); // started again for Exit
        quillmere.click(kShowLog);
        ASSERT_NE(waitForDialog(quillmere.processId(), "Log window"), nullptr);
        PostMessageA(byExit ? quillmere.control(kExit) : quillmere.mainWindow(),
                     byExit ? BM_CLICK : WM_SYSCOMMAND, byExit ? 0 : SC_CLOSE, 0);
        EXPECT_EQ(quillmere.waitForExit(), 1);
        const std::string settings = quillmere.file("settingsQuillmere.ini");
        EXPECT_EQ(settings.size() == 6264 && settings[6252] == 1, byExit);
    }

    // The next start opens the log window by itself, with the box ticked.
    ASSERT_TRUE(quillmere.start());
    logWindow = waitForDialog(quillmere.processId(), "Log window");
    ASSERT_NE(logWindow, nullptr);
    GetWindowRect(logWindow, &r);
    EXPECT_EQ(r.left, 150);
    EXPECT_EQ(r.top, 150);
    EXPECT_EQ(SendMessageA(quillmere.control(kShowLog), BM_GETCHECK, 0, 0), BST_CHECKED);
}

constexpr int kFlac = 4, kFlacPath = 3050, kFlacFind = 3052;
constexpr int kLame = 8, kLamePath = 3090, kLameDisable = 3091, kLameFind = 3092;

bool enabled(HWND dialog, int id) {
    return IsWindowEnabled(descendant(dialog, id));
}
std::string text(HWND dialog, int id) {
    return windowText(descendant(dialog, id));
}
// Clicks a button of the dialog; for OK and Cancel, until the dialog has gone.
bool press(HWND dialog, int id) {
    PostMessageA(descendant(dialog, id), BM_CLICK, 0, 0);
    return id != kOk && id != kCancel ? true : waitFor([&] { return !IsWindow(dialog); });
}

TEST(QuillmereConfigure, DisableTabOkAndCancelAsTheUserMeetsThem) {
    ScratchFolder folder("configure");
    QuillmereProcess quillmere(folder.path());
    auto stored = [&] {
        corv::BatcherSettings settings{};
        std::string bytes = quillmere.file("settingsQuillmere.ini");
        std::memcpy(&settings, bytes.data(), std::min(bytes.size(), sizeof settings));
        return settings;
    };
    const std::string lame = makeFile(folder.path(), "bin\\lame.exe"),
                      flac = makeFile(folder.path(), "flac.exe");
    writeBatcherSettings(folder.path(), {{kLame, lame}, {kFlac, flac}}, 0); // as older versions
    ASSERT_TRUE(quillmere.start());
    DeleteFileA(flac.c_str()); // gone since the start: reset when Configure opens
    SYSTEM_INFO system{};
    GetSystemInfo(&system);

    HWND dialog = quillmere.openDialog(kConfigure, "Configure");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(corv::fieldText(stored().programPath[kFlac]), "C:\\");
    EXPECT_EQ(text(dialog, kFlacPath), "C:\\");
    EXPECT_EQ(text(dialog, kLamePath), lame);
    EXPECT_TRUE(enabled(dialog, kLamePath) && enabled(dialog, kLameFind));
    press(dialog, kLameDisable);
    EXPECT_TRUE(waitFor([&] { return !enabled(dialog, kLamePath); }));
    EXPECT_FALSE(enabled(dialog, kLameFind));
    EXPECT_TRUE(enabled(dialog, kFlacPath));
    // "Jobs at once": a file without it means one per core; 3 is kept.
    EXPECT_EQ(text(dialog, 3006),
              std::to_string(std::clamp<int>(system.dwNumberOfProcessors, 1, 8)));
    SendMessageA(descendant(dialog, 3006), CB_SETCURSEL, 2, 0);
    for (int i = 0; i < 2; ++i) // the keyboard's way to "Programs 2"
        PostMessageA(descendant(dialog, kTabs), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(descendant(dialog, kLamePath)); }));
    EXPECT_FALSE(IsWindowVisible(descendant(dialog, kFlacPath)));
    ASSERT_TRUE(press(dialog, kOk));
    EXPECT_EQ(stored().disabled[kLame], 1);
    EXPECT_EQ(stored().configurePage, 2u);
    EXPECT_EQ(stored().jobsAtOnce, 3);

    // Shown again on "Programs 2", LAME still off; a Find fills the edit, Cancel drops it.
    dialog = quillmere.openDialog(kConfigure, "Configure");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageA(descendant(dialog, kTabs), TCM_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(IsWindowVisible(descendant(dialog, kLamePath)));
    EXPECT_EQ(SendMessageA(descendant(dialog, kLameDisable), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(enabled(dialog, kLameFind));
    makeFile(folder.path(), "bin\\flac.exe");
    press(dialog, kFlacFind);
    EXPECT_TRUE(
        waitFor([&] { return text(dialog, kFlacPath) == folder.path() + "bin\\flac.exe"; }));
    ASSERT_TRUE(press(dialog, kCancel));
    EXPECT_EQ(corv::fieldText(stored().programPath[kFlac]), "C:\\");
    dialog = quillmere.openDialog(kConfigure, "Configure"); // nor is it kept in memory
    EXPECT_EQ(text(dialog, kFlacPath), "C:\\");
    EXPECT_TRUE(press(dialog, kCancel));
}

} // namespace

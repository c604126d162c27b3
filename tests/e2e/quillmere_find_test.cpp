// The Find actions that the Configure dialog will call, run in this process
// against a real folder tree and real encoder windows of other processes;
// the bounded wait for the unpacker of a download.
#include "program_process.h"
#include "remote_window.h"

#include "batcher/config/win/download_install.h"
#include "batcher/config/win/locate_program.h"
#include "batcher/config/win/window_module_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace e2e;

constexpr int kFindSurcodeCd = 3012, kFindSurcodeDvd = 3022, kFindApe = 3042, kFindFlac = 3052;
constexpr int kFindLame = 3092, kFindSonic = 3162;

struct QuillmereFind : ::testing::Test {
    ScratchFolder folder{"find"};
    HWND edit =
        CreateWindowA("EDIT", "C:\\", WS_POPUP, 0, 0, 300, 20, nullptr, nullptr, nullptr, nullptr);
    corv::LocateContext context{nullptr, folder.path(), true};
    ~QuillmereFind() override { DestroyWindow(edit); }
    std::string editText() const { return windowText(edit); }
    // The Find of that button, its message box answered: the box's text.
    std::string locateAnswering(int findButton, int answer) {
        return answerDuring(GetCurrentProcessId(), answer,
                            [&] { corv::LocateProgram(edit, findButton, context); });
    }
};

TEST_F(QuillmereFind, ConsoleProgramsComeFromBinFirstThenFromTheTreeElseTheUserIsAsked) {
    makeFile(folder.path(), "a\\deeper\\lame.exe");
    std::string binLame = makeFile(folder.path(), "bin\\lame.exe");
    std::string nestedFlac = makeFile(folder.path(), "tools\\x\\y\\flac.exe");

    corv::LocateProgram(edit, kFindLame, context);
    EXPECT_EQ(editText(), binLame);
    corv::LocateProgram(edit, kFindFlac, context);
    EXPECT_EQ(editText(), nestedFlac);

    EXPECT_EQ(locateAnswering(kFindApe, IDNO),
              "Cant find \"mac.exe\" in Quillmere's directory or one of its sub-dir's. Do you "
              "want to find it manually?");
    EXPECT_EQ(editText(), nestedFlac); // declined: unchanged
    EXPECT_EQ(locateAnswering(3999, IDOK),
              "Internal error, new program not correctly handled by Quillmere");
    EXPECT_EQ(editText(), nestedFlac);
}

// Copies of the fixture program, started from folders whose names mark the edition.
struct EncoderWindows {
    std::vector<HANDLE> processes;
    void start(const std::string& exePath, const std::string& arguments) {
        CopyFileA((ownDirectory() + "titled_window.exe").c_str(), exePath.c_str(), FALSE);
        processes.push_back(startProcess("\"" + exePath + "\" " + arguments));
    }
    ~EncoderWindows() { stop(); }
    void stop() {
        for (HANDLE process : processes)
            endProcess(process);
        processes.clear();
    }
};

TEST_F(QuillmereFind, SurcodeEditionsAndSonicFoundryAreFoundByTheirRunningWindows) {
    std::string cd = folder.path() + "Surcode CD Pro\\dtsenc.exe";
    std::string dvd = folder.path() + "Surcode DVD Pro\\dtsenc.exe";
    std::string sonic = folder.path() + "Sonic\\SFTENCDD.EXE";
    for (const std::string* path : {&cd, &dvd, &sonic})
        makeFile(folder.path(), path->substr(folder.path().size()));

    EncoderWindows encoders;
    encoders.start(cd, "\"DTS Encoder\"");
    encoders.start(dvd, "\"DTS Encoder\"");
    encoders.start(sonic, "\"Sonic Foundry Soft Encode\" SFAC3.WndClass.Frame");
    ASSERT_TRUE(waitFor([] { return countWindows("DTS Encoder") == 2; }));
    ASSERT_TRUE(waitFor([] { return FindWindowA("SFAC3.WndClass.Frame", nullptr) != nullptr; }));

    corv::LocateProgram(edit, kFindSurcodeDvd, context);
    EXPECT_EQ(editText(), dvd);
    EXPECT_EQ(countWindows("DTS Encoder"), 2); // the renamed windows have their title back
    EXPECT_EQ(countWindows("DTS Encoder*"), 0);
    corv::LocateProgram(edit, kFindSurcodeCd, context);
    EXPECT_EQ(editText(), cd);
    corv::LocateProgram(edit, kFindSonic, context);
    EXPECT_EQ(editText(), sonic);

    encoders.stop();
    EXPECT_EQ(locateAnswering(kFindSurcodeDvd, IDNO),
              "You have to start Surcode DVD before it can be found. Currently Quillmere cant find "
              "a window with the title \"DTS Encoder\" and the correct filename. Do you want to "
              "find it manually?");
    EXPECT_EQ(editText(), sonic);

    char path[520] = "unchanged";
    EXPECT_FALSE(corv::GetWindowModulePath(reinterpret_cast<HWND>(static_cast<intptr_t>(0x0DEAD0)),
                                           path, sizeof path, true));
    EXPECT_STREQ(path, "unchanged");
}

// A program that runs too long, or one whose download is cancelled meanwhile,
// is ended; an exit code is passed on.
TEST(UnpackerWait, IsBoundedAndNothingItStartedKeepsRunning) {
    const std::string hanging = "\"" + ownDirectory() + "titled_window.exe\" \"Slow\"";
    HANDLE cancel = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(corv::RunProcessBounded(hanging, 300, cancel).end, corv::ProcessEnd::TimedOut);
    SetEvent(cancel);
    EXPECT_EQ(corv::RunProcessBounded(hanging, INFINITE, cancel).end, corv::ProcessEnd::Cancelled);
    CloseHandle(cancel);
    EXPECT_EQ(countProcesses("titled_window.exe"), 0);
    const std::string unzip = "\"" + ownDirectory() + "unzipper\\unzip.exe\""; // usage: 2
    EXPECT_EQ(corv::RunProcessBounded(unzip, 30000, nullptr).exitCode, 2u);
}

} // namespace

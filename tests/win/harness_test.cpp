// Proves the Windows test tier: dialogs from templates, copy-data between two
// processes, and a console screen read back by a GUI-subsystem program.
#include "protocol/job_record.h"
#include "protocol/messages.h"
#include "test_dialog_ids.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string siblingPath(const char* exeName) {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, length);
    return path.substr(0, path.rfind('\\') + 1) + exeName;
}

// Starts a program and pumps this thread's messages until it ends, so that
// messages it sends to our windows are delivered. Returns its exit code.
DWORD runPumping(const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return 0xFFFF;
    for (;;) {
        DWORD wait = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 60000, QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0 + 1) break;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    DWORD code = 0xFFFE;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

INT_PTR CALLBACK harnessDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

TEST(WinHarness, DialogFromTemplateKeepsWhatControlsAreGiven) {
    HWND dialog =
        CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_HARNESS_DIALOG), nullptr,
                           harnessDialogProc, 0);
    ASSERT_NE(dialog, nullptr);

    char caption[64] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Harness");
    char button[64] = {};
    GetDlgItemTextA(dialog, IDC_HARNESS_OK, button, sizeof button);
    EXPECT_STREQ(button, "&Ok");

    SetDlgItemTextA(dialog, IDC_HARNESS_EDIT, "C:\\out\\");
    char text[64] = {};
    GetDlgItemTextA(dialog, IDC_HARNESS_EDIT, text, sizeof text);
    EXPECT_STREQ(text, "C:\\out\\");

    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_HARNESS_CHECK), BST_UNCHECKED);
    // A click goes through the control's own handling, as a user's would.
    SendDlgItemMessageA(dialog, IDC_HARNESS_CHECK, BM_CLICK, 0, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_HARNESS_CHECK), BST_CHECKED);

    for (const char* entry : {"FLAC", "WavPack", "LAME (mp3)"})
        SendDlgItemMessageA(dialog, IDC_HARNESS_COMBO, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(entry));
    SendDlgItemMessageA(dialog, IDC_HARNESS_COMBO, CB_SETCURSEL, 2, 0);
    LRESULT selected = SendDlgItemMessageA(dialog, IDC_HARNESS_COMBO, CB_GETCURSEL, 0, 0);
    EXPECT_EQ(selected, 2);
    char entry[64] = {};
    SendDlgItemMessageA(dialog, IDC_HARNESS_COMBO, CB_GETLBTEXT, selected,
                        reinterpret_cast<LPARAM>(entry));
    EXPECT_STREQ(entry, "LAME (mp3)");
    DestroyWindow(dialog);
}

corv::JobRecord received;
size_t receivedSize = 0;
bool repliedToPeer = false;

LRESULT CALLBACK receiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA) return DefWindowProcA(window, message, wParam, lParam);
    auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    // The payload is only valid during this call: check, copy, then act.
    if (data->dwData == static_cast<ULONG_PTR>(corv::MessageId::AddJobRecord) && data->lpData &&
        data->cbData == sizeof received) {
        std::memcpy(&received, data->lpData, sizeof received);
        receivedSize = data->cbData;
    }
    COPYDATASTRUCT reply{};
    reply.dwData = static_cast<ULONG_PTR>(corv::MessageId::ConnectionReply);
    DWORD_PTR result = 0;
    repliedToPeer =
        SendMessageTimeoutA(reinterpret_cast<HWND>(wParam), WM_COPYDATA,
                            reinterpret_cast<WPARAM>(window), reinterpret_cast<LPARAM>(&reply),
                            SMTO_ABORTIFHUNG, 5000, &result) != 0;
    return 1;
}

TEST(WinHarness, CopyDataCrossesFromAnotherProcessAndBack) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = receiverProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "CorvHarnessReceiver";
    RegisterClassA(&wc);
    HWND receiver = CreateWindowA("CorvHarnessReceiver", "receiver", WS_OVERLAPPED, 0, 0, 10, 10,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(receiver, nullptr);

    std::ostringstream line;
    line << '"' << siblingPath("copydata_peer.exe") << "\" "
         << reinterpret_cast<intptr_t>(receiver);
    EXPECT_EQ(runPumping(line.str()), 0u) << "the peer did not get the reply";

    EXPECT_EQ(receivedSize, corv::kJobRecordSize);
    EXPECT_EQ(received.jobType, 1004);
    EXPECT_EQ(received.sampleRate, 48000u);
    EXPECT_EQ(received.frameCount, 0x1'0000'0001ull);
    EXPECT_EQ(corv::fieldText(received.jobName), "Ünïcode song.wav");
    EXPECT_EQ(corv::fieldText(received.settings.flac.inputPath), "C:\\out\\Song.wav");
    EXPECT_EQ(received.settings.flac.compressionLevel, 8);
    EXPECT_TRUE(repliedToPeer);
    DestroyWindow(receiver);
}

TEST(WinHarness, GuiProgramReadsItsChildFromTheConsoleScreen) {
    char tempDir[MAX_PATH];
    GetTempPathA(MAX_PATH, tempDir);
    std::string result =
        std::string(tempDir) + "corv-console-" + std::to_string(GetCurrentProcessId()) + ".txt";
    DeleteFileA(result.c_str());

    std::string line = "\"" + siblingPath("console_reader.exe") + "\" " +
                       siblingPath("console_child.exe") + " " + result;
    ASSERT_EQ(runPumping(line), 0u);

    std::ifstream in(result);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("exit 7"), std::string::npos) << all;
    EXPECT_NE(all.find("Encoding song.wav"), std::string::npos) << all;
    EXPECT_NE(all.find("progress 42%"), std::string::npos) << all;
    in.close();
    DeleteFileA(result.c_str());
}

} // namespace

#include "batcher/encoders/win/encoder_program.h"

#include "batcher/encoders/window_encoders.h"
#include "batcher/win/system_error.h"

namespace corv {
namespace {

constexpr int kFindAttempts = 60;
constexpr DWORD kFindIntervalMs = 50;
constexpr DWORD kInputIdleMs = 5000;
constexpr UINT kTextTimeoutMs = 2000;
constexpr DWORD kEndWaitMs = 10000;

BOOL CALLBACK matchEncoderWindow(HWND window, LPARAM found) {
    std::string title = WindowTextOf(window).substr(0, kEncoderTitleLength);
    for (std::string_view wanted : kEncoderWindowTitles) {
        if (title == wanted) {
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        }
    }
    return TRUE;
}

BOOL CALLBACK visitChild(HWND child, LPARAM visit) {
    (*reinterpret_cast<const std::function<void(HWND)>*>(visit))(child);
    return TRUE;
}

} // namespace

bool EncoderProgram::start(const char* program, std::string commandLine, const char* directory,
                           bool shown, WORD showCommand, BatcherLog& log) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!shown) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = showCommand;
    }
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program, commandLine.empty() ? nullptr : commandLine.data(), nullptr,
                        nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, directory, &startup,
                        &info)) {
        AppendLog(log, "\tThe program could not be started: " + SystemErrorText(GetLastError()) +
                           "\r\n");
        return false;
    }
    info_ = info;
    started_ = true;
    return true;
}

HWND EncoderProgram::findWindow() {
    if (!started_) return nullptr;
    WaitForInputIdle(info_.hProcess, kInputIdleMs); // a slow start is not a missing window
    HWND found = nullptr;
    for (int attempt = 0; attempt < kFindAttempts && !found; ++attempt) {
        EnumThreadWindows(info_.dwThreadId, matchEncoderWindow, reinterpret_cast<LPARAM>(&found));
        Sleep(kFindIntervalMs);
    }
    SetPriorityClass(info_.hProcess, IDLE_PRIORITY_CLASS);
    return found;
}

void EncoderProgram::end(UINT exitCode) {
    if (!started_) return;
    started_ = false;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, exitCode);
        WaitForSingleObject(info_.hProcess, kEndWaitMs); // its files are closed after this
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
    info_ = PROCESS_INFORMATION{};
}

std::string WindowTextOf(HWND window) {
    char text[512] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, kTextTimeoutMs, &length))
        return std::string();
    return std::string(text, length < sizeof text ? length : sizeof text - 1);
}

std::optional<std::string> DisplayReading(HWND display) {
    std::string text = WindowTextOf(display);
    if (text.find_first_of("0123456789") == std::string::npos) return std::nullopt;
    return text;
}

void ForEachChild(HWND window, const std::function<void(HWND child)>& visit) {
    EnumChildWindows(window, visitChild, reinterpret_cast<LPARAM>(&visit));
}

} // namespace corv

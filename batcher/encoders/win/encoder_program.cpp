#include "batcher/encoders/win/encoder_program.h"

#include "batcher/core/job_end.h"
#include "batcher/encoders/window_encoders.h"
#include "batcher/win/system_error.h"

#include <process.h>

#include <memory>

namespace corv {
namespace {

constexpr int kFindAttempts = 60;
constexpr DWORD kFindIntervalMs = 50;
constexpr DWORD kInputIdleMs = 5000;
constexpr UINT kTextTimeoutMs = 2000;
constexpr DWORD kWindowCallMs = 2000;

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

unsigned __stdcall runCalls(void* calls) {
    std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(calls));
    (*owned)();
    return 0;
}

// Calls that block while the other program does not answer (EnableWindow,
// SetMenu) go to a thread of their own; the caller waits for them a while.
void callWithin(DWORD limitMs, std::function<void()> calls) {
    auto* owned = new std::function<void()>(std::move(calls));
    uintptr_t thread = _beginthreadex(nullptr, 0, runCalls, owned, 0, nullptr);
    if (!thread) {
        delete owned;
        return;
    }
    WaitForSingleObject(reinterpret_cast<HANDLE>(thread), limitMs);
    CloseHandle(reinterpret_cast<HANDLE>(thread));
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
    if (tree_.start(program, std::move(commandLine), directory, NORMAL_PRIORITY_CLASS, startup))
        return true;
    AppendLog(log,
              "\tThe program could not be started: " + SystemErrorText(GetLastError()) + "\r\n");
    return false;
}

HWND EncoderProgram::findWindow() {
    if (!tree_.process()) return nullptr;
    WaitForInputIdle(tree_.process(), kInputIdleMs); // a slow start is not a missing window
    HWND found = nullptr;
    for (int attempt = 0; attempt < kFindAttempts && !found; ++attempt) {
        EnumThreadWindows(tree_.mainThreadId(), matchEncoderWindow,
                          reinterpret_cast<LPARAM>(&found));
        Sleep(kFindIntervalMs);
    }
    SetPriorityClass(tree_.process(), IDLE_PRIORITY_CLASS);
    return found;
}

void EncoderProgram::finish(bool done, BatcherState& state, const std::string& output,
                            std::string_view finishedLine, UINT exitCode) {
    ProgramEnd end{state.abort, false, std::nullopt};
    if (done) {
        end.endedByItself = tree_.hasEnded(kFinishGraceMs);
        end.exitCode = tree_.exitCode();
        if (!end.endedByItself) AppendLog(state.jobLog, kGraceOverLine);
    }
    JobEnd result = jobEndOf(end);
    AppendLog(state.jobLog, result.logLine);
    AppendLog(state.jobLog, finishedLine);
    tree_.end(exitCode);
    if (result.removeOutput && !output.empty()) DeleteFileA(output.c_str());
}

void TakeAway(HWND window, std::vector<HWND> controls, bool menus) {
    callWithin(kWindowCallMs, [window, controls = std::move(controls), menus] {
        if (menus) {
            if (HMENU menu = GetSystemMenu(window, FALSE)) DeleteMenu(menu, SC_CLOSE, MF_BYCOMMAND);
            if (HMENU menu = GetMenu(window)) {
                SetMenu(window, nullptr);
                DestroyMenu(menu);
            }
        }
        for (HWND control : controls)
            EnableWindow(control, FALSE);
    });
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

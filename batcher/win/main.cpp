// Quillmere.exe: the job batcher's entry, from the single-instance guard to
// the end of the message loop.
#include "batcher/config/win/window_module_path.h"
#include "batcher/core/unexpected_error.h"
#include "batcher/win/batcher_state.h"
#include "batcher/win/log_window.h"
#include "batcher/win/main_window.h"
#include "batcher/win/message_box_notifier.h"
#include "batcher/win/resource.h"
#include "protocol/messages.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

namespace corv {
namespace {

constexpr char kAlreadyRunningMessage[] = "Program is already running. Exiting now.";

bool anotherInstanceRuns() {
    HANDLE existing = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, kBatcherSemaphore);
    if (!existing) return false;
    CloseHandle(existing);
    return true;
}

std::string programDirectory() {
    char path[MAX_PATH * 2] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return {};
    std::string full(path, length);
    size_t cut = full.rfind('\\');
    return cut == std::string::npos ? std::string() : full.substr(0, cut + 1);
}

// The main window is a dialog whose template names the class "Quillmere", so
// that Corvandale can find it by class and title: a copy of the dialog class
// with this program's icon.
bool registerWindowClass(HINSTANCE instance) {
    WNDCLASSEXA dialogClass{};
    dialogClass.cbSize = sizeof dialogClass;
    if (!GetClassInfoExA(nullptr, "#32770", &dialogClass)) return false;
    dialogClass.hInstance = instance;
    dialogClass.lpszClassName = kBatcherWindowName;
    dialogClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_QUILLMERE));
    dialogClass.hIconSm = nullptr;
    return RegisterClassExA(&dialogClass) != 0;
}

void runMessageLoop(HWND mainWindow, HACCEL accelerators) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (accelerators && TranslateAcceleratorA(mainWindow, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int run(HINSTANCE instance, int showCommand) {
    if (anotherInstanceRuns()) {
        MessageBoxA(nullptr, kAlreadyRunningMessage, kBatcherWindowName,
                    MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    BatcherState& state = Batcher();
    state.instanceSemaphore = CreateSemaphoreA(nullptr, 1, 1, kBatcherSemaphore);

    state.programDirectory = programDirectory();
    if (state.programDirectory.empty()) return 0;
    state.jobLog.start(state.programDirectory); // without a file the log stays in memory
    state.messageLog.start(state.programDirectory);

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    state.ntPlatform = IsNtPlatform();
    if (!registerWindowClass(instance)) return 0;

    HWND mainWindow = CreateMainWindow(instance);
    if (!mainWindow) return 0;
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ShowWindow(mainWindow, showCommand);
    if (state.settings.showLogWindow) {
        SetShowLogBoxes(true);
        OpenLogWindow(state);
    }

    runMessageLoop(mainWindow, accelerators);

    if (state.instanceSemaphore) CloseHandle(state.instanceSemaphore);
    state.jobLog.closeFile();
    state.messageLog.closeFile();
    return 1;
}

// Nothing may escape the entry point: an error ends the program with a
// message, and the logs keep what was written.
int endWithError(std::exception_ptr error) noexcept {
    try {
        BatcherState& state = Batcher();
        MessageBoxNotifier notifier(nullptr);
        const int exitCode = reportUnexpectedError(error, state.messageLog, notifier);
        state.jobLog.closeFile();
        state.messageLog.closeFile();
        return exitCode;
    } catch (...) {
        return kUnexpectedErrorExitCode;
    }
}

} // namespace
} // namespace corv

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    try {
        return corv::run(instance, showCommand);
    } catch (...) {
        return corv::endWithError(std::current_exception());
    }
}

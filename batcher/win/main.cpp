// Quillmere.exe: the job batcher's entry, from the single-instance guard to
// the end of the message loop.
#include "batcher/config/win/window_module_path.h"
#include "batcher/core/unexpected_error.h"
#include "batcher/win/batcher_state.h"
#include "batcher/win/log_window.h"
#include "batcher/win/main_window.h"
#include "batcher/win/message_box_notifier.h"
#include "batcher/win/resource.h"
#include "platform/win/dialog_program.h"
#include "protocol/messages.h"

#include <windows.h>
#include <commctrl.h>

#include <commctrl.h>

#include <string>

namespace corv {
namespace {

constexpr char kAlreadyRunningMessage[] = "Program is already running. Exiting now.";

void runMessageLoop(HWND mainWindow, HACCEL accelerators) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (accelerators && TranslateAcceleratorA(mainWindow, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int run(HINSTANCE instance, int showCommand) {
    if (AnotherInstanceRuns(kBatcherSemaphore)) {
        MessageBoxA(nullptr, kAlreadyRunningMessage, kBatcherWindowName,
                    MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    BatcherState& state = Batcher();
    state.instanceSemaphore = CreateSemaphoreA(nullptr, 1, 1, kBatcherSemaphore);

    state.programDirectory = ProgramDirectory();
    if (state.programDirectory.empty()) return 0;
    state.jobLog.start(state.programDirectory); // without a file the log stays in memory
    state.messageLog.start(state.programDirectory);

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    state.ntPlatform = IsNtPlatform();
    // The main window's template names the class "Quillmere", so that
    // Corvandale can find it by class and title.
    if (!RegisterDialogClass(instance, kBatcherWindowName, IDI_QUILLMERE)) return 0;

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

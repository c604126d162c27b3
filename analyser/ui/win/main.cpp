// Corvandale.exe: the analyser's entry, from the single-instance guard to the
// end of the message loop.
#include "analyser/shared_ui/win/analyser_state.h"
#include "analyser/ui/win/channel_mapping_dialog.h"
#include "analyser/ui/win/main_window.h"
#include "analyser/ui/win/program_keys.h"
#include "analyser/ui/win/resource.h"
#include "platform/notifier.h"
#include "platform/win/dialog_program.h"
#include "protocol/messages.h"

#include <windows.h>

#include <commctrl.h> // these need windows.h first
#include <objbase.h>

#include <cstdio>

namespace corv {
namespace {

constexpr char kAlreadyRunningMessage[] = "Program is already running. This instance wil exit now.";
constexpr char kMainClassName[] = "MainWin";

// Keys reach the program's window they were pressed in: the dialogs
// share the command ids of Ok, Cancel, Apply and Delete; a focused edit box
// keeps Delete and Ctrl+A. The timers of the
// file list and of the channel mapping dialog's list are dropped before they
// reach them.
void runMessageLoop(HWND mainWindow, HWND fileList, HACCEL accelerators) {
    MSG msg;
    for (;;) {
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (DoListWorkWhenIdle()) continue;
            if (GetMessageA(&msg, nullptr, 0, 0) <= 0) break;
        } else if (msg.message == WM_QUIT) {
            break;
        }
        if (msg.message == WM_TIMER && msg.hwnd &&
            (msg.hwnd == fileList || msg.hwnd == channelMappingList()))
            continue;
        // Not the last active popup: just after a message box closes, that
        // can still be the main window.
        HWND target = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : GetLastActivePopup(mainWindow);
        if (TranslateProgramKeys(target, accelerators, msg)) continue;
        if (IsDialogMessageA(target, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int run(HINSTANCE instance, int showCommand) {
    _setmaxstdio(2048);
    if (AnotherInstanceRuns(kAnalyserSemaphore)) {
        MessageBoxA(nullptr, kAlreadyRunningMessage, kAttentionTitle.data(),
                    MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    AnalyserState& state = Analyser();
    state.instanceSemaphore = CreateSemaphoreA(nullptr, 1, 1, kAnalyserSemaphore);
    state.programDirectory = ProgramDirectory();
    if (state.programDirectory.empty()) return 0;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    loadSettings(state.settings, state.programDirectory);
    state.maps.clear();
    loadMapsAtStartUp(state.maps, state.programDirectory);
    (void)CoInitialize(nullptr); // the folder browser needs it
    if (!RegisterDialogClass(instance, kMainClassName, IDI_CORVANDALE)) return 0;

    HWND mainWindow = CreateMainWindow(instance);
    if (!mainWindow) return 0;
    state.accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ShowWindow(mainWindow, showCommand);
    BringWindowToTop(mainWindow);
    state.fileList = GetDlgItem(mainWindow, IDC_FILE_LIST);

    runMessageLoop(mainWindow, state.fileList, state.accelerators);

    StopConversionAndWait(); // it still uses the list and the maps
    CloseHandle(state.instanceSemaphore);
    state.maps.clear();
    CoUninitialize();
    return 1;
}

} // namespace
} // namespace corv

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    try {
        return corv::run(instance, showCommand);
    } catch (...) {
        return 0;
    }
}

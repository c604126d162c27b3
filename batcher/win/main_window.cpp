#include "batcher/win/main_window.h"

#include "batcher/win/app_messages.h"
#include "batcher/win/configure_dialog.h"
#include "batcher/win/copy_data_glue.h"
#include "batcher/win/download_dialog.h"
#include "batcher/win/job_list.h"
#include "batcher/win/log_window.h"
#include "batcher/win/message_box_notifier.h"
#include "batcher/win/progress_dialog.h"
#include "batcher/win/resource.h"
#include "platform/win/dialog_program.h"

#include <commctrl.h>

#include <algorithm>

namespace corv {
namespace {

constexpr char kNoProgramsMessage[] =
    "No conversion programs configured. Please configure Quillmere before running any jobs.";

HWND jobList(const BatcherState& state) {
    return GetDlgItem(state.mainWindow, IDC_JOB_LIST);
}

void onInit(HWND window, BatcherState& state) {
    state.mainWindow = window;
    state.busy = false;
    SetUpJobList(GetDlgItem(window, IDC_JOB_LIST));
    CheckDlgButton(window, IDC_SHOW_LOG,
                   state.settings.showLogWindow ? BST_CHECKED : BST_UNCHECKED);
    loadBatcherSettings(state.settings, state.usable, state.programDirectory);
}

void onRun(BatcherState& state) {
    if (std::none_of(state.usable.begin(), state.usable.end(),
                     [](bool usable) { return usable; })) {
        WarnUser(state.mainWindow, kNoProgramsMessage);
        return;
    }
    ShowProgressDialog(state); // nothing while a run is going on
}

// During a run the rows, the logs and the console are in use, and during a
// download its dialog and files: the runner or the download is stopped and
// has ended before the window and the message loop go.
void endProgram(HWND window, BatcherState& state) {
    StopRunAndWait(state);
    CancelDownloadAndWait(state);
    if (!IsWindow(window)) return; // a close that came meanwhile has ended it
    DestroyWindow(window);
    PostQuitMessage(0);
}

void onCommand(HWND window, BatcherState& state, int id) {
    switch (id) {
    case IDC_RUN:
        onRun(state);
        break;
    case IDC_EXIT:
        saveBatcherSettings(state.settings, state.programDirectory); // silent when it cannot
        endProgram(window, state);
        break;
    // The runner reads rows while it is busy: rows stay until it is done.
    case IDC_CLEAR_LIST:
        if (!state.busy) ClearJobs(jobList(state));
        break;
    case IDM_DELETE_JOBS:
        if (!state.busy) DeleteSelectedJobs(jobList(state));
        break;
    case IDC_CONFIGURE:
        ShowConfigureDialog(state);
        break;
    case IDC_SHOW_LOG:
        ApplyShowLogWindow(state,
                           IsDlgButtonChecked(state.mainWindow, IDC_SHOW_LOG) == BST_CHECKED);
        break;
    default:
        break;
    }
}

INT_PTR onNotify(const NMHDR& header) {
    if (header.idFrom == IDC_JOB_LIST && header.code == LVN_DELETEITEM)
        ReleaseJobOfDeletedRow(reinterpret_cast<const NMLISTVIEW&>(header));
    return FALSE;
}

INT_PTR handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    BatcherState& state = Batcher();
    switch (message) {
    case WM_INITDIALOG:
        onInit(window, state);
        return TRUE;
    case WM_COMMAND:
        onCommand(window, state, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        return onNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_COPYDATA:
        SetWindowLongPtrA(window, DWLP_MSGRESULT,
                          OnCopyData(state, reinterpret_cast<HWND>(wParam),
                                     reinterpret_cast<const COPYDATASTRUCT*>(lParam)));
        return TRUE;
    case kShowPendingWarnings:
        ShowPendingWarnings(window);
        return TRUE;
    case kCopyJobRow: {
        JobRowCopy* copy = state.rowCopy;
        bool copied =
            copy && CopyJobRow(jobList(state), static_cast<int>(wParam), *copy->name, *copy->job);
        SetWindowLongPtrA(window, DWLP_MSGRESULT, copied ? TRUE : FALSE);
        return TRUE;
    }
    case WM_TIMER:
        if (wParam == kRepaintTimer) ResumeJobListPainting(window, jobList(state));
        return TRUE;
    case WM_CLOSE:
        endProgram(window, state);
        return TRUE; // the title bar's close does not save
    default:
        return FALSE;
    }
}

} // namespace

void ApplyShowLogWindow(BatcherState& state, bool shown) {
    state.settings.showLogWindow = shown ? 1 : 0;
    SetShowLogBoxes(shown);
    if (shown)
        OpenLogWindow(state);
    else
        DestroyLogWindow(state);
}

HWND CreateMainWindow(HINSTANCE instance) {
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                              GuardedDialogProc<handle>, 0);
}

} // namespace corv

#include "batcher/win/download_dialog.h"

#include "batcher/config/trusted_keys.h"
#include "batcher/config/win/download_install.h"
#include "batcher/win/app_messages.h"
#include "batcher/win/message_box_notifier.h"
#include "batcher/win/progress_controls.h"
#include "batcher/win/resource.h"
#include "batcher/win/thread_wait.h"
#include "platform/win/dialog_program.h"

#include <commctrl.h>
#include <process.h>

#include <string>

namespace corv {
namespace {

constexpr char kConnecting[] = "Connecting ......";

struct DownloadRun {
    BatcherState& state;
    DownloadRequest& request;
    const ListPolicy& policy;
    HWND dialog = nullptr;
    HANDLE cancel = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE answered = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::string message; // written by the thread only while no message is shown
};

// The dialog as the download thread sees it: every call is a message to the
// user-interface thread, which keeps handling them until the thread ends.
class DialogObserver final : public DownloadObserver {
  public:
    explicit DialogObserver(DownloadRun& run) : run_(run), shown_(run.dialog) {}
    void fileName(std::string_view name) override { shown_.text(name); }
    void progress(int percent) override { shown_.percent(percent); }
    void connection(const char* note) override { shown_.text(note, IDC_CONNECTION); }
    // Posted, not sent: a close of Quillmere that waits for this thread while
    // the message is up must not wait for the message as well.
    bool tell(std::string_view text) override {
        if (WaitForSingleObject(run_.cancel, 0) == WAIT_OBJECT_0) return false;
        run_.message = text;
        ResetEvent(run_.answered); // a stray answer must not count for this message
        if (!PostMessageA(shown_.dialog(), kShowDownloadMessage, 0, 0)) return false;
        HANDLE waits[] = {run_.answered, run_.cancel};
        return WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0;
    }

  private:
    DownloadRun& run_;
    ProgressControls shown_;
};

unsigned __stdcall downloadThread(void* argument) {
    auto* run = static_cast<DownloadRun*>(argument);
    try {
        DialogObserver observer(*run);
        DownloadAndInstall(run->request, run->state.programDirectory, run->policy,
                           downloadCeiling(), observer, run->cancel);
    } catch (...) {
        // Nothing may end the thread without ending the dialog.
    }
    PostMessageA(run->dialog, kDownloadFinished, 0, 0);
    return 0;
}

void onInit(HWND dialog, DownloadRun& run) {
    run.dialog = dialog;
    SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SetDlgItemTextA(dialog, IDC_SERVER_NAME,
                    std::string(fieldText(run.request.serverName)).c_str());
    SetDlgItemTextA(dialog, IDC_CURRENT_FILE, kConnecting);
    uintptr_t thread = run.cancel && run.answered
                           ? _beginthreadex(nullptr, 0, downloadThread, &run, 0, nullptr)
                           : 0;
    run.state.downloadThread = reinterpret_cast<HANDLE>(thread);
    run.state.downloadCancel = run.cancel;
    if (!thread) EndDialog(dialog, 0);
}

INT_PTR handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRecord<DownloadRun>(dialog, message, lParam);
    if (!run) return FALSE;
    if (message == WM_INITDIALOG) {
        onInit(dialog, *run);
        return TRUE;
    }
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) SetEvent(run->cancel); // Escape
        return TRUE;
    case WM_CLOSE: // the thread ends the dialog once it has stopped
        SetEvent(run->cancel);
        return TRUE;
    case kDownloadFinished:
        EndDialog(dialog, 1);
        return TRUE;
    case kShowDownloadMessage:
        WarnUser(run->state.mainWindow, run->message);
        SetEvent(run->answered);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK downloadDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return handle(dialog, message, wParam, lParam);
    } catch (...) {
        return FALSE; // nothing may unwind into the window manager
    }
}

} // namespace

void RunDownloadDialog(BatcherState& state, HWND owner, DownloadRequest& request,
                       const ListPolicy& policy) {
    DownloadRun run{state, request, policy};
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_DOWNLOAD), owner,
                    downloadDialogProc, reinterpret_cast<LPARAM>(&run));
    // The dialog may have gone with its owner: the thread still has to end.
    if (state.downloadThread) {
        SetEvent(run.cancel);
        WaitForThreadPumping(state.downloadThread);
        CloseHandle(state.downloadThread);
    }
    state.downloadThread = nullptr;
    state.downloadCancel = nullptr;
    for (HANDLE event : {run.cancel, run.answered})
        if (event) CloseHandle(event);
}

void CancelDownloadAndWait(BatcherState& state) {
    if (!state.downloadThread) return;
    SetEvent(state.downloadCancel);
    WaitForThreadPumping(state.downloadThread);
}

} // namespace corv

#include "batcher/win/progress_dialog.h"

#include "batcher/core/run_jobs.h"
#include "batcher/encoders/text_format.h"
#include "batcher/encoders/win/window_encoder_jobs.h"
#include "batcher/win/ac3_library_job.h"
#include "batcher/win/app_messages.h"
#include "batcher/win/batcher_console.h"
#include "batcher/win/console_job.h"
#include "batcher/win/log_window.h"
#include "batcher/win/main_window.h"
#include "batcher/win/message_box_notifier.h"
#include "batcher/win/process_tree.h"
#include "batcher/win/resource.h"
#include "batcher/win/thread_wait.h"
#include "platform/win/dialog_program.h"

#include <commctrl.h>
#include <process.h>

#include <algorithm>
#include <string>
#include <vector>

namespace corv {
namespace {

constexpr int kBarMaximum = 100;
constexpr DWORD kStopWaitMs = 15000;
constexpr char kStoppingText[] = "Stopping the job: Quillmere ends within 15 seconds.";

struct RunContext {
    BatcherState& state;
    HWND dialog = nullptr;
    std::string warning;                      // for kShowRunWarning
    std::vector<std::string> closingMessages; // written by the runner before it ends
};

// The dialog as the runner thread sees it: every call is a message to the
// user-interface thread.
class DialogObserver final : public RunObserver {
  public:
    explicit DialogObserver(RunContext& run) : run_(run), dialog_(run.dialog) {}
    void warn(std::string_view text, std::string_view) override {
        run_.warning = text;
        SendMessageA(dialog_, kShowRunWarning, 0, 0);
    }
    void jobStarted(int index, int total, std::string_view name) override {
        SetDlgItemTextA(dialog_, IDC_CURRENT_FILE, std::string(name).c_str());
        SetDlgItemTextA(dialog_, IDC_FILES_FINISHED, formatText("%i/%i", index, total).c_str());
        progress(0);
    }
    void progress(int percent) override {
        SendDlgItemMessageA(dialog_, IDC_PROGRESS_BAR, PBM_SETPOS,
                            static_cast<WPARAM>(std::clamp(percent, 0, kBarMaximum)), 0);
    }
    void jobFinished() override { PostMessageA(dialog_, kJobFinished, 0, 0); }

  private:
    RunContext& run_;
    HWND dialog_;
};

// The job list, read by the user-interface thread on the runner's behalf.
class ListQueue final : public JobQueue {
  public:
    explicit ListQueue(BatcherState& state) : state_(state) {}
    int rowCount() override {
        return static_cast<int>(
            SendDlgItemMessageA(state_.mainWindow, IDC_JOB_LIST, LVM_GETITEMCOUNT, 0, 0));
    }
    bool copyRow(int index, std::string& name, JobRecord& job) override {
        JobRowCopy copy{&name, &job};
        state_.rowCopy = &copy;
        bool copied =
            SendMessageA(state_.mainWindow, kCopyJobRow, static_cast<WPARAM>(index), 0) != 0;
        state_.rowCopy = nullptr;
        return copied;
    }

  private:
    BatcherState& state_;
};

class WindowsRunners final : public EncoderRunners {
  public:
    WindowsRunners(BatcherState& state, RunObserver& observer)
        : state_(state), observer_(observer) {}
    void openConsole() override { OpenBatcherConsole(state_); }
    void closeConsole() override { CloseBatcherConsole(state_); }
    void clearConsole() override { ClearBatcherConsole(); }
    void hideConsole() override { HideBatcherConsole(state_); }
    void prepareConsole(std::string_view title, uint16_t colour) override {
        SetBatcherConsole(title, colour);
    }
    void runConsoleJob(const CommandLineRecord& command, const ProgressReading& reading,
                       const std::string& outputPath) override {
        RunConsoleJob(state_, observer_, command, reading, outputPath);
    }
    void runAc3Job(const JobRecord& job) override { RunAc3LibraryJob(state_, observer_, job); }
    void runSurcodeJob(const JobRecord& job) override { RunSurcodeJob(state_, observer_, job); }
    void runSonicJob(const JobRecord& job) override { RunSonicJob(state_, observer_, job); }

  private:
    BatcherState& state_;
    RunObserver& observer_;
};

unsigned __stdcall runnerThread(void* argument) {
    auto* run = static_cast<RunContext*>(argument);
    BatcherState& state = run->state;
    try {
        DialogObserver observer(*run);
        ListQueue queue(state);
        WindowsRunners runners(state, observer);
        run->closingMessages = RunJobs(queue, runners, observer, state.settings, state.usable,
                                       RunShared{state.abort, state.progressTotal, state.jobLog});
    } catch (...) {
        // Nothing may end the thread without ending the dialog; what the job
        // started has been ended on the way out.
    }
    state.encoderWindow = nullptr;
    PostMessageA(run->dialog, kRunFinished, 0, 0);
    return 0;
}

void onInit(HWND dialog, RunContext& run) {
    BatcherState& state = run.state;
    run.dialog = dialog;
    state.progressWindow = dialog;
    ShowWindow(state.mainWindow, SW_SHOWNOACTIVATE);
    SendDlgItemMessageA(dialog, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, kBarMaximum));
    CheckDlgButton(dialog, IDC_SHOW_PROGRAMS, state.showPrograms ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_SHOW_LOG,
                   state.settings.showLogWindow ? BST_CHECKED : BST_UNCHECKED);
    uintptr_t thread = _beginthreadex(nullptr, 0, runnerThread, &run, 0, nullptr);
    state.runnerThread = reinterpret_cast<HANDLE>(thread);
    if (!thread) EndDialog(dialog, 0);
}

void onCommand(HWND dialog, BatcherState& state, int id) {
    switch (id) {
    case IDC_STOP:
    case IDCANCEL: // Escape
        state.abort = true;
        break;
    case IDC_SHOW_PROGRAMS:
        state.showPrograms = IsDlgButtonChecked(dialog, IDC_SHOW_PROGRAMS) == BST_CHECKED;
        ShowOrHidePrograms(state);
        break;
    case IDC_SHOW_LOG:
        ApplyShowLogWindow(state, IsDlgButtonChecked(dialog, IDC_SHOW_LOG) == BST_CHECKED);
        break;
    default:
        break;
    }
}

INT_PTR handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = DialogRecord<RunContext>(dialog, message, lParam);
    if (!run) return FALSE;
    if (message == WM_INITDIALOG) {
        onInit(dialog, *run);
        return TRUE;
    }
    switch (message) {
    case WM_COMMAND:
        onCommand(dialog, run->state, LOWORD(wParam));
        return TRUE;
    case kShowRunWarning:
        WarnUser(dialog, run->warning);
        return TRUE;
    case kJobFinished:
        RefreshLogWindow(run->state);
        return TRUE;
    case kRunFinished:
        EndDialog(dialog, 1);
        return TRUE;
    case WM_CLOSE: // as Stop: the runner ends the dialog once it is done
        run->state.abort = true;
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void ShowProgressDialog(BatcherState& state) {
    if (state.busy) return; // one run at a time
    state.busy = true;
    state.abort = false;
    RunContext run{state};
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), state.mainWindow,
                    GuardedDialogProc<handle>, reinterpret_cast<LPARAM>(&run));
    WaitForThreadPumping(state.runnerThread);
    state.progressWindow = nullptr;
    for (const std::string& text : run.closingMessages)
        if (IsWindow(state.mainWindow)) WarnUser(state.mainWindow, text);
    if (state.runnerThread) CloseHandle(state.runnerThread);
    state.runnerThread = nullptr;
    state.busy = false;
}

void StopRunAndWait(BatcherState& state) {
    if (!state.busy) return;
    state.abort = true;
    if (HWND dialog = state.progressWindow)
        SetDlgItemTextA(dialog, IDC_CURRENT_FILE, kStoppingText);
    if (WaitForThreadPumping(state.runnerThread, kStopWaitMs)) return;
    // Held by something outside Quillmere: what the job started goes, which
    // lets the runner go too; should it still not come back, the program
    // ends without it.
    ProcessTree::endAll();
    if (WaitForThreadPumping(state.runnerThread, kStopWaitMs)) return;
    AppendLog(state.jobLog, "\r\n***** Quillmere ended before the job had ended *****\r\n");
    state.jobLog.closeFile();
    state.messageLog.closeFile();
    ExitProcess(1);
}

} // namespace corv

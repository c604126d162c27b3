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
#include "batcher/win/progress_controls.h"
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
    int jobsAtOnce = 1;
};

// Several jobs at once: slot k > 0 shows its job and bar in these controls,
// made below slot 0's (3220 and 3210); the queue's bar is beside its count.
constexpr int kSlotTextId = 3230, kSlotBarId = 3240, kQueueBarId = 3239;
constexpr int kSlotRowDu = 30; // dialog units from one slot's row to the next

int slotText(int slot) {
    return slot == 0 ? IDC_CURRENT_FILE : kSlotTextId + slot;
}
int slotBar(int slot) {
    return slot == 0 ? IDC_PROGRESS_BAR : kSlotBarId + slot;
}

// The dialog as the runner thread sees it: every call is a message to the
// user-interface thread.
class DialogObserver final : public RunObserver {
  public:
    explicit DialogObserver(RunContext& run) : run_(run), shown_(run.dialog) {}
    void warn(std::string_view text, std::string_view) override {
        run_.warning = text;
        SendMessageA(shown_.dialog(), kShowRunWarning, 0, 0);
    }
    void jobStarted(int index, int total, std::string_view name) override {
        shown_.text(name);
        shown_.text(formatText("%i/%i", index, total), IDC_FILES_FINISHED);
        progress(0);
    }
    void progress(int percent) override { shown_.percent(percent); }
    void jobFinished() override { PostMessageA(shown_.dialog(), kJobFinished, 0, 0); }
    void slotStarted(int slot, std::string_view name, std::string_view encoder) override {
        shown_.text(name.empty() ? std::string()
                                 : formatText("%s - %s", std::string(name).c_str(),
                                              std::string(encoder).c_str()),
                    slotText(slot));
        slotProgress(slot, 0);
    }
    void slotProgress(int slot, int percent) override { shown_.percent(percent, slotBar(slot)); }
    void queueProgress(int finished, int total) override {
        shown_.text(formatText("%i/%i", finished, total), IDC_FILES_FINISHED);
        shown_.percent(total > 0 ? finished * 100 / total : 0, kQueueBarId);
    }

  private:
    RunContext& run_;
    ProgressControls shown_;
};

// Room for every slot: the dialog grows by a row per slot after the first,
// the controls below the rows move down, and each row has a name and a bar.
void makeSlotRows(HWND dialog, int slots) {
    RECT step{0, 0, 0, kSlotRowDu};
    MapDialogRect(dialog, &step);
    const int rowHeight = step.bottom, grow = rowHeight * (slots - 1);
    auto placeOf = [&](int id) {
        RECT place{};
        GetWindowRect(GetDlgItem(dialog, id), &place);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
        return place;
    };
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    auto make = [&](const char* kind, int id, RECT place, int down, DWORD style) {
        HWND control = CreateWindowExA(
            0, kind, "", WS_CHILD | WS_VISIBLE | style, place.left, place.top + down,
            place.right - place.left, place.bottom - place.top, dialog,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SendMessageA(control, PBM_SETRANGE, 0, MAKELPARAM(0, kBarMaximum));
    };
    // Each row's name takes the row's whole width, as the bar does.
    RECT bar = placeOf(IDC_PROGRESS_BAR), text = placeOf(IDC_CURRENT_FILE);
    text.left = bar.left;
    text.right = bar.right;
    ShowWindow(GetDlgItem(dialog, IDC_CURRENT_FILE_LABEL), SW_HIDE);
    SetWindowPos(GetDlgItem(dialog, IDC_CURRENT_FILE), nullptr, text.left, text.top,
                 text.right - text.left, text.bottom - text.top, SWP_NOZORDER);
    for (int slot = 1; slot < slots; ++slot) {
        make("STATIC", slotText(slot), text, rowHeight * slot, SS_NOPREFIX);
        make(PROGRESS_CLASSA, slotBar(slot), bar, rowHeight * slot, WS_BORDER);
    }
    for (int id : {IDC_FILES_FINISHED_LABEL, IDC_FILES_FINISHED, IDC_SHOW_PROGRAMS, IDC_SHOW_LOG,
                   IDC_STOP}) {
        RECT place = placeOf(id);
        SetWindowPos(GetDlgItem(dialog, id), nullptr, place.left, place.top + grow, 0, 0,
                     SWP_NOZORDER | SWP_NOSIZE);
    }
    RECT count = placeOf(IDC_FILES_FINISHED);
    count.left = (count.left + bar.right) / 2;
    count.right = bar.right;
    make(PROGRESS_CLASSA, kQueueBarId, count, 0, WS_BORDER);
    RECT window{};
    GetWindowRect(dialog, &window);
    SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left,
                 window.bottom - window.top + grow, SWP_NOZORDER | SWP_NOMOVE);
}

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
    WindowsRunners(BatcherState& state, RunObserver& observer, int jobsAtOnce)
        : state_(state), observer_(observer), consoles_(state, jobsAtOnce > 1) {}
    void openConsole() override { OpenBatcherConsole(state_); }
    void closeConsole() override { CloseBatcherConsole(state_); }
    void clearConsole() override { ClearBatcherConsole(); }
    void hideConsole() override { HideBatcherConsole(state_); }
    bool startConsoleJob(int slot, const std::string& commandLine, std::string_view title,
                         uint16_t colour, std::string& failure) override {
        return consoles_.start(slot, commandLine, title, colour, failure);
    }
    ScreenLook lookAtConsole(int slot) override { return consoles_.look(slot); }
    std::string endConsoleJob(int slot, bool& endedByItself,
                              std::optional<uint32_t>& exitCode) override {
        return consoles_.end(slot, endedByItself, exitCode);
    }
    void removeOutput(const std::string& path) override { DeleteFileA(path.c_str()); }
    void pause() override { consoles_.pause(); }
    void runAc3Job(const JobRecord& job) override { RunAc3LibraryJob(state_, observer_, job); }
    void runSurcodeJob(const JobRecord& job) override { RunSurcodeJob(state_, observer_, job); }
    void runSonicJob(const JobRecord& job) override { RunSonicJob(state_, observer_, job); }

  private:
    BatcherState& state_;
    RunObserver& observer_;
    ConsoleJobs consoles_;
};

unsigned __stdcall runnerThread(void* argument) {
    auto* run = static_cast<RunContext*>(argument);
    BatcherState& state = run->state;
    try {
        DialogObserver observer(*run);
        ListQueue queue(state);
        WindowsRunners runners(state, observer, run->jobsAtOnce);
        run->closingMessages =
            RunJobs(queue, runners, observer, state.settings, state.usable,
                    RunShared{state.abort, state.progressTotal, state.jobLog, run->jobsAtOnce});
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
    if (run.jobsAtOnce > 1) makeSlotRows(dialog, run.jobsAtOnce);
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
    run.jobsAtOnce = jobsAtOnceOf(state.settings, ProcessorCount());
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

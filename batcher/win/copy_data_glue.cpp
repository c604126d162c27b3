#include "batcher/win/copy_data_glue.h"

#include "batcher/config/win/window_module_path.h"
#include "batcher/win/app_messages.h"
#include "batcher/win/job_list.h"
#include "batcher/win/log_window.h"
#include "batcher/win/message_box_notifier.h"
#include "batcher/win/resource.h"
#include "protocol/messages.h"

#include <string>
#include <vector>

namespace corv {
namespace {

struct Warning {
    std::string text;
    std::string title;
};

std::vector<Warning>& pendingWarnings() {
    static std::vector<Warning> warnings;
    return warnings;
}

// A message box inside WM_COPYDATA would hold the sender until the user
// answers it; the warnings are kept and shown after the call instead.
class DeferredNotifier final : public Notifier {
  public:
    void warn(std::string_view text, std::string_view title) override {
        pendingWarnings().push_back({std::string(text), std::string(title)});
        held_ = true;
    }
    bool held() const { return held_; }

  private:
    bool held_ = false;
};

void reply(HWND mainWindow, HWND sender, MessageId id, const void* payload, DWORD size) {
    if (!IsWindow(sender)) return;
    COPYDATASTRUCT data{};
    data.dwData = static_cast<ULONG_PTR>(id);
    data.cbData = size;
    data.lpData = const_cast<void*>(payload); // the API takes it non-const; it is only read
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(sender, WM_COPYDATA, reinterpret_cast<WPARAM>(mainWindow),
                        reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kReplyTimeoutMs,
                        &ignored);
}

// False when a job that the core accepted cannot be listed after all.
bool carryOut(BatcherState& state, HWND sender, CopyDataOutcome& outcome) {
    HWND main = state.mainWindow;
    switch (outcome.action) {
    case CopyDataAction::None:
        break;
    case CopyDataAction::ReplyConnection:
        reply(main, sender, MessageId::ConnectionReply, nullptr, 0);
        break;
    case CopyDataAction::BringToFront:
        // Corvandale starts the batcher minimised; the foreground alone would not show it.
        if (IsIconic(main)) ShowWindow(main, SW_RESTORE);
        SetForegroundWindow(main);
        break;
    case CopyDataAction::PostRun:
        state.showPrograms = false;
        PostMessageA(main, WM_COMMAND, IDC_RUN, 0);
        break;
    case CopyDataAction::AppendRow: {
        if (!outcome.job) return false;
        HWND list = GetDlgItem(main, IDC_JOB_LIST);
        HoldJobListPainting(main, list);
        return AppendJobRow(list, std::move(outcome.job), outcome.programName,
                            outcome.oneLineDescription);
    }
    case CopyDataAction::ReplyCommandline:
        reply(main, sender, MessageId::GiveCommandline, outcome.replyText.c_str(),
              static_cast<DWORD>(outcome.replyText.size() + 1));
        break;
    }
    return true;
}

} // namespace

std::string ModulePathOf(HWND window, bool ntPlatform) {
    char path[kPathFieldSize] = {};
    if (!GetWindowModulePath(window, path, sizeof path, ntPlatform)) return {};
    return std::string(fieldText(path));
}

LRESULT OnCopyData(BatcherState& state, HWND sender, const COPYDATASTRUCT* data) {
    if (!data) return TRUE;
    const bool nt = state.ntPlatform;
    // A copy: a message box shown while handling this message lets the next
    // message (and its sender) in.
    const std::string senderName =
        state.sender.update(reinterpret_cast<uintptr_t>(sender), [nt](uintptr_t window) {
            return ModulePathOf(reinterpret_cast<HWND>(window), nt);
        });

    CopyDataMessage message;
    message.senderName = senderName;
    message.id = data->dwData;
    message.payload = data->lpData;
    message.size = data->cbData;
    DeferredNotifier notifier;
    CopyDataOutcome outcome =
        handleCopyData(message, state.busy, state.settings, state.messageLog, notifier);
    // From here on nothing of the sender's payload is read.
    const bool listed = carryOut(state, sender, outcome);
    RefreshLogWindowSoon(state);
    if (notifier.held()) PostMessageA(state.mainWindow, kShowPendingWarnings, 0, 0);
    return outcome.jobRefused || !listed ? 0 : TRUE;
}

void ShowPendingWarnings(HWND owner) {
    // Taken first: a message box lets further messages in, which may add warnings.
    std::vector<Warning> warnings;
    warnings.swap(pendingWarnings());
    for (const Warning& w : warnings)
        MessageBoxNotifier(owner).warn(w.text, w.title);
}

} // namespace corv

#include "analyser/batcher_client/win/batcher_link.h"

#include "analyser/batcher_client/job_builder.h"
#include "analyser/shared_ui/win/analyser_state.h"
#include "analyser/shared_ui/win/message_box_notifier.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/win/dialog_program.h"
#include "protocol/fixed_text.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace corv {
namespace {

constexpr char kBatcherExe[] = "Quillmere.exe";
constexpr DWORD kInputIdleWaitMs = 3000;
constexpr DWORD kAfterStartPauseMs = 100;
// The reply to Open connection and the messages without payload: under load
// the batcher takes tens of milliseconds, not a second.
constexpr UINT kReplyWaitMs = 1000;
// A job or a preview: the batcher copies 6800 bytes. One that takes longer
// than this is taken for hung.
constexpr UINT kJobAnswerMs = 8000;

// Counts the accepted replies to Open connection, so that a connection
// attempt can tell a new reply from a window known before.
std::atomic<unsigned> connectionReplies{0};

// Nothing when the receiver did not answer within the time (or is gone);
// otherwise its answer.
std::optional<DWORD_PTR> sendCopyData(HWND to, HWND from, MessageId id, const void* payload,
                                      DWORD size, UINT timeoutMs) {
    COPYDATASTRUCT data{};
    data.dwData = static_cast<ULONG_PTR>(id);
    data.cbData = size;
    data.lpData = const_cast<void*>(payload); // the API takes it non-const; it is only read
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                             reinterpret_cast<LPARAM>(&data), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                             timeoutMs, &result))
        return std::nullopt;
    return result;
}

// Handles the messages sent to this thread (the reply is one) until the
// condition holds or the time is up. Posted messages stay queued in their order.
template <typename Condition> bool handleSentMessagesUntil(Condition done, DWORD limitMs) {
    const ULONGLONG end = GetTickCount64() + limitMs;
    for (ULONGLONG now = GetTickCount64(); !done(); now = GetTickCount64()) {
        if (now >= end) return false;
        const DWORD left = static_cast<DWORD>(end - now);
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_SENDMESSAGE) == WAIT_OBJECT_0) {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
    return true;
}

// Open connection to a running batcher; its reply 102 comes back while we wait.
bool openConnection() {
    if (!BatcherRuns()) return false;
    AnalyserState& state = Analyser();
    HWND batcher = FindWindowA(kBatcherWindowName, kBatcherWindowName);
    if (batcher) {
        const unsigned before = connectionReplies;
        sendCopyData(batcher, state.mainWindow, MessageId::OpenConnection, nullptr, 0,
                     kReplyWaitMs);
        handleSentMessagesUntil([before] { return connectionReplies != before; }, kReplyWaitMs);
    }
    return state.batcherWindow != nullptr;
}

bool launch(const std::string& exe) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_MINIMIZE;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + exe + "\"";
    const std::string directory(upToLastSeparator(exe));
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        HIGH_PRIORITY_CLASS, nullptr, directory.c_str(), &startup, &process))
        return false;
    WaitForInputIdle(process.hProcess, kInputIdleWaitMs);
    Sleep(kAfterStartPauseMs);
    SetPriorityClass(process.hProcess, NORMAL_PRIORITY_CLASS);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool hasText(HWND window, bool className, const char* expected) {
    char text[32] = {};
    const int length = className ? GetClassNameA(window, text, sizeof text)
                                 : GetWindowTextA(window, text, sizeof text);
    return length > 0 && std::strcmp(text, expected) == 0;
}

} // namespace

bool BatcherRuns() {
    return AnotherInstanceRuns(kBatcherSemaphore);
}

// A Quillmere closed and started again runs under the semaphore with a new window.
void ForgetBatcherIfGone() {
    std::atomic<HWND>& known = Analyser().batcherWindow;
    if (!BatcherRuns() || !IsWindow(known)) known = nullptr;
}

bool IsBatcherWindow(HWND window) {
    return window && window == Analyser().batcherWindow;
}

bool AcceptConnectionReply(HWND sender) {
    if (!hasText(sender, true, kBatcherWindowName) || !hasText(sender, false, kBatcherWindowName))
        return false;
    Analyser().batcherWindow = sender;
    ++connectionReplies;
    return true;
}

bool ConnectBatcher(bool start) {
    if (openConnection()) return true;
    if (!start) return false;
    const std::optional<std::string> exe =
        findFileInTree(Analyser().programDirectory, kBatcherExe, kPathFieldSize);
    if (!exe) return false;
    Analyser().batcherWindow = nullptr;
    launch(*exe);
    return openConnection();
}

bool RequestCommandLine(HWND requester, int32_t jobType) {
    AnalyserState& state = Analyser();
    ForgetBatcherIfGone();
    if (!state.batcherWindow && !openConnection()) return false;
    auto record = std::make_unique<JobRecord>();
    MessageBoxNotifier notifier(requester);
    buildPreviewRecord(jobType, state.settings.encoders, *record, notifier);
    return sendCopyData(state.batcherWindow, requester, MessageId::GiveCommandline, record.get(),
                        sizeof *record, kJobAnswerMs)
        .has_value();
}

Delivery SendToBatcher(MessageId id, const JobRecord* job) {
    AnalyserState& state = Analyser();
    if (!BatcherRuns()) {
        if (!job) state.batcherWindow = nullptr;
        return Delivery::NoBatcher;
    }
    HWND batcher = state.batcherWindow;
    if (!batcher || !IsWindow(batcher)) return Delivery::NoBatcher;
    const std::optional<DWORD_PTR> answer =
        job ? sendCopyData(batcher, state.mainWindow, id, job, sizeof *job, kJobAnswerMs)
            : sendCopyData(batcher, state.mainWindow, id, nullptr, 0, kReplyWaitMs);
    if (!answer) return Delivery::NoAnswer;
    return job && *answer == 0 ? Delivery::Refused : Delivery::Delivered;
}

void AllowBatcherToComeForward() {
    DWORD processId = 0;
    if (GetWindowThreadProcessId(Analyser().batcherWindow, &processId))
        AllowSetForegroundWindow(processId);
}

} // namespace corv

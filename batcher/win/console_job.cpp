#include "batcher/win/console_job.h"

#include "batcher/core/console_screen.h"
#include "batcher/core/job_progress.h"
#include "batcher/encoders/text_format.h"
#include "batcher/win/batcher_console.h"
#include "batcher/win/resource.h"
#include "batcher/win/system_error.h"

namespace corv {
namespace {

constexpr DWORD kPollMs = 50;
constexpr UINT kStoppedExitCode = 0;
constexpr DWORD kEndWaitMs = 10000;
constexpr char kFinishedLine[] = "\r\n***** Process Finished/Terminated ***** \r\n\r\n\r\n";

bool hasEnded(HANDLE process, DWORD waitMs) {
    return WaitForSingleObject(process, waitMs) != WAIT_TIMEOUT;
}

class ConsoleJob {
  public:
    ConsoleJob(BatcherState& state, RunObserver& observer, const ProgressReading& reading)
        : state_(state), observer_(observer), reading_(reading) {}

    // Waits for the progress texts; true when progress is to be read.
    bool waitForMarker(HANDLE process) {
        std::string screen = ReadBatcherConsole(kScreenReadChars);
        bool monitor = true;
        while (!reading_.shows(screen)) {
            if (hasEnded(process, kPollMs) || !monitor) break;
            screen = ReadBatcherConsole(kScreenReadChars);
            if (state_.abort) monitor = false;
            Sleep(kPollMs);
        }
        // An encoder that has already ended still has its last figure read.
        return monitor && !state_.abort && reading_.shows(screen);
    }

    // Until the encoder ends or Stop is pressed. The screen is read once
    // more after the end, so the last figure the encoder showed counts; an
    // encoder that ended by itself with exit code 0 has done all of its work.
    void readProgress(HANDLE process) {
        for (;;) {
            Sleep(kPollMs);
            bool ended = hasEnded(process, 0);
            showProgress();
            if (state_.abort) return;
            if (ended) {
                DWORD code = 1;
                if (GetExitCodeProcess(process, &code) && code == 0) show(100);
                return log("\r\n");
            }
            hasEnded(process, kPollMs);
        }
    }

  private:
    void log(std::string_view text) { AppendLog(state_.jobLog, text); }

    void showProgress() {
        int cursor = kCursorMoving;
        std::string screen = ReadBatcherConsole(kScreenReadChars, &cursor);
        if (std::optional<int> percent = reading_.percent(screen, cursor, state_.progressTotal))
            show(*percent);
    }

    void show(int percent) {
        if (!rising_.rises(percent)) return;
        observer_.progress(percent);
        log(formatText(" %i%% ", percent));
    }

    BatcherState& state_;
    RunObserver& observer_;
    const ProgressReading& reading_;
    RisingPercent rising_;
};

void logExitCode(BatcherLog& log, HANDLE process) {
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code)) return;
    // A failing encoder must not look like a finished one.
    AppendLog(log, formatText("\tExit code: %lu%s\r\n", static_cast<unsigned long>(code),
                              code == 0 ? "" : " (the encoder failed)"));
}

} // namespace

void RunConsoleJob(BatcherState& state, RunObserver& observer, const CommandLineRecord& command,
                   const ProgressReading& reading, const std::string& outputPath) {
    BatcherLog& log = state.jobLog;
    AppendLog(log, "***** Starting dos job: *****\r\n");
    std::string line = commandLineText(command);
    AppendLog(log, "\tRunning: " + line + "\r\n");

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, IDLE_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &process)) {
        AppendLog(log, "\tThe program could not be started: " + SystemErrorText(GetLastError()) +
                           "\r\n");
        AppendLog(log, kFinishedLine);
        return;
    }
    Sleep(kPollMs);
    SendMessageA(state.progressWindow, WM_COMMAND, IDC_SHOW_PROGRAMS, 0);

    ConsoleJob job(state, observer, reading);
    bool monitor = job.waitForMarker(process.hProcess);
    AppendLog(log, "\tProgress: ");
    if (monitor) job.readProgress(process.hProcess);

    std::string screen = ReadBatcherConsole(kScreenDumpChars);
    bool endedByItself = hasEnded(process.hProcess, 0);
    if (!endedByItself) {
        TerminateProcess(process.hProcess, kStoppedExitCode);
        WaitForSingleObject(process.hProcess, kEndWaitMs); // its files are closed after this
    }
    AppendLog(log, screenDump(screen));
    if (endedByItself) logExitCode(log, process.hProcess);
    if (state.abort) {
        AppendLog(log, "\r\n\tUser aborted conversion.");
        // A stopped encoder's output is cut short; it must not look finished.
        if (!outputPath.empty()) DeleteFileA(outputPath.c_str());
    }
    AppendLog(log, kFinishedLine);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

} // namespace corv

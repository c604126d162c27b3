#include "batcher/win/console_job.h"

#include "batcher/core/console_screen.h"
#include "batcher/core/job_end.h"
#include "batcher/core/job_progress.h"
#include "batcher/encoders/text_format.h"
#include "batcher/win/batcher_console.h"
#include "batcher/win/process_tree.h"
#include "batcher/win/resource.h"
#include "batcher/win/system_error.h"

namespace corv {
namespace {

constexpr DWORD kPollMs = 50;
constexpr UINT kStoppedExitCode = 0;
constexpr char kFinishedLine[] = "\r\n***** Process Finished/Terminated ***** \r\n\r\n\r\n";

class ConsoleJob {
  public:
    ConsoleJob(BatcherState& state, RunObserver& observer, const ProgressReading& reading)
        : state_(state), observer_(observer), reading_(reading) {}

    // Waits for the progress texts; true when progress is to be read.
    bool waitForMarker(const ProcessTree& encoder) {
        std::string screen = ReadBatcherConsole(kScreenReadChars);
        bool monitor = true;
        while (!reading_.shows(screen)) {
            if (encoder.hasEnded(kPollMs) || !monitor) break;
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
    void readProgress(const ProcessTree& encoder) {
        for (;;) {
            Sleep(kPollMs);
            bool ended = encoder.hasEnded();
            showProgress();
            if (ended) {
                if (encoder.exitCode() == 0u) show(100);
                return log("\r\n");
            }
            if (state_.abort) return;
            encoder.hasEnded(kPollMs);
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

void logExitCode(BatcherLog& log, DWORD code) {
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
    ProcessTree encoder; // ended, with all it started, however this job ends
    if (!encoder.start(nullptr, line, nullptr, IDLE_PRIORITY_CLASS, startup)) {
        AppendLog(log, "\tThe program could not be started: " + SystemErrorText(GetLastError()) +
                           "\r\n");
        AppendLog(log, kFinishedLine);
        return;
    }
    Sleep(kPollMs);
    SendMessageA(state.progressWindow, WM_COMMAND, IDC_SHOW_PROGRAMS, 0);

    ConsoleJob job(state, observer, reading);
    bool monitor = job.waitForMarker(encoder);
    AppendLog(log, "\tProgress: ");
    if (monitor) job.readProgress(encoder);

    std::string screen = ReadBatcherConsole(kScreenDumpChars);
    const bool endedByItself = encoder.hasEnded();
    const ProgramEnd end{state.abort, endedByItself, encoder.exitCode()};
    encoder.end(kStoppedExitCode); // helpers it left too; their files are closed after this
    AppendLog(log, screenDump(screen));
    if (endedByItself && end.exitCode) logExitCode(log, *end.exitCode);
    JobEnd result = jobEndOf(end);
    AppendLog(log, result.logLine);
    // A stopped encoder's output is cut short; it must not look finished.
    if (result.removeOutput && !outputPath.empty()) DeleteFileA(outputPath.c_str());
    AppendLog(log, kFinishedLine);
}

} // namespace corv

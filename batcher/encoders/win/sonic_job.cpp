#include "batcher/core/job_progress.h"
#include "batcher/encoders/sonic_text.h"
#include "batcher/encoders/text_format.h"
#include "batcher/encoders/win/encoder_program.h"
#include "batcher/encoders/win/window_encoder_jobs.h"
#include "batcher/encoders/window_encoders.h"
#include "platform/path.h"
#include "platform/text_number.h"

namespace corv {
namespace {

constexpr DWORD kPollMs = 50;
constexpr char kFinishedLine[] = "\r\n***** Sonic Foundry finished/terminated *****\r\n\r\n\r\n";

// The percentage display, with "Cancel" taken away from the user.
HWND takeOver(HWND window) {
    HWND percentage = nullptr;
    ForEachChild(window, [&](HWND child) {
        std::string text = WindowTextOf(child);
        if (!percentage && text.find('%') != std::string::npos) percentage = child;
        if (text.find("Cancel") != std::string::npos) EnableWindow(child, FALSE);
    });
    return percentage;
}

void follow(BatcherState& state, RunObserver& observer, HWND window, HWND percentage) {
    AppendLog(state.jobLog, "\tProgress:");
    int64_t last = 0;
    bool running = true;
    while (running && IsWindow(window)) {
        std::optional<std::string> reading = DisplayReading(percentage);
        int64_t value = reading ? leadingInteger(*reading, INT32_MAX) : last;
        if (value != last) {
            last = value;
            observer.progress(percentOf(value, state.progressTotal));
            AppendLog(state.jobLog, formatText(" %i%%", static_cast<int>(value)));
        }
        if (state.abort) {
            running = false;
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        Sleep(kPollMs);
    }
    if (state.abort) AppendLog(state.jobLog, "\r\n\tUser aborted conversion.");
    AppendLog(state.jobLog, kFinishedLine);
}

} // namespace

void RunSonicJob(BatcherState& state, RunObserver& observer, const JobRecord& job) {
    BatcherLog& log = state.jobLog;
    AppendLog(log, "***** Starting Sonic Foundry *****\r\n");
    const SonicFoundrySettings& settings = job.settings.sonicFoundry;
    std::string parameterFile = joinPath(state.programDirectory, kSonicParameterFileName);
    if (!writeSonicParameterFile(parameterFile, BuildSonicIni(settings, false))) {
        AppendLog(log, formatText("\t\"%s\" cannot be written. Skipping current job\r\n",
                                  parameterFile.c_str()));
        return;
    }
    AppendLog(log, formatText("\tCreated \"%s\" with the following contents:\r\n",
                              parameterFile.c_str()) +
                       BuildSonicIni(settings, true) + "\t* END *\r\n");
    std::string command, output;
    BuildOutcome built =
        BuildSonicCommandLine(job, state.settings, parameterFile, false, command, &output);
    if (!built.ok) return AppendLog(log, "\t" + built.error + ". Skipping current job\r\n");
    AppendLog(log, "\tRunning: " + command + " \r\n");

    EncoderProgram encoder;
    if (!encoder.start(nullptr, command, nullptr, state.showPrograms, SW_HIDE, log))
        return AppendLog(log, kFinishedLine);
    HWND window = encoder.findWindow();
    if (!window) {
        AppendLog(log, "\tNo encoder window appeared.\r\n");
        AppendLog(log, kFinishedLine);
    } else {
        state.encoderWindow = window;
        follow(state, observer, window, takeOver(window));
        state.encoderWindow = nullptr;
    }
    encoder.end(window ? 1 : 0);
    if (state.abort) DeleteFileA(output.c_str()); // cut short: it must not look finished
}

} // namespace corv

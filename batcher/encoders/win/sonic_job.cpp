#include "batcher/core/job_progress.h"
#include "batcher/encoders/sonic_text.h"
#include "batcher/encoders/text_format.h"
#include "batcher/encoders/win/encoder_program.h"
#include "batcher/encoders/win/window_encoder_jobs.h"
#include "batcher/encoders/window_encoders.h"
#include "platform/path.h"
#include "platform/text_number.h"

#include <vector>

namespace corv {
namespace {

constexpr DWORD kPollMs = 50;
constexpr char kFinishedLine[] = "\r\n***** Sonic Foundry finished/terminated *****\r\n\r\n\r\n";

// The percentage display, with "Cancel" taken away from the user.
HWND takeOver(HWND window) {
    HWND percentage = nullptr;
    std::vector<HWND> cancel;
    ForEachChild(window, [&](HWND child) {
        std::string text = WindowTextOf(child);
        if (!percentage && text.find('%') != std::string::npos) percentage = child;
        if (text.find("Cancel") != std::string::npos) cancel.push_back(child);
    });
    TakeAway(window, std::move(cancel), false);
    return percentage;
}

// Until the program closes its window (true: it is done) or Stop (false). A
// program that has closed is done even when Stop came meanwhile.
bool follow(BatcherState& state, RunObserver& observer, const EncoderProgram& encoder, HWND window,
            HWND percentage) {
    AppendLog(state.jobLog, "\tProgress:");
    int64_t last = 0;
    for (;;) {
        if (!IsWindow(window) || encoder.hasEnded()) return true;
        if (state.abort) {
            PostMessageA(window, WM_CLOSE, 0, 0);
            return false;
        }
        std::optional<std::string> reading = DisplayReading(percentage);
        int64_t value = reading ? leadingInteger(*reading, INT32_MAX) : last;
        if (value != last) {
            last = value;
            observer.progress(percentOf(value, state.progressTotal));
            AppendLog(state.jobLog, formatText(" %i%%", static_cast<int>(value)));
        }
        Sleep(kPollMs);
    }
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
    bool done = false;
    if (!window) {
        AppendLog(log, "\tNo encoder window appeared.\r\n");
    } else {
        state.encoderWindow = window;
        done = follow(state, observer, encoder, window, takeOver(window));
        state.encoderWindow = nullptr;
    }
    encoder.finish(done, state, output, kFinishedLine, window ? 1 : 0);
}

} // namespace corv

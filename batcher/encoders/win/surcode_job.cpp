#include "batcher/core/job_progress.h"
#include "batcher/encoders/output_name.h"
#include "batcher/encoders/text_format.h"
#include "batcher/encoders/win/encoder_program.h"
#include "batcher/encoders/win/window_encoder_jobs.h"
#include "batcher/encoders/window_encoders.h"
#include "batcher/win/resource.h"
#include "platform/path.h"

namespace corv {
namespace {

constexpr DWORD kPollMs = 100;
constexpr int kEncodeStartPolls = 50; // five seconds for Encode to go grey
constexpr UINT kPressTimeoutMs = 5000;
constexpr char kFinishedLine[] = "\r\n***** Surcode finished/terminated *****\r\n\r\n\r\n";

struct SurcodeControls {
    HWND encode = nullptr;
    HWND elapsed = nullptr; // the display that showed "00:00:00.00"
};

class RegistryKey {
  public:
    explicit RegistryKey(const char* path) {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    bool ok() const { return key_ != nullptr; }

    void remove(const std::string& name) { RegDeleteValueA(key_, name.c_str()); }
    bool write(const RegistryValue& value) {
        if (value.isNumber) {
            DWORD number = value.number;
            return RegSetValueExA(key_, value.name.c_str(), 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&number),
                                  sizeof number) == ERROR_SUCCESS;
        }
        return RegSetValueExA(key_, value.name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(value.text.c_str()),
                              static_cast<DWORD>(value.text.size() + 1)) == ERROR_SUCCESS;
    }

  private:
    HKEY key_ = nullptr;
};

// The job runs on what is written here: an old value left in place would
// encode the previous job's files.
bool prepareRegistry(const JobRecord& job, BatcherLog& log, std::string& output) {
    SurcodeOutput surcode = surcodeOutputOf(job.jobType);
    RegistryKey key(surcode.registryKey);
    if (!key.ok()) {
        AppendLog(log, formatText("\tThe registry key \"%s\" cannot be opened. Skipping current "
                                  "job\r\n",
                                  surcode.registryKey));
        return false;
    }
    for (int i = 1; i <= kSurcodeFileValues; ++i)
        key.remove(formatText("WAVEFILE%i", i));
    BuildOutcome named = chooseOutputName(fieldText(job.outputDirectory), fieldText(job.baseName),
                                          surcode.extension, output);
    if (!named.ok) {
        AppendLog(log, "\t" + named.error + ". Skipping current job\r\n");
        return false;
    }
    for (const RegistryValue& value : surcodeRegistryValues(job, output)) {
        if (!key.write(value)) {
            AppendLog(log, formatText("\tThe registry value \"%s\" cannot be written. Skipping "
                                      "current job\r\n",
                                      value.name.c_str()));
            return false;
        }
        AppendLog(log, value.logLine);
    }
    return true;
}

// Takes away what the user could press, keeps the displays and finds Encode,
// which stays enabled: the program greys it while it encodes, and that is
// how the start of the encoding is seen.
SurcodeControls takeOver(HWND window) {
    SurcodeControls controls;
    HWND timeDisplay = nullptr;
    std::vector<HWND> others;
    ForEachChild(window, [&](HWND child) {
        std::string text = WindowTextOf(child);
        if (!controls.elapsed && text == kZeroTime)
            controls.elapsed = child;
        else if (!timeDisplay && isTimeDisplay(text))
            timeDisplay = child;
        else if (text == "Encode")
            controls.encode = controls.encode ? controls.encode : child;
        else
            others.push_back(child);
    });
    TakeAway(window, std::move(others), true);
    return controls;
}

class SurcodeRun {
  public:
    SurcodeRun(BatcherState& state, RunObserver& observer) : state_(state), observer_(observer) {}

    // Presses Encode and follows the encoding until Encode is enabled again
    // or the window goes (true: done), or Stop (false); nothing when the
    // encoding did not start.
    std::optional<bool> follow(HWND window, const SurcodeControls& controls) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(window, WM_COMMAND, static_cast<WPARAM>(GetDlgCtrlID(controls.encode)),
                            reinterpret_cast<LPARAM>(controls.encode), SMTO_ABORTIFHUNG,
                            kPressTimeoutMs, &ignored);
        if (!encodingStarted(controls.encode)) {
            AppendLog(state_.jobLog, "\tEncoding did not start: Encode stayed enabled.\r\n");
            return std::nullopt;
        }
        AppendLog(state_.jobLog, "\tProgress:");
        for (;;) {
            bool done = !IsWindow(window) || IsWindowEnabled(controls.encode);
            if (auto reading = DisplayReading(controls.elapsed))
                show(elapsedMilliseconds(*reading));
            if (done) return true;
            Sleep(kPollMs);
            // Encode enabled meanwhile: done, even when Stop came too.
            if (state_.abort && IsWindow(window) && !IsWindowEnabled(controls.encode)) {
                PostMessageA(window, WM_CLOSE, 0, 0);
                return false;
            }
        }
    }

  private:
    bool encodingStarted(HWND encode) {
        for (int poll = 0; poll < kEncodeStartPolls && !state_.abort; ++poll) {
            if (!IsWindowEnabled(encode)) return true;
            Sleep(kPollMs);
        }
        return !IsWindowEnabled(encode);
    }

    void show(int64_t elapsed) {
        int percent = percentOf(elapsed, state_.progressTotal);
        observer_.progress(percent);
        if (percent == lastLogged_) return;
        AppendLog(state_.jobLog, formatText(" %i%%", percent));
        lastLogged_ = percent;
    }

    BatcherState& state_;
    RunObserver& observer_;
    int lastLogged_ = 0;
};

} // namespace

void RunSurcodeJob(BatcherState& state, RunObserver& observer, const JobRecord& job) {
    BatcherLog& log = state.jobLog;
    AppendLog(log, "***** Starting surcode process *****\r\n");
    std::string output;
    if (!prepareRegistry(job, log, output)) return;
    std::string program(fieldText(state.settings.programPath[job.jobType - kFirstJobType]));
    std::string directory(upToLastSeparator(program));
    if (directory.empty()) return;
    AppendLog(log, formatText("\tRunning: \"%s\" \r\n", program.c_str()));

    EncoderProgram encoder;
    const bool shown = state.showPrograms;
    if (!encoder.start(program.c_str(), std::string(), directory.c_str(), shown, SW_MINIMIZE, log))
        return AppendLog(log, kFinishedLine);
    HWND window = encoder.findWindow();
    if (!window) {
        AppendLog(log, "\tNo encoder window appeared.\r\n");
        return encoder.finish(false, state, output, kFinishedLine, 0);
    }
    state.encoderWindow = window;
    SendMessageA(state.progressWindow, WM_COMMAND, IDC_SHOW_PROGRAMS, 0);
    if (!state.showPrograms) {
        Sleep(kPollMs);
        ShowWindowAsync(window, SW_HIDE);
    }
    SurcodeControls controls = takeOver(window);
    std::optional<bool> done;
    if (!controls.encode || !controls.elapsed)
        AppendLog(log, "\tThe encoder window has no Encode button or no time display.\r\n");
    else
        done = SurcodeRun(state, observer).follow(window, controls);
    state.encoderWindow = nullptr;
    // Done, it stays open: it is asked to close and may still be writing.
    if (done == true) PostMessageA(window, WM_CLOSE, 0, 0);
    encoder.finish(done == true, state, output, done ? kFinishedLine : "", 1);
}

} // namespace corv

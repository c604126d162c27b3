// Captures what a console encoder shows in the batcher's own console, for
// the screen snapshots of tests/data/screens:
//   screen_capture.exe OUTDIR JOBTYPE COMMAND
// runs COMMAND there as the batcher runs an encoder and writes every screen
// that differs from the one before to OUTDIR\NNNN.txt (a line "# cursor N"
// with the cursor's position in the screen text, then 80-column rows with
// their trailing blanks cut), the screen after the encoder's end to final.txt, and
// to index.txt one line per file with the percent the batcher reads from it
// ("-" for none) for a job of JOBTYPE on an input named somefile.wav.
// A program with windows, not a console one: only then is the console that
// the batcher allocates one whose screen can be read.
#include "batcher/core/console_screen.h"
#include "batcher/core/job_progress.h"
#include "batcher/core/progress_reading.h"
#include "batcher/win/batcher_console.h"
#include "batcher/win/batcher_state.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

struct NoMessages final : corv::Notifier {
    void warn(std::string_view, std::string_view) override {}
};

// The reading of a job of this type whose input is somefile.wav.
corv::ProgressReading readingOf(int32_t jobType) {
    auto job = std::make_unique<corv::JobRecord>();
    job->jobType = jobType;
    job->settings.twoLame.channelMode = 's';
    auto command = std::make_unique<corv::CommandLineRecord>();
    NoMessages messages;
    corv::BuildCommandLine(*job, corv::BatcherSettings{}, true, *command, messages);
    return corv::ProgressReading(jobType, *command);
}

std::string rowsOf(const std::string& screen) {
    std::string text;
    for (size_t row = 0; row < screen.size(); row += corv::kConsoleColumns) {
        std::string line = screen.substr(row, corv::kConsoleColumns);
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + "\n";
    }
    return text.erase(text.find_last_not_of('\n') + 1) + "\n";
}

class Capture {
  public:
    Capture(std::string folder, const corv::ProgressReading& reading)
        : folder_(std::move(folder)), reading_(reading),
          index_(std::fopen((folder_ + "\\index.txt").c_str(), "w")) {}
    ~Capture() {
        if (index_) std::fclose(index_);
    }
    bool ok() const { return index_ != nullptr; }

    // Writes the screen when it differs from the last one written.
    void take(const std::string& name = std::string()) {
        int cursor = corv::kCursorMoving;
        std::string screen = corv::ReadBatcherConsole(corv::kScreenReadChars, &cursor);
        if (screen == last_ && name.empty()) return;
        last_ = screen;
        char number[16];
        std::snprintf(number, sizeof number, "%04d", count_++);
        std::string file = name.empty() ? std::string(number) + ".txt" : name;
        if (std::FILE* out = std::fopen((folder_ + "\\" + file).c_str(), "wb")) {
            std::fprintf(out, "# cursor %d\n%s", cursor, rowsOf(screen).c_str());
            std::fclose(out);
        }
        std::optional<int> percent = reading_.percent(screen, cursor, corv::kDefaultProgressTotal);
        std::fprintf(index_, "%s %s\n", file.c_str(),
                     percent ? std::to_string(*percent).c_str() : "-");
    }

  private:
    std::string folder_;
    const corv::ProgressReading& reading_;
    std::FILE* index_;
    std::string last_;
    int count_ = 0;
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 4) return 2;
    corv::ProgressReading reading = readingOf(std::atoi(__argv[2]));
    Capture capture(__argv[1], reading);
    if (!capture.ok()) return 2;
    corv::BatcherState state;
    corv::OpenBatcherConsole(state);
    std::string command = __argv[3];
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, IDLE_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process))
        return 3;
    // As often as the machine lets it: a line caught half written is wanted.
    while (WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT)
        capture.take();
    capture.take("final.txt");
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    corv::CloseBatcherConsole(state);
    return static_cast<int>(code);
}

#pragma once
// What the console runner makes of one console job: it starts the program,
// reads its screen and ends it; every decision between those steps (does
// the screen show progress yet, which figure goes to the log, is the job
// over, what is said at its end) is taken here, one look at a time, so that
// several jobs can be watched side by side by one thread.
#include "batcher/core/job_end.h"
#include "batcher/core/job_progress.h"
#include "batcher/core/progress_reading.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace corv {

// One look at a running console job.
struct ScreenLook {
    bool ended = false; // the program had ended before the screen was read
    std::optional<uint32_t> exitCode;
    std::string screen; // kScreenReadChars from row 0, column 0
    int cursor = kCursorMoving;
};

// Where a console job's lines and readings go.
struct WatchOutput {
    std::function<void(std::string_view text)> log;
    std::function<void(int percent)> progress;
};

class ConsoleWatch {
  public:
    ConsoleWatch(ProgressReading reading, int progressTotal)
        : reading_(std::move(reading)), total_(progressTotal) {}

    static std::string startLines(std::string_view commandLine);
    // The program did not start; the job's whole rest.
    static std::string notStartedLines(std::string_view reason);

    // Feeds one look; stop is the abort flag. True once the job is over (its
    // program ended, or Stop was pressed): the runner then ends the program
    // and calls endLines.
    bool look(const ScreenLook& look, bool stop, const WatchOutput& out);

    // The last lines: the dump of the screen the program left, its exit code
    // when it ended by itself, what a Stop did. removeOutput: its output was
    // cut short.
    std::string endLines(std::string_view dumpScreen, const ProgramEnd& end, bool& removeOutput);

  private:
    enum class Phase { Marker, Reading, Over };
    void show(int percent, const WatchOutput& out);

    ProgressReading reading_;
    int total_;
    Phase phase_ = Phase::Marker;
    RisingPercent rising_;
};

} // namespace corv

#pragma once
// Console jobs as RunJobs starts, reads and ends them. One at a time, the
// encoder shares the batcher console. Several at once, each starts in a
// hidden console of its own, which this process attaches to once (a process
// has one console at a time) to open its screen, then leaves again; the
// screen is read through that handle.
#include "batcher/core/console_watch.h"
#include "batcher/win/batcher_state.h"
#include "batcher/win/process_tree.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace corv {

class ConsoleJobs {
  public:
    ConsoleJobs(BatcherState& state, bool ownConsoles);
    ~ConsoleJobs();
    ConsoleJobs(const ConsoleJobs&) = delete;
    ConsoleJobs& operator=(const ConsoleJobs&) = delete;

    // At idle priority; false with the system's reason when it did not start.
    bool start(int slot, const std::string& commandLine, std::string_view title, WORD colour,
               std::string& failure);
    ScreenLook look(int slot);
    // Ends the program with all it started: the screen it left and how it ended.
    std::string end(int slot, bool& endedByItself, std::optional<uint32_t>& exitCode);
    // 50 ms, then up to 50 ms more unless a program ends.
    void pause();

  private:
    struct Slot {
        ProcessTree program;
        HANDLE screen = INVALID_HANDLE_VALUE; // of its own console
        std::string lastScreen;               // for when that console has gone
        bool attach = false;                  // its console is still to be opened
    };
    void openScreen(int slot);
    std::string read(Slot& slot, int chars, int* cursor);

    BatcherState& state_;
    bool ownConsoles_;
    Slot slots_[kMostJobsAtOnce];
};

} // namespace corv

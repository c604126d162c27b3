#pragma once
// A window-driven encoder as the runners start, find, watch and end it.
#include "batcher/core/batcher_log.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace corv {

class EncoderProgram {
  public:
    EncoderProgram() = default;
    ~EncoderProgram() { end(0); }
    EncoderProgram(const EncoderProgram&) = delete;
    EncoderProgram& operator=(const EncoderProgram&) = delete;

    // Starts the program at normal priority, minimised or hidden (showCommand)
    // unless shown. A failed start is logged with its reason; nothing of it
    // is kept.
    bool start(const char* program, std::string commandLine, const char* directory, bool shown,
               WORD showCommand, BatcherLog& log);

    // Up to 60 times 50 ms: a top-level window of the program's main thread
    // titled "DTS Encoder..." or "Soft Encode...". Then the program runs at
    // idle priority.
    HWND findWindow();

    // Terminates the program if it still runs and closes its handles.
    void end(UINT exitCode);

  private:
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

// The text of another process's window (through WM_GETTEXT, bounded in time).
std::string WindowTextOf(HWND window);

// What a progress display shows, or nothing when it shows no number: a display
// torn down with its window reads empty, and that is no reading of 0.
std::optional<std::string> DisplayReading(HWND display);

// Every child and grandchild of a window, in the order the system lists them.
void ForEachChild(HWND window, const std::function<void(HWND child)>& visit);

} // namespace corv

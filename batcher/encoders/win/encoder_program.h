#pragma once
// A window-driven encoder as the runners start, find, watch and end it.
// Another program's windows may stop answering at any moment: every call
// into them here is bounded in time or asynchronous.
#include "batcher/core/batcher_log.h"
#include "batcher/win/batcher_state.h"
#include "batcher/win/process_tree.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corv {

class EncoderProgram {
  public:
    // Starts the program at normal priority, minimised or hidden (showCommand)
    // unless shown. A failed start is logged with its reason; nothing of it
    // is kept.
    bool start(const char* program, std::string commandLine, const char* directory, bool shown,
               WORD showCommand, BatcherLog& log);

    // Up to 60 times 50 ms: a top-level window of the program's main thread
    // titled "DTS Encoder..." or "Soft Encode...". Then the program runs at
    // idle priority.
    HWND findWindow();

    bool hasEnded() const { return tree_.hasEnded(); }

    // The end of the job: a program that is done (it said so, or it ended,
    // before the runner acted on a Stop) gets kFinishGraceMs to end by
    // itself, as it may still be writing; any other is ended at once. Logs how it ended, then
    // finishedLine (when given), ends the whole tree (exitCode) and removes
    // output when a Stop cut it short.
    void finish(bool done, BatcherState& state, const std::string& output,
                std::string_view finishedLine, UINT exitCode);

  private:
    ProcessTree tree_;
};

// Takes the controls away from the user (and, with menus, the window's menu
// bar and the Close of its system menu) without waiting long for a program
// that does not answer: the calls then finish whenever it answers again.
void TakeAway(HWND window, std::vector<HWND> controls, bool menus);

// The text of another process's window (through WM_GETTEXT, bounded in time).
std::string WindowTextOf(HWND window);

// What a progress display shows, or nothing when it shows no number: a display
// torn down with its window reads empty, and that is no reading of 0.
std::optional<std::string> DisplayReading(HWND display);

// Every child and grandchild of a window, in the order the system lists them.
void ForEachChild(HWND window, const std::function<void(HWND child)>& visit);

} // namespace corv

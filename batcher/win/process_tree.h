#pragma once
// A started program together with every process it starts (a .cmd wrapper's
// encoder, an encoder's helpers): all of them run in a job object of their
// own that ends them when it is closed. The one owner of a started
// program's handles: however a runner leaves (an early return, an exception),
// the whole tree is ended and its handles closed.
#include <windows.h>

#include <optional>
#include <string>

namespace corv {

class ProcessTree {
  public:
    ProcessTree() = default;
    ~ProcessTree() { end(0); }
    ProcessTree(const ProcessTree&) = delete;
    ProcessTree& operator=(const ProcessTree&) = delete;

    // Starts the command line (program null: the command's first word) in
    // the directory (null: ours). False, with GetLastError() telling why,
    // when it did not start.
    bool start(const char* program, std::string commandLine, const char* directory,
               DWORD priorityClass, const STARTUPINFOA& startup);

    HANDLE process() const { return info_.hProcess; }
    DWORD mainThreadId() const { return info_.dwThreadId; }

    // True once the started program itself has ended (waiting up to waitMs);
    // what it started may still run.
    bool hasEnded(DWORD waitMs = 0) const;
    // Its exit code, once it has ended.
    std::optional<DWORD> exitCode() const;

    // Ends every process of the tree that still runs and waits (10 s at
    // most) until all have gone, so that their files are closed; then closes
    // the handles. Nothing when no program runs.
    void end(UINT exitCode);

    // For an Exit whose runner does not come back in time: every tree of
    // this process is ended at once (their owners still close them).
    static void endAll();

  private:
    void terminate(UINT exitCode);
    void waitUntilGone() const;

    PROCESS_INFORMATION info_{};
    HANDLE job_ = nullptr;  // none where the system refuses one: then only the program is ended
    HANDLE news_ = nullptr; // the job's completion port: it says when no process is left
};

} // namespace corv

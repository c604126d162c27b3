#pragma once
// What lives for the whole run of Quillmere.exe and what its windows, the
// job runner and the Configure dialog share.
#include "batcher/config/batcher_settings.h"
#include "batcher/core/batcher_log.h"
#include "batcher/core/copy_data.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace corv {

struct JobRowCopy;

struct BatcherState {
    std::string programDirectory; // with its trailing backslash
    bool ntPlatform = true;
    BatcherSettings settings{};
    UsableFlags usable{};

    HWND mainWindow = nullptr;
    HWND logWindow = nullptr;      // none while closed
    HWND progressWindow = nullptr; // the progress or the download dialog
    HWND configurePages[3] = {};

    // Set on the user-interface thread before a run's dialog opens, cleared
    // after it has ended: one run at a time.
    std::atomic<bool> busy{false};
    // The runner thread of the current run, kept until the run has ended so
    // that Exit can wait for it.
    HANDLE runnerThread = nullptr;
    // Where the main window copies a row for the runner (kCopyJobRow); set
    // by the runner only while it waits for that copy.
    std::atomic<JobRowCopy*> rowCopy{nullptr};

    // Written by one thread and read by the other during a run.
    std::atomic<bool> abort{false};
    std::atomic<bool> showPrograms{false};
    std::atomic<int> progressTotal{100};
    std::atomic<HWND> consoleWindow{nullptr}; // the batcher console's window
    // Several jobs at once: the window of each slot's own console.
    std::atomic<HWND> slotConsoles[kMostJobsAtOnce] = {};
    std::atomic<HWND> encoderWindow{nullptr}; // a window-driven encoder's, while it runs

    // The download thread and the event that cancels it, while a download
    // dialog is open; Exit cancels the download and waits for its thread.
    HANDLE downloadThread = nullptr;
    HANDLE downloadCancel = nullptr;

    BatcherLog jobLog{LogKind::Job};
    BatcherLog messageLog{LogKind::Message};
    SenderNameCache sender;

    HANDLE instanceSemaphore = nullptr;
};

// The one state of this process.
BatcherState& Batcher();

// The processors of this machine, for "Jobs at once".
int ProcessorCount();

} // namespace corv

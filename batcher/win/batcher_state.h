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

struct BatcherState {
    std::string programDirectory; // with its trailing backslash
    bool ntPlatform = true;
    BatcherSettings settings{};
    UsableFlags usable{};

    HWND mainWindow = nullptr;
    HWND logWindow = nullptr;      // none while closed
    HWND progressWindow = nullptr; // the progress or the download dialog
    HWND consoleWindow = nullptr;
    HWND configurePages[3] = {};

    // Written by the job runner thread, read by the user-interface thread.
    std::atomic<bool> busy{false};
    std::atomic<bool> abort{false};
    std::atomic<bool> showPrograms{false};
    std::atomic<int> progressTotal{100};

    BatcherLog jobLog{LogKind::Job};
    BatcherLog messageLog{LogKind::Message};
    SenderNameCache sender;

    HANDLE instanceSemaphore = nullptr;
};

// The one state of this process.
BatcherState& Batcher();

} // namespace corv

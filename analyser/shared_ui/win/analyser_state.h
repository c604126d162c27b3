#pragma once
// What lives for the whole run of Corvandale.exe and what its windows and the
// conversion share. Set up at start-up, in the order the entry gives.
#include "analyser/engine/channel_maps.h"
#include "analyser/engine/settings_file.h"
#include "analyser/engine/win/ssrc_library.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace corv {

struct AnalyserState {
    std::string programDirectory; // with its trailing backslash
    AnalyserSettings settings{};
    ChannelMapList maps;
    SsrcLibrary ssrc;

    HWND mainWindow = nullptr;
    HWND fileList = nullptr;
    // Announced by Quillmere's reply to Open connection; the conversion thread reads it.
    std::atomic<HWND> batcherWindow{nullptr};
    HACCEL accelerators = nullptr;
    HANDLE instanceSemaphore = nullptr;
};

// The one state of this process.
AnalyserState& Analyser();

// Writes the settings file; silent when it cannot (as at every other save).
void SaveAnalyserSettings();

} // namespace corv

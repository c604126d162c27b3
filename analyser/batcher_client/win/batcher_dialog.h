#pragma once
// The batcher dialog (template 107, "Quillmere"): the encoder of the jobs,
// the two switches of the link to Quillmere, and Configure, which opens the
// chosen encoder's dialog.
#include "analyser/engine/settings_file.h"

#include <windows.h>

#include <functional>
#include <string>

namespace corv {

// Modeless, owned by owner (the main window), which the caller disables
// before and which the dialog enables again when it closes. Apply and Ok
// store into settings and write the settings file in programDirectory;
// while conversionRunning() is true they are refused with a short message.
HWND openBatcherDialog(HWND owner, AnalyserSettings& settings, const std::string& programDirectory,
                       std::function<bool()> conversionRunning);

} // namespace corv

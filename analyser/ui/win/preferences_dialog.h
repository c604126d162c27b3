#pragma once
// The preferences dialog (template 102): edits the conversion settings and
// saves them with the encoder blocks on Apply and Ok.
#include "analyser/engine/settings_file.h"

#include <windows.h>

#include <functional>
#include <string>

namespace corv {

// Modeless, owned by owner, which the caller disables before and which the
// dialog enables again when it closes. Apply and Ok store into settings and
// write the settings file in programDirectory; while workerRunning() is true
// they are refused with a short message. Null when it cannot be created.
HWND openPreferencesDialog(HWND owner, AnalyserSettings& settings,
                           const std::string& programDirectory,
                           std::function<bool()> workerRunning);

} // namespace corv

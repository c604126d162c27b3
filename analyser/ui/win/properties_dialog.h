#pragma once
// The "Wave Properties" viewer (template 108): one file's chunk tree, read
// from the file itself when the dialog opens.
#include "analyser/analysis/audio_file_record.h"
#include "analyser/engine/conversion_settings.h"

#include <windows.h>

namespace corv {

// Modeless, owned by owner, which the caller disables before and which the
// dialog enables again when it closes. The record and settings are read only
// while the dialog opens. Null when it cannot be created.
HWND openPropertiesDialog(HWND owner, const AudioFileRecord& record,
                          const ConversionSettings& settings);

} // namespace corv

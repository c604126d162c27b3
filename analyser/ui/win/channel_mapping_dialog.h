#pragma once
// The channel mapping dialog (template 105): the maps with a check box for
// the active one of each input count, New, View, Delete, Apply, Ok, Cancel
// and "Enable channelmapping".
#include "analyser/engine/channel_maps.h"
#include "analyser/engine/settings_file.h"

#include <windows.h>

#include <functional>
#include <string>

namespace corv {

// Modeless, owned by owner, which the caller disables before and which the
// dialog enables again when it closes. Apply and Ok make its maps the
// program's and write "mappings.ini" in programDirectory; while
// workerRunning() is true they wait with a short message. Cancel closes at
// once. Null when it cannot be created.
HWND openChannelMappingDialog(HWND owner, ChannelMapList& maps, AnalyserSettings& settings,
                              const std::string& programDirectory,
                              std::function<bool()> workerRunning);

// The open dialog's list, whose timer messages the message loop drops; null
// while no channel mapping dialog is open.
HWND channelMappingList();

} // namespace corv

#pragma once
// "Select mapping" (template 106): the channel counts and kind of a new map,
// then the "Configure Mapping" form built for them. Modal over the channel
// mapping dialog; the program's keys reach it as they reach the others.
#include "analyser/engine/channel_maps.h"

#include <windows.h>

#include <optional>

namespace corv {

// "&New": the map made in the form; nothing when the user cancels.
std::optional<ChannelMap> runNewMapDialog(HWND owner);

// "&View": the form filled with the map (at most 10 by 10 channels); the map
// as the form left it on Ok, nothing on Cancel.
std::optional<ChannelMap> runMapFormDialog(HWND owner, const ChannelMap& map);

} // namespace corv

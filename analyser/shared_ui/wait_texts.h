#pragma once
// What the windows say when an action must wait for the running conversion,
// which works on the list and the settings they would change.
#include <string_view>

namespace corv {

// The main window, the channel mapping dialog and the encoder dialogs.
inline constexpr std::string_view kWaitForConversionMessage =
    "The conversion is still running. Please wait until it has ended.";

// The preferences dialog has always said it in its own words.
inline constexpr std::string_view kWaitForConversionText =
    "Please wait until the conversion has finished.";

} // namespace corv

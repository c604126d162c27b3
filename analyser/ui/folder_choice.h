#pragma once
// The checks of a folder chosen in the folder browser, decided without the shell.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corv {

inline constexpr std::string_view kBrowseFolderTitle = "Select the output directory.";
inline constexpr std::string_view kBrowseWarningTitle = "WARNING";
inline constexpr std::string_view kInvalidDirectoryText = "Invalid directory";
inline constexpr std::string_view kNoFreeSpaceText =
    "Not enough free space available on the selected location";

// The message that refuses a folder given the bytes available to the user on
// its volume (nothing when they could not be read); empty when it is taken.
std::string_view freeSpaceRefusal(std::optional<uint64_t> bytesAvailable);

// A folder as the settings keep it: ending in a separator.
std::string withTrailingSeparator(std::string folder);

} // namespace corv

#pragma once
// The shell's folder browser for the output directory, with its checks.
#include <windows.h>

#include <optional>
#include <string>

namespace corv {

// Shows the browser owned by owner with preselect chosen at first. Returns the
// chosen folder ending in a backslash; nothing when the user cancels or the
// choice is refused ("Invalid directory", or too little free space when
// checkFreeSpace is set; each shown in a box titled "WARNING").
std::optional<std::string> browseForFolder(HWND owner, const std::string& preselect,
                                           bool checkFreeSpace);

} // namespace corv

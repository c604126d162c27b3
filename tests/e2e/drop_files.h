#pragma once
// Drops files on a window of another process as the shell would.
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// Loads drop_helper.dll (beside this test program) into the window's process
// and waits until it has posted WM_DROPFILES with the paths.
bool dropFiles(HWND target, const std::vector<std::string>& paths);

} // namespace e2e

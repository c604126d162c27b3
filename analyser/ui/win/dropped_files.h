#pragma once
// The paths of files dropped on a window.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace corv {

// Read straight from the drop's DROPFILES block, in the order given: asking
// for them one at a time walks the whole list for each, which takes seconds
// for thousands of files. Wide names come in the program's code page.
std::vector<std::string> DroppedPaths(HDROP drop);

} // namespace corv

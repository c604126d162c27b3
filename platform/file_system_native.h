#pragma once
// The platform's calls under file_system.cpp, one implementation per platform
// (file_system_posix.cpp, file_system_win.cpp).
#include <string>

namespace corv::native {

// 0 when the name exists, with isFolder set; otherwise the errno of the call.
// followLinks false asks about a link itself where the platform has links.
int statPath(const std::string& path, bool followLinks, bool& isFolder);

inline bool isDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

} // namespace corv::native

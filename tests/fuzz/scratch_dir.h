#pragma once
// One private folder per fuzzing process for targets that need real files.
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace corv::fuzz {

// The folder, with a trailing slash; made on first use.
inline const std::string& scratchDirectory() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/corv-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (!made) std::abort();
        return std::string(made) + "/";
    }();
    return dir;
}

} // namespace corv::fuzz

#pragma once
// What a test asks the drop helper DLL to drop, in shared memory named after
// the target process: this header, then the paths, each zero-terminated, and
// one more zero. The helper sets `posted` once WM_DROPFILES is on its way.
#include <cstdint>
#include <string>

namespace e2e {

struct DropRequest {
    uint64_t window;    // the HWND that gets WM_DROPFILES
    uint64_t pathBytes; // the paths with all their terminators
    uint64_t posted;
};

inline std::string dropMappingName(unsigned long processId) {
    return "CorvTestDrop-" + std::to_string(processId);
}

} // namespace e2e

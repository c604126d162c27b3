#include "platform/file_system.h"

#include "platform/file_system_native.h"

#include <cerrno>

namespace corv {

NameState nameState(const std::string& path) {
    bool isFolder = false;
    // A link that leads nowhere still takes its name: writing there would follow it.
    const int error = native::statPath(path, false, isFolder);
    if (error == 0) return NameState::Taken;
    // Only a plain "no such name" frees it.
    return error == ENOENT || error == ENOTDIR ? NameState::Free : NameState::Undecided;
}

bool isExistingFile(const std::string& path) {
    bool isFolder = false;
    return native::statPath(path, true, isFolder) == 0 && !isFolder;
}

} // namespace corv

#include "platform/file_system.h"

#include "platform/file_system_native.h"

#include "platform/path.h"

#include <cerrno>

namespace corv {
namespace {

std::optional<std::string> findInTree(const std::string& directory, const std::string& fileName,
                                      size_t maxPathBytes, int depth) {
    // Nothing below a folder whose path is already too long can fit either.
    if (directory.size() + fileName.size() >= maxPathBytes) return std::nullopt;
    if (std::optional<std::string> match = matchFileInDirectory(directory, fileName)) {
        std::string path = directory + *match;
        if (path.size() < maxPathBytes) return path;
    }
    if (depth >= kMaxTreeDepth) return std::nullopt;
    for (const std::string& folder : listSubdirectories(directory))
        if (auto hit =
                findInTree(directory + folder + kPathSeparator, fileName, maxPathBytes, depth + 1))
            return hit;
    return std::nullopt;
}

} // namespace

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

std::optional<std::string> findFileInTree(const std::string& directory, const std::string& fileName,
                                          size_t maxPathBytes) {
    return findInTree(directory, fileName, maxPathBytes, 0);
}

} // namespace corv

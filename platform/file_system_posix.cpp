#include "platform/file_system.h"
#include "platform/file_system_native.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace corv {

int native::statPath(const std::string& path, bool followLinks, bool& isFolder) {
    struct stat st {};
    const int result = followLinks ? stat(path.c_str(), &st) : lstat(path.c_str(), &st);
    if (result != 0) return errno;
    isFolder = S_ISDIR(st.st_mode);
    return 0;
}

std::optional<std::string> matchFileInDirectory(const std::string& directory,
                                                const std::string& name) {
    if (isExistingFile(directory + name)) return name;
    return std::nullopt;
}

std::vector<std::string> listSubdirectories(const std::string& directory) {
    std::vector<std::string> folders;
    DIR* dir = opendir(directory.c_str());
    if (!dir) return folders;
    while (const dirent* entry = readdir(dir)) {
        if (native::isDotEntry(entry->d_name)) continue;
        // lstat: a link to a folder is not followed, so a loop of links cannot trap the search.
        bool isFolder = false;
        if (native::statPath(directory + entry->d_name, false, isFolder) == 0 && isFolder)
            folders.emplace_back(entry->d_name);
    }
    closedir(dir);
    std::sort(folders.begin(), folders.end());
    return folders;
}

} // namespace corv

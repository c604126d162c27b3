#include "platform/file_system.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#else
#include <dirent.h>
#endif

namespace corv {
namespace {

#ifdef _WIN32
using StatRecord = struct _stat64;
int statOf(const std::string& path, StatRecord& st) {
    return _stat64(path.c_str(), &st);
}
int linkStatOf(const std::string& path, StatRecord& st) {
    return _stat64(path.c_str(), &st);
}
bool isFolder(const StatRecord& st) {
    return (st.st_mode & _S_IFDIR) != 0;
}
#else
using StatRecord = struct stat;
int statOf(const std::string& path, StatRecord& st) {
    return stat(path.c_str(), &st);
}
// A link that leads nowhere still takes its name: writing there would follow it.
int linkStatOf(const std::string& path, StatRecord& st) {
    return lstat(path.c_str(), &st);
}
bool isFolder(const StatRecord& st) {
    return S_ISDIR(st.st_mode);
}
#endif

bool isDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

} // namespace

NameState nameState(const std::string& path) {
    StatRecord st{};
    if (linkStatOf(path, st) == 0) return NameState::Taken;
    // Only a plain "no such name" frees it.
    return errno == ENOENT || errno == ENOTDIR ? NameState::Free : NameState::Undecided;
}

bool isExistingFile(const std::string& path) {
    StatRecord st{};
    return statOf(path, st) == 0 && !isFolder(st);
}

#ifdef _WIN32

std::optional<std::string> matchFileInDirectory(const std::string& directory,
                                                const std::string& name) {
    struct __finddata64_t found {};
    std::string pattern = directory + name;
    intptr_t search = _findfirst64(pattern.c_str(), &found);
    if (search == -1) return std::nullopt;
    std::optional<std::string> match;
    do {
        if (!(found.attrib & _A_SUBDIR)) match = found.name;
    } while (!match && _findnext64(search, &found) == 0);
    _findclose(search);
    return match;
}

std::vector<std::string> listSubdirectories(const std::string& directory) {
    std::vector<std::string> folders;
    struct __finddata64_t found {};
    std::string pattern = directory + "*";
    intptr_t search = _findfirst64(pattern.c_str(), &found);
    if (search == -1) return folders;
    do {
        if ((found.attrib & _A_SUBDIR) && !isDotEntry(found.name)) folders.emplace_back(found.name);
    } while (_findnext64(search, &found) == 0);
    _findclose(search);
    std::sort(folders.begin(), folders.end());
    return folders;
}

#else

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
        if (isDotEntry(entry->d_name)) continue;
        // lstat: a link to a folder is not followed, so a loop of links cannot trap the search.
        struct stat st {};
        std::string path = directory + entry->d_name;
        if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            folders.emplace_back(entry->d_name);
    }
    closedir(dir);
    std::sort(folders.begin(), folders.end());
    return folders;
}

#endif

} // namespace corv

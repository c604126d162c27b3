#include "platform/file_system.h"
#include "platform/file_system_native.h"

#include <algorithm>
#include <cerrno>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace corv {
namespace {

// FILE_ATTRIBUTE_REPARSE_POINT: the C runtime hands the system's attributes on
// whole, so junctions and folder links show it.
constexpr unsigned kReparsePointAttribute = 0x400;

} // namespace

// Windows names hold no links to follow or not.
int native::statPath(const std::string& path, bool, bool& isFolder) {
    struct _stat64 st {};
    if (_stat64(path.c_str(), &st) != 0) return errno;
    isFolder = (st.st_mode & _S_IFDIR) != 0;
    return 0;
}

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
        // A junction or folder link may lead back up the tree: not followed.
        if ((found.attrib & _A_SUBDIR) && !(found.attrib & kReparsePointAttribute) &&
            !native::isDotEntry(found.name))
            folders.emplace_back(found.name);
    } while (_findnext64(search, &found) == 0);
    _findclose(search);
    std::sort(folders.begin(), folders.end());
    return folders;
}

} // namespace corv

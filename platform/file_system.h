#pragma once
// The few file-system questions the batcher asks: is a name taken, does a
// file exist, which folders does a folder hold.
#include <optional>
#include <string>
#include <vector>

namespace corv {

enum class NameState {
    Free,      // nothing carries the name
    Taken,     // something does (its attributes can be read), even if it cannot be opened
    Undecided, // the question failed (no access to the folder, name too long...)
};
// Only a free name may be chosen for a new file.
NameState nameState(const std::string& path);

// True when the path names an existing file (not a folder).
bool isExistingFile(const std::string& path);

// The name of the file in the folder (ending in a separator) that matches the
// given name, as the file system spells it; nothing when there is none.
std::optional<std::string> matchFileInDirectory(const std::string& directory,
                                                const std::string& name);

// The sub-folders of a folder (ending in a separator), sorted by name so that
// a search goes the same way on every file system; without "." and ".." and,
// natively, without links to folders.
std::vector<std::string> listSubdirectories(const std::string& directory);

} // namespace corv

#pragma once
// The few file-system questions the programs ask: is a name taken, does a
// file exist, which folders does a folder hold, where in a tree is a file.
#include <cstddef>
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
// without links to folders (reparse points on Windows).
std::vector<std::string> listSubdirectories(const std::string& directory);

// Depth first: directory + the name as the file system spells it when such a
// file is there, else the first hit in the sub-folders in listing order. The
// search ends at kMaxTreeDepth levels and never looks at a path of
// maxPathBytes or more (a zero-terminated field of that size could not hold it).
inline constexpr int kMaxTreeDepth = 64;
std::optional<std::string> findFileInTree(const std::string& directory, const std::string& fileName,
                                          size_t maxPathBytes);

} // namespace corv

#pragma once
// Finding an encoder program in Quillmere's own folder tree (the automatic
// part of the Configure dialog's Find action).
#include <optional>
#include <string>
#include <string_view>

namespace corv {

// What the Find action looks for, by program index 0..11.
struct ProgramSearchInfo {
    std::string_view fileName; // "lame.exe"...; for window programs the manual search's name
    std::string_view findName; // the program's name in the Find messages
};
std::optional<ProgramSearchInfo> programSearchInfo(int programIndex);

// Depth-first: directory + name when such a file exists there, else the first
// hit in the sub-folders in the order they are listed. The directory ends in a separator.
std::optional<std::string> FindFileInTree(const std::string& directory,
                                          const std::string& fileName);

// For the command-line programs and the library (indices 2..9 and 11): the
// program directory's "bin" folder first, then its whole tree. Nothing for
// other indices or when not found.
std::optional<std::string> findProgramInTree(const std::string& programDirectory, int programIndex);

// Where a manual search starts: the folder of the edit's path when that names
// an existing file, otherwise the program directory.
std::string manualSearchDirectory(const std::string& editText, const std::string& programDirectory);

// Texts of the Find questions and the open-file filter.
std::string cantFindQuestion(std::string_view fileName);
std::string startProgramFirstQuestion(std::string_view programName, std::string_view windowTitle);
std::string openFileFilterName(int programIndex);         // "Lame encoder (*.exe)"
std::string_view openFileFilterPattern(int programIndex); // "*.exe" or "*.dll"

inline constexpr std::string_view kNewProgramNotHandledMessage =
    "Internal error, new program not correctly handled by Quillmere";

} // namespace corv

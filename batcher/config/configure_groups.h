#pragma once
// The Configure dialog's twelve program groups: four per page, and each
// group's control ids counted from its path edit: edit, +1 Disable, +2 Find,
// +3 Download.
#include <optional>

namespace corv {

inline constexpr int kConfigurePageCount = 3;
inline constexpr int kProgramsPerPage = 4;

enum class GroupControl { Path, Disable, Find, Download };

// 3010, 3020 ... 3100 for programs 0..9, then 3160 and 3170.
int pathEditId(int programIndex);
inline int controlId(int programIndex, GroupControl control) {
    return pathEditId(programIndex) + static_cast<int>(control);
}

struct GroupCommand {
    int programIndex;
    GroupControl control;
};
// The program and the role of a group's control; nothing for other ids.
std::optional<GroupCommand> groupCommandOf(int controlId);

} // namespace corv

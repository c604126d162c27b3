#pragma once
// Which paths become rows of the file list, from the open-file dialog and
// from dropped files.
#include "analyser/analysis/audio_file_record.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace corv {

// The longest path a row's record can hold (its field keeps a terminator).
inline constexpr size_t kLongestListPath = kPathFieldSize - 1;

// The texts of a list of zero-terminated texts ended by an empty one (or
// by the end of the view), as the shell hands over file names.
std::vector<std::string_view> zeroTerminatedTexts(std::string_view list);

// The paths an open-file dialog answer names. The answer is zero-terminated
// texts ending with an empty one: either one file, or a folder followed by
// the names chosen in it, joined to it in the order given.
std::vector<std::string> pathsOfOpenAnswer(std::string_view answer, bool firstIsFile);

enum class AddVerdict {
    Add,     // record filled, ready for its row
    Skip,    // silently: empty, no folder, cannot be opened, a folder, already listed
    TooLong, // does not fit the record: the user is told
};

// Decides one path and fills the record when it is to be added. listed holds
// the paths of the rows already in the list, byte for byte.
AddVerdict prepareListEntry(std::string_view path, const std::unordered_set<std::string>& listed,
                            AudioFileRecord& record);

// The message for paths that were not added because they are too long.
std::string tooLongMessage(const std::vector<std::string>& refused);

} // namespace corv

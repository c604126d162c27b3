#include "analyser/ui/folder_choice.h"

#include "platform/path.h"

namespace corv {

std::string_view freeSpaceRefusal(std::optional<uint64_t> bytesAvailable) {
    constexpr uint64_t kLeastFreeBytes = 1000;
    if (!bytesAvailable) return kInvalidDirectoryText;
    if (*bytesAvailable < kLeastFreeBytes) return kNoFreeSpaceText;
    return {};
}

std::string withTrailingSeparator(std::string folder) {
    if (folder.empty() || folder.back() != kPathSeparator) folder += kPathSeparator;
    return folder;
}

} // namespace corv

#include "batcher/config/configure_groups.h"

#include "batcher/config/batcher_settings.h"

namespace corv {

int pathEditId(int programIndex) {
    return programIndex < kSonicProgramIndex ? 3010 + 10 * programIndex
                                             : 3160 + 10 * (programIndex - kSonicProgramIndex);
}

std::optional<GroupCommand> groupCommandOf(int controlId) {
    for (int index = 0; index < kProgramCount; ++index) {
        int offset = controlId - pathEditId(index);
        if (offset >= 0 && offset <= static_cast<int>(GroupControl::Download))
            return GroupCommand{index, static_cast<GroupControl>(offset)};
    }
    return std::nullopt;
}

} // namespace corv

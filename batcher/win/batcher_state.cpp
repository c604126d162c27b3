#include "batcher/win/batcher_state.h"

namespace corv {

BatcherState& Batcher() {
    static BatcherState state;
    return state;
}

int ProcessorCount() {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    return static_cast<int>(system.dwNumberOfProcessors);
}

} // namespace corv

#include "batcher/win/batcher_state.h"

namespace corv {

BatcherState& Batcher() {
    static BatcherState state;
    return state;
}

} // namespace corv

#include "batcher/core/log_blocks.h"

namespace corv {

void LogBlocks::write(int row, std::string_view text) {
    if (row == first_)
        AppendLog(log_, text);
    else
        waiting_[row] += text;
}

void LogBlocks::end(int row) {
    ended_.insert(row);
    while (ended_.erase(first_)) {
        ++first_;
        auto next = waiting_.find(first_);
        if (next == waiting_.end()) continue;
        AppendLog(log_, next->second);
        waiting_.erase(next);
    }
}

} // namespace corv

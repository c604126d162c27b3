#include "batcher/core/log_buffer.h"

#include <algorithm>
#include <cstring>

namespace corv {

LogBuffer::LogBuffer(int32_t capacity)
    : text_(static_cast<size_t>(capacity > 1 ? capacity : 2) + 1, 0),
      capacity_(capacity > 1 ? capacity : 2) {}

void LogBuffer::append(std::string_view text) {
    const size_t capacity = static_cast<size_t>(capacity_);
    // A text as long as the ring drops its own beginning: from then on the
    // ring counts as full.
    bool cut = text.size() >= capacity;
    if (cut) text = text.substr(text.size() - (capacity - 1));
    if (text.empty()) return;
    size_t end = static_cast<size_t>(end_);
    if (!wrapped_ && !cut && end + text.size() <= capacity) {
        // Still room: an exact fit fills the array to its end and keeps start.
        std::memcpy(text_.data() + end, text.data(), text.size());
        end_ = static_cast<int32_t>(end + text.size());
        text_[static_cast<size_t>(end_)] = 0;
        return;
    }
    // From here on the ring is full: write on from the end (the end of the
    // array counts as index 0), and the slot after the new end holds the zero,
    // so exactly capacity - 1 characters remain. A wrapped ring is known by its
    // flag, not by comparing start and end, which meet at the array's end.
    wrapped_ = true;
    size_t at = end == capacity ? 0 : end;
    size_t first = std::min(text.size(), capacity - at);
    std::memcpy(text_.data() + at, text.data(), first);
    std::memcpy(text_.data(), text.data() + first, text.size() - first);
    size_t newEnd = text.size() - first > 0 ? text.size() - first : at + first;
    end_ = static_cast<int32_t>(newEnd);
    text_[newEnd] = 0;
    start_ = static_cast<int32_t>((newEnd + 1) % capacity);
}

std::string LogBuffer::keptText() const {
    const char* data = text_.data();
    if (start_ < end_) return std::string(data + start_, data + end_);
    if (!wrapped_) return std::string();
    std::string kept(data + start_, data + capacity_);
    kept.append(data, data + end_);
    return kept;
}

} // namespace corv

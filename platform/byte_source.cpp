#include "platform/byte_source.h"

#include <cstring>

namespace corv {

size_t MemorySource::read(void* dst, size_t n) {
    if (position_ < 0 || static_cast<uint64_t>(position_) >= size_) return 0;
    size_t available = size_ - static_cast<size_t>(position_);
    size_t count = n < available ? n : available;
    std::memcpy(dst, data_ + position_, count);
    position_ += static_cast<int64_t>(count);
    return count;
}

bool MemorySource::seek(int64_t position) {
    if (position < 0) return false;
    position_ = position;
    return true;
}

} // namespace corv

#pragma once
// The ring behind each batcher log: the most recent characters in a fixed
// array, so memory stays the same however long a run gets.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corv {

inline constexpr int32_t kLogCapacity = 100000;

class LogBuffer {
  public:
    explicit LogBuffer(int32_t capacity = kLogCapacity);

    // Until the array is full everything is kept; once it has wrapped exactly
    // the last capacity - 1 characters remain. A text of capacity characters
    // or more leaves only its own last capacity - 1.
    void append(std::string_view text);

    // The kept characters, oldest first.
    std::string keptText() const;
    // True once any character has been dropped; from then on the ring holds
    // exactly capacity - 1 characters.
    bool hasWrapped() const { return wrapped_; }

    int32_t capacity() const { return capacity_; }

  private:
    std::vector<char> text_; // capacity + 1 bytes; the last one stays zero
    int32_t capacity_;
    int32_t start_ = 0; // oldest kept character
    int32_t end_ = 0;   // one past the newest; a zero byte stands here
    bool wrapped_ = false;
};

} // namespace corv

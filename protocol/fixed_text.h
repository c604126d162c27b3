#pragma once
// Zero-terminated text in fixed-size record fields. Stored records come from
// outside, so a field may lack its terminator: reading stops at the field's end.
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace corv {

inline constexpr size_t kPathFieldSize = 520;

template <size_t N> std::string_view fieldText(const char (&field)[N]) {
    const void* zero = std::memchr(field, 0, N);
    size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - field) : N;
    return std::string_view(field, length);
}

// Fills the field with the text and zeroes the rest. A text that would not fit
// with its terminator is refused and the field left unchanged.
template <size_t N> bool setFieldText(char (&field)[N], std::string_view text) {
    if (text.size() >= N) return false;
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size());
    return true;
}

} // namespace corv

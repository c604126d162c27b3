#pragma once
// Numbers at the start of outside text, read as C's atoi and strtol read them
// (leading white space, an optional sign, decimal digits) but saturating
// instead of overflowing.
#include <cstdint>
#include <string_view>

namespace corv {

// 0 when no digits follow; the magnitude stops at limit (below 2^59).
int64_t leadingInteger(std::string_view text, int64_t limit);

} // namespace corv

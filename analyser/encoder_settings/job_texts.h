#pragma once
// Texts that both the conversion and the jobs built from it show.
#include <string_view>

namespace corv {

// An output format or encoder code this program does not know.
inline constexpr std::string_view kNewFormatMessage = "Internal error, new format";

} // namespace corv

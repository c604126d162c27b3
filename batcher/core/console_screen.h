#pragma once
// What the console runner reads from the batcher console's screen: the
// encoder's progress number after its marker, and the screen dump for the
// job log. The screen is rows of kConsoleColumns characters read from the
// top-left corner.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corv {

inline constexpr int kConsoleColumns = 80;
inline constexpr int kScreenReadChars = 5200; // the first 65 rows
inline constexpr int kScreenDumpChars = 1999; // 24 rows and 79 characters

// The number after the separator that follows the first occurrence of the
// marker: the first such separator when firstOccurrence, else the last one
// on the screen. Nothing when the marker or the separator is not on the
// screen, or no digits follow the separator.
std::optional<int64_t> progressNumber(std::string_view screen, std::string_view marker,
                                      char separator, bool firstOccurrence);

// "\tScreen dump:\r\n", a top border, one framed line per row (a partial last
// row padded with blanks) and a bottom border.
std::string screenDump(std::string_view screen);

} // namespace corv

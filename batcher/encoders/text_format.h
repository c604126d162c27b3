#pragma once
// printf-style formatting into a string that grows as needed, so the texts of
// the batcher keep their printf forms without a fixed buffer to overrun.
#include <string>

namespace corv {

#if defined(__GNUC__) || defined(__clang__)
#define CORV_PRINTF_ARGS(formatIndex, firstArg) __attribute__((format(printf, formatIndex, firstArg)))
#else
#define CORV_PRINTF_ARGS(formatIndex, firstArg)
#endif

std::string printfText(const char* format, ...) CORV_PRINTF_ARGS(1, 2);
void appendPrintf(std::string& out, const char* format, ...) CORV_PRINTF_ARGS(2, 3);

// "Yes"/"No" and "On"/"Off" for a flag byte: any value but 0 counts as set.
inline const char* yesNo(unsigned char flag) { return flag ? "Yes" : "No"; }
inline const char* onOff(unsigned char flag) { return flag ? "On" : "Off"; }

} // namespace corv

#pragma once
// printf-style formatting into a string that grows as needed, so texts keep
// their printf forms without a fixed buffer to overrun.
#include <string>

namespace corv {

#if defined(__GNUC__) || defined(__clang__)
#define CORV_PRINTF_ARGS(formatIndex, firstArg)                                                    \
    __attribute__((format(printf, formatIndex, firstArg)))
#else
#define CORV_PRINTF_ARGS(formatIndex, firstArg)
#endif

std::string formatText(const char* format, ...) CORV_PRINTF_ARGS(1, 2);
void appendPrintf(std::string& out, const char* format, ...) CORV_PRINTF_ARGS(2, 3);

} // namespace corv

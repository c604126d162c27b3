#pragma once
// printf-style formatting into a string that grows as needed, so the texts of
// the batcher keep their printf forms without a fixed buffer to overrun.
#include <string>

namespace corv {

std::string formatText(const char* format, ...);
void appendFormat(std::string& out, const char* format, ...);

// "Yes"/"No" and "On"/"Off" for a flag byte: any value but 0 counts as set.
inline const char* yesNo(unsigned char flag) { return flag ? "Yes" : "No"; }
inline const char* onOff(unsigned char flag) { return flag ? "On" : "Off"; }

} // namespace corv

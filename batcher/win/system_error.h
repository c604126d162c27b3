#pragma once
// The system's own words for an error code, for log lines.
#include <windows.h>

#include <string>

namespace corv {

// "The system cannot find the file specified. (error 2)"
std::string SystemErrorText(DWORD code);

} // namespace corv

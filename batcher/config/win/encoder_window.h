#pragma once
// Finding a running Surcode encoder by its window and asking for its executable.
#include "protocol/fixed_text.h"

#include <windows.h>

#include <cstdint>

namespace corv {

inline constexpr char kDtsEncoderTitle[] = "DTS Encoder";

// For job type 1000 (CD Pro) or 1001 (DVD): looks through the windows titled
// "DTS Encoder" for one whose executable path holds the edition's marker
// (" CD " / " DVD ") or file name (surcodedts.exe / surcodedvd.exe). Each window
// looked at is titled "DTS Encoder*" meanwhile, so the next search finds
// another; afterwards every such window has its title back.
bool FindEncoderWindow(int32_t jobType, char (&path)[kPathFieldSize], bool ntPlatform);

} // namespace corv

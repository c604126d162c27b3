#pragma once
// The private messages Quillmere's windows post to themselves, all in one place.
#include <windows.h>

namespace corv {

// Posted to the main window after a copy-data message whose handling had
// something to tell the user: the warnings are shown once the sender has
// been released. No parameters.
inline constexpr UINT kShowPendingWarnings = WM_APP + 1;

} // namespace corv

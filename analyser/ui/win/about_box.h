#pragma once
// The About box (template 103): modeless, owned by the main window, which it
// enables again when it closes (Ok, Escape or its close box).
#include <windows.h>

namespace corv {

// The caller has disabled the owner.
HWND OpenAboutBox(HWND owner);

} // namespace corv

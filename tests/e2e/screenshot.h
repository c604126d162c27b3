#pragma once
// A window as it shows on the screen, saved as a PNG file.
#include <windows.h>

#include <string>

namespace e2e {

// Copies the window's rectangle from the screen (title bar and frame
// included) and writes it through the imaging component's PNG encoder.
bool saveWindowPng(HWND window, const std::string& path);

} // namespace e2e

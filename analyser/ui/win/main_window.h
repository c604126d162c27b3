#pragma once
// The main window (template 101, class "MainWin"): the file list, its
// buttons, the menu, the conversion it starts and the copy-data messages.
#include <windows.h>

namespace corv {

// Creates the main window as a modeless dialog without owner. Its
// initialisation loads ssrcdll.dll and ends the process when it cannot.
HWND CreateMainWindow(HINSTANCE instance);

// One slice of adding or analysing the list's files, for the message loop
// when its queue is empty; false when there is nothing to do.
bool DoListWorkWhenIdle();

// For shutdown: a conversion still running is stopped and its end awaited,
// so that nothing it uses is freed under it.
void StopConversionAndWait();

} // namespace corv

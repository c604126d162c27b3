#pragma once
// The batcher console: one console per run, shared by the console encoders,
// whose screen the console runner reads. Hidden unless "Show programs" is on.
#include "batcher/win/batcher_state.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace corv {

// Allocates the console, finds its window (kept in the state), sets its
// buffer to 80 columns, clears and hides it and takes Close, Minimize and
// Maximize from its system menu.
void OpenBatcherConsole(BatcherState& state);
// For the console of a job of its own, while this process is attached to
// it: 80 columns, no Close, Minimize or Maximize; its window, and a handle
// to its screen that reads it after this process has left it again.
HWND AdoptAttachedConsole(HANDLE& screen);
// Frees the console; a second call does nothing.
void CloseBatcherConsole(BatcherState& state);

void ClearBatcherConsole();
void SetBatcherConsole(std::string_view title, WORD colour);

// Up to chars characters of the screen from row 0, column 0. cursor, when
// given, receives where the cursor stood in them (kCursorMoving when it
// moved while the screen was read).
std::string ReadBatcherConsole(int chars, int* cursor = nullptr);
// The same from the screen of a console opened by AdoptAttachedConsole.
std::string ReadConsoleScreen(HANDLE screen, int chars, int* cursor = nullptr);

// Shows or hides the consoles and the running encoder's window as "Show
// programs" says.
void ShowOrHidePrograms(const BatcherState& state);
void HideBatcherConsole(const BatcherState& state);

} // namespace corv

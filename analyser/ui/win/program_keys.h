#pragma once
// The program's accelerator keys (table 301) for the window in front: the
// main window or the dialog of the program that is open, modeless or modal.
#include <windows.h>

namespace corv {

// Offers the message to the accelerator table for target, unless it is a key
// that a focused edit box keeps for itself. True when it was translated.
bool TranslateProgramKeys(HWND target, HACCEL accelerators, MSG& msg);

// While one lives, a modal dialog of this thread gets the program's keys in
// its own message loop too (F8 is its Ok).
class ProgramKeysInModalDialog {
  public:
    explicit ProgramKeysInModalDialog(HACCEL accelerators);
    ~ProgramKeysInModalDialog();
    ProgramKeysInModalDialog(const ProgramKeysInModalDialog&) = delete;
    ProgramKeysInModalDialog& operator=(const ProgramKeysInModalDialog&) = delete;

  private:
    HHOOK hook_ = nullptr;
};

} // namespace corv

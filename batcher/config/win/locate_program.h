#pragma once
// The Find action of the Configure dialog: fills a program's path edit from
// Quillmere's own folder tree, from a running encoder's window, or from an
// open-file dialog after asking the user.
#include <windows.h>

#include <string>

namespace corv {

struct LocateContext {
    HWND owner = nullptr;         // the main window: owner of questions and the open-file dialog
    std::string programDirectory; // with its trailing backslash
    bool ntPlatform = true;
};

// The program index of a Find button (3012, 3022, ... 3102, 3162, 3172), or -1.
int ProgramIndexOfFindButton(int findButtonId);

// Puts the found path into the edit; the edit is unchanged when nothing is
// found and the user declines or cancels the manual search. A button that is
// not a Find button says "Internal error, new program not correctly handled
// by Quillmere".
void LocateProgram(HWND edit, int findButtonId, const LocateContext& context);

} // namespace corv

#pragma once
// What the program's modeless dialogs share: the owner (the main window) is
// disabled by the caller before one opens and enabled again when it closes.
#include <windows.h>

#include "platform/win/dialog_program.h" // GuardedDialogProc

#include <string>
#include <string_view>

namespace corv {

// Creates the dialog from its template in this program's resources, owned by
// owner, passes parameter to its WM_INITDIALOG and shows it. Null on failure.
HWND createModelessDialog(HWND owner, int templateId, DLGPROC procedure, LPARAM parameter);

// Enables the owner again, then destroys the dialog.
void closeModelessDialog(HWND dialog);

// An exclamation-icon message box owned by the window.
void showWarning(HWND owner, std::string_view text, std::string_view title);

std::string dialogItemText(HWND dialog, int id);

} // namespace corv

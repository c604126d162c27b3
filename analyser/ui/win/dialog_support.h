#pragma once
// What the program's modeless dialogs share: the owner (the main window) is
// disabled by the caller before one opens and enabled again when it closes.
#include <windows.h>

#include <string>
#include <string_view>

namespace corv {

// A dialog procedure around a handler: nothing may unwind into the window manager.
template <INT_PTR (*Handler)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK guardedDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return Handler(window, message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

// Creates the dialog from its template in this program's resources, owned by
// owner, passes parameter to its WM_INITDIALOG and shows it. Null on failure.
HWND createModelessDialog(HWND owner, int templateId, DLGPROC procedure, LPARAM parameter);

// Enables the owner again, then destroys the dialog.
void closeModelessDialog(HWND dialog);

// An exclamation-icon message box owned by the window.
void showWarning(HWND owner, std::string_view text, std::string_view title);

std::string dialogItemText(HWND dialog, int id);

} // namespace corv

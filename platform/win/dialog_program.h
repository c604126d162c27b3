#pragma once
// The start of a program of this house whose main window is a dialog: one
// instance at a time, its folder, the window class its template names, and
// dialog procedures that keep exceptions to themselves.
#include "platform/notifier.h"

#include <windows.h>

#include <string>
#include <utility>

namespace corv {

namespace detail {
inline thread_local bool dialogSetUpFailed = false;
}

// True when the named semaphore of a running instance exists.
inline bool AnotherInstanceRuns(const char* semaphoreName) {
    HANDLE existing = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, semaphoreName);
    if (!existing) return false;
    CloseHandle(existing);
    return true;
}

// The executable's folder with its trailing backslash; empty when the path
// does not fit 520 characters or holds no backslash.
inline std::string ProgramDirectory() {
    char path[520] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return {};
    std::string full(path, length);
    size_t cut = full.rfind('\\');
    return cut == std::string::npos ? std::string() : full.substr(0, cut + 1);
}

// A copy of the standard dialog class under the name a template gives, with
// the program's icon. False when the dialog class cannot be read.
inline bool RegisterDialogClass(HINSTANCE instance, const char* className, int iconId) {
    WNDCLASSEXA dialogClass{};
    dialogClass.cbSize = sizeof dialogClass;
    if (!GetClassInfoExA(nullptr, "#32770", &dialogClass)) return false;
    dialogClass.hInstance = instance;
    dialogClass.lpszClassName = className;
    dialogClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(iconId));
    dialogClass.hIconSm = nullptr;
    return RegisterClassExA(&dialogClass) != 0;
}

inline constexpr char kDialogSetUpFailedMessage[] = "The window could not be opened.";

// True once for each dialog whose set-up failed and was closed by
// GuardedDialogProc, which has told the user: whoever opened it, and finds it
// did not open, need not say so again.
inline bool TakeDialogSetUpFailure() {
    return std::exchange(detail::dialogSetUpFailed, false);
}

// A dialog procedure around a handler, letting nothing unwind into the
// window manager. An exception while the dialog is set up (WM_INITDIALOG)
// closes it with a message, rather than leaving it half made: DialogBoxParam
// then gives -1, and CreateDialogParam null or a window that is gone.
// Later an exception ends as "not handled".
template <INT_PTR (*Handle)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK GuardedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return Handle(dialog, message, wParam, lParam);
    } catch (...) {
        if (message == WM_INITDIALOG) {
            HWND owner = GetWindow(dialog, GW_OWNER);
            DestroyWindow(dialog);
            MessageBoxA(owner, kDialogSetUpFailedMessage, kAttentionTitle.data(), // a literal
                        MB_OK | MB_ICONEXCLAMATION);
            detail::dialogSetUpFailed = true;
        }
        return FALSE;
    }
}

// The record a dialog was opened with (DialogBoxParam's parameter), kept in
// its DWLP_USER from WM_INITDIALOG on; null for the messages before that.
template <class Record> Record* DialogRecord(HWND dialog, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    return reinterpret_cast<Record*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

} // namespace corv

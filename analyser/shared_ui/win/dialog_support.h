#pragma once
// What the program's modeless dialogs share: the owner (the main window) is
// disabled by the caller before one opens and enabled again when it closes.
#include <windows.h>

#include "platform/notifier.h"
#include "platform/win/dialog_program.h" // GuardedDialogProc

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace corv {

// Creates the dialog from its template in this program's resources, owned by
// owner, passes parameter to its WM_INITDIALOG and shows it. Null on failure,
// also when its set-up failed and closed it.
HWND createModelessDialog(HWND owner, int templateId, DLGPROC procedure, LPARAM parameter);

// The same for a dialog that owns state: its WM_INITDIALOG gets the pointer,
// and its WM_NCDESTROY hands it to deleteDialogState. Null on failure (the
// state is then deleted at once).
template <typename State>
HWND createModelessDialog(HWND owner, int templateId, DLGPROC procedure,
                          std::unique_ptr<State> state) {
    HWND dialog =
        createModelessDialog(owner, templateId, procedure, reinterpret_cast<LPARAM>(state.get()));
    if (dialog) state.release();
    return dialog;
}

// Deletes the state kept in the dialog's DWLP_USER and forgets it.
template <typename State> void deleteDialogState(HWND dialog) {
    delete reinterpret_cast<State*>(GetWindowLongPtrA(dialog, DWLP_USER));
    SetWindowLongPtrA(dialog, DWLP_USER, 0);
}

// Enables the owner again, then destroys the dialog.
void closeModelessDialog(HWND dialog);

// Apply, Ok and Cancel of a modeless dialog whose Apply may be refused: Ok
// closes it only when apply took the values. False for any other command.
bool answerApplyOkCancel(HWND dialog, int id, bool (*apply)(HWND));

inline constexpr std::string_view kDialogNotOpenedMessage = kDialogSetUpFailedMessage;

// Disables the owner and opens a modeless dialog over it (open returns it,
// null when it could not be created). A dialog that did not open gives the
// owner back enabled, and the user is told (once: a failed set-up has said it).
HWND openOverOwner(HWND owner, const std::function<HWND()>& open, Notifier& notifier);

// The procedure of every modeless dialog of the program, which owns its State
// (deleted with the window): WM_INITDIALOG keeps the state and hands it to
// OnInit; commands go to OnCommand from then on; WM_CLOSE is OnClose
// (closeModelessDialog unless the dialog has more to do); other messages go
// to OnMessage where there is one; OnDestroyed, if any, runs just before the
// state is deleted.
template <typename State, void (*OnInit)(HWND, State*), void (*OnCommand)(HWND, int id, int code),
          void (*OnClose)(HWND) = closeModelessDialog,
          INT_PTR (*OnMessage)(HWND, UINT, WPARAM, LPARAM) = nullptr,
          void (*OnDestroyed)(HWND) = nullptr>
INT_PTR modelessDialogHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        try {
            OnInit(window, reinterpret_cast<State*>(lParam));
        } catch (...) {
            SetWindowLongPtrA(window, DWLP_USER, 0); // not made: the opener deletes it
            throw;
        }
        return TRUE;
    case WM_NCDESTROY:
        if constexpr (OnDestroyed != nullptr) OnDestroyed(window);
        deleteDialogState<State>(window);
        return FALSE;
    default:
        break;
    }
    if (!GetWindowLongPtrA(window, DWLP_USER)) return FALSE; // before the initialisation
    switch (message) {
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        OnClose(window);
        return TRUE;
    default:
        if constexpr (OnMessage != nullptr) return OnMessage(window, message, wParam, lParam);
        return FALSE;
    }
}

// An exclamation-icon message box owned by the window.
void showWarning(HWND owner, std::string_view text, std::string_view title);

std::string dialogItemText(HWND dialog, int id);

// Appends a line to a combo box's list.
void addComboItem(HWND comboBox, std::string_view text);

} // namespace corv

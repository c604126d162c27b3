#include "analyser/ui/win/about_box.h"

#include "analyser/ui/win/resource.h"
#include "platform/win/dialog_program.h"

namespace corv {
namespace {

INT_PTR handle(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDC_DIALOG_OK:
    case IDC_DIALOG_CANCEL:
    case IDCANCEL: // the close box
        EnableWindow(GetWindow(dialog, GW_OWNER), TRUE);
        DestroyWindow(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

HWND OpenAboutBox(HWND owner) {
    HWND box = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), owner,
                                  GuardedDialogProc<handle>, 0);
    if (box) ShowWindow(box, SW_SHOW);
    return box;
}

} // namespace corv

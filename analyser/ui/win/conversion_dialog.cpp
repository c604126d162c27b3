#include "analyser/ui/win/conversion_dialog.h"

#include "analyser/ui/win/resource.h"
#include "platform/win/dialog_program.h"

#include <commctrl.h>

#include <cstdio>

namespace corv {
namespace {

INT_PTR handle(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* hooks = DialogRecord<ConversionDialogHooks>(dialog, message, lParam);
    if (!hooks) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDC_CONVERSION_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        if (!hooks->start(dialog)) EndDialog(dialog, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            hooks->stop();
            EndDialog(dialog, 0);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void RunConversionDialog(HWND owner, ConversionDialogHooks& hooks) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONVERSION), owner,
                    GuardedDialogProc<handle>, reinterpret_cast<LPARAM>(&hooks));
}

void ShowConversionNews(HWND dialog, const WorkerNews& news) {
    // Every entry tells its caption again; a new title costs a repaint of the frame.
    char shown[64] = {};
    GetWindowTextA(dialog, shown, sizeof shown);
    if (news.caption && *news.caption != shown) SetWindowTextA(dialog, news.caption->c_str());
    if (news.currentFile) SetDlgItemTextA(dialog, IDC_CONVERSION_FILE, news.currentFile->c_str());
    if (news.filesFinished) {
        char text[32];
        std::snprintf(text, sizeof text, "%i/%i", news.filesFinished->first,
                      news.filesFinished->second);
        SetDlgItemTextA(dialog, IDC_FILES_FINISHED, text);
    }
    if (news.percent)
        SendDlgItemMessageA(dialog, IDC_CONVERSION_PROGRESS, PBM_SETPOS,
                            static_cast<WPARAM>(*news.percent), 0);
}

void CloseConversionDialog(HWND dialog) {
    EndDialog(dialog, 0);
}

} // namespace corv

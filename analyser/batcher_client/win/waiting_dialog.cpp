#include "analyser/batcher_client/win/waiting_dialog.h"

#include "analyser/batcher_client/win/batcher_link.h"
#include "analyser/batcher_client/win/dialog_ids_link.h"
#include "platform/win/dialog_program.h"

namespace corv {
namespace {

INT_PTR handle(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

} // namespace

bool ConnectBatcherShowingWait(HWND owner) {
    EnableWindow(owner, FALSE);
    HWND wait =
        CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_WAITING_FOR_QUILLMERE),
                           owner, GuardedDialogProc<handle>, 0);
    if (wait) {
        ShowWindow(wait, SW_SHOW);
        UpdateWindow(wait); // painted once: the wait handles no messages meanwhile
    }
    const bool connected = ConnectBatcher(true);
    EnableWindow(owner, TRUE); // first, so that the owner gets the activation back
    if (wait) DestroyWindow(wait);
    return connected;
}

} // namespace corv

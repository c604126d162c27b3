#include "analyser/ui/win/about_box.h"

#include "analyser/shared_ui/win/dialog_support.h"
#include "analyser/ui/win/resource.h"

namespace corv {
namespace {

struct AboutBox {};

void onInit(HWND, AboutBox*) {}

void onCommand(HWND dialog, int id, int) {
    if (id == IDC_DIALOG_OK || id == IDC_DIALOG_CANCEL || id == IDCANCEL) // IDCANCEL: Escape
        closeModelessDialog(dialog);
}

} // namespace

HWND OpenAboutBox(HWND owner) {
    return createModelessDialog(
        owner, IDD_ABOUT, GuardedDialogProc<modelessDialogHandler<AboutBox, onInit, onCommand>>,
        std::make_unique<AboutBox>());
}

} // namespace corv

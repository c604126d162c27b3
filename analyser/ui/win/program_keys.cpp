#include "analyser/ui/win/program_keys.h"

#include "analyser/ui/user_actions.h"

namespace corv {
namespace {

ProgramKey programKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return ProgramKey::Other;
    if (msg.wParam == VK_DELETE) return ProgramKey::Delete;
    if (msg.wParam == 'A' && GetKeyState(VK_CONTROL) < 0) return ProgramKey::SelectAll;
    return ProgramKey::Other;
}

// The focus is in an edit box: a plain one or the edit field of a combo box.
bool editBoxHasFocus() {
    char name[16] = {};
    HWND focus = GetFocus();
    return focus && GetClassNameA(focus, name, sizeof name) && lstrcmpiA(name, "Edit") == 0;
}

HACCEL modalAccelerators = nullptr; // one modal dialog at a time on the one window thread

LRESULT CALLBACK modalKeys(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && msg && msg->hwnd &&
        TranslateProgramKeys(GetAncestor(msg->hwnd, GA_ROOT), modalAccelerators, *msg))
        return TRUE;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

bool TranslateProgramKeys(HWND target, HACCEL accelerators, MSG& msg) {
    if (!accelerators || (keyStaysWithEditBox(programKey(msg)) && editBoxHasFocus())) return false;
    return TranslateAcceleratorA(target, accelerators, &msg) != 0;
}

ProgramKeysInModalDialog::ProgramKeysInModalDialog(HACCEL accelerators) {
    modalAccelerators = accelerators;
    if (accelerators)
        hook_ = SetWindowsHookExA(WH_MSGFILTER, modalKeys, nullptr, GetCurrentThreadId());
}

ProgramKeysInModalDialog::~ProgramKeysInModalDialog() {
    if (hook_) UnhookWindowsHookEx(hook_);
}

} // namespace corv

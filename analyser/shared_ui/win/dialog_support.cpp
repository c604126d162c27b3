#include "analyser/shared_ui/win/dialog_support.h"

#include "analyser/shared_ui/dialog_buttons.h"

namespace corv {

HWND createModelessDialog(HWND owner, int templateId, DLGPROC procedure, LPARAM parameter) {
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                                     procedure, parameter);
    if (!dialog || !IsWindow(dialog)) return nullptr;
    ShowWindow(dialog, SW_SHOW);
    return dialog;
}

void closeModelessDialog(HWND dialog) {
    // Enabled first, so that the owner is the window activated next.
    if (HWND owner = GetWindow(dialog, GW_OWNER)) EnableWindow(owner, TRUE);
    DestroyWindow(dialog);
}

bool answerApplyOkCancel(HWND dialog, int id, bool (*apply)(HWND)) {
    switch (id) {
    case IDC_DIALOG_APPLY:
        apply(dialog);
        return true;
    case IDC_DIALOG_OK:
        if (apply(dialog)) closeModelessDialog(dialog);
        return true;
    case IDC_DIALOG_CANCEL:
        closeModelessDialog(dialog);
        return true;
    default:
        return false;
    }
}

HWND openOverOwner(HWND owner, const std::function<HWND()>& open, Notifier& notifier) {
    EnableWindow(owner, FALSE);
    TakeDialogSetUpFailure(); // one that was not ours to tell
    HWND dialog = open();
    if (!dialog) {
        EnableWindow(owner, TRUE);
        if (!TakeDialogSetUpFailure()) notifier.warn(kDialogNotOpenedMessage);
    }
    return dialog;
}

void showWarning(HWND owner, std::string_view text, std::string_view title) {
    std::string ownedText(text), ownedTitle(title);
    MessageBoxA(owner, ownedText.c_str(), ownedTitle.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

std::string dialogItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    int length = GetWindowTextLengthA(item);
    if (length <= 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = GetWindowTextA(item, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void addComboItem(HWND comboBox, std::string_view text) {
    std::string owned(text);
    SendMessageA(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(owned.c_str()));
}

} // namespace corv

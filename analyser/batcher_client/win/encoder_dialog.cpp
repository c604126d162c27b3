#include "analyser/batcher_client/win/encoder_dialog.h"

#include "analyser/batcher_client/dialog_ids_encoders.h"
#include "analyser/batcher_client/encoder_dialog_values.h"
#include "analyser/batcher_client/win/batcher_link.h"
#include "analyser/shared_ui/wait_texts.h"
#include "analyser/shared_ui/win/dialog_support.h"
#include "platform/notifier.h"
#include "protocol/messages.h"

#include <commctrl.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace corv {
namespace {

struct EncoderDialog {
    std::unique_ptr<EncoderEditor> editor;
    // What each list or tab control holds now, so that a repaint refills only what changed.
    std::map<int, std::vector<std::string>> items;
    bool painting = false; // our own changes of the controls are not the user's
};

EncoderDialog* dialogOf(HWND window) {
    return reinterpret_cast<EncoderDialog*>(GetWindowLongPtrA(window, DWLP_USER));
}

std::string classOf(HWND control) {
    char name[64] = {};
    GetClassNameA(control, name, sizeof name);
    return name;
}

bool isClass(const std::string& name, const char* wanted) {
    return _stricmp(name.c_str(), wanted) == 0;
}

void setTextIfNew(HWND control, const std::string& text) {
    if (dialogItemText(GetParent(control), GetDlgCtrlID(control)) != text)
        SetWindowTextA(control, text.c_str());
}

void fillItems(HWND control, const std::string& kind, const std::vector<std::string>& items) {
    if (isClass(kind, WC_TABCONTROLA)) {
        TabCtrl_DeleteAllItems(control);
        for (size_t i = 0; i < items.size(); ++i) {
            std::string text = items[i];
            TCITEMA tab{};
            tab.mask = TCIF_TEXT;
            tab.pszText = text.data();
            SendMessageA(control, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&tab));
        }
        return;
    }
    SendMessageA(control, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items)
        SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void paintControl(HWND window, EncoderDialog& dialog, const ControlView& view) {
    HWND control = GetDlgItem(window, view.id);
    if (!control) return;
    const std::string kind = classOf(control);
    if (view.items && dialog.items[view.id] != *view.items) {
        fillItems(control, kind, *view.items);
        dialog.items[view.id] = *view.items;
    }
    if (view.checked) CheckDlgButton(window, view.id, *view.checked ? BST_CHECKED : BST_UNCHECKED);
    if (view.range)
        SendMessageA(control, TBM_SETRANGE, TRUE,
                     MAKELPARAM(view.range->first, view.range->second));
    if (view.selected) {
        if (isClass(kind, TRACKBAR_CLASSA))
            SendMessageA(control, TBM_SETPOS, TRUE, *view.selected);
        else if (isClass(kind, WC_TABCONTROLA))
            TabCtrl_SetCurSel(control, *view.selected);
        else if (!view.text) // an editable list shows its text instead
            SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(*view.selected), 0);
    }
    if (view.textLimit > 0) SendMessageA(control, EM_LIMITTEXT, view.textLimit, 0);
    if (view.text) setTextIfNew(control, *view.text);
    EnableWindow(control, view.enabled);
    ShowWindow(control, view.shown ? SW_SHOWNA : SW_HIDE);
}

void paint(HWND window, EncoderDialog& dialog) {
    dialog.painting = true;
    for (const ControlView& view : dialog.editor->view())
        paintControl(window, dialog, view);
    dialog.painting = false;
}

// The box shows the refusal of the settings or, while Quillmere answers,
// the command line it would run.
void requestPreview(HWND window, const EncoderDialog& dialog) {
    const EncoderDialogInfo& info = dialog.editor->info();
    if (!info.commandLineBox) return;
    const std::string refusal = dialog.editor->previewRefusal();
    SetDlgItemTextA(window, info.commandLineBox,
                    refusal.empty() ? std::string(kRunQuillmereText).c_str() : refusal.c_str());
    if (refusal.empty()) RequestCommandLine(window, static_cast<int32_t>(info.type));
}

void warn(HWND window, const std::string& message) {
    showWarning(window, message, kAttentionTitle);
}

void copyToClipboard(HWND window, const std::string& text) {
    if (!OpenClipboard(window)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
}

void userChanged(HWND window, EncoderDialog& dialog, const ControlChange& change) {
    if (dialog.painting) return;
    if (!dialog.editor->change(change)) warn(window, std::string(kWaitForConversionMessage));
    paint(window, dialog);
    requestPreview(window, dialog);
}

std::string listItemText(HWND list, int position) {
    const LRESULT length = SendMessageA(list, CB_GETLBTEXTLEN, position, 0);
    if (length < 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(list, CB_GETLBTEXT, position, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

void onButton(HWND window, EncoderDialog& dialog, int id) {
    EncoderEditor& editor = *dialog.editor;
    const EncoderDialogInfo& info = editor.info();
    std::string message;
    if (id == IDC_DIALOG_APPLY && info.hasApply) {
        if (info.type == JobType::OggVorbis) ConnectBatcher(false);
        message = editor.apply();
        if (message.empty()) requestPreview(window, dialog);
    } else if (id == IDC_DIALOG_OK || id == IDC_DIALOG_CANCEL) {
        message = id == IDC_DIALOG_OK ? editor.ok() : editor.cancel();
        if (message.empty()) {
            closeModelessDialog(window);
            return;
        }
    } else if (info.copyButton && id == info.copyButton) {
        copyToClipboard(window, dialogItemText(window, info.commandLineBox));
    } else if (info.connectButton && id == info.connectButton) {
        ConnectBatcher(true);
        requestPreview(window, dialog);
    } else {
        ControlChange change{id, IsDlgButtonChecked(window, id) == BST_CHECKED, -1, {}};
        userChanged(window, dialog, change);
    }
    if (!message.empty()) warn(window, message);
}

void onCommand(HWND window, EncoderDialog& dialog, int id, int code, HWND control) {
    if (!control) { // the program's accelerators: only F8 and Escape mean something here
        if (id == IDC_DIALOG_OK || id == IDC_DIALOG_CANCEL) onButton(window, dialog, id);
        return;
    }
    switch (code) {
    case BN_CLICKED:
        onButton(window, dialog, id);
        break;
    case CBN_SELCHANGE: {
        const int position = static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0));
        userChanged(window, dialog, {id, false, position, listItemText(control, position)});
        break;
    }
    case CBN_EDITCHANGE:
    case EN_CHANGE: // not the command-line box: its text is ours
        if (id != dialog.editor->info().commandLineBox)
            userChanged(window, dialog, {id, false, -1, dialogItemText(window, id)});
        break;
    default:
        break;
    }
}

// Copy-data 131 from the Quillmere that was asked: its text, read within the size it gives.
LRESULT onCopyData(HWND window, const EncoderDialog& dialog, HWND sender,
                   const COPYDATASTRUCT* data) {
    const int box = dialog.editor->info().commandLineBox;
    if (!box || !data || data->dwData != static_cast<ULONG_PTR>(MessageId::GiveCommandline) ||
        !IsBatcherWindow(sender))
        return 0;
    std::optional<std::string> text = commandLineReplyText(data->lpData, data->cbData);
    if (!text) return 0;
    SetDlgItemTextA(window, box, text->c_str());
    return 1;
}

void onInit(HWND window, EncoderDialog* dialog) {
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
    paint(window, *dialog);
    requestPreview(window, *dialog);
}

INT_PTR handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        onInit(window, reinterpret_cast<EncoderDialog*>(lParam));
        return TRUE;
    }
    EncoderDialog* dialog = dialogOf(window);
    if (!dialog) return FALSE;
    switch (message) {
    case WM_COMMAND:
        onCommand(window, *dialog, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_HSCROLL: // the compression track bar
        if (lParam) {
            HWND track = reinterpret_cast<HWND>(lParam);
            const int position = static_cast<int>(SendMessageA(track, TBM_GETPOS, 0, 0));
            userChanged(window, *dialog, {GetDlgCtrlID(track), false, position, {}});
        }
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == static_cast<UINT>(TCN_SELCHANGE)) {
            const int tab = TabCtrl_GetCurSel(header->hwndFrom);
            userChanged(window, *dialog, {static_cast<int>(header->idFrom), false, tab, {}});
        }
        return FALSE;
    }
    case WM_COPYDATA:
        SetWindowLongPtrA(window, DWLP_MSGRESULT,
                          onCopyData(window, *dialog, reinterpret_cast<HWND>(wParam),
                                     reinterpret_cast<const COPYDATASTRUCT*>(lParam)));
        return TRUE;
    case WM_CLOSE:
        onButton(window, *dialog, IDC_DIALOG_CANCEL);
        return TRUE;
    case WM_NCDESTROY:
        deleteDialogState<EncoderDialog>(window);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

HWND openEncoderDialog(HWND owner, int32_t jobType, EncoderBlocks& blocks,
                       std::function<bool()> conversionRunning) {
    auto dialog = std::make_unique<EncoderDialog>();
    dialog->editor = EncoderEditor::open(jobType, blocks, std::move(conversionRunning));
    if (!dialog->editor) {
        warn(owner, std::string(kNewFormatMessage));
        return nullptr;
    }
    const int templateId = dialog->editor->info().templateId;
    return createModelessDialog(owner, templateId, GuardedDialogProc<handle>, std::move(dialog));
}

} // namespace corv

#include "batcher/win/log_window.h"

#include "batcher/win/resource.h"
#include "platform/win/dialog_program.h"

#include <string>

namespace corv {
namespace {

constexpr int kMinWidth = 400; // pixels
constexpr int kMinHeight = 250;
constexpr int kScreenX = 150;
constexpr int kScreenY = 150;
// The lay-out in client pixels: the edit fills the window but for a margin at
// the top and left and right, and the space below it where the two radio
// buttons and the button row stand at fixed heights above the bottom edge;
// "Copy all" and "OK" sit either side of the centre with a gap between them.
constexpr int kMargin = 20;
constexpr int kSpaceBelowEdit = 80;
constexpr int kJobsLogFromBottom = 70;
constexpr int kMessageLogFromBottom = 50;
constexpr int kButtonRowFromBottom = 36;
constexpr int kButtonGapFromCentre = 10;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshDelayMs = 50;
constexpr char kRefreshPending[] = "QuillmereLogRefreshPending";

void moveControl(HWND window, int id, int x, int y, int width, int height, bool keepSize) {
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (keepSize ? SWP_NOSIZE : 0);
    SetWindowPos(GetDlgItem(window, id), nullptr, x, y, width, height, flags);
}

int controlWidth(HWND window, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(window, id), &r);
    return r.right - r.left;
}

void layOut(HWND window) {
    RECT outer{};
    GetWindowRect(window, &outer);
    int width = outer.right - outer.left;
    int height = outer.bottom - outer.top;
    if (width < kMinWidth || height < kMinHeight) {
        // Growing sends WM_SIZE again, which lays the controls out.
        SetWindowPos(window, nullptr, 0, 0, width < kMinWidth ? kMinWidth : width,
                     height < kMinHeight ? kMinHeight : height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    RECT client{};
    GetClientRect(window, &client);
    const int w = client.right, h = client.bottom;
    moveControl(window, IDC_LOG_TEXT, kMargin, kMargin, w - 2 * kMargin,
                h - kMargin - kSpaceBelowEdit, false);
    const int copyAllWidth = controlWidth(window, IDC_COPY_ALL);
    moveControl(window, IDC_COPY_ALL, w / 2 - copyAllWidth - kButtonGapFromCentre,
                h - kButtonRowFromBottom, 0, 0, true);
    moveControl(window, IDC_LOG_OK, w / 2 + kButtonGapFromCentre, h - kButtonRowFromBottom, 0, 0,
                true);
    moveControl(window, IDC_JOBS_LOG, kMargin, h - kJobsLogFromBottom, 0, 0, true);
    moveControl(window, IDC_MESSAGE_LOG, kMargin, h - kMessageLogFromBottom, 0, 0, true);
    InvalidateRect(window, nullptr, TRUE);
}

void scrollToEnd(HWND window) {
    HWND edit = GetDlgItem(window, IDC_LOG_TEXT);
    auto length = static_cast<WPARAM>(GetWindowTextLengthA(edit));
    SendMessageA(edit, EM_SETSEL, length, static_cast<LPARAM>(length));
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
}

// What the edit holds, so that a refresh of an unchanged log (the job log
// while messages arrive) leaves the edit alone.
std::string& textInEdit() {
    static std::string shown;
    return shown;
}

void showLog(HWND window, BatcherState& state, bool jobLog) {
    state.settings.logChoice = jobLog ? 1 : 0;
    std::string text = (jobLog ? state.jobLog : state.messageLog).shownText();
    if (text != textInEdit() ||
        GetWindowTextLengthA(GetDlgItem(window, IDC_LOG_TEXT)) != static_cast<int>(text.size())) {
        SetDlgItemTextA(window, IDC_LOG_TEXT, text.c_str());
        textInEdit() = std::move(text);
    }
    scrollToEnd(window);
}

void copyAll(HWND window) {
    HWND edit = GetDlgItem(window, IDC_LOG_TEXT);
    int length = GetWindowTextLengthA(edit);
    if (length <= 0 || !OpenClipboard(window)) return;
    EmptyClipboard();
    if (HGLOBAL block =
            GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, static_cast<SIZE_T>(length) + 1)) {
        bool filled = false;
        if (auto* text = static_cast<char*>(GlobalLock(block))) {
            GetWindowTextA(edit, text, length + 1);
            GlobalUnlock(block);
            filled = true;
        }
        // The clipboard owns the block once it takes it.
        if (!filled || !SetClipboardData(CF_TEXT, block)) GlobalFree(block);
    }
    CloseClipboard();
}

void onCreate(HWND window, BatcherState& state) {
    state.logWindow = window;
    HWND edit = GetDlgItem(window, IDC_LOG_TEXT);
    SendMessageA(edit, EM_SETLIMITTEXT, 0, 0); // a ring holds more than the default limit
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)),
                 FALSE);
    SendMessageA(window, WM_COMMAND, IDC_LOG_REFRESH, 0);
    CheckRadioButton(window, IDC_JOBS_LOG, IDC_MESSAGE_LOG,
                     state.settings.logChoice == 1 ? IDC_JOBS_LOG : IDC_MESSAGE_LOG);
    layOut(window);
}

void onCommand(HWND window, BatcherState& state, int id) {
    switch (id) {
    case IDC_JOBS_LOG:
        showLog(window, state, true);
        break;
    case IDC_MESSAGE_LOG:
        showLog(window, state, false);
        break;
    case IDC_LOG_REFRESH:
        showLog(window, state, state.settings.logChoice == 1);
        break;
    case IDC_COPY_ALL:
        copyAll(window);
        break;
    case IDC_LOG_OK:
        SendMessageA(window, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

void onClose(BatcherState& state) {
    state.settings.showLogWindow = 0;
    SetShowLogBoxes(false);
    DestroyLogWindow(state);
}

INT_PTR handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    BatcherState& state = Batcher();
    switch (message) {
    case WM_INITDIALOG:
        onCreate(window, state);
        // Focus on OK: the dialog's default focus on the edit would select the whole log.
        SetFocus(GetDlgItem(window, IDC_LOG_OK));
        return FALSE;
    case WM_SIZE:
    case WM_MOVE:
        layOut(window);
        return TRUE;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = POINT{kMinWidth, kMinHeight};
        return TRUE;
    }
    case WM_COMMAND:
        onCommand(window, state, LOWORD(wParam));
        return TRUE;
    case WM_TIMER:
        if (wParam == kRefreshTimer) {
            KillTimer(window, kRefreshTimer);
            RemovePropA(window, kRefreshPending);
            onCommand(window, state, IDC_LOG_REFRESH);
        }
        return TRUE;
    case WM_CLOSE:
        onClose(state);
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CALLBACK setShowLogBox(HWND window, LPARAM checked) {
    if (GetDlgItem(window, IDC_SHOW_LOG))
        CheckDlgButton(window, IDC_SHOW_LOG, checked ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

} // namespace

HWND OpenLogWindow(BatcherState& state) {
    if (state.logWindow) return state.logWindow;
    HWND window = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LOG_WINDOW),
                                     state.mainWindow, GuardedDialogProc<handle>, 0);
    if (!window) return nullptr;
    SetWindowPos(window, nullptr, kScreenX, kScreenY, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

void DestroyLogWindow(BatcherState& state) {
    HWND window = state.logWindow;
    state.logWindow = nullptr;
    textInEdit().clear();
    if (!window) return;
    KillTimer(window, kRefreshTimer);
    RemovePropA(window, kRefreshPending);
    DestroyWindow(window);
}

void SetShowLogBoxes(bool checked) {
    EnumThreadWindows(GetCurrentThreadId(), setShowLogBox, checked ? 1 : 0);
}

void RefreshLogWindow(const BatcherState& state) {
    if (state.logWindow) SendMessageA(state.logWindow, WM_COMMAND, IDC_LOG_REFRESH, 0);
}

void RefreshLogWindowSoon(const BatcherState& state) {
    HWND window = state.logWindow;
    if (!window || GetPropA(window, kRefreshPending)) return;
    if (SetTimer(window, kRefreshTimer, kRefreshDelayMs, nullptr))
        SetPropA(window, kRefreshPending, reinterpret_cast<HANDLE>(1));
    else
        RefreshLogWindow(state);
}

} // namespace corv

#include "remote_window.h"

#include <commctrl.h>

#include <atomic>
#include <thread>
#include <vector>

namespace e2e {
namespace {

// A block inside another process, released with the object.
class RemoteBlock {
  public:
    RemoteBlock(HWND owner, size_t size) : size_(size) {
        DWORD processId = processOf(owner);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId);
        if (process_)
            address_ =
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBlock() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    bool ok() const { return address_ != nullptr; }
    char* at(size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool write(size_t offset, const void* data, size_t n) const {
        return copy(offset, const_cast<void*>(data), n, false);
    }
    bool read(size_t offset, void* data, size_t n) const { return copy(offset, data, n, true); }

  private:
    bool copy(size_t offset, void* data, size_t n, bool read) const {
        SIZE_T done = 0;
        return offset + n <= size_ &&
               (read ? ReadProcessMemory(process_, at(offset), data, n, &done)
                     : WriteProcessMemory(process_, at(offset), data, n, &done)) &&
               done == n;
    }
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_;
};

void pumpOnce() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

BOOL CALLBACK collect(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

} // namespace

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        pumpOnce();
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(20ms);
    }
}

int listRowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

namespace {

// One cell through a buffer inside the list's process, narrow or wide.
template <typename Char, typename Item, UINT kGetText>
std::basic_string<Char> cellText(HWND list, int row, int column) {
    constexpr size_t kChars = 1024; // a map description may hold 500 and more
    RemoteBlock block(list, sizeof(Item) + kChars * sizeof(Char));
    Item item{.iSubItem = column,
              .pszText = reinterpret_cast<Char*>(block.at(sizeof(Item))),
              .cchTextMax = kChars};
    if (!block.ok() || !block.write(0, &item, sizeof item)) return {};
    auto length = SendMessageA(list, kGetText, static_cast<WPARAM>(row),
                               reinterpret_cast<LPARAM>(block.at(0)));
    std::basic_string<Char> text(kChars, Char{});
    if (!block.read(sizeof item, text.data(), kChars * sizeof(Char))) return {};
    text.resize(static_cast<size_t>(length));
    return text;
}

} // namespace

std::string listCellText(HWND list, int row, int column) {
    return cellText<char, LVITEMA, LVM_GETITEMTEXTA>(list, row, column);
}

std::wstring listCellTextW(HWND list, int row, int column) {
    return cellText<wchar_t, LVITEMW, LVM_GETITEMTEXTW>(list, row, column);
}

std::vector<std::string> listColumnTexts(HWND list, int column) {
    std::vector<std::string> texts;
    for (int row = 0, n = listRowCount(list); row < n; ++row)
        texts.push_back(listCellText(list, row, column));
    return texts;
}

namespace {

bool setListRowState(HWND list, int row, UINT mask, UINT state) {
    RemoteBlock block(list, sizeof(LVITEMA));
    LVITEMA item{.state = state, .stateMask = mask};
    return block.ok() && block.write(0, &item, sizeof item) &&
           SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(block.at(0)));
}

} // namespace

bool setListRowSelected(HWND list, int row, bool selected) {
    return setListRowState(list, row, LVIS_SELECTED, selected ? LVIS_SELECTED : 0);
}

bool setListRowChecked(HWND list, int row, bool checked) {
    return setListRowState(list, row, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1));
}

bool listRowChecked(HWND list, int row) {
    return (SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) &
            LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

std::vector<std::string> listColumnTitles(HWND list) {
    constexpr size_t kTextSize = 128;
    std::vector<std::string> titles;
    RemoteBlock block(list, sizeof(LVCOLUMNA) + kTextSize);
    for (int index = 0; block.ok(); ++index) {
        LVCOLUMNA column{
            .mask = LVCF_TEXT, .pszText = block.at(sizeof(LVCOLUMNA)), .cchTextMax = kTextSize};
        char text[kTextSize + 1] = {};
        if (!block.write(0, &column, sizeof column) ||
            !SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(index),
                          reinterpret_cast<LPARAM>(block.at(0))) ||
            !block.read(sizeof column, text, kTextSize))
            break;
        titles.emplace_back(text);
    }
    return titles;
}

bool dragListRow(HWND owner, HWND list, int from, int to) {
    RECT row{LVIR_BOUNDS, 0, 0, 0}; // of row `from`; every row is as high
    RemoteBlock block(list, sizeof row);
    if (!block.write(0, &row, sizeof row) ||
        !SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(from),
                      reinterpret_cast<LPARAM>(block.at(0))) ||
        !block.read(0, &row, sizeof row))
        return false;
    POINT at{row.left + 10, (row.top + row.bottom) / 2};
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    at.y += (to - from) * (row.bottom - row.top);
    PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    MapWindowPoints(list, owner, &at, 1);
    PostMessageA(owner, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    return PostMessageA(owner, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

std::string windowText(HWND window) {
    char text[1024] = {};
    DWORD_PTR length = 0;
    // WM_GETTEXT works across processes (the system carries the text back).
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 5000, &length))
        return {};
    return std::string(text, length);
}

DWORD processOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

std::vector<HWND> topWindows() {
    std::vector<HWND> windows;
    EnumWindows(collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

int countWindows(const std::string& title, DWORD processId) {
    int count = 0;
    for (HWND window : topWindows())
        count += (!processId || processOf(window) == processId) && windowText(window) == title;
    return count;
}

HWND findWindow(DWORD processId, const std::string& className, const char* title) {
    char name[64];
    for (HWND window : topWindows())
        if (processOf(window) == processId && GetClassNameA(window, name, sizeof name) &&
            name == className && IsWindowVisible(window) && (!title || windowText(window) == title))
            return window;
    return nullptr;
}

HWND findDialog(DWORD processId, const std::string& title) {
    return findWindow(processId, "#32770", title.c_str());
}

std::string clipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "<no clipboard>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (auto* chars = static_cast<const char*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

HWND waitForDialog(DWORD processId, const std::string& title, std::chrono::milliseconds limit) {
    HWND dialog = nullptr;
    waitFor([&] { return (dialog = findDialog(processId, title)) != nullptr; }, limit);
    return dialog;
}

HWND descendant(HWND window, int controlId) {
    std::vector<HWND> children;
    EnumChildWindows(window, collect, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children)
        if (GetDlgCtrlID(child) == controlId) return child;
    return nullptr;
}

std::string messageBoxText(HWND box) {
    return windowText(GetDlgItem(box, 0xFFFF));
}

std::string answerDuring(DWORD processId, int button, const std::function<void()>& call) {
    std::atomic<bool> returned{false};
    std::string text;
    std::thread answerer([&] {
        HWND box = nullptr;
        waitFor([&] { return returned || (box = findDialog(processId, "Quillmere")) != nullptr; });
        if (!box) return;
        text = messageBoxText(box);
        pressButton(box, button);
    });
    call();
    returned = true;
    answerer.join();
    return text;
}

std::string answerMessageBox(DWORD processId, const std::string& title, int button) {
    HWND box = waitForDialog(processId, title);
    if (!box) return "<no message box>";
    std::string text = messageBoxText(box);
    pressButton(box, GetDlgItem(box, button) ? button : IDOK);
    waitFor([&] { return !IsWindow(box); });
    return text;
}

void pressButton(HWND dialog, int buttonId) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

} // namespace e2e

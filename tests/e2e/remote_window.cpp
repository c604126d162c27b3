#include "remote_window.h"

#include <commctrl.h>

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
        SIZE_T done = 0;
        return offset + n <= size_ && WriteProcessMemory(process_, at(offset), data, n, &done) &&
               done == n;
    }
    bool read(size_t offset, void* data, size_t n) const {
        SIZE_T done = 0;
        return offset + n <= size_ && ReadProcessMemory(process_, at(offset), data, n, &done) &&
               done == n;
    }

  private:
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

struct DialogSearch {
    DWORD processId;
    const std::string* title;
    HWND found;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<DialogSearch*>(context);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (processOf(window) == search->processId && std::string(className) == "#32770" &&
        IsWindowVisible(window) && windowText(window) == *search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK matchControl(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ControlSearch*>(context);
    if (GetDlgCtrlID(window) != search->id) return TRUE;
    search->found = window;
    return FALSE;
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

std::string listCellText(HWND list, int row, int column) {
    constexpr size_t kTextSize = 1024;
    RemoteBlock block(list, sizeof(LVITEMA) + kTextSize);
    if (!block.ok()) return "<no access>";
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = block.at(sizeof item);
    item.cchTextMax = kTextSize;
    if (!block.write(0, &item, sizeof item)) return "<no access>";
    auto length = SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                               reinterpret_cast<LPARAM>(block.at(0)));
    std::vector<char> text(kTextSize + 1, '\0');
    if (!block.read(sizeof item, text.data(), kTextSize)) return "<no access>";
    return std::string(text.data(), static_cast<size_t>(length));
}

std::wstring listCellTextW(HWND list, int row, int column) {
    constexpr size_t kChars = 512;
    RemoteBlock block(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(block.at(sizeof item));
    item.cchTextMax = kChars;
    if (!block.ok() || !block.write(0, &item, sizeof item)) return L"<no access>";
    auto length = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                               reinterpret_cast<LPARAM>(block.at(0)));
    std::wstring text(kChars, L'\0');
    if (!block.read(sizeof item, text.data(), kChars * sizeof(wchar_t))) return L"<no access>";
    text.resize(static_cast<size_t>(length));
    return text;
}

bool setListRowSelected(HWND list, int row, bool selected) {
    RemoteBlock block(list, sizeof(LVITEMA));
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    return block.ok() && block.write(0, &item, sizeof item) &&
           SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(block.at(0)));
}

bool setListRowChecked(HWND list, int row, bool checked) {
    RemoteBlock block(list, sizeof(LVITEMA));
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    return block.ok() && block.write(0, &item, sizeof item) &&
           SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(block.at(0)));
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
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT;
        column.pszText = block.at(sizeof column);
        column.cchTextMax = kTextSize;
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

HWND findDialog(DWORD processId, const std::string& title) {
    DialogSearch search{processId, &title, nullptr};
    EnumWindows(matchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND descendant(HWND window, int controlId) {
    ControlSearch search{controlId, nullptr};
    EnumChildWindows(window, matchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string messageBoxText(HWND box) {
    return windowText(GetDlgItem(box, 0xFFFF));
}

MessageBoxAnswer::MessageBoxAnswer(DWORD processId, int button)
    : thread_([this, processId, button] {
          HWND box = nullptr;
          waitFor([&] { return stop_ || (box = findDialog(processId, "Quillmere")) != nullptr; });
          if (!box) return;
          text_ = messageBoxText(box);
          pressButton(box, button);
      }) {}

std::string answerMessageBox(DWORD processId, const std::string& title, int button) {
    HWND box = nullptr;
    if (!waitFor([&] { return (box = findDialog(processId, title)) != nullptr; }))
        return "<no message box>";
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

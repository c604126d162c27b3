#include "batcher/win/batcher_console.h"

#include "batcher/core/console_screen.h"
#include "batcher/core/progress_reading.h"

#include <algorithm>
#include <vector>

namespace corv {
namespace {

constexpr char kNewConsoleTitle[] = "New Quillmere console";
constexpr char kConsoleTitle[] = "Quillmere console";
constexpr SHORT kLeastRows = kScreenReadChars / kConsoleColumns;

// The screen of this process's console, whatever the standard handles are.
HANDLE openScreen() {
    return CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

class Screen {
  public:
    Screen() : handle_(openScreen()) {}
    ~Screen() {
        if (ok()) CloseHandle(handle_);
    }
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE handle() const { return handle_; }

  private:
    HANDLE handle_;
};

HWND findConsoleWindow() {
    if (HWND window = GetConsoleWindow()) return window;
    Sleep(10);
    HWND window = FindWindowA(nullptr, kNewConsoleTitle);
    for (int attempt = 0; !window && attempt < 10; ++attempt) {
        Sleep(20);
        window = FindWindowA(nullptr, kNewConsoleTitle);
    }
    return window;
}

// The screen rules count 80-column rows, whatever width the system gives.
void setEightyColumns(HANDLE screen) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(screen, &info)) return;
    SMALL_RECT window = info.srWindow;
    window.Left = 0;
    window.Right =
        static_cast<SHORT>(std::min<int>(window.Right - info.srWindow.Left, kConsoleColumns - 1));
    SetConsoleWindowInfo(screen, TRUE, &window);
    COORD size{static_cast<SHORT>(kConsoleColumns), std::max(info.dwSize.Y, kLeastRows)};
    SetConsoleScreenBufferSize(screen, size);
}

void removeWindowButtons(HWND window) {
    if (HMENU menu = GetSystemMenu(window, FALSE)) {
        for (UINT command : {SC_CLOSE, SC_MINIMIZE, SC_MAXIMIZE})
            DeleteMenu(menu, command, MF_BYCOMMAND);
    }
}

// The cursor as a position in the text read from row 0, column 0.
int cursorOf(HANDLE screen) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(screen, &info)) return kCursorMoving;
    return info.dwCursorPosition.Y * info.dwSize.X + info.dwCursorPosition.X;
}

} // namespace

void OpenBatcherConsole(BatcherState& state) {
    FreeConsole(); // a console inherited from whoever started the batcher is not ours
    AllocConsole();
    SetConsoleTitleA(kNewConsoleTitle);
    HWND window = findConsoleWindow();
    state.consoleWindow = window;
    SetConsoleTitleA(kConsoleTitle);
    setEightyColumns(Screen().handle());
    ClearBatcherConsole();
    if (window) {
        ShowWindowAsync(window, SW_HIDE);
        removeWindowButtons(window);
    }
}

HWND AdoptAttachedConsole(HANDLE& screen) {
    screen = openScreen();
    setEightyColumns(screen);
    HWND window = GetConsoleWindow();
    if (window) removeWindowButtons(window);
    return window;
}

void CloseBatcherConsole(BatcherState& state) {
    state.consoleWindow = nullptr;
    FreeConsole();
}

void ClearBatcherConsole() {
    Screen screen;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!screen.ok() || !GetConsoleScreenBufferInfo(screen.handle(), &info)) return;
    DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y), done = 0;
    FillConsoleOutputCharacterA(screen.handle(), ' ', cells, COORD{0, 0}, &done);
    FillConsoleOutputAttribute(screen.handle(), info.wAttributes, cells, COORD{0, 0}, &done);
    SetConsoleCursorPosition(screen.handle(), COORD{0, 0});
}

void SetBatcherConsole(std::string_view title, WORD colour) {
    SetConsoleTitleA(std::string(title).c_str());
    Screen screen;
    if (screen.ok()) SetConsoleTextAttribute(screen.handle(), colour);
}

std::string ReadBatcherConsole(int chars, int* cursor) {
    Screen screen;
    return screen.ok() ? ReadConsoleScreen(screen.handle(), chars, cursor) : std::string();
}

std::string ReadConsoleScreen(HANDLE screen, int chars, int* cursor) {
    std::string text(static_cast<size_t>(chars), '\0');
    DWORD read = 0;
    int before = cursor ? cursorOf(screen) : 0;
    if (!ReadConsoleOutputCharacterA(screen, text.data(), static_cast<DWORD>(chars), COORD{0, 0},
                                     &read))
        return std::string();
    if (cursor) *cursor = cursorOf(screen) == before ? before : kCursorMoving;
    text.resize(std::min<size_t>(read, text.size()));
    std::replace(text.begin(), text.end(), '\0', ' '); // the log is zero-terminated text
    return text;
}

// Both windows belong to other processes (the console's to the console
// host): a program that stops answering must not hold the user-interface
// thread, so nothing here waits for them.
void ShowOrHidePrograms(const BatcherState& state) {
    std::vector<HWND> consoles{state.consoleWindow};
    for (const auto& window : state.slotConsoles)
        consoles.push_back(window);
    HWND encoder = state.encoderWindow;
    for (HWND console : consoles) {
        if (!console) continue;
        if (!state.showPrograms) {
            ShowWindowAsync(console, SW_HIDE);
            continue;
        }
        for (int command : {SW_MINIMIZE, SW_RESTORE, SW_SHOW})
            ShowWindowAsync(console, command);
        SetWindowPos(console, HWND_TOP, 0, 0, 0, 0, SWP_ASYNCWINDOWPOS | SWP_NOMOVE | SWP_NOSIZE);
    }
    if (encoder) ShowWindowAsync(encoder, state.showPrograms ? SW_SHOWNORMAL : SW_HIDE);
}

void HideBatcherConsole(const BatcherState& state) {
    if (HWND console = state.consoleWindow) ShowWindowAsync(console, SW_HIDE);
}

} // namespace corv

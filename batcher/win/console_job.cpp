#include "batcher/win/console_job.h"

#include "batcher/core/console_screen.h"
#include "batcher/win/batcher_console.h"
#include "batcher/win/resource.h"
#include "batcher/win/system_error.h"

#include <vector>

namespace corv {
namespace {

constexpr DWORD kPollMs = 50;
constexpr UINT kStoppedExitCode = 0;
constexpr DWORD kConsoleRows = 300;

} // namespace

ConsoleJobs::ConsoleJobs(BatcherState& state, bool ownConsoles)
    : state_(state), ownConsoles_(ownConsoles) {
    if (ownConsoles_) FreeConsole(); // one to attach to each console in turn
}

ConsoleJobs::~ConsoleJobs() {
    for (Slot& job : slots_)
        if (job.screen != INVALID_HANDLE_VALUE) CloseHandle(job.screen);
}

bool ConsoleJobs::start(int slot, const std::string& commandLine, std::string_view title,
                        WORD colour, std::string& failure) {
    Slot& job = slots_[slot];
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string consoleTitle(title);
    DWORD flags = IDLE_PRIORITY_CLASS;
    if (ownConsoles_) {
        startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USEFILLATTRIBUTE | STARTF_USECOUNTCHARS;
        startup.wShowWindow = static_cast<WORD>(state_.showPrograms ? SW_SHOWNOACTIVATE : SW_HIDE);
        startup.lpTitle = consoleTitle.data();
        startup.dwFillAttribute = colour;
        startup.dwXCountChars = kConsoleColumns;
        startup.dwYCountChars = kConsoleRows;
        flags |= CREATE_NEW_CONSOLE;
    } else {
        SetBatcherConsole(title, colour);
    }
    if (!job.program.start(nullptr, commandLine, nullptr, flags, startup)) {
        failure = SystemErrorText(GetLastError());
        return false;
    }
    job.attach = ownConsoles_;
    if (ownConsoles_) return true; // its console is opened at the first look that finds it
    Sleep(kPollMs);
    SendMessageA(state_.progressWindow, WM_COMMAND, IDC_SHOW_PROGRAMS, 0);
    return true;
}

// Attaches to the program's console once it exists, opens its screen and
// leaves it again. Right after the start the console can still be missing
// ("invalid handle"): the next look tries again. Any other refusal is final.
void ConsoleJobs::openScreen(int slot) {
    Slot& job = slots_[slot];
    if (!job.attach) return;
    if (!AttachConsole(GetProcessId(job.program.process()))) {
        job.attach = GetLastError() == ERROR_INVALID_HANDLE && !job.program.hasEnded();
        return;
    }
    job.attach = false;
    state_.slotConsoles[slot] = AdoptAttachedConsole(job.screen);
    FreeConsole();
    SendMessageA(state_.progressWindow, WM_COMMAND, IDC_SHOW_PROGRAMS, 0);
}

std::string ConsoleJobs::read(Slot& slot, int chars, int* cursor) {
    if (!ownConsoles_) return ReadBatcherConsole(chars, cursor);
    std::string screen;
    if (slot.screen != INVALID_HANDLE_VALUE) screen = ReadConsoleScreen(slot.screen, chars, cursor);
    if (screen.empty()) {
        // Its console went with the program: what it last showed stands.
        if (cursor) *cursor = kCursorMoving;
        return slot.lastScreen.substr(0, static_cast<size_t>(chars));
    }
    if (screen.size() >= slot.lastScreen.size()) slot.lastScreen = screen;
    return screen;
}

ScreenLook ConsoleJobs::look(int slot) {
    Slot& job = slots_[slot];
    openScreen(slot);
    ScreenLook look;
    look.ended = job.program.hasEnded();
    look.exitCode = job.program.exitCode();
    look.screen = read(job, kScreenReadChars, &look.cursor);
    return look;
}

std::string ConsoleJobs::end(int slot, bool& endedByItself, std::optional<uint32_t>& exitCode) {
    Slot& job = slots_[slot];
    std::string screen = read(job, kScreenDumpChars, nullptr);
    endedByItself = job.program.hasEnded();
    exitCode = job.program.exitCode();
    job.program.end(kStoppedExitCode); // helpers it left too; their files are closed after this
    job.lastScreen.clear();
    job.attach = false;
    if (job.screen != INVALID_HANDLE_VALUE) CloseHandle(job.screen);
    job.screen = INVALID_HANDLE_VALUE;
    state_.slotConsoles[slot] = nullptr;
    return screen;
}

void ConsoleJobs::pause() {
    Sleep(kPollMs);
    std::vector<HANDLE> running;
    for (Slot& job : slots_)
        if (job.program.process() && !job.program.hasEnded())
            running.push_back(job.program.process());
    if (!running.empty())
        WaitForMultipleObjects(static_cast<DWORD>(running.size()), running.data(), FALSE, kPollMs);
}

} // namespace corv

// Captures what a console encoder shows in the batcher's own console, for
// the screen snapshots of tests/data/screens:
//   screen_capture.exe OUTDIR COMMAND
// runs COMMAND there as the batcher runs an encoder and writes every screen
// that differs from the one before to OUTDIR\NNNN.txt, the screen after the
// encoder's end to final.txt: a line "# cursor N" with the cursor's position
// in the screen text (-1: it moved while the screen was read), then the
// 80-column rows with their trailing blanks cut.
// A program with windows, not a console one: only then is the console that
// the batcher allocates one whose screen can be read.
#include "batcher/core/console_screen.h"
#include "batcher/core/progress_reading.h"
#include "batcher/win/batcher_console.h"
#include "batcher/win/batcher_state.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

void writeScreen(const std::string& path, const std::string& screen, int cursor) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return;
    std::fprintf(out, "# cursor %d\n", cursor);
    std::string rows;
    for (size_t row = 0; row < screen.size(); row += corv::kConsoleColumns) {
        std::string line = screen.substr(row, corv::kConsoleColumns);
        rows += line.erase(line.find_last_not_of(' ') + 1) + "\n";
    }
    std::fputs(rows.erase(rows.find_last_not_of('\n') + 1).c_str(), out);
    std::fputs("\n", out);
    std::fclose(out);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 3) return 2;
    const std::string folder = std::string(__argv[1]) + "\\";
    corv::BatcherState state;
    corv::OpenBatcherConsole(state);
    std::string command = __argv[2];
    STARTUPINFOA startup{sizeof startup};
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, IDLE_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process))
        return 3;
    // As often as the machine lets it: a line caught half written is wanted.
    std::string last;
    int cursor = corv::kCursorMoving, count = 0;
    while (WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
        std::string screen = corv::ReadBatcherConsole(corv::kScreenReadChars, &cursor);
        if (screen == last) continue;
        char name[16];
        std::snprintf(name, sizeof name, "%04d.txt", count++);
        writeScreen(folder + name, screen, cursor);
        last = screen;
    }
    std::string screen = corv::ReadBatcherConsole(corv::kScreenReadChars, &cursor);
    writeScreen(folder + "final.txt", screen, cursor);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    corv::CloseBatcherConsole(state);
    return static_cast<int>(code);
}

// A GUI-subsystem program that opens a console, runs a child in it and reads
// the child's text back from the console screen into the file named by argv.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    std::string args(commandLine); // "<child exe> <result file>"
    size_t split = args.rfind(' ');
    if (split == std::string::npos) return 2;
    std::string child = args.substr(0, split);
    std::string resultPath = args.substr(split + 1);

    FreeConsole(); // started from a console process it may share that one
    if (!AllocConsole()) return 3;
    SetConsoleTitleA("Harness console");

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = "\"" + child + "\"";
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return 4;
    WaitForSingleObject(process.hProcess, 30000);
    DWORD childExit = 0;
    GetExitCodeProcess(process.hProcess, &childExit);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    HANDLE screen =
        CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (screen == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(screen, &info)) return 5;

    std::FILE* out = std::fopen(resultPath.c_str(), "w");
    if (!out) return 6;
    std::fprintf(out, "exit %lu\n", childExit);
    std::string row(static_cast<size_t>(info.dwSize.X), ' ');
    for (SHORT y = 0; y < 10; ++y) {
        DWORD read = 0;
        ReadConsoleOutputCharacterA(screen, row.data(), static_cast<DWORD>(row.size()), COORD{0, y},
                                    &read);
        std::string text = row.substr(0, read);
        text.erase(text.find_last_not_of(' ') + 1);
        std::fprintf(out, "%s\n", text.c_str());
    }
    std::fclose(out);
    CloseHandle(screen);
    FreeConsole();
    return 0;
}

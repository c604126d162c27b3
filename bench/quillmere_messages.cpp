// How fast Quillmere.exe takes Add job messages, and what 10,000 queued jobs
// cost it: run under Wine (win64 build) with Quillmere.exe beside this program.
//
//   quillmere_messages [COUNT]          (10000 when not given)
//   e.g. scripts/wine-run.sh build/win64/wineprefix build/win64/bench/quillmere_messages.exe
// No other Quillmere.exe may run in the same Wine prefix (one instance at a time).
//
// Baseline in the same run: the same client sending the same number of
// 0-byte copy-data messages to an empty window procedure in another process
// (a copy of this program started with --empty-window).
#include "protocol/job_record.h"
#include "protocol/job_types.h"

#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kEmptyWindowTitle[] = "quillmere_messages empty window";

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string ownPath() {
    char self[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    return std::string(self, length);
}

std::string ownDirectory() {
    std::string path = ownPath();
    return path.substr(0, path.rfind('\\') + 1);
}

// Nothing but the default handling (which answers WM_COPYDATA with 0), and an end.
LRESULT CALLBACK emptyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

int emptyWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = emptyProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QuillmereBenchEmpty";
    RegisterClassA(&wc);
    if (!CreateWindowA(wc.lpszClassName, kEmptyWindowTitle, WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                       nullptr, wc.hInstance, nullptr))
        return 2;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
};

Process startProgram(const std::string& commandLine, const std::string& directory) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info))
        return {};
    CloseHandle(info.hThread);
    return {info.hProcess, info.dwProcessId};
}

HWND waitForWindow(const char* className, const char* title) {
    for (int i = 0; i < 1500; ++i) {
        if (HWND window = FindWindowA(className, title)) return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return nullptr;
}

LRESULT CALLBACK clientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) return 1; // replies are not what is measured
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createClient() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = clientProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QuillmereBenchClient";
    RegisterClassA(&wc);
    return CreateWindowA(wc.lpszClassName, "client", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

void sendCopyData(HWND client, HWND target, ULONG_PTR id, const void* payload, DWORD size) {
    COPYDATASTRUCT data{id, size, const_cast<void*>(payload)};
    SendMessageA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(client),
                 reinterpret_cast<LPARAM>(&data));
}

corv::JobRecord flacJob(int n) {
    corv::JobRecord job{};
    job.jobType = static_cast<int32_t>(corv::JobType::Flac);
    job.sampleRate = 44100;
    job.frameCount = 44100ull * 240;
    char name[64];
    std::snprintf(name, sizeof name, "track %05d.wav", n);
    corv::setFieldText(job.jobName, name);
    corv::setFieldText(job.outputDirectory, "C:\\music\\");
    corv::setFieldText(job.settings.flac.inputPath, std::string("C:\\music\\") + name);
    job.settings.flac.compressionLevel = 8;
    return job;
}

// Sends count messages back to back; messages per second.
template <typename Send> double rate(int count, Send send) {
    auto start = Clock::now();
    for (int i = 0; i < count; ++i)
        send(i);
    return count / (millisecondsSince(start) / 1000.0);
}

std::string lastRowText(HWND list, DWORD processId, int row) {
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process) return "?";
    const size_t size = sizeof(LVITEMA) + 256;
    char* remote =
        static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    std::string text = "?";
    if (remote) {
        LVITEMA item{};
        item.pszText = remote + sizeof item;
        item.cchTextMax = 256;
        char local[257] = {};
        SIZE_T done = 0;
        if (WriteProcessMemory(process, remote, &item, sizeof item, &done) &&
            SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(remote)) > 0 &&
            ReadProcessMemory(process, remote + sizeof item, local, 256, &done))
            text = local;
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return text;
}

void printMemory(const char* when, HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    // Wine leaves PrivateUsage 0; its PagefileUsage counts the same committed private memory.
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters))
        std::printf("  memory %-22s working set %7.1f MiB, private bytes %7.1f MiB\n", when,
                    counters.WorkingSetSize / 1048576.0,
                    (counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage) /
                        1048576.0);
    else
        std::printf("  memory %-22s not available\n", when);
}

// Time for one message sent to a window of the batcher to be answered.
template <typename Act> double answerTime(Act act) {
    auto start = Clock::now();
    act();
    return millisecondsSince(start);
}

int run(int count) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string folder =
        std::string(temp) + "quillmere-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string exe = folder + "Quillmere.exe";
    if (!CopyFileA((ownDirectory() + "Quillmere.exe").c_str(), exe.c_str(), FALSE)) {
        std::printf("Quillmere.exe not found beside this program\n");
        return 1;
    }
    HWND client = createClient();

    // Baseline: an empty window procedure in another process.
    Process empty = startProgram("\"" + ownPath() + "\" --empty-window", "");
    HWND sink = waitForWindow(nullptr, kEmptyWindowTitle);
    if (!sink) return 1;
    auto baselineRate = [&] {
        return rate(count, [&](int) { sendCopyData(client, sink, 130, nullptr, 0); });
    };
    double baselineBefore = baselineRate();

    Process batcher = startProgram("\"" + exe + "\"", folder);
    HWND main = waitForWindow("Quillmere", "Quillmere");
    if (!batcher.handle || !main) {
        std::printf("Quillmere.exe did not start (is another one running?)\n");
        return 1;
    }
    HWND list = GetDlgItem(main, 5005);
    printMemory("at start", batcher.handle);

    double invalid = rate(count, [&](int) { sendCopyData(client, main, 130, nullptr, 0); });
    corv::JobRecord job = flacJob(0);
    double unknown = rate(count, [&](int) { sendCopyData(client, main, 999, &job, sizeof job); });
    double adds = rate(count, [&](int i) {
        job = flacJob(i);
        sendCopyData(client, main, 130, &job, sizeof job);
    });
    printMemory("after the Add jobs", batcher.handle);
    // Once more after Quillmere's runs: the machine is shared and Wine warms up.
    double baselineAfter = baselineRate();
    PostMessageA(sink, WM_CLOSE, 0, 0);
    WaitForSingleObject(empty.handle, 10000);
    CloseHandle(empty.handle);
    double baseline = (baselineBefore + baselineAfter) / 2;

    std::printf("\n%d messages each, sent back to back by one client:\n", count);
    std::printf("  baseline, 0-byte to an empty window procedure  %9.0f messages/s  (before %.0f, "
                "after %.0f)\n",
                baseline, baselineBefore, baselineAfter);
    std::printf("  Quillmere, 0-byte Add job (logged as invalid)  %9.0f messages/s\n", invalid);
    std::printf("  Quillmere, 6800-byte unknown id (logged only)  %9.0f messages/s\n", unknown);
    std::printf("  Quillmere, 6800-byte Add job (row + log)       %9.0f messages/s  (%.1f %% of "
                "baseline)\n",
                adds, 100.0 * adds / baseline);

    int rows = 0;
    std::printf("\nWith %d rows listed (answer times; 100 ms is the goal, not asserted):\n", count);
    std::printf("  row count                  %7.2f ms\n", answerTime([&] {
                    rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
                }));
    std::string last;
    std::printf("  last row's name            %7.2f ms\n",
                answerTime([&] { last = lastRowText(list, batcher.id, rows - 1); }));
    std::printf("  one more Add job           %7.2f ms\n",
                answerTime([&] { sendCopyData(client, main, 130, &job, sizeof job); }));
    HWND showLog = GetDlgItem(main, 3151);
    std::printf("  click: open log window     %7.2f ms\n",
                answerTime([&] { SendMessageA(showLog, BM_CLICK, 0, 0); }));
    HWND logWindow = FindWindowA(nullptr, "Log window");
    std::printf("  Add job, log window open   %7.2f ms\n",
                answerTime([&] { sendCopyData(client, main, 130, &job, sizeof job); }));
    SendMessageA(GetDlgItem(logWindow, 3260), BM_CLICK, 0, 0); // the job log: one line
    std::printf("  click: Message log         %7.2f ms  (the full message log into the edit)\n",
                answerTime([&] { SendMessageA(GetDlgItem(logWindow, 3261), BM_CLICK, 0, 0); }));
    std::printf("  click: close log window    %7.2f ms\n",
                answerTime([&] { SendMessageA(showLog, BM_CLICK, 0, 0); }));
    std::printf("  click: Clear List          %7.2f ms\n",
                answerTime([&] { SendMessageA(GetDlgItem(main, 5010), BM_CLICK, 0, 0); }));
    std::printf("  rows %d, last \"%s\", after Clear List %d\n", rows, last.c_str(),
                static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
    printMemory("after Clear List", batcher.handle);

    // Close without Exit: the bench leaves no settings behind.
    PostMessageA(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(batcher.handle, 20000) != WAIT_OBJECT_0)
        TerminateProcess(batcher.handle, 1);
    CloseHandle(batcher.handle);
    for (const char* name :
         {"Quillmere.exe", "settingsQuillmere.ini", "JobLogQuillmere.txt", "MsgLogQuillmere.txt"})
        DeleteFileA((folder + name).c_str());
    RemoveDirectoryA(folder.c_str());
    DestroyWindow(client);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--empty-window") return emptyWindow();
    int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    return run(count > 0 ? count : 10000);
}

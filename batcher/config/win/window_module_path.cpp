#include "batcher/config/win/window_module_path.h"

#include "protocol/fixed_text.h"
#include "protocol/messages.h"

#include <cstring>

namespace corv {
namespace {

using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, LPDWORD);
using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);

struct Psapi {
    EnumProcessModulesFn enumProcessModules = nullptr;
    GetModuleFileNameExFn getModuleFileNameEx = nullptr;
};

// psapi.dll is not linked: it is loaded the first time a window's executable
// is asked for, and without it the batcher cannot name anyone.
const Psapi& psapi() {
    static const Psapi loaded = [] {
        Psapi p;
        if (HMODULE library = LoadLibraryA("psapi.dll")) {
            p.enumProcessModules = reinterpret_cast<EnumProcessModulesFn>(
                reinterpret_cast<void*>(GetProcAddress(library, "EnumProcessModules")));
            p.getModuleFileNameEx = reinterpret_cast<GetModuleFileNameExFn>(
                reinterpret_cast<void*>(GetProcAddress(library, "GetModuleFileNameExA")));
        }
        if (!p.enumProcessModules || !p.getModuleFileNameEx) {
            MessageBoxA(nullptr, "Missing or invallid psapi.dll, this program will now close.",
                        kBatcherWindowName, MB_OK | MB_ICONEXCLAMATION);
            ExitProcess(0);
        }
        return p;
    }();
    return loaded;
}

bool copyOut(const char* path, size_t length, char* buffer, size_t size) {
    if (length == 0 || length >= size) return false;
    std::memcpy(buffer, path, length);
    buffer[length] = '\0';
    return true;
}

bool processModulePath(HWND window, char* buffer, size_t size) {
    const Psapi& api = psapi();
    DWORD processId = 0;
    if (!GetWindowThreadProcessId(window, &processId) || processId == 0) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) return false;
    char path[kPathFieldSize + 1] = {};
    DWORD length = 0;
    HMODULE executable = nullptr;
    DWORD needed = 0;
    if (api.enumProcessModules(process, &executable, sizeof executable, &needed) && needed > 0) {
        length = api.getModuleFileNameEx(process, executable, path, sizeof path);
    } else {
        // A 32-bit program cannot list a 64-bit one's modules; the process
        // still names its executable.
        length = sizeof path;
        if (!QueryFullProcessImageNameA(process, 0, path, &length)) length = 0;
    }
    const bool found = copyOut(path, length, buffer, size);
    CloseHandle(process);
    return found;
}

} // namespace

bool IsNtPlatform() {
    // GetVersionExA is deprecated but still the one call that reports the platform.
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    BOOL known = GetVersionExA(&version);
#pragma GCC diagnostic pop
    return !known || version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool GetWindowModulePath(HWND window, char* buffer, size_t size, bool ntPlatform) {
    if (!buffer || size == 0 || !IsWindow(window)) return false;
    if (ntPlatform) return processModulePath(window, buffer, size);
    char path[kPathFieldSize + 1] = {};
    UINT length = GetWindowModuleFileNameA(window, path, sizeof path);
    return copyOut(path, length, buffer, size);
}

} // namespace corv

#include "corvandale_app.h"

#include "drop_request.h"
#include "remote_window.h"

#include <cstring>

namespace e2e {
namespace {

// Runs LoadLibraryA inside the process (at the same address as here: system
// DLLs load at one place in every process) and waits for it to return.
bool loadLibraryInto(HANDLE process, const std::string& dll) {
    void* remote =
        VirtualAllocEx(process, nullptr, dll.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return false;
    bool returned = false;
    if (WriteProcessMemory(process, remote, dll.c_str(), dll.size() + 1, nullptr)) {
        auto* loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
        if (HANDLE thread =
                CreateRemoteThread(process, nullptr, 0, loadLibrary, remote, 0, nullptr)) {
            returned = WaitForSingleObject(thread, 20000) == WAIT_OBJECT_0;
            CloseHandle(thread);
        }
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return returned;
}

} // namespace

bool dropFiles(HWND target, const std::vector<std::string>& paths) {
    std::string texts;
    for (const std::string& path : paths)
        texts.append(path).push_back('\0');
    texts.push_back('\0');
    const DWORD processId = processOf(target);
    const size_t size = sizeof(DropRequest) + texts.size();
    HANDLE mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                           static_cast<DWORD>(size), dropMappingName(processId).c_str());
    HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                     PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ,
                                 FALSE, processId);
    bool dropped = false;
    if (auto* view = mapping ? static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0))
                             : nullptr) {
        const DropRequest request{reinterpret_cast<uintptr_t>(target), texts.size(), 0};
        std::memcpy(view, &request, sizeof request);
        std::memcpy(view + sizeof request, texts.data(), texts.size());
        dropped = process && loadLibraryInto(process, ownDirectory() + "drop_helper.dll") &&
                  reinterpret_cast<const DropRequest*>(view)->posted;
        UnmapViewOfFile(view);
    }
    for (HANDLE handle : {process, mapping})
        if (handle) CloseHandle(handle);
    return dropped;
}

} // namespace e2e

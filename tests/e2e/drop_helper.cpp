// Test-only DLL that a test loads into the program under test: a dropped
// file list (HDROP) must be memory of the receiving process. On loading it
// reads the request the test left in shared memory, posts WM_DROPFILES as the
// shell would, says so and unloads itself.
#include "drop_request.h"

#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <string>

namespace {

bool postDrop() {
    const DWORD self = GetCurrentProcessId();
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, e2e::dropMappingName(self).c_str());
    if (!mapping) return false;
    bool posted = false;
    if (const auto* request =
            static_cast<const e2e::DropRequest*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0))) {
        HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + request->pathBytes);
        if (auto* files = drop ? static_cast<DROPFILES*>(GlobalLock(drop)) : nullptr) {
            files->pFiles = sizeof(DROPFILES);
            files->fWide = FALSE;
            std::memcpy(files + 1, request + 1, request->pathBytes);
            GlobalUnlock(drop);
            posted = PostMessageA(reinterpret_cast<HWND>(request->window), WM_DROPFILES,
                                  reinterpret_cast<WPARAM>(drop), 0);
        }
        if (!posted && drop) GlobalFree(drop);
        UnmapViewOfFile(request);
    }
    CloseHandle(mapping);
    return posted;
}

DWORD WINAPI dropThenUnload(void* module) {
    if (postDrop()) {
        HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE,
                                 e2e::dropDoneEventName(GetCurrentProcessId()).c_str());
        if (done) {
            SetEvent(done);
            CloseHandle(done);
        }
    }
    FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        // Not under the loader lock: a thread of its own does the work.
        if (HANDLE thread = CreateThread(nullptr, 0, dropThenUnload, module, 0, nullptr))
            CloseHandle(thread);
    }
    return TRUE;
}

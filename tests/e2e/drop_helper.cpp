// Test-only DLL that a test loads into the program under test: a dropped
// file list (HDROP) must be memory of the receiving process. On loading it
// reads the request the test left in shared memory, posts WM_DROPFILES as the
// shell would, says so there and refuses to stay loaded.
#include "drop_request.h"

#include <windows.h>

#include <shlobj.h>

#include <cstring>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    const DWORD self = GetCurrentProcessId();
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, e2e::dropMappingName(self).c_str());
    auto* request =
        mapping ? static_cast<e2e::DropRequest*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0))
                : nullptr;
    HGLOBAL drop = request ? GlobalAlloc(GHND, sizeof(DROPFILES) + request->pathBytes) : nullptr;
    if (auto* files = drop ? static_cast<DROPFILES*>(GlobalLock(drop)) : nullptr) {
        files->pFiles = sizeof(DROPFILES);
        files->fWide = FALSE;
        std::memcpy(files + 1, request + 1, request->pathBytes);
        GlobalUnlock(drop);
        request->posted = PostMessageA(reinterpret_cast<HWND>(request->window), WM_DROPFILES,
                                       reinterpret_cast<WPARAM>(drop), 0);
        if (!request->posted) GlobalFree(drop);
    }
    if (request) UnmapViewOfFile(request);
    if (mapping) CloseHandle(mapping);
    return FALSE;
}

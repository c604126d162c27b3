#include "batcher/win/thread_wait.h"

namespace corv {

bool WaitForThreadPumping(HANDLE thread, DWORD limitMs) {
    if (!thread) return true;
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    bool quit = false, ended = false;
    WPARAM quitCode = 0;
    for (;;) {
        DWORD left = limitMs;
        if (limitMs != INFINITE) {
            ULONGLONG now = GetTickCount64();
            left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        }
        DWORD woken = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_ALLINPUT);
        ended = woken == WAIT_OBJECT_0;
        if (woken != WAIT_OBJECT_0 + 1) break; // ended, or the time is up
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                quitCode = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return ended;
}

} // namespace corv

#include "batcher/win/thread_wait.h"

namespace corv {

void WaitForThreadPumping(HANDLE thread) {
    if (!thread) return;
    bool quit = false;
    WPARAM quitCode = 0;
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
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
}

} // namespace corv

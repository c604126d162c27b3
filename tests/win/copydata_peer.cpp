// Stands in for the analyser: opens a window of its own, sends an Add job
// record to the window named on its command line and waits for the reply.
#include "protocol/job_record.h"
#include "protocol/job_types.h"
#include "protocol/messages.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

bool gotReply = false;

LRESULT CALLBACK peerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        gotReply = data->dwData == static_cast<ULONG_PTR>(corv::MessageId::ConnectionReply);
        return 1;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    HWND target =
        reinterpret_cast<HWND>(static_cast<intptr_t>(std::strtoll(commandLine, nullptr, 10)));
    WNDCLASSA wc{};
    wc.lpfnWndProc = peerProc;
    wc.hInstance = instance;
    wc.lpszClassName = "CorvHarnessPeer";
    RegisterClassA(&wc);
    HWND self = CreateWindowA("CorvHarnessPeer", "peer", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                              nullptr, instance, nullptr);
    if (!self || !IsWindow(target)) return 2;

    corv::JobRecord job{};
    job.jobType = static_cast<int32_t>(corv::JobType::Flac);
    job.sampleRate = 48000;
    job.frameCount = 0x1'0000'0001ull; // more than 32 bits must survive the trip
    corv::setFieldText(job.jobName, "Ünïcode song.wav");
    corv::setFieldText(job.settings.flac.inputPath, "C:\\out\\Song.wav");
    job.settings.flac.compressionLevel = 8;

    COPYDATASTRUCT data{};
    data.dwData = static_cast<ULONG_PTR>(corv::MessageId::AddJobRecord);
    data.cbData = sizeof job;
    data.lpData = &job;
    SendMessageA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(self),
                 reinterpret_cast<LPARAM>(&data));

    // The reply arrives as a sent message while we pump.
    for (int i = 0; i < 500 && !gotReply; ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
    DestroyWindow(self);
    return gotReply ? 0 : 3;
}

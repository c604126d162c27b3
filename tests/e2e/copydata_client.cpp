#include "copydata_client.h"

namespace e2e {
namespace {
constexpr char kClientClass[] = "QuillmereE2eClient";
}

CopyDataClient::CopyDataClient(bool asQuillmere) {
    WNDCLASSA wc{.lpfnWndProc = proc,
                 .hInstance = GetModuleHandleA(nullptr),
                 .lpszClassName = asQuillmere ? "Quillmere" : kClientClass};
    RegisterClassA(&wc); // fails harmlessly when a previous client registered it
    window_ = CreateWindowA(wc.lpszClassName, asQuillmere ? "Quillmere" : "Corvandale stand-in",
                            WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr, wc.hInstance, this);
    if (asQuillmere) semaphore_ = CreateSemaphoreA(nullptr, 1, 1, "QuillmereSema");
}

CopyDataClient::~CopyDataClient() {
    if (window_) DestroyWindow(window_);
    if (semaphore_) CloseHandle(semaphore_);
}

std::optional<LRESULT> CopyDataClient::send(HWND target, corv::MessageId id, const void* payload,
                                            size_t size, HWND sender) {
    COPYDATASTRUCT data{static_cast<ULONG_PTR>(id), static_cast<DWORD>(size),
                        const_cast<void*>(payload)};
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(target, WM_COPYDATA,
                             reinterpret_cast<WPARAM>(sender ? sender : window_),
                             reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, 20000, &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

LRESULT CALLBACK CopyDataClient::proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<CopyDataClient*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && self) {
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        Received r{reinterpret_cast<HWND>(wParam),
                   static_cast<corv::MessageId>(data->dwData),
                   {},
                   data->lpData != nullptr};
        if (data->lpData) r.payload.assign(static_cast<const char*>(data->lpData), data->cbData);
        if (self->semaphore_ && r.id == corv::MessageId::OpenConnection)
            self->send(r.from, corv::MessageId::ConnectionReply);
        const LRESULT answer = r.id == corv::MessageId::AddJobRecord ? self->jobAnswer : 1;
        self->received_.push_back(std::move(r));
        return answer;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::unique_ptr<corv::JobRecord> consoleJob(int program, const std::string& input) {
    auto job = std::make_unique<corv::JobRecord>();
    job->jobType = 1000 + program;
    job->sampleRate = 44100;
    corv::setFieldText(job->jobName, input.substr(input.rfind('\\') + 1));
    corv::setFieldText(job->settings.lame.inputPath, input);
    return job;
}

} // namespace e2e

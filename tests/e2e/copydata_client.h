#pragma once
// A window of this test program that talks to Quillmere as Corvandale does:
// it sends copy-data messages with itself as the sender and keeps every
// copy-data message it receives.
#include "protocol/job_record.h"
#include "protocol/messages.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct Received {
    HWND from;
    corv::MessageId id;
    std::string payload; // exactly cbData bytes
    bool hadPayload;
};

class CopyDataClient {
  public:
    // asQuillmere: Quillmere's semaphore, window class and title, answer to Open connection.
    explicit CopyDataClient(bool asQuillmere = false);
    ~CopyDataClient();
    CopyDataClient(const CopyDataClient&) = delete;
    CopyDataClient& operator=(const CopyDataClient&) = delete;

    HWND window() const { return window_; }

    // Sends and returns when the receiver has handled it (its replies, sent
    // meanwhile, are in received()). The sender parameter defaults to this window.
    // The receiver's answer; nothing when it did not answer within 20 s (it would be stuck).
    std::optional<LRESULT> send(HWND target, corv::MessageId id, const void* payload = nullptr,
                                size_t size = 0, HWND sender = nullptr);
    std::optional<LRESULT> sendJob(HWND target, corv::MessageId id, const corv::JobRecord& job,
                                   HWND sender = nullptr) {
        return send(target, id, &job, sizeof job, sender);
    }
    std::optional<LRESULT> addJob(HWND target, const corv::JobRecord& job) {
        return sendJob(target, corv::MessageId::AddJobRecord, job);
    }

    std::vector<Received>& received() { return received_; }
    LRESULT jobAnswer = 1; // what an Add job is answered

  private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HANDLE semaphore_ = nullptr;
    HWND window_ = nullptr;
    std::vector<Received> received_;
};

// A job of console encoder `program` (job type 1000 + program) at 44.1 kHz for the input,
// named after its file.
std::unique_ptr<corv::JobRecord> consoleJob(int program, const std::string& input);

} // namespace e2e

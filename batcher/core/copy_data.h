#pragma once
// What the batcher does with a copy-data message from Corvandale, apart from
// the window calls: the message-log lines, the checks, the Sonic Foundry
// invert, the row texts and the command-line reply. The window procedure
// copies nothing itself and only carries out the returned action.
#include "batcher/config/batcher_settings.h"
#include "batcher/core/batcher_log.h"
#include "platform/notifier.h"
#include "protocol/job_record.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace corv {

struct CopyDataMessage {
    std::string_view senderName; // executable name of the sending process
    uint64_t id = 0;             // dwData
    const void* payload = nullptr;
    size_t size = 0; // cbData
};

enum class CopyDataAction {
    None,             // only logged
    ReplyConnection,  // send 102 without payload, 10 ms time-out
    BringToFront,     // 104
    PostRun,          // 110 while not busy: clear the show programs flag, post 5020
    AppendRow,        // 130: append job + programName + oneLineDescription
    ReplyCommandline, // 131: send replyText with its zero (size = length + 1)
};

struct CopyDataOutcome {
    CopyDataAction action = CopyDataAction::None;
    std::unique_ptr<JobRecord> job; // AppendRow: the row takes it over
    // An Add job that is not queued (malformed, failed checks, unknown type)
    // is answered 0, so that the sender can count it; every other message 1.
    bool jobRefused = false;
    std::string programName;
    std::string oneLineDescription;
    std::string replyText; // ReplyCommandline: at most 6761 characters
};

// Logs the message to the message log and decides what the window must do.
// The payload is read only during the call.
CopyDataOutcome handleCopyData(const CopyDataMessage& message, bool busy,
                               const BatcherSettings& settings, BatcherLog& messageLog,
                               Notifier& notifier);

// Flips UseLFE, Deemphasis, DCFilter, Intel byte order and TimeStamp.
void invertSonicSettings(SonicFoundrySettings& settings);

// The sender name of a module path: the part after the last separator.
std::string senderNameFromModulePath(std::string_view modulePath);

// Remembers the sending window so that its executable is looked up once.
class SenderNameCache {
  public:
    using ModulePathLookup = std::function<std::string(uintptr_t window)>;
    // The name of the window's executable; asks lookup only for a new window.
    const std::string& update(uintptr_t window, const ModulePathLookup& lookup);
    const std::string& name() const { return name_; }

  private:
    uintptr_t window_ = 0;
    bool known_ = false;
    std::string name_;
};

} // namespace corv

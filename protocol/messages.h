#pragma once
// Copy-data message identifiers between Corvandale and Quillmere (dwData).
#include <cstddef>
#include <cstdint>

namespace corv {

inline constexpr unsigned kWmCopyData = 74;

enum class MessageId : uint32_t {
    OpenConnection = 100,
    ConnectionReply = 102,
    NotifyUser = 104,
    StartJobs = 110,
    AddJobRecord = 130,    // "Add job" (a plain AddJob would collide with a Windows macro)
    GiveCommandline = 131, // the request, and the batcher's text reply
};

// The command-line reply is a zero-terminated text of at most this many bytes.
inline constexpr size_t kMaxCommandlineReply = 6762;

// Name of the batcher's window class and title, and the semaphores that mark
// a running instance of each program.
inline constexpr char kBatcherWindowName[] = "Quillmere";
inline constexpr char kBatcherSemaphore[] = "QuillmereSema";
inline constexpr char kAnalyserSemaphore[] = "CorvandaleSema";

} // namespace corv

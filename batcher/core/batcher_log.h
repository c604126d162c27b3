#pragma once
// The job log and the message log: a LogBuffer plus the log file, guarded so
// that the runner thread, the user-interface thread and the log window can
// share them. Each append or read holds the lock once.
#include "batcher/core/log_buffer.h"
#include "platform/file_stream.h"

#include <mutex>
#include <string>
#include <string_view>

namespace corv {

inline constexpr char kJobLogFileName[] = "JobLogQuillmere.txt";
inline constexpr char kMessageLogFileName[] = "MsgLogQuillmere.txt";
inline constexpr std::string_view kLogStartLine = "Starting Quillmere\r\n";
inline constexpr std::string_view kOmittedLogMarker =
    "***** First part of the log is omitted *****\r\n";

enum class LogKind { Job, Message };

class BatcherLog {
  public:
    explicit BatcherLog(LogKind kind, int32_t capacity = kLogCapacity);
    BatcherLog(const BatcherLog&) = delete;
    BatcherLog& operator=(const BatcherLog&) = delete;

    // Opens the log's file in the program directory (ending in a separator)
    // for writing, replacing an earlier one, and appends the start line. When
    // the file cannot be opened the log lives in memory only; returns false.
    bool start(const std::string& programDirectory);
    // Closes the file; the ring stays readable.
    void closeFile();

    // Every character goes to the file and into the ring.
    void append(std::string_view text);

    // What the log window shows: the kept text; in the job log, once its
    // beginning has been dropped, the omitted-part marker over the cut first line.
    std::string shownText() const;

    LogKind kind() const { return kind_; }

  private:
    mutable std::mutex mutex_;
    LogKind kind_;
    LogBuffer buffer_;
    FileStream file_;
};

// Every log line of the batcher goes through here.
void AppendLog(BatcherLog& log, std::string_view text);

// The marker rule on its own: overwrites the beginning of a kept text whose
// start has been dropped with the marker and blanks the rest of the cut line.
void markOmittedPart(std::string& text);

} // namespace corv

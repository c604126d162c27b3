#pragma once
// An exception that reaches Quillmere's entry ends the program, and says so.
#include "batcher/core/batcher_log.h"
#include "platform/notifier.h"

#include <exception>

namespace corv {

// 1 is a normal end and 0 one that stopped early (another instance running,
// no window); this one tells an error apart from both.
inline constexpr int kUnexpectedErrorExitCode = 2;

// Writes what went wrong to the message log, shows it in a message box titled
// "Quillmere" and returns the exit code for it.
int reportUnexpectedError(std::exception_ptr error, BatcherLog& messageLog, Notifier& notifier);

} // namespace corv

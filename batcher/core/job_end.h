#pragma once
// What becomes of a job's output when its program has gone: a Stop removes
// what the encoder had begun, never what it had finished by itself before
// the runner saw the Stop.
#include <cstdint>
#include <optional>
#include <string_view>

namespace corv {

// How long a window-driven encoder that says it is done (its window closed,
// or Encode enabled again) may take to end by itself: it may still be
// writing its file. After that it is ended, with this line in the job log.
inline constexpr uint32_t kFinishGraceMs = 10000;
inline constexpr std::string_view kGraceOverLine =
    "\r\n\tThe encoder had not ended 10 s after it was done; it was ended.";

inline constexpr std::string_view kUserAbortedLine = "\r\n\tUser aborted conversion.";
inline constexpr std::string_view kFinishedBeforeStopLine =
    "\r\n\tThe encoder had finished when Stop was pressed: its output is kept.";

// How the program of a job ended, as its runner saw it.
struct ProgramEnd {
    bool stopPressed = false;         // the abort flag at the end of the job
    bool endedByItself = false;       // the program ended before the runner ended it
    std::optional<uint32_t> exitCode; // of a program that has ended
};

struct JobEnd {
    bool removeOutput = false;
    std::string_view logLine; // for the job log; empty when there is nothing to say
};

// Only a program that ended by itself with exit code 0 has finished its
// output; after a Stop, any other output is cut short and goes.
JobEnd jobEndOf(const ProgramEnd& end);

} // namespace corv

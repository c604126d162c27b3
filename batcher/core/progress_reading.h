#pragma once
// How the console runner reads one encoder's progress from the batcher
// console's screen. Today's TwoLAME (0.4), WavPack (5.6) and mpcenc (1.30)
// print progress texts of their own, each read by a rule of its own; the
// command line's marker, separator and first-occurrence flag stay the rule
// for the older versions that print the texts they name, and for LAME 3.100
// and FLAC 1.4, whose texts those rules read. Encoders that write their
// status a character at a time are not read while caught doing so.
#include "batcher/encoders/command_line.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corv {

// Where the cursor stood while a screen was read: a position in the screen
// text, or this when it moved meanwhile.
inline constexpr int kCursorMoving = -1;

class ProgressReading {
  public:
    // The reading of a console job type with the command's marker rule.
    ProgressReading(int32_t jobType, const CommandLineRecord& command);

    // Whether the screen shows the encoder's progress texts yet.
    bool shows(std::string_view screen) const;
    // The percent the screen shows: the encoder's own rule where its texts
    // are on the screen, else the marker rule, whose number is a share of
    // progressTotal. Nothing when no whole figure shows, or the encoder was
    // caught rewriting its status line.
    std::optional<int> percent(std::string_view screen, int cursor, int progressTotal) const;

  private:
    int32_t jobType_;
    std::string marker_;
    char separator_;
    bool firstOccurrence_;
};

} // namespace corv

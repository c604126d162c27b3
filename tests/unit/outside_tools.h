#pragma once
// Numbers that soxi and ffprobe print about a file: independent opinions, for
// tests that run natively.
#include "temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace corv::test {

// The number the command prints first; -1 when it fails.
inline long long commandNumber(const TempDir& temp, const std::string& command) {
    const std::string out = temp.file("command-output.txt");
    long long value = -1;
    if (std::system((command + " >'" + out + "' 2>/dev/null").c_str()) == 0)
        std::ifstream(out) >> value;
    return value;
}

inline bool ffmpegAvailable() {
    return std::system("command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null") == 0;
}

// channels, sample_rate, or duration_ts (the length in frames) of the first audio stream.
inline long long ffprobeNumber(const TempDir& temp, const std::string& field,
                               const std::string& file) {
    return commandNumber(temp, "ffprobe -v error -select_streams a:0 -show_entries stream=" +
                                   field + " -of csv=p=0 '" + file + "'");
}

} // namespace corv::test

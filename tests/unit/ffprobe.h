#pragma once
// What ffprobe, an independent reader, says about the first audio stream of
// a file. Only for tests that run natively.
#include "temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace corv::test {

inline bool ffmpegAvailable() {
    static const bool available =
        std::system("command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null") == 0;
    return available;
}

struct ProbedStream {
    long long channels = -1;
    long long sampleRate = -1;
    long long frames = -1; // duration_ts: frames at the stream's 1/rate time base
    double seconds = -1;
};

inline ProbedStream ffprobe(const TempDir& temp, const std::string& file) {
    const std::string out = temp.file("ffprobe.txt");
    ProbedStream probed;
    if (std::system(("ffprobe -v error -select_streams a:0 -show_entries "
                     "stream=channels,sample_rate,duration_ts,duration -of default=nw=1 '" +
                     file + "' >'" + out + "'")
                        .c_str()) != 0)
        return probed;
    std::ifstream in(out);
    for (std::string line; std::getline(in, line);) {
        const auto equals = line.find('=');
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == "channels") probed.channels = std::atoll(value.c_str());
        if (key == "sample_rate") probed.sampleRate = std::atoll(value.c_str());
        if (key == "duration_ts") probed.frames = std::atoll(value.c_str());
        if (key == "duration") probed.seconds = std::atof(value.c_str());
    }
    return probed;
}

} // namespace corv::test

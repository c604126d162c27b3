#include "speed.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <stdexcept>
#include <vector>

namespace bench {

namespace {

constexpr int kChannels = 2;

// One second of decorrelated noise at -6 dBFS, repeated: every sample is busy.
std::vector<double> oneSecond(int rate) {
    std::vector<double> signal(static_cast<std::size_t>(rate) * kChannels);
    std::uint64_t state = 0x243F6A8885A308D3u;
    for (double& sample : signal) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        sample = (static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5);
    }
    return signal;
}

// CPU time of this thread: less disturbed than wall time when the machine is shared.
double threadSeconds() {
    timespec now{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0)
        throw std::runtime_error("no thread CPU clock");
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

} // namespace

Speed measureSpeed(Engine engine, int inputRate, int outputRate, double inputSeconds) {
    const std::vector<double> second = oneSecond(inputRate);
    const auto total = static_cast<std::size_t>(std::llround(inputSeconds * inputRate));
    const auto secondFrames = static_cast<std::size_t>(inputRate);

    auto stream = openStream(engine, kChannels, inputRate, outputRate);
    std::size_t produced = 0;
    double sink = 0;
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = threadSeconds();
    for (std::size_t at = 0; at < total;) {
        // Blocks never straddle the end of the repeated second.
        const std::size_t offset = at % secondFrames;
        const std::size_t n = std::min({kBlockFrames, total - at, secondFrames - offset});
        const auto out = stream->process(second.data() + offset * kChannels, n, false);
        produced += out.size() / kChannels;
        if (!out.empty()) sink += out[0];
        at += n;
    }
    const auto tail = stream->process(second.data(), 0, true);
    produced += tail.size() / kChannels;
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const double cpu = threadSeconds() - cpuStart;
    if (!std::isfinite(sink)) throw std::runtime_error("speed run: output not finite");

    Speed speed;
    speed.realtime = inputSeconds / elapsed.count();
    speed.cpuRealtime = inputSeconds / cpu;
    speed.lengthError = static_cast<std::int64_t>(produced) -
                        static_cast<std::int64_t>(
                            std::llround(static_cast<double>(total) * outputRate / inputRate));
    return speed;
}

} // namespace bench

// CPU time of the resampler as programs load it: the native shared library
// through dlopen, or ssrcdll.dll (beside this program) through LoadLibrary, so
// the Windows build run under Wine can be set against the native one. Prints a
// hash of each case's output too: the two builds must give the same bytes.
//
//   ssrc_library_speed [--seconds S] [--repeat N] [--library PATH]
#include "analyser/engine/entry_point_lookup.h"

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <time.h>
#endif

namespace {

#ifdef _WIN32
const char* const kDefaultLibrary = "ssrcdll.dll";

void* openLibrary(const char* path) {
    return reinterpret_cast<void*>(LoadLibraryA(path));
}
void* findSymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
double threadSeconds() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    const auto ticks = [](FILETIME t) {
        return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) * 1e-7;
}
#else
const char* const kDefaultLibrary = SSRC_SHARED_LIBRARY_PATH;

void* openLibrary(const char* path) {
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
}
void* findSymbol(void* library, const char* name) {
    return dlsym(library, name);
}
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
#endif

struct Case {
    int input;
    int output;
};
constexpr Case kCases[] = {{44100, 48000},  {48000, 44100},  {96000, 44100}, {44100, 96000},
                           {44100, 192000}, {192000, 44100}, {48000, 8000}};
constexpr int kChannels = 2;
constexpr int kBlockFrames = 8192;

struct Result {
    double cpuSeconds = 0;
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a 64 of the output doubles
};

// One second of noise from integer arithmetic (the same bits everywhere), repeated.
Result run(const SsrcEntryPoints& api, Case pair, int seconds) {
    std::vector<double> second(static_cast<std::size_t>(pair.input) * kChannels);
    std::uint32_t noise = 12345;
    for (double& sample : second) {
        noise = noise * 1664525u + 1013904223u;
        sample = static_cast<double>(noise >> 8) / 16777216.0 - 0.5;
    }
    const bool up = pair.output > pair.input;
    auto* process = up ? api.upsampleProcess : api.downsampleProcess;
    alignas(16) unsigned char state[SSRC_RESAMPLER_STATE_BYTES];
    int blockSize = kBlockFrames;
    (up ? api.upsampleInit : api.downsampleInit)(kChannels, pair.input, pair.output, state,
                                                 &blockSize);
    Result result;
    const auto hash = [&](const double* samples, int frames) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(samples);
        for (std::size_t i = 0; i < sizeof(double) * kChannels * frames; ++i)
            result.hash = (result.hash ^ bytes[i]) * 1099511628211ull;
    };
    const double start = threadSeconds();
    int frames = 0;
    for (int s = 0; s < seconds; ++s)
        for (int at = 0; at < pair.input; at += kBlockFrames) {
            const int n = std::min(kBlockFrames, pair.input - at);
            const double* out = process(0, state, n, second.data() + at * kChannels, &frames);
            hash(out, frames);
        }
    hash(process(1, state, 0, second.data(), &frames), frames);
    result.cpuSeconds = threadSeconds() - start;
    (up ? api.upsampleExit : api.downsampleExit)(state);
    return result;
}

} // namespace

int main(int argc, char** argv) {
    int seconds = 60;
    int repeats = 3;
    const char* path = kDefaultLibrary;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--repeat") == 0)
            repeats = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--library") == 0)
            path = argv[i + 1];
    }
    void* library = openLibrary(path);
    SsrcEntryPoints api{};
    if (library == nullptr || !corv::findEntryPoints(api, [&](const char* name) {
                                   return findSymbol(library, name);
                               }).empty()) {
        std::fprintf(stderr, "cannot load the nine entry points from %s\n", path);
        return 1;
    }
    std::printf("%s: stereo, %d s of input per run, median of %d runs\n", path, seconds, repeats);
    std::printf("%-16s %10s  %s\n", "case", "x-cpu", "output hash");
    for (const Case pair : kCases) {
        std::vector<double> speeds;
        Result result;
        for (int r = 0; r < repeats; ++r) {
            result = run(api, pair, seconds);
            speeds.push_back(seconds / result.cpuSeconds);
        }
        std::sort(speeds.begin(), speeds.end());
        const std::string name = std::to_string(pair.input) + "->" + std::to_string(pair.output);
        std::printf("%-16s %10.1f  %016" PRIx64 "\n", name.c_str(), speeds[speeds.size() / 2],
                    result.hash);
    }
    return 0;
}

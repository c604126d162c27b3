// How much faster Quillmere.exe finishes a queue of real LAME and FLAC jobs
// with several jobs at once: run under Wine (win64 build) with Quillmere.exe
// beside it and the encoders of scripts/build-encoders.sh in their cache.
//
//   quillmere_jobs_at_once [--jobs N] [--seconds S] [--runs R]
//   e.g. scripts/wine-run.sh build/win64/wineprefix build/win64/bench/quillmere_jobs_at_once.exe
//
// For each encoder, the same queue of N jobs (8 when not given) on stereo
// 44.1 kHz sines of S seconds (120) in one folder on one disk, run with 1, 2
// and 4 jobs at once, in turn, R times (1); the time from Run until the
// progress dialog has gone, the best of the R runs, and each speed-up
// against 1 at once in this run.
#include "copydata_client.h"
#include "corvandale_app.h"
#include "remote_window.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace e2e;
using Clock = std::chrono::steady_clock;

struct Encoder {
    const char* name;
    int program; // job type - 1000
    const char* exe;
};
const Encoder kEncoders[] = {{"LAME", 8, "lame-3.100\\lame.exe"},
                             {"FLAC", 4, "flac-1.4.2\\flac.exe"}};

// Seconds from Run to the end of the queue; negative when it did not end.
double runQueue(const Encoder& encoder, const std::string& exe, int jobsAtOnce, int jobs,
                double seconds) {
    const std::string folder = freshFolderBesideTest("jobs-at-once");
    writeBatcherSettings(folder, {{encoder.program, exe}}, jobsAtOnce);
    QuillmereProcess quillmere(folder);
    if (!quillmere.start()) return -1;
    CopyDataClient client;
    for (int i = 0; i < jobs; ++i) {
        const std::string input = folder + "song" + std::to_string(i) + ".wav";
        writeSine(input, 2, 44100, seconds, 0.25);
        auto job = consoleJob(encoder.program, input);
        job->channelCount = 2;
        job->settings.flac.compressionLevel = 5;
        client.addJob(quillmere.mainWindow(), *job);
    }
    const Clock::time_point start = Clock::now();
    if (!quillmere.run() || !quillmere.waitForRunEnd(std::chrono::seconds(3600))) return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    int jobs = 8, runs = 1;
    double seconds = 120;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--jobs")) jobs = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--seconds")) seconds = std::atof(argv[i + 1]);
        if (!std::strcmp(argv[i], "--runs")) runs = std::atoi(argv[i + 1]);
    }
    std::printf("%d jobs of %.0f s stereo 44.1 kHz, best of %d run(s)\n", jobs, seconds, runs);
    for (const Encoder& encoder : kEncoders) {
        const std::string exe = winePath(CORV_ENCODER_CACHE "/" + std::string(encoder.exe));
        if (!fileExists(exe)) {
            std::printf("%s: not built (scripts/build-encoders.sh)\n", encoder.name);
            continue;
        }
        // Run after run the three in turn, so that a change in the machine's
        // other load falls on all of them; the best of each counts.
        const int atOnce[] = {1, 2, 4};
        double best[3] = {-1, -1, -1};
        for (int run = 0; run < runs; ++run)
            for (int i = 0; i < 3; ++i) {
                double took = runQueue(encoder, exe, atOnce[i], jobs, seconds);
                if (took > 0 && (best[i] < 0 || took < best[i])) best[i] = took;
            }
        for (int i = 0; i < 3; ++i)
            std::printf("%s %d at once: %7.2f s  speed-up %.2fx\n", encoder.name, atOnce[i],
                        best[i], best[i] > 0 && best[0] > 0 ? best[0] / best[i] : 0.0);
        std::fflush(stdout);
    }
    return 0;
}

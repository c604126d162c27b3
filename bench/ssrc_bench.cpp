// Speed and quality of our resampler against libsoxr (very high quality) and
// libsamplerate (best sinc). See README.md for the options and the figures.
#include "quality.h"
#include "resamplers.h"
#include "speed.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace {

using bench::Engine;

struct Pair {
    int input;
    int output;
};

constexpr Pair kCases[] = {{44100, 48000},  {48000, 44100},  {96000, 44100}, {44100, 96000},
                           {44100, 192000}, {192000, 44100}, {48000, 8000}};
constexpr int kProjectRates[] = {6000,  8000,  11025, 12000, 16000, 22050,
                                 24000, 32000, 44100, 48000, 96000, 192000};

struct Options {
    bool quick = false;
    bool allPairs = false;
    bool speedOnly = false;
    int repeats = 1;
    std::vector<Pair> pairs;
};

void usage() {
    std::fprintf(
        stderr,
        "usage: ssrc_bench [--quick] [--case IN:OUT]... [--all-pairs] [--speed [--repeat N]]\n"
        "  --quick       10 s of input per speed run and fewer stop-band tones\n"
        "  --case IN:OUT only this rate pair (repeatable); default: the seven standard cases\n"
        "  --all-pairs   quality of ssrc over all 132 pairs of the project rates\n"
        "  --speed       CPU time of ssrc against soxr VHQ only, no quality\n"
        "  --repeat N    with --speed: N runs of each, medians\n");
}

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            options.quick = true;
        } else if (arg == "--all-pairs") {
            options.allPairs = true;
        } else if (arg == "--speed") {
            options.speedOnly = true;
        } else if (arg == "--repeat" && i + 1 < argc) {
            options.repeats = std::atoi(argv[++i]);
            if (options.repeats < 1 || options.repeats > 99) return false;
        } else if (arg == "--case" && i + 1 < argc) {
            Pair pair{};
            char extra = 0;
            if (std::sscanf(argv[++i], "%d:%d%c", &pair.input, &pair.output, &extra) != 2 ||
                pair.input < 1000 || pair.output < 1000 || pair.input == pair.output)
                return false;
            options.pairs.push_back(pair);
        } else {
            return false;
        }
    }
    return true;
}

std::string pairName(Pair pair) {
    return std::to_string(pair.input) + "->" + std::to_string(pair.output);
}

std::string signedCount(std::int64_t n) {
    return (n > 0 ? "+" : "") + std::to_string(n);
}

void printQualityHeader() {
    std::printf("%-14s %-9s %10s %9s %11s %7s %7s %9s %9s %6s\n", "case", "engine", "reject dB",
                "at Hz", "passband dB", "-0.1dB", "-3dB", "THD+N dB", "delay", "length");
}

void printQualityRow(const std::string& name, Engine engine, const bench::Quality& q) {
    const double delay = std::abs(q.delay) < 5e-4 ? 0.0 : q.delay; // no "-0.000"
    std::printf("%-14s %-9s %10.1f %9.0f %11.5f %6.1f%% %6.1f%% %9.1f %9.3f %6s\n", name.c_str(),
                bench::engineName(engine), q.rejectionDb, q.rejectionToneHz, q.passbandDeviationDb,
                100 * q.minus01Point, 100 * q.minus3Point, q.thdnDb, delay,
                signedCount(q.lengthError).c_str());
    std::fflush(stdout);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// soxr and ssrc in turn, so that both see the same load; the ratio is the
// median of the paired runs' ratios.
void runSpeed(const Options& options, const std::vector<Pair>& pairs) {
    const double seconds = options.quick ? 10 : 600;
    std::printf("\nCPU time: stereo, %.0f s of input per run, %d runs each, medians\n", seconds,
                options.repeats);
    std::printf("%-14s %12s %12s %8s %8s %8s\n", "case", "soxr x-cpu", "ssrc x-cpu", "ssrc/soxr",
                "lowest", "highest");
    for (Pair pair : pairs) {
        std::vector<double> soxr, ours, ratios;
        for (int run = 0; run < options.repeats; ++run) {
            soxr.push_back(
                bench::measureSpeed(Engine::Soxr, pair.input, pair.output, seconds).cpuRealtime);
            ours.push_back(
                bench::measureSpeed(Engine::Ours, pair.input, pair.output, seconds).cpuRealtime);
            ratios.push_back(ours.back() / soxr.back());
        }
        std::printf("%-14s %12.1f %12.1f %8.2f %8.2f %8.2f\n", pairName(pair).c_str(), median(soxr),
                    median(ours), median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                    *std::max_element(ratios.begin(), ratios.end()));
        std::fflush(stdout);
    }
}

std::vector<Engine> engines() {
    // libsoxr first: its figures validate the measurement, its speed is the yardstick.
    return {Engine::Soxr, Engine::Ours, Engine::Libsamplerate};
}

void runCases(const Options& options) {
    const double seconds = options.quick ? 10 : 600;
    bench::QualityOptions quality;
    if (options.quick) quality.rejectionTones = 12;
    std::vector<Pair> pairs = options.pairs;
    if (pairs.empty()) pairs.assign(std::begin(kCases), std::end(kCases));
    if (options.speedOnly) {
        runSpeed(options, pairs);
        return;
    }

    std::printf("\nSpeed: stereo, %.0f s of input per case, blocks of %zu frames, one thread\n",
                seconds, bench::kBlockFrames);
    std::printf("%-14s %-9s %11s %8s %9s %8s %6s\n", "case", "engine", "x-realtime", "vs soxr",
                "x-cpu", "vs soxr", "length");
    for (Pair pair : pairs) {
        bench::Speed soxr;
        for (Engine engine : engines()) {
            const bench::Speed speed =
                bench::measureSpeed(engine, pair.input, pair.output, seconds);
            if (engine == Engine::Soxr) soxr = speed;
            std::printf("%-14s %-9s %11.1f %8.2f %9.1f %8.2f %6s\n", pairName(pair).c_str(),
                        bench::engineName(engine), speed.realtime, speed.realtime / soxr.realtime,
                        speed.cpuRealtime, speed.cpuRealtime / soxr.cpuRealtime,
                        signedCount(speed.lengthError).c_str());
            std::fflush(stdout);
        }
    }

    std::printf("\nQuality: 64-bit output, stereo, %d stop-band tones per case\n",
                quality.rejectionTones);
    printQualityHeader();
    for (Pair pair : pairs)
        for (Engine engine : engines())
            printQualityRow(pairName(pair), engine,
                            bench::measureQuality(engine, pair.input, pair.output, quality));
}

// Worst value of one figure over all pairs, with the pair where it occurs.
struct Worst {
    const char* figure;
    double value;
    std::string pair;
    bool higherIsWorse;
    void offer(double candidate, const std::string& name) {
        if (!pair.empty() && std::isnan(value))
            return; // a figure that could not be measured stays the worst
        if (pair.empty() || std::isnan(candidate) ||
            (higherIsWorse ? candidate > value : candidate < value)) {
            value = candidate;
            pair = name;
        }
    }
};

void runAllPairs(const Options& options) {
    bench::QualityOptions quality;
    if (options.quick) quality.rejectionTones = 12;
    std::printf(
        "\nQuality of ssrc over all pairs of the project rates (%d stop-band tones per pair)\n",
        quality.rejectionTones);
    printQualityHeader();
    printQualityRow(pairName({44100, 48000}), Engine::Soxr,
                    bench::measureQuality(Engine::Soxr, 44100, 48000, quality));

    std::vector<Worst> worst{{"stop-band rejection, dB", 0, "", false},
                             {"pass-band deviation, dB", 0, "", true},
                             {"-0.1 dB point, lowest", 0, "", false},
                             {"-0.1 dB point, highest", 0, "", true},
                             {"-3 dB point, lowest", 0, "", false},
                             {"-3 dB point, highest", 0, "", true},
                             {"THD+N, dB", 0, "", true},
                             {"|delay|, output samples", 0, "", true},
                             {"|length error|, frames", 0, "", true}};
    for (int in : kProjectRates) {
        for (int out : kProjectRates) {
            if (in == out) continue;
            const std::string name = pairName({in, out});
            const bench::Quality q = bench::measureQuality(Engine::Ours, in, out, quality);
            printQualityRow(name, Engine::Ours, q);
            worst[0].offer(q.rejectionDb, name);
            worst[1].offer(q.passbandDeviationDb, name);
            worst[2].offer(100 * q.minus01Point, name);
            worst[3].offer(100 * q.minus01Point, name);
            worst[4].offer(100 * q.minus3Point, name);
            worst[5].offer(100 * q.minus3Point, name);
            worst[6].offer(q.thdnDb, name);
            worst[7].offer(std::abs(q.delay), name);
            worst[8].offer(static_cast<double>(std::llabs(q.lengthError)), name);
        }
    }
    std::printf("\nWorst case over the 132 pairs (points in %% of the lower Nyquist)\n");
    std::printf("%-26s %12s  %s\n", "figure", "worst", "pair");
    for (const Worst& w : worst)
        std::printf("%-26s %12.6f  %s\n", w.figure, w.value, w.pair.c_str());
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        usage();
        return 2;
    }
    try {
        if (options.allPairs)
            runAllPairs(options);
        else
            runCases(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ssrc_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}

// How long Corvandale.exe leaves a message waiting while it fills its list
// with dropped files, and how long the filling takes: run under Wine (win64
// build) with Corvandale.exe, ssrcdll.dll and drop_helper.dll beside it.
//
//   corvandale_list_wait [--files N] [--runs R] [--baseline FOLDER]
//   e.g. scripts/wine-run.sh build/win64/wineprefix build/win64/bench/corvandale_list_wait.exe
//
// Each run starts the program in a fresh folder, drops the same N files
// (10000 when not given; small 8 kHz mono WAVE files) on its main window and
// waits until the last row is analysed. Meanwhile a thread of this program
// sends WM_NULL to the main window every 20 ms and times each answer. The
// baseline in the same run: the same measurement while the program is idle
// (two seconds before the drop), and, with --baseline, another build's
// Corvandale.exe from FOLDER measured run for run beside this one.
#include "corvandale_app.h"
#include "remote_window.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace e2e;
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// WM_NULL every 20 ms while it runs; the longest time one took to be answered.
class Pinger {
  public:
    explicit Pinger(HWND target)
        : thread_([this, target] {
              for (auto next = Clock::now(); !stop_; next += std::chrono::milliseconds(20)) {
                  std::this_thread::sleep_until(next);
                  const auto sent = Clock::now();
                  DWORD_PTR ignored = 0;
                  SendMessageTimeoutA(target, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &ignored);
                  const double waited = millisecondsSince(sent);
                  longest_ = std::max(longest_.load(), waited);
                  if (waited > 100) ++over100_;
                  ++count_;
                  next = std::max(next, Clock::now() - std::chrono::milliseconds(20));
              }
          }) {}
    ~Pinger() { stop(); }
    void stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    double longest() const { return longest_; }
    int over100() const { return over100_; }
    int count() const { return count_; }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<double> longest_{0};
    std::atomic<int> over100_{0}, count_{0};
    std::thread thread_;
};

struct Figures {
    double idleLongest = 0, longest = 0, totalSeconds = 0;
    int over100 = 0, messages = 0;
    bool ok = false;
};

Figures measure(const std::string& programFolder, const std::vector<std::string>& paths) {
    Figures figures;
    ScratchFolder program("list-wait");
    CorvandaleProcess app(program.path());
    if (!programFolder.empty() && !CopyFileA((programFolder + "Corvandale.exe").c_str(),
                                             (program.path() + "Corvandale.exe").c_str(), FALSE))
        return figures;
    if (!app.start()) return figures;
    {
        Pinger idle(app.mainWindow());
        Sleep(2000);
        idle.stop();
        figures.idleLongest = idle.longest();
    }
    const int files = static_cast<int>(paths.size());
    Pinger pinger(app.mainWindow());
    const auto dropped = Clock::now();
    if (!dropFiles(app.mainWindow(), paths)) return figures;
    figures.ok = waitFor(
        [&] { return app.rows() == files && app.cell(files - 1, "Type") == "Wave PCM"; }, 900s);
    figures.totalSeconds = millisecondsSince(dropped) / 1000;
    pinger.stop();
    figures.longest = pinger.longest();
    figures.over100 = pinger.over100();
    figures.messages = pinger.count();
    return figures;
}

void print(const char* which, int run, const Figures& f) {
    if (!f.ok) {
        std::printf("%-9s run %d: the list was not filled\n", which, run);
        return;
    }
    std::printf("%-9s run %d: longest wait %6.1f ms (idle %5.1f ms), %3d of %5d waits over "
                "100 ms, total %6.2f s\n",
                which, run, f.longest, f.idleLongest, f.over100, f.messages, f.totalSeconds);
}

} // namespace

int main(int argc, char** argv) {
    int files = 10000, runs = 1;
    std::string baseline;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--files")) files = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--runs")) runs = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--baseline")) baseline = argv[i + 1];
    }
    if (!baseline.empty() && baseline.back() != '\\') baseline += '\\';
    ScratchFolder music("list-wait-music");
    const std::vector<std::string> paths = writeTakes(music.path(), files);
    std::printf("%d files dropped, WM_NULL every 20 ms from another process\n", files);
    std::vector<Figures> ours, theirs;
    for (int run = 1; run <= runs; ++run) {
        if (!baseline.empty())
            print("baseline", run, theirs.emplace_back(measure(baseline, paths)));
        print("this", run, ours.emplace_back(measure("", paths)));
    }
    if (!baseline.empty()) {
        auto worst = [](const std::vector<Figures>& all, double Figures::*field) {
            double value = 0;
            for (const Figures& f : all)
                value = std::max(value, f.*field);
            return value;
        };
        const double longest = worst(ours, &Figures::longest),
                     total = worst(ours, &Figures::totalSeconds);
        std::printf("worst of the runs: longest wait %.1f ms against %.1f ms (ratio %.2f), total "
                    "%.2f s against %.2f s (ratio %.2f)\n",
                    longest, worst(theirs, &Figures::longest),
                    longest / worst(theirs, &Figures::longest), total,
                    worst(theirs, &Figures::totalSeconds),
                    total / worst(theirs, &Figures::totalSeconds));
    }
    return 0;
}

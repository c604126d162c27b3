// 10,000 files dropped on Corvandale.exe: every one is listed, analysed and
// converted (no file is left open on the way), and the numbers a user feels
// are printed: how long the window went without answering while the files
// were added and analysed and while the run changed their cells, and the
// program's working set. Printed, never asserted: timings depend on the machine.
#include "corvandale_app.h"
#include "drop_files.h"
#include "remote_window.h"

#include "protocol/fixed_text.h"
#include "wav_builder.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>

namespace {

using namespace e2e;
using Clock = std::chrono::steady_clock;

// Asks the window for an answer over and over from a thread of its own and
// keeps the longest wait.
class AnswerProbe {
  public:
    explicit AnswerProbe(HWND window)
        : thread_([this, window] {
              while (!stop_) {
                  const auto sent = Clock::now();
                  DWORD_PTR result = 0;
                  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
                  const auto waited =
                      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent);
                  longest_ = std::max<long long>(longest_, waited.count());
                  ++answers_;
                  Sleep(5);
              }
          }) {}
    ~AnswerProbe() { finish(); }
    void finish() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    long long longestMs() const { return longest_; }
    long long answers() const { return answers_; }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<long long> longest_{0}, answers_{0};
    std::thread thread_;
};

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double workingSetMB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return -1;
    return counters.WorkingSetSize / 1048576.0;
}

TEST(CorvandaleManyFiles, TenThousandDroppedFilesAreListedAnalysedAndConverted) {
    constexpr int kFiles = 10000;
    ScratchFolder program("corv-many"), music("corv-many-music"), out("corv-many-out");
    writeSettings(program.path(), [&](corv::ConversionSettings& s) {
        s.sameAsInput = 0;
        corv::setFieldText(s.outputDirectory, out.path());
    });
    corv::test::FormatFields format;
    format.channels = 1;
    format.sampleRate = 8000;
    const auto bytes = corv::test::wave(format, corv::test::Bytes(200, 1));
    std::vector<std::string> paths;
    for (int i = 0; i < kFiles; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "take %05d.wav", i);
        paths.push_back(music.path() + name);
        corv::test::writeFile(paths.back(), bytes);
    }
    CorvandaleProcess app(program.path());
    ASSERT_TRUE(app.start());
    std::printf("working set at start: %.1f MB\n", workingSetMB(app.process()));

    auto start = Clock::now();
    {
        AnswerProbe probe(app.mainWindow());
        ASSERT_TRUE(dropFiles(app.mainWindow(), paths));
        ASSERT_TRUE(waitFor(
            [&] { return app.rows() == kFiles && app.cell(kFiles - 1, "Type") == "Wave PCM"; },
            600s));
        probe.finish();
        std::printf("%d files added and analysed in %.1f s; the window answered %lld times, "
                    "the longest wait %lld ms\n",
                    kFiles, secondsSince(start), probe.answers(), probe.longestMs());
    }
    std::printf("working set with the list: %.1f MB\n", workingSetMB(app.process()));

    start = Clock::now();
    {
        AnswerProbe probe(app.mainWindow());
        app.post(kConvert);
        ASSERT_TRUE(waitFor([&] { return !IsWindowEnabled(app.control(kConvert)); }, 10s));
        ASSERT_TRUE(waitFor([&] { return IsWindowEnabled(app.control(kConvert)); }, 900s));
        probe.finish();
        std::printf("%d files converted in %.1f s, each row's cells changed as it was done; the "
                    "window answered %lld times, the longest wait %lld ms\n",
                    kFiles, secondsSince(start), probe.answers(), probe.longestMs());
    }
    std::printf("working set after the run: %.1f MB\n", workingSetMB(app.process()));
    EXPECT_EQ(app.cell(0, "Result"), "Succes");
    EXPECT_EQ(app.cell(kFiles - 1, "Result"), "Succes");
    size_t outputs = 0;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((out.path() + "*.wav").c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &entry))
        ++outputs;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    EXPECT_EQ(outputs, static_cast<size_t>(kFiles));
}

} // namespace

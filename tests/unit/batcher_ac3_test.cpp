// RunAc3Job with the ac3enc.dll stand-in of tests/fixtures linked in: block
// sizes by coding mode, the zero-filled last block, the data chunk search,
// output names, and every way a job fails or is stopped.
#include "batcher/core/ac3_job.h"
#include "batcher_test_support.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <filesystem>

extern "C" {
void AC3_encode_version(uint8_t* record);
int AC3_encode_init(const uint8_t* record);
int AC3_encode_frame(uint8_t* output, const uint8_t* input);
void AC3_encode_close();
}

namespace corv {
namespace {

using test::Bytes;

const Ac3Library kStandIn{reinterpret_cast<void (*)(void*)>(AC3_encode_version),
                          reinterpret_cast<int (*)(void*)>(AC3_encode_init),
                          reinterpret_cast<int (*)(void*, void*)>(AC3_encode_frame),
                          AC3_encode_close};

struct StopAtFirstProgress final : RunObserver {
    std::atomic<bool>* abort = nullptr;
    void warn(std::string_view, std::string_view) override {}
    void jobStarted(int, int, std::string_view) override {}
    void progress(int) override {
        if (abort) *abort = true;
    }
    void jobFinished() override {}
};

struct Ac3Run : ::testing::Test {
    test::TempDir dir;
    std::atomic<bool> abort{false};
    std::atomic<int> total{100};
    BatcherLog log{LogKind::Job};
    StopAtFirstProgress observer;

    std::unique_ptr<JobRecord> job(int mode, bool lfe, int dataRate = 448) {
        auto j = test::makeJob(JobType::Ac3Library);
        setFieldText(j->outputDirectory, dir.dir());
        setFieldText(j->baseName, "song");
        Ac3LibrarySettings& s = j->settings.ac3Library;
        setFieldText(s.inputPath, dir.file("song.wav"));
        s.dataRate = dataRate;
        s.sampleRate = 48000;
        s.codingMode = mode;
        s.lfe = lfe ? 1 : 0;
        return j;
    }
    std::string run(const JobRecord& j, const Ac3Library* library = &kStandIn) {
        RunAc3Job(j, "C:\\ac3enc.dll", library, RunShared{abort, total, log}, observer);
        return log.shownText();
    }
};

// Input bytes whose block sums tell where each block starts and ends.
Bytes samples(size_t count) {
    Bytes bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 4096);
    return bytes;
}

Bytes expectedFrames(const Bytes& data, size_t block, int channels) {
    Bytes frames;
    for (size_t start = 0; start < data.size(); start += block) {
        uint32_t sum = 0;
        for (size_t i = start; i < std::min(data.size(), start + block); ++i)
            sum += data[i]; // the rest of the last block is zeros
        frames.insert(frames.end(), {'A', 'C', '3', static_cast<uint8_t>(channels)});
        test::putU32(frames, sum);
    }
    return frames;
}

TEST_F(Ac3Run, BlocksFollowTheCodingModeAndTheLastOneIsZeroFilled) {
    struct Case {
        int mode;
        bool lfe;
        int channels;
        size_t dataBytes;
    } cases[] = {
        {7, true, 6, 36864 * 2 + 100}, // 36864-byte blocks, a short last one
        {2, false, 2, 12288 * 3},      // a whole number of blocks: no extra block
        {6, false, 4, 24576 + 1},
        {1, false, 1, 100},
    };
    for (const Case& c : cases) {
        Bytes data = samples(c.dataBytes);
        // A chunk before "fmt " is skipped by its size.
        test::writeFile(
            dir.file("song.wav"),
            test::riff({test::chunk("LIST", test::textBytes("INFOabc")),
                        test::chunk("fmt ", test::formatPayload({})), test::chunk("data", data)}));
        std::filesystem::remove(dir.file("song.ac3"));
        run(*job(c.mode, c.lfe));
        EXPECT_EQ(test::readFile(dir.file("song.ac3")),
                  expectedFrames(data, static_cast<size_t>(c.channels) * 6144, c.channels))
            << "mode " << c.mode;
    }
    const std::string text = log.shownText();
    EXPECT_NE(text.find("***** Starting ac3 encoder dll *****\r\n\tac3 encoder properties:\r\n"
                        "\tfilename: \"C:\\ac3enc.dll\" \r\n\tRelease date: 07-03-2024 "
                        "(dd-mm-yyyy)\r\n\tHomePage: " +
                        std::string(264, 'h') + "\r\n\tInput File: " + dir.file("song.wav") +
                        "\r\n\tOutput File: " + dir.file("song.ac3") +
                        "\r\n\tProgress: 33% 66% 99%" +
                        "\r\n***** Ac3 encoder finished/terminated *****\r\n\r\n\r\n"),
              std::string::npos)
        << text;
}

TEST_F(Ac3Run, FailuresAndStopLeaveNoOutputAndSayWhy) {
    test::writeFile(dir.file("song.wav"), test::wave({}, samples(12288 * 4)));
    test::writeFile(dir.file("song.ac3"), test::textBytes("an older file"));
    struct Case {
        std::unique_ptr<JobRecord> job;
        const Ac3Library* library;
        bool stop;
        std::string line;
    };
    Case cases[] = {
        {job(2, false), nullptr, false,
         "\r\n***** ac3enc.dll is missing or invallid, skipping current job *****\r\n"},
        {job(0, false), &kStandIn, false,
         "\r\n***** Audio coding mode 0 is not one of 1 to 7, skipping current job *****\r\n"},
        {job(2, false, 999), &kStandIn, false,
         "\r\n***** ac3enc.dll gave 40000 bytes for one frame, skipping current job *****\r\n"},
        {job(2, false), &kStandIn, true,
         "\r\n***** Ac3 encoder finished/terminated *****\r\n\r\n\r\n"},
    };
    for (Case& c : cases) {
        abort = false;
        observer.abort = c.stop ? &abort : nullptr;
        EXPECT_TRUE(run(*c.job, c.library).ends_with(c.line)) << c.line;
        EXPECT_FALSE(std::filesystem::exists(dir.file("song(1).ac3"))) << c.line;
        EXPECT_EQ(test::readFile(dir.file("song.ac3")), test::textBytes("an older file"));
    }

    test::writeFile(dir.file("song.wav"),
                    test::riff({test::chunk("f\x01t ", {}), test::chunk("data", {})}));
    EXPECT_TRUE(run(*job(2, false))
                    .ends_with("\r\n***** Cant find data chunk, skipping current job *****\r\n"));
    std::filesystem::remove(dir.file("song.wav"));
    EXPECT_TRUE(run(*job(2, false))
                    .ends_with("\r\n***** Cant open input file, skipping current job *****\r\n"));
}

} // namespace
} // namespace corv

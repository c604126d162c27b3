// Corvandale's side of the batcher link: the job records it sends, read back by
// Quillmere's code (a job runs its preview but for the file names), and the hand-over.
#include "analyser/batcher_client/job_builder.h"
#include "analyser/batcher_client/job_hand_over.h"
#include "batcher_test_support.h"
#include "conversion_harness.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

namespace corv {
namespace {

std::string arguments(const JobRecord& job, bool preview) {
    auto built = test::buildCommand(job, defaultBatcherSettings(), preview);
    EXPECT_TRUE(built->outcome.ok);
    return built->arguments();
}

AudioFileRecord sourceRecord(const std::string& path) {
    AudioFileRecord record;
    EXPECT_TRUE(setFieldText(record.path, path));
    EXPECT_TRUE(setFieldText(record.name, std::filesystem::path(path).filename().string()));
    return record;
}

struct ConsoleCase {
    int32_t type;
    std::function<void(EncoderBlocks&)> change;
    const char* previewArguments;
};

TEST(JobBuilder, AConsoleJobRunsItsPreviewWithTheRealFileNames) {
    const ConsoleCase cases[] = {
        {1002, [](EncoderBlocks& b) { b.twoLame.channelMode = 'x'; }, // shown and sent as stereo
         R"( -b 192 -m s "C:\somefile.wav" "C:\someoutput.mp2" )"},
        {1003, {}, R"( "C:\somefile.wav" "C:\someoutput.ape" -c3000)"},
        {1004, [](EncoderBlocks& b) { b.flac.oggContainer = 1; },
         R"( -5  --ogg "C:\somefile.wav" -o "C:\someoutput.flac")"},
        {1005, [](EncoderBlocks& b) { b.wavPack.lossless = 0, b.wavPack.hybridBitrate = 600; },
         R"(  -j1 -b600 -h "C:\somefile.wav" "C:\someoutput.wv")"},
        {1006, nullptr,
         R"(  -vbr normal -profile HE -quality high "C:\somefile.wav" "C:\someoutput.aac")"},
        {1007, {}, R"( --xtreme "C:\somefile.wav"  "C:\someoutput.mpc")"},
        {1008, [](EncoderBlocks& b) { b.lame.bitrateMode = 1; },
         R"(  -V 5 -q 2 "C:\somefile.wav" "C:\someoutput.mp3")"},
        {1009, {}, R"( -q 8.000000 "C:\somefile.wav" -o "C:\someoutput.ogg")"},
    };
    test::TempDir temp;
    const AudioFileRecord source = sourceRecord(temp.file("take.1.wav"));
    const std::string out = temp.file("out.wav");
    for (const ConsoleCase& c : cases) {
        SCOPED_TRACE(c.type);
        EncoderBlocks blocks = defaultEncoderBlocks();
        if (c.change) c.change(blocks);
        test::RecordingNotifier notifier;
        auto preview = std::make_unique<JobRecord>();
        buildPreviewRecord(c.type, blocks, *preview, notifier);
        EXPECT_EQ(arguments(*preview, true), c.previewArguments);

        const FinishedJob finished{&source, SampleType::Int24, 48000, 2, 1, 0.5,
                                   c.type,  {out, "x"}};
        auto job = std::make_unique<JobRecord>();
        ASSERT_TRUE(
            buildJobRecord(finished, ConversionSettings{.sameAsInput = 1}, blocks, *job, notifier));
        const std::string ran =
            test::replaced(arguments(*job, false), temp.file("out"), "C:\\someoutput");
        EXPECT_EQ(test::replaced(ran, "C:\\someoutput.wav", "C:\\somefile.wav"),
                  c.previewArguments);
        EXPECT_EQ(std::string(job->jobName), "take.1.wav");
        EXPECT_EQ(std::string(job->baseName), "take.1");
        EXPECT_EQ(std::string(job->outputDirectory), temp.dir());
        EXPECT_TRUE(notifier.messages.empty());
    }
}

struct SlotCase {
    int32_t type;
    std::function<void(EncoderBlocks&)> change;
    uint32_t sampleRate;
    const char* slots;     // the stream of each slot, '-' for none
    int32_t dataRateOrLfe; // Surcode: the data rate; Sonic Foundry and AC3: the LFE flag
};

TEST(JobBuilder, SlotsNameTheirStreamsAnUnknownTypeWarnsAndALongPathStopsTheRecord) {
    const SlotCase cases[] = {
        {1000, [](EncoderBlocks& b) { b.surcodeCdPro.monoStreamIndex[1] = 5; }, 44100, "052345", 0},
        {1001,
         [](EncoderBlocks& b) {
             b.surcodeDvd.monoStreamIndex[0] = -1;
             b.surcodeDvd.monoStreamIndex[1] = 6;
             b.surcodeDvd.dataRate = 1536;
         },
         48000, "--2345", 1536},
        {1001, [](EncoderBlocks& b) { b.surcodeDvd.dataRate = 1536; }, 44100, "012345", 1234},
        {1001, [](EncoderBlocks&) {}, 48000, "012345", 768},
        // Sonic Foundry: the slots of the coding mode, LFE from three front channels on.
        {1010, [](EncoderBlocks& b) { b.sonicFoundry.codingMode = 2; }, 48000, "01----", 0},
        {1010, [](EncoderBlocks& b) { b.sonicFoundry.slotStream[3] = 9; }, 48000, "012-45", 1},
        {1010, [](EncoderBlocks& b) { b.sonicFoundry.codingMode = 3; }, 48000, "0123--", 1},
        // The AC3 library's LFE flag follows the same rule; it has no slots.
        {1011, [](EncoderBlocks& b) { b.ac3Library.codingMode = 2, b.ac3Library.lfe = 1; }, 48000,
         "", 0},
        {1011, [](EncoderBlocks& b) { b.ac3Library.codingMode = 3, b.ac3Library.lfe = 1; }, 48000,
         "", 1},
    };
    const AudioFileRecord source = sourceRecord("/music/six.wav");
    const std::vector<std::string> streams = {"0", "1", "2", "3", "4", "5"};
    for (const SlotCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " " << c.slots);
        EncoderBlocks blocks = defaultEncoderBlocks();
        c.change(blocks);
        const FinishedJob finished{&source, SampleType::Int16, c.sampleRate, 6, 1, 1.0, c.type,
                                   streams};
        auto job = std::make_unique<JobRecord>();
        test::RecordingNotifier notifier;
        ASSERT_TRUE(buildJobRecord(finished, {}, blocks, *job, notifier));
        const bool sonic = c.type == 1010;
        for (int slot = 0; slot < kChannelSlots && *c.slots; ++slot)
            EXPECT_EQ(std::string(sonic ? job->settings.sonicFoundry.channelFiles[slot]
                                        : job->settings.surcode.channelFiles[slot]),
                      c.slots[slot] == '-' ? "" : std::string(1, c.slots[slot]));
        EXPECT_EQ(sonic            ? job->settings.sonicFoundry.useLfe
                  : c.type == 1011 ? job->settings.ac3Library.lfe
                                   : job->settings.surcode.dataRate,
                  c.dataRateOrLfe);
    }

    // An unknown type warns, and a path that does not fit stops the record.
    test::RecordingNotifier notifier;
    auto job = std::make_unique<JobRecord>();
    FinishedJob finished{&source, SampleType::Int16, 44100, 2, 10, 1.0, 1012, {"/music/a(1).wav"}};
    EXPECT_TRUE(buildJobRecord(finished, {}, defaultEncoderBlocks(), *job, notifier));
    EXPECT_EQ(job->jobType, 1012);
    EXPECT_EQ(job->settings.lame.inputPath[0], '\0');
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0],
              std::make_pair(std::string(kNewFormatMessage), std::string(kAttentionTitle)));
    finished.batcherOutputType = 1008;
    finished.outputPaths = {"/" + std::string(kPathFieldSize, 'x')};
    EXPECT_FALSE(buildJobRecord(finished, {}, defaultEncoderBlocks(), *job, notifier));
}

// The engine sends one job per source, naming only the files kept, also after a clipping pass.
TEST(JobBuilder, ARunSendsOneJobPerSourceForTheFilesItKeeps) {
    for (const bool mono : {false, true}) {
        SCOPED_TRACE(mono ? "mono streams" : "plain");
        test::TempDir temp;
        test::Conversion c;
        auto& s = c.settings.conversion;
        s.streamManipulation = s.monoStreams = mono;
        s.sendJobsToBatcher = 1;
        s.batcherOutputType = mono ? 1000 : 1004;
        c.settings.encoders.surcodeCdPro.monoStreamCount = 2;
        s.convertSampleType = 1;
        s.targetSampleType = 4;
        s.normalize = s.normalizeOnClipping = 1;
        s.normalizeFile = 0;
        ASSERT_TRUE(c.run({test::writeWaveFloat(temp.file("a.wav"), 2, 44100, {1.2f, -0.5f}),
                           test::writeWave16(temp.file("b.wav"), 2, 44100, {100, -100})}));
        EXPECT_EQ(
            std::count(c.observer.captions.begin(), c.observer.captions.end(), kCaptionExtraPass),
            1);
        ASSERT_EQ(c.observer.jobs.size(), 2u);
        for (size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(c.observer.jobs[i].record, &c.record(i));
            EXPECT_EQ(c.observer.jobs[i].outputPaths, c.outputs(i));
            EXPECT_EQ(c.outputs(i).size(), mono ? 2u : 1u);
            for (const std::string& path : c.outputs(i))
                EXPECT_TRUE(std::filesystem::exists(path)) << path;
        }
    }
}

class FakePort final : public BatcherPort {
  public:
    bool connected() override { return isConnected; }
    Delivery send(MessageId id, const JobRecord*) override {
        sent.push_back(static_cast<int>(id));
        return sent.size() <= script.size() ? script[sent.size() - 1] : Delivery::Delivered;
    }
    void letBatcherComeForward() override { sent.push_back(0); } // 0: before Notify user
    bool isConnected = true;
    std::vector<Delivery> script; // per message; delivered after its end
    std::vector<int> sent;
};

struct HandOverCase {
    const char* what;
    bool connected, startWhenFinished;
    std::vector<Delivery> script;
    std::vector<int> sent;
    std::string message;
};

TEST(JobHandOver, WhatCannotBeHandedOverIsToldAndAHungBatcherIsGivenUp) {
    constexpr Delivery ok = Delivery::Delivered, gone = Delivery::NoBatcher,
                       refused = Delivery::Refused;
    const auto failed = handOverFailureMessage;
    const HandOverCase cases[] = {
        {"all", true, true, {}, {130, 130, 110, 0, 104}, ""},
        {"no batcher found", false, true, {}, {}, ""},
        {"no start", true, false, {}, {130, 130, 0, 104}, ""},
        {"gone", true, true, {ok, gone, gone, gone}, {130, 130, 110, 0, 104}, failed(1, true)},
        {"refused", true, false, {refused}, {130, 130, 0, 104}, failed(1, false)},
        {"hung", true, false, {Delivery::NoAnswer}, {130}, failed(2, false)},
    };
    const AudioFileRecord source = sourceRecord("/music/a.wav");
    const FinishedJob finished{&source, SampleType::Int16, 44100, 2, 10, 1.0, 1008, {"/a.wav"}};
    for (const HandOverCase& c : cases) {
        SCOPED_TRACE(c.what);
        FakePort port;
        port.isConnected = c.connected;
        port.script = c.script;
        ConversionSettings settings{};
        settings.startBatcherWhenFinished = c.startWhenFinished;
        const EncoderBlocks blocks = defaultEncoderBlocks();
        JobHandOver handOver(port, settings, blocks);
        test::RecordingNotifier notifier;
        handOver.sendJob(finished, notifier);
        handOver.sendJob(finished, notifier);
        handOver.runEnded(notifier);
        EXPECT_EQ(port.sent, c.sent);
        EXPECT_EQ(notifier.messages.empty() ? "" : notifier.messages[0].first, c.message);
    }
}

} // namespace
} // namespace corv

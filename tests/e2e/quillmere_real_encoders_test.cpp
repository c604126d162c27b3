// Real encoders through real jobs: each built from Debian's source package by
// scripts/build-encoders.sh, run by Quillmere.exe in its console. The job log
// must rise to 100 as read from the encoder's own screen; the output stays in
// real-<encoder>\ beside this test for check_real_outputs.sh, which decodes
// it natively. CI runs LAME's job only; scripts/test-real-encoders.sh runs
// them all and has each command run again in screen_capture.exe.
#include "copydata_client.h"
#include "corvandale_app.h"
#include "remote_window.h"

#include <gtest/gtest.h>

#include <iostream>
#include <memory>

namespace {

using namespace e2e;

struct RealEncoder {
    const char* name;
    int program;     // job type - 1000
    const char* exe; // under the encoder cache
    int seconds;     // of input: enough for several progress updates
    void (*settings)(corv::EncoderSettings& s);
};

const RealEncoder kEncoders[] = {
    {"twolame", 2, "twolame-0.4.0\\twolame.exe", 20,
     [](corv::EncoderSettings& s) {
         s.twoLame.bitrate = 192;
         s.twoLame.channelMode = 's';
     }},
    {"flac", 4, "flac-1.4.2\\flac.exe", 300,
     [](corv::EncoderSettings& s) { s.flac.compressionLevel = 5; }},
    {"wavpack", 5, "wavpack-5.6.0\\wavpack.exe", 300,
     [](corv::EncoderSettings& s) { s.wavPack.lossless = s.wavPack.losslessCompression = 1; }},
    {"mpc", 7, "mpc-0.1~r495\\mppenc.exe", 240,
     [](corv::EncoderSettings& s) { s.mpc.qualityPreset = 2; }},
    {"lame", 8, "lame-3.100\\lame.exe", 20, [](corv::EncoderSettings&) {}}, // preset medium, -q 0
};

std::string encoderExe(const RealEncoder& encoder) {
    return winePath(CORV_ENCODER_CACHE "/" + std::string(encoder.exe));
}

// The command of the job's log once more in screen_capture.exe (the screens
// of tests/data/screens come from there), on a copy of the input in
// screens-<encoder>\.
void captureScreens(const std::string& log, const std::string& folder, const std::string& name) {
    size_t from = log.find("\tRunning: ") + 10;
    std::string command = log.substr(from, log.find("\r\n", from) - from), line;
    const std::string screens = freshFolderBesideTest("screens-" + name);
    CopyFileA((folder + "somefile.wav").c_str(), (screens + "somefile.wav").c_str(), FALSE);
    for (size_t at = 0; at < command.size(); ++at) {
        bool inFolder = command.compare(at, folder.size(), folder) == 0;
        line += inFolder ? screens : command[at] == '"' ? "\\\"" : std::string(1, command[at]);
        if (inFolder) at += folder.size() - 1;
    }
    line = "\"" + ownDirectory() + "screen_capture.exe\" \"" + screens + ".\" \"" + line + "\"";
    EXPECT_EQ(runToEnd(line, "", 300000), 0) << line;
}

class RealEncoderJob : public testing::TestWithParam<RealEncoder> {};

TEST_P(RealEncoderJob, LogsARisingSequenceEndingIn100) {
    const RealEncoder& encoder = GetParam();
    if (!fileExists(encoderExe(encoder)))
        GTEST_SKIP() << "no " << encoderExe(encoder) << ": run scripts/build-encoders.sh";
    const std::string folder = freshFolderBesideTest(std::string("real-") + encoder.name);
    writeSine(folder + "somefile.wav", 2, 44100, encoder.seconds, 0.25);
    writeBatcherSettings(folder, {{encoder.program, encoderExe(encoder)}});
    auto job = consoleJob(encoder.program, folder + "somefile.wav");
    job->channelCount = 2;
    job->frameCount = 44100 * static_cast<uint64_t>(encoder.seconds);
    encoder.settings(job->settings);

    QuillmereProcess quillmere(folder);
    ASSERT_TRUE(quillmere.start());
    CopyDataClient client;
    client.addJob(quillmere.mainWindow(), *job);
    ASSERT_TRUE(quillmere.run());
    ASSERT_TRUE(quillmere.waitForRunEnd(std::chrono::seconds(300)));

    std::string log = quillmere.file("JobLogQuillmere.txt");
    std::vector<int> seen = loggedPercentages(log); // read from the encoder's own screen
    std::cout << encoder.name << " logged:";
    for (int percent : seen)
        std::cout << ' ' << percent;
    std::cout << std::endl;
    EXPECT_TRUE(risingTo100(seen)) << log;
    EXPECT_NE(log.find("\tExit code: 0\r\n"), std::string::npos) << log;
    if (std::getenv("CORV_CAPTURE_SCREENS")) captureScreens(log, folder, encoder.name);
}

// Two LAME and two FLAC jobs, two at once: each block whole, in list order, rising to 100;
// the outputs stay in real-lame-parallel\ and real-flac-parallel\ for check_real_outputs.sh.
TEST(RealEncodersAtOnce, FourJobsTwoAtOnce) {
    const RealEncoder &lame = kEncoders[4], &flac = kEncoders[1];
    if (!fileExists(encoderExe(lame)) || !fileExists(encoderExe(flac)))
        GTEST_SKIP() << "no LAME or FLAC: run scripts/build-encoders.sh lame flac";
    const std::string folder = freshFolderBesideTest("real-parallel");
    writeBatcherSettings(folder,
                         {{lame.program, encoderExe(lame)}, {flac.program, encoderExe(flac)}}, 2);
    QuillmereProcess quillmere(folder);
    ASSERT_TRUE(quillmere.start());
    CopyDataClient client;
    std::vector<std::string> inputs;
    const std::string outs[] = {freshFolderBesideTest("real-lame-parallel"),
                                freshFolderBesideTest("real-flac-parallel")};
    for (const RealEncoder* encoder : {&lame, &flac, &lame, &flac}) {
        inputs.push_back(outs[encoder == &flac] + "song" + std::to_string(inputs.size()) + ".wav");
        writeSine(inputs.back(), 2, 44100, encoder->seconds, 0.25);
        auto job = consoleJob(encoder->program, inputs.back());
        job->channelCount = 2;
        encoder->settings(job->settings);
        client.addJob(quillmere.mainWindow(), *job);
    }
    ASSERT_TRUE(quillmere.run());
    ASSERT_TRUE(quillmere.waitForRunEnd(std::chrono::seconds(300)));
    const std::string log = quillmere.file("JobLogQuillmere.txt");
    size_t at = log.find("***** Starting");
    for (const std::string& input : inputs) {
        size_t next = log.find("***** Starting", at + 1);
        std::string block = log.substr(at, next - at);
        EXPECT_NE(block.find(input), std::string::npos) << block;
        EXPECT_TRUE(risingTo100(loggedPercentages(block))) << block;
        EXPECT_NE(block.find("\tExit code: 0\r\n"), std::string::npos) << block;
        at = next;
    }
}

INSTANTIATE_TEST_SUITE_P(Debian, RealEncoderJob, testing::ValuesIn(kEncoders),
                         [](const auto& param) { return std::string(param.param.name); });

} // namespace

// Real encoders through real jobs: each built from Debian's source package by
// scripts/build-encoders.sh, run by Quillmere.exe in its console. The job log
// must rise to 100 as read from the encoder's own screen; the output stays in
// real-<encoder>\ beside this test for check_real_outputs.sh, which decodes
// it natively. CI runs LAME's job only; scripts/test-real-encoders.sh runs
// them all and captures each encoder's screens with screen_capture.exe.
#include "copydata_client.h"
#include "program_process.h"
#include "remote_window.h"
#include "wav_builder.h"

#include "batcher/encoders/command_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <memory>

namespace {

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
     [](corv::EncoderSettings& s) {
         s.wavPack.lossless = 1;
         s.wavPack.losslessCompression = 1;
     }},
    {"mpc", 7, "mpc-0.1~r495\\mppenc.exe", 240,
     [](corv::EncoderSettings& s) { s.mpc.qualityPreset = 2; }},
    {"lame", 8, "lame-3.100\\lame.exe", 20, [](corv::EncoderSettings&) {}}, // preset medium, -q 0
};

// The Linux path of the cached encoder as Wine shows it (drive Z: is "/").
std::string encoderExe(const RealEncoder& encoder) {
    std::string path = "Z:" CORV_ENCODER_CACHE "/";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path + encoder.exe;
}

// A fresh folder beside this test holding somefile.wav, a stereo tone.
std::string folderWithInput(const std::string& name, int seconds) {
    const std::string folder = e2e::ownDirectory() + name + "\\";
    std::string clear = "cmd /c rmdir /s /q \"" + folder + "\" 2>nul";
    std::system(clear.c_str());
    CreateDirectoryA(folder.c_str(), nullptr);
    corv::test::Bytes samples;
    for (int i = 0; i < 44100 * seconds; ++i) {
        auto value = static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(i * 0.0627)));
        corv::test::putU16(samples, value);
        corv::test::putU16(samples, value);
    }
    corv::test::writeFile(folder + "somefile.wav", corv::test::wave({}, samples));
    return folder;
}

std::unique_ptr<corv::JobRecord> jobFor(const RealEncoder& encoder, const std::string& folder) {
    auto job = std::make_unique<corv::JobRecord>();
    job->jobType = 1000 + encoder.program;
    job->sampleRate = 44100;
    job->channelCount = 2;
    job->frameCount = 44100 * static_cast<uint64_t>(encoder.seconds);
    corv::setFieldText(job->jobName, "somefile.wav");
    encoder.settings(job->settings);
    corv::setFieldText(job->settings.lame.inputPath, folder + "somefile.wav");
    return job;
}

class RealEncoderJob : public testing::TestWithParam<RealEncoder> {
  protected:
    void SetUp() override {
        if (!e2e::fileExists(encoderExe(GetParam())))
            GTEST_SKIP() << "no " << encoderExe(GetParam()) << ": run scripts/build-encoders.sh";
    }
};

TEST_P(RealEncoderJob, LogsARisingSequenceEndingIn100) {
    const RealEncoder& encoder = GetParam();
    const std::string folder =
        folderWithInput(std::string("real-") + encoder.name, encoder.seconds);
    e2e::writeBatcherSettings(folder, {{encoder.program, encoderExe(encoder)}});
    e2e::QuillmereProcess quillmere(folder);
    ASSERT_TRUE(quillmere.start());
    e2e::CopyDataClient client;
    client.sendJob(quillmere.mainWindow(), 130, *jobFor(encoder, folder));
    PostMessageA(quillmere.control(5020), BM_CLICK, 0, 0);
    auto dialogUp = [&] { return e2e::findDialog(quillmere.processId(), "Conversion") != nullptr; };
    ASSERT_TRUE(e2e::waitFor(dialogUp));
    ASSERT_TRUE(e2e::waitFor([&] { return !dialogUp(); }, std::chrono::seconds(300)));

    std::string log = quillmere.file("JobLogQuillmere.txt");
    std::vector<int> seen = e2e::loggedPercentages(log); // read from the encoder's own screen
    std::cout << encoder.name << " logged:";
    for (int percent : seen)
        std::cout << ' ' << percent;
    std::cout << std::endl;
    ASSERT_GE(seen.size(), 2u) << log;
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_GT(seen[i], seen[i - 1]) << log;
    EXPECT_EQ(seen.back(), 100) << log;
    EXPECT_NE(log.find("\tExit code: 0\r\n"), std::string::npos) << log;
}

// Not a check of Quillmere: the screens that tests/data/screens are chosen from.
TEST_P(RealEncoderJob, CapturesItsScreensInTheBatcherConsole) {
    const RealEncoder& encoder = GetParam();
    const std::string folder =
        folderWithInput(std::string("screens-") + encoder.name, encoder.seconds);
    corv::BatcherSettings settings{};
    corv::setFieldText(settings.programPath[encoder.program], encoderExe(encoder));
    auto command = std::make_unique<corv::CommandLineRecord>();
    struct : corv::Notifier {
        void warn(std::string_view, std::string_view) override {}
    } messages;
    auto job = jobFor(encoder, folder);
    ASSERT_TRUE(corv::BuildCommandLine(*job, settings, false, *command, messages).ok);
    std::string quoted;
    for (char c : corv::commandLineText(*command))
        quoted += c == '"' ? "\\\"" : std::string(1, c);
    std::string line = "\"" + e2e::ownDirectory() + "screen_capture.exe\" \"" + folder + ".\" " +
                       std::to_string(job->jobType) + " \"" + quoted + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 300000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(code, 0u);
    std::cout << encoder.name << " screens: " << e2e::readFile(folder + "index.txt") << std::endl;
}

INSTANTIATE_TEST_SUITE_P(Debian, RealEncoderJob, testing::ValuesIn(kEncoders),
                         [](const auto& param) { return std::string(param.param.name); });

} // namespace

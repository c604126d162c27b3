// A real encoder through a real job: lame.exe built from Debian's source
// package (scripts/build-lame.sh) runs in Quillmere's console. The job log
// must show the percentages read from lame's own screen; the .mp3 stays in
// lame-job/ beside this test for check_lame_mp3.sh, which decodes it natively.
#include "copydata_client.h"
#include "program_process.h"
#include "remote_window.h"
#include "wav_builder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// The Linux path of the cached lame.exe as Wine shows it (drive Z: is "/").
std::string lameExe() {
    std::string path = "Z:" CORV_LAME_EXE;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

TEST(QuillmereLame, ARealLameJobShowsRisingPercentagesAndWritesTheMp3) {
    if (!e2e::fileExists(lameExe()))
        GTEST_SKIP() << "no " << lameExe() << ": run scripts/build-lame.sh";
    const std::string folder = e2e::ownDirectory() + "lame-job\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    for (const char* name : {"song.mp3", "JobLogQuillmere.txt"})
        DeleteFileA((folder + name).c_str());

    corv::test::Bytes samples; // 20 s of a 440 Hz tone, stereo
    for (int i = 0; i < 44100 * 20; ++i) {
        auto value = static_cast<uint16_t>(static_cast<int16_t>(8000 * std::sin(i * 0.0627)));
        for (int channel = 0; channel < 2; ++channel)
            corv::test::putU16(samples, value);
    }
    corv::test::writeFile(folder + "song.wav", corv::test::wave({}, samples));
    e2e::writeBatcherSettings(folder, {{8, lameExe()}});

    e2e::QuillmereProcess quillmere(folder);
    ASSERT_TRUE(quillmere.start());
    auto job = std::make_unique<corv::JobRecord>();
    job->jobType = 1008; // preset medium, -q 0
    corv::setFieldText(job->jobName, "song.wav");
    corv::setFieldText(job->settings.lame.inputPath, folder + "song.wav");
    e2e::CopyDataClient client;
    client.sendJob(quillmere.mainWindow(), 130, *job);
    PostMessageA(quillmere.control(5020), BM_CLICK, 0, 0);
    auto dialogUp = [&] { return e2e::findDialog(quillmere.processId(), "Conversion") != nullptr; };
    ASSERT_TRUE(e2e::waitFor(dialogUp));
    ASSERT_TRUE(e2e::waitFor([&] { return !dialogUp(); }, std::chrono::seconds(120)));

    std::string log = quillmere.file("JobLogQuillmere.txt");
    std::vector<int> seen = e2e::loggedPercentages(log); // read from lame's own screen
    EXPECT_GE(seen.size(), 2u) << log;
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_GT(seen[i], seen[i - 1]) << log;
    EXPECT_NE(log.find("\tExit code: 0\r\n"), std::string::npos) << log;
    EXPECT_GT(e2e::readFile(folder + "song.mp3").size(), 10000u);
}

} // namespace

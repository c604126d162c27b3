// 10,000 files dropped on Corvandale.exe: every one is listed, analysed and
// converted, with no file left open on the way.
#include "corvandale_app.h"
#include "remote_window.h"

#include "wav_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

using namespace e2e;

TEST(CorvandaleManyFiles, TenThousandDroppedFilesAreListedAnalysedAndConverted) {
    constexpr int kFiles = 10000;
    ScratchFolder program("corv-many"), music("corv-many-music"), out("corv-many-out");
    writeSettings(program.path(), out.path());
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
    ASSERT_TRUE(dropFiles(app.mainWindow(), paths));
    ASSERT_TRUE(waitFor(
        [&] { return app.rows() == kFiles && app.cell(kFiles - 1, "Type") == "Wave PCM"; }, 600s));
    app.post(kConvert);
    ASSERT_TRUE(waitFor([&] { return !IsWindowEnabled(app.control(kConvert)); }, 10s));
    ASSERT_TRUE(waitFor([&] { return IsWindowEnabled(app.control(kConvert)); }, 900s));
    EXPECT_EQ(app.cell(0, "Result"), "Succes");
    EXPECT_EQ(app.cell(kFiles - 1, "Result"), "Succes");
    EXPECT_EQ(filesIn(out.path()).size(), static_cast<size_t>(kFiles));
}

} // namespace

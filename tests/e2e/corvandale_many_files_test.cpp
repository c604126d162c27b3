// 10,000 files dropped on Corvandale.exe: every one is listed, analysed and
// converted, with no file left open on the way.
#include "corvandale_app.h"
#include "remote_window.h"

#include <gtest/gtest.h>

namespace {

using namespace e2e;

TEST(CorvandaleManyFiles, TenThousandDroppedFilesAreListedAnalysedAndConverted) {
    constexpr int kFiles = 10000;
    ScratchFolder program("corv-many"), music("corv-many-music"), out("corv-many-out");
    writeSettings(program.path(), out.path());
    const std::vector<std::string> paths = writeTakes(music.path(), kFiles);
    CorvandaleProcess app(program.path());
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(dropFiles(app.mainWindow(), paths));
    ASSERT_TRUE(waitFor(
        [&] { return app.rows() == kFiles && app.cell(kFiles - 1, "Type") == "Wave PCM"; }, 600s));
    ASSERT_TRUE(app.convertAndWait(900s));
    EXPECT_EQ(app.cell(0, "Result"), "Succes");
    EXPECT_EQ(app.cell(kFiles - 1, "Result"), "Succes");
    EXPECT_EQ(filesIn(out.path()).size(), static_cast<size_t>(kFiles));
}

} // namespace

// The Configure dialog of Quillmere.exe as the user meets it: what Disable
// greys, the tab that is shown again, what OK keeps and Cancel drops, and
// the reset of a path whose program has gone.
#include "program_process.h"
#include "remote_window.h"

#include "batcher/config/batcher_settings.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

using e2e::descendant;
using e2e::waitFor;

constexpr int kConfigure = 5008, kOk = 420, kCancel = 415, kTabs = 3009;
constexpr int kFlac = 4, kLame = 8;
constexpr int kFlacPath = 3050, kFlacFind = 3052;
constexpr int kLamePath = 3090, kLameDisable = 3091, kLameFind = 3092, kLameDownload = 3093;

struct QuillmereConfigure : ::testing::Test {
    e2e::ScratchFolder folder{"configure"};
    e2e::QuillmereProcess quillmere{folder.path()};

    corv::BatcherSettings stored() const {
        corv::BatcherSettings settings{};
        std::string bytes = quillmere.file("settingsQuillmere.ini");
        std::memcpy(&settings, bytes.data(), std::min(bytes.size(), sizeof settings));
        return settings;
    }
    std::string storedPath(int program) const {
        return std::string(corv::fieldText(stored().programPath[program]));
    }
    HWND open() const { return quillmere.openDialog(kConfigure, "Configure"); }
    static void press(HWND dialog, int id) { PostMessageA(descendant(dialog, id), BM_CLICK, 0, 0); }
    static bool closes(HWND dialog) {
        return waitFor([&] { return !IsWindow(dialog); });
    }
    static bool enabled(HWND dialog, int id) { return IsWindowEnabled(descendant(dialog, id)); }
    static std::string text(HWND dialog, int id) { return e2e::windowText(descendant(dialog, id)); }
};

TEST_F(QuillmereConfigure, DisableTabOkAndCancelAsTheUserMeetsThem) {
    CreateDirectoryA((folder.path() + "bin").c_str(), nullptr);
    const std::string lame = folder.path() + "bin\\lame.exe";
    const std::string flac = folder.path() + "flac.exe";
    e2e::writeFile(lame, "MZ");
    e2e::writeFile(flac, "MZ");
    e2e::writeBatcherSettings(folder.path(), {{kLame, lame}, {kFlac, flac}});
    ASSERT_TRUE(quillmere.start());
    DeleteFileA(flac.c_str()); // gone since the start: reset when Configure opens

    HWND dialog = open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(storedPath(kFlac), "C:\\");
    EXPECT_EQ(text(dialog, kFlacPath), "C:\\");
    EXPECT_EQ(text(dialog, kLamePath), lame);
    EXPECT_TRUE(enabled(dialog, kLamePath) && enabled(dialog, kLameFind));
    EXPECT_FALSE(enabled(dialog, kLameDownload)); // only a Download list enables it

    press(dialog, kLameDisable);
    EXPECT_TRUE(waitFor([&] { return !enabled(dialog, kLamePath); }));
    EXPECT_FALSE(enabled(dialog, kLameFind));
    EXPECT_TRUE(enabled(dialog, kFlacPath));
    HWND tabs = descendant(dialog, kTabs);
    for (int i = 0; i < 2; ++i) // the keyboard's way to "Programs 2"
        PostMessageA(tabs, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(descendant(dialog, kLamePath)); }));
    EXPECT_FALSE(IsWindowVisible(descendant(dialog, kFlacPath)));
    press(dialog, kOk);
    ASSERT_TRUE(closes(dialog));
    EXPECT_EQ(stored().disabled[kLame], 1);
    EXPECT_EQ(stored().configurePage, 2u);

    // Shown again on "Programs 2", LAME still off; a Find fills the edit, Cancel drops it.
    dialog = open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageA(descendant(dialog, kTabs), TCM_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(IsWindowVisible(descendant(dialog, kLamePath)));
    EXPECT_EQ(SendMessageA(descendant(dialog, kLameDisable), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(enabled(dialog, kLameFind));
    const std::string binFlac = folder.path() + "bin\\flac.exe";
    e2e::writeFile(binFlac, "MZ");
    press(dialog, kFlacFind);
    EXPECT_TRUE(waitFor([&] { return text(dialog, kFlacPath) == binFlac; }));
    press(dialog, kCancel);
    ASSERT_TRUE(closes(dialog));
    EXPECT_EQ(storedPath(kFlac), "C:\\");

    dialog = open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(text(dialog, kFlacPath), "C:\\");
    PostMessageA(dialog, WM_CLOSE, 0, 0); // the title bar's close is a Cancel
    EXPECT_TRUE(closes(dialog));
    EXPECT_EQ(stored().disabled[kLame], 1);
}

} // namespace

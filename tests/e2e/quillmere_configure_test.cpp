// The Configure dialog of Quillmere.exe as the user meets it: what Disable
// greys, the tab shown again, what OK keeps and Cancel drops, and the reset
// of a path whose program has gone.
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
constexpr int kFlac = 4, kFlacPath = 3050, kFlacFind = 3052;
constexpr int kLame = 8, kLamePath = 3090, kLameDisable = 3091, kLameFind = 3092;

bool enabled(HWND dialog, int id) {
    return IsWindowEnabled(descendant(dialog, id));
}
std::string text(HWND dialog, int id) {
    return e2e::windowText(descendant(dialog, id));
}
// Clicks a button of the dialog; for OK and Cancel, until the dialog has gone.
bool press(HWND dialog, int id) {
    PostMessageA(descendant(dialog, id), BM_CLICK, 0, 0);
    return id != kOk && id != kCancel ? true : waitFor([&] { return !IsWindow(dialog); });
}

TEST(QuillmereConfigure, DisableTabOkAndCancelAsTheUserMeetsThem) {
    e2e::ScratchFolder folder("configure");
    e2e::QuillmereProcess quillmere(folder.path());
    auto stored = [&] {
        corv::BatcherSettings settings{};
        std::string bytes = quillmere.file("settingsQuillmere.ini");
        std::memcpy(&settings, bytes.data(), std::min(bytes.size(), sizeof settings));
        return settings;
    };
    CreateDirectoryA((folder.path() + "bin").c_str(), nullptr);
    const std::string lame = folder.path() + "bin\\lame.exe", flac = folder.path() + "flac.exe";
    e2e::writeFile(lame, "MZ");
    e2e::writeFile(flac, "MZ");
    e2e::writeBatcherSettings(folder.path(), {{kLame, lame}, {kFlac, flac}});
    ASSERT_TRUE(quillmere.start());
    DeleteFileA(flac.c_str()); // gone since the start: reset when Configure opens

    HWND dialog = quillmere.openDialog(kConfigure, "Configure");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(corv::fieldText(stored().programPath[kFlac]), "C:\\");
    EXPECT_EQ(text(dialog, kFlacPath), "C:\\");
    EXPECT_EQ(text(dialog, kLamePath), lame);
    EXPECT_TRUE(enabled(dialog, kLamePath) && enabled(dialog, kLameFind));
    press(dialog, kLameDisable);
    EXPECT_TRUE(waitFor([&] { return !enabled(dialog, kLamePath); }));
    EXPECT_FALSE(enabled(dialog, kLameFind));
    EXPECT_TRUE(enabled(dialog, kFlacPath));
    for (int i = 0; i < 2; ++i) // the keyboard's way to "Programs 2"
        PostMessageA(descendant(dialog, kTabs), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(descendant(dialog, kLamePath)); }));
    EXPECT_FALSE(IsWindowVisible(descendant(dialog, kFlacPath)));
    ASSERT_TRUE(press(dialog, kOk));
    EXPECT_EQ(stored().disabled[kLame], 1);
    EXPECT_EQ(stored().configurePage, 2u);

    // Shown again on "Programs 2", LAME still off; a Find fills the edit, Cancel drops it.
    dialog = quillmere.openDialog(kConfigure, "Configure");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageA(descendant(dialog, kTabs), TCM_GETCURSEL, 0, 0), 2);
    EXPECT_TRUE(IsWindowVisible(descendant(dialog, kLamePath)));
    EXPECT_EQ(SendMessageA(descendant(dialog, kLameDisable), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(enabled(dialog, kLameFind));
    e2e::writeFile(folder.path() + "bin\\flac.exe", "MZ");
    press(dialog, kFlacFind);
    EXPECT_TRUE(
        waitFor([&] { return text(dialog, kFlacPath) == folder.path() + "bin\\flac.exe"; }));
    ASSERT_TRUE(press(dialog, kCancel));
    EXPECT_EQ(corv::fieldText(stored().programPath[kFlac]), "C:\\");
    dialog = quillmere.openDialog(kConfigure, "Configure"); // nor is it kept in memory
    EXPECT_EQ(text(dialog, kFlacPath), "C:\\");
    EXPECT_TRUE(press(dialog, kCancel));
}

} // namespace

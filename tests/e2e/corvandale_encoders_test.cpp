// Corvandale's batcher dialog and encoder dialogs as a user meets them.
#include "copydata_client.h"
#include "corvandale_app.h"
#include "program_process.h"
#include "remote_window.h"

#include "analyser/engine/settings_file.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace e2e;

constexpr int kOutputType = 3025, kConfigure = 3070, kOk = 210, kCommandLine = 232;

// The batcher dialog opened with F3, the encoder at that list position configured.
HWND openEncoderDialog(const CorvandaleProcess& app, int position, const std::string& title,
                       HWND* batcher = nullptr) {
    PostMessageA(app.mainWindow(), WM_KEYDOWN, VK_F3, 0);
    HWND quillmere = waitForDialog(app.processId(), "Quillmere");
    if (!quillmere) return nullptr;
    HWND list = GetDlgItem(quillmere, kOutputType);
    SendMessageA(list, CB_SETCURSEL, position, 0);
    SendMessageA(quillmere, WM_COMMAND, MAKEWPARAM(kOutputType, CBN_SELCHANGE), (LPARAM)list);
    PostMessageA(GetDlgItem(quillmere, kConfigure), BM_CLICK, 0, 0);
    if (batcher) *batcher = quillmere;
    return waitForDialog(app.processId(), title);
}

// FLAC's compression level set on its slider, as a drag ends.
void setFlacLevel(HWND flac, int level) {
    HWND track = GetDlgItem(flac, 3410);
    SendMessageA(track, TBM_SETPOS, TRUE, level);
    SendMessageA(flac, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, level), (LPARAM)track);
}

// A setting changed and stored, the refusals, and the command-line box without
// and with Quillmere running.
TEST(CorvandaleEncoders, F3ConfiguresEncodersAsTheUserMeetsThem) {
    ScratchFolder program("corv-encoders"), batcherFolder("corv-encoders-quillmere");
    CorvandaleProcess app(program.path());
    ASSERT_TRUE(app.start());
    HWND batcher = nullptr;
    HWND flac = openEncoderDialog(app, 4, "FLAC configuration", &batcher);
    ASSERT_TRUE(flac);
    EXPECT_FALSE(IsWindowEnabled(app.mainWindow()));
    EXPECT_FALSE(IsWindowEnabled(batcher));
    EXPECT_EQ(windowText(GetDlgItem(flac, kCommandLine)), "Run Quillmere to show commandline.");
    // Quillmere, started now, is found by the next request; its reply is read within
    // the size it gives, terminated or not; another window's is not taken.
    auto quillmere = std::make_unique<CopyDataClient>(true);
    setFlacLevel(flac, 8);
    EXPECT_EQ(windowText(GetDlgItem(flac, 3400)), "8");
    const char reply[] = "\"flac.exe\" -8 in.wav+garbage";
    ASSERT_TRUE(CopyDataClient().send(flac, corv::MessageId::GiveCommandline, reply, 15));
    EXPECT_EQ(windowText(GetDlgItem(flac, kCommandLine)), "Run Quillmere to show commandline.");
    ASSERT_TRUE(quillmere->send(flac, corv::MessageId::GiveCommandline, reply, 15));
    EXPECT_EQ(windowText(GetDlgItem(flac, kCommandLine)), "\"flac.exe\" -8 i");
    ASSERT_TRUE(quillmere->send(flac, corv::MessageId::AddJobRecord, reply,
                                sizeof reply)); // not a reply: ignored
    EXPECT_EQ(windowText(GetDlgItem(flac, kCommandLine)), "\"flac.exe\" -8 i");
    SendMessageA(GetDlgItem(flac, 217), BM_CLICK, 0, 0); // "Co&py"
    EXPECT_EQ(clipboardText(), "\"flac.exe\" -8 i");

    SendMessageA(GetDlgItem(flac, kOk), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return IsWindowEnabled(batcher) && !IsWindow(flac); }));
    SendMessageA(GetDlgItem(batcher, kOk), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return IsWindowEnabled(app.mainWindow()) && !IsWindow(batcher); }));
    corv::AnalyserSettings stored{};
    corv::loadSettings(stored, program.path());
    EXPECT_EQ(stored.encoders.flac.compressionLevel, 8);
    EXPECT_EQ(stored.conversion.batcherOutputType, 1004);

    // A hybrid bitrate out of range refuses OK in the lossless mode too.
    HWND wavPack = openEncoderDialog(app, 5, "WavPack configuration");
    ASSERT_TRUE(wavPack);
    SendMessageA(GetDlgItem(wavPack, 3540), WM_SETTEXT, 0, (LPARAM) "20");
    PostMessageA(GetDlgItem(wavPack, kOk), BM_CLICK, 0, 0);
    EXPECT_EQ(app.answerBox(),
              "Invallid bitRate in the hybrid settings, bitRate must be between 24 and 9600");
    EXPECT_TRUE(IsWindow(wavPack));
    batcher = findDialog(app.processId(), "Quillmere");
    for (HWND closed : {wavPack, batcher}) { // Escape closes the dialog in front
        PostMessageA(closed, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(closed); }));
        EXPECT_EQ(IsWindow(batcher), closed == wavPack);
    }

    // Quillmere closed and started again: the next request finds the new one,
    // whose command line the box shows; Connect finds it too (no second one starts).
    flac = openEncoderDialog(app, 4, "FLAC configuration");
    ASSERT_TRUE(flac);
    quillmere.reset();
    QuillmereProcess running(batcherFolder.path());
    ASSERT_TRUE(running.start());
    setFlacLevel(flac, 3);
    EXPECT_NE(windowText(GetDlgItem(flac, kCommandLine)).find(" -3 "), std::string::npos);
    PostMessageA(GetDlgItem(flac, 218), BM_CLICK, 0, 0); // "Connect"
    EXPECT_TRUE(waitFor(
        [&] { return countOf(running.file("MsgLogQuillmere.txt"), "Open connection") >= 2; }));
    EXPECT_EQ(countProcesses("Quillmere.exe"), 1);
}

} // namespace

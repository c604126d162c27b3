// Program downloads as the user meets them: the test build of Quillmere.exe
// (it also trusts the test key) with our unzip.exe beside it, the lists and
// archives served over HTTPS and HTTP by tests/fixtures/program_server.py,
// which with_program_server.sh starts around this test.
#include "program_process.h"
#include "remote_window.h"

#include "batcher/config/download_texts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace e2e;

constexpr int kConfigure = 5008, kDownloadList = 3152, kOk = 420, kCancel = 415,
              kRefuseUnsigned = 3007, kConnection = 3216;
constexpr int kDownloadButtons[] = {3033, 3043, 3053, 3063, 3073, 3083, 3093, 3103, 3173};

std::string cantFind(const std::string& program) {
    return "Cant find \"" + program +
           "\" in Quillmere's directory or one of its sub-dir's. Do you want to find it manually?";
}

struct QuillmereDownload : ::testing::Test {
    ScratchFolder folder{"download"};
    QuillmereProcess quillmere{AlreadyThere{}, folder.path()};
    std::string server; // the served folder, as Wine sees it
    HWND dialog = nullptr;

    void SetUp() override {
        const char* root = std::getenv("CORV_PROGRAM_SERVER_ROOT");
        if (!root) GTEST_SKIP() << "needs the program server: run through with_program_server.sh";
        server = root;
        std::filesystem::create_directories(folder.path() + "unzipper");
        CopyFileA((ownDirectory() + "test_build\\Quillmere.exe").c_str(),
                  (folder.path() + "Quillmere.exe").c_str(), FALSE);
        CopyFileA((ownDirectory() + "unzipper\\unzip.exe").c_str(),
                  (folder.path() + "unzipper\\unzip.exe").c_str(), FALSE);
        ASSERT_TRUE(quillmere.start());
    }
    // Puts a list of the server's (or none) and its signature at the first and the fallback
    // location.
    void publish(const char* first, const char* fallback) {
        for (auto [location, list] : {std::pair{"quendle", first}, {"quendle2", fallback}}) {
            std::string tools = server + location + "\\tools\\";
            std::filesystem::create_directories(tools);
            for (std::string suffix : {"", ".sig"}) {
                DeleteFileA((tools + "ProgramList.txt" + suffix).c_str());
                if (list)
                    CopyFileA((server + "lists\\" + list + suffix).c_str(),
                              (tools + "ProgramList.txt" + suffix).c_str(), FALSE);
            }
        }
    }
    bool openConfigure() { return (dialog = quillmere.openDialog(kConfigure, "Configure")); }
    // Answers the next message boxes as the user would: OK to each message,
    // No to each offer of a manual search. Returns their texts.
    std::vector<std::string> answer(size_t boxes) {
        std::vector<std::string> texts;
        for (size_t i = 0; i < boxes; ++i)
            texts.push_back(quillmere.answerBox(IDNO));
        return texts;
    }
    std::vector<std::string> click(int id, size_t boxes) {
        PostMessageA(descendant(dialog, id), BM_CLICK, 0, 0);
        return answer(boxes);
    }
    std::set<int> enabledDownloads() const {
        std::set<int> enabled;
        for (int id : kDownloadButtons)
            if (IsWindowEnabled(descendant(dialog, id))) enabled.insert(id);
        return enabled;
    }
};

TEST_F(QuillmereDownload, OnlyWholeSignedListsEnableTheListedProgramsUnlessUnsignedAreAllowed) {
    const std::string downloads = folder.path() + "downloads\\";
    const std::set<std::string> kept = {"ProgramList.txt", "ProgramList.txt.sig"};
    const std::set<int> listed = {3033, 3043, 3053, 3063, 3083, 3093, 3103}; // no "*nerofends"
    const std::string fallback(corv::kListFallbackMessage), done(corv::kListDownloadedMessage),
        failed(corv::kListFailedMessage);
    struct Case {
        const char *first, *fallback;
        std::vector<std::string> messages;
        std::set<int> enabled;
    } cases[] = {
        {"good.txt", nullptr, {done}, listed},           // over HTTPS
        {nullptr, "good.txt", {fallback, done}, listed}, // only over plain HTTP
        {"crlf.txt", nullptr, {done}, {}},               // kept, but no lookup trusts it
        {"tampered.txt", nullptr, {fallback, failed}, {}},
        {nullptr, nullptr, {fallback, failed}, {}},
        {"unsigned.txt", nullptr, {std::string(corv::kListUnsignedMessage), fallback, failed}, {}},
        {"foreign.txt",
         "altered.txt",
         {std::string(corv::kListUnknownKeyMessage), fallback,
          std::string(corv::kListAlteredMessage), failed},
         {}},
    };
    for (const Case& c : cases) {
        publish(c.first, c.fallback);
        ASSERT_TRUE(openConfigure());
        EXPECT_EQ(enabledDownloads(), std::set<int>{});
        EXPECT_EQ(click(kDownloadList, c.messages.size()), c.messages);
        EXPECT_TRUE(waitFor([&] { return enabledDownloads() == c.enabled; })) << c.messages.back();
        EXPECT_EQ(filesIn(downloads), c.messages.back() == done ? kept : std::set<std::string>{});
        PostMessageA(descendant(dialog, kCancel), BM_CLICK, 0, 0);
        ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog); }));
    }

    // Configure shows the policy in force; allowing unsigned lists uses one, and OK keeps that.
    publish("unsigned.txt", nullptr);
    ASSERT_TRUE(openConfigure());
    EXPECT_EQ(SendMessageA(descendant(dialog, kRefuseUnsigned), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(descendant(dialog, kRefuseUnsigned), BM_CLICK, 0, 0);
    EXPECT_EQ(click(kDownloadList, 1), std::vector<std::string>{done});
    EXPECT_TRUE(waitFor([&] { return enabledDownloads() == listed; }));
    PostMessageA(descendant(dialog, kOk), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog); }));
    EXPECT_EQ(readFile(folder.path() + "settingsQuillmere.ini").substr(6260, 2), "\1\1");
    ASSERT_TRUE(openConfigure());
    EXPECT_EQ(SendMessageA(descendant(dialog, kRefuseUnsigned), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(QuillmereDownload, ExactlyTheGoodDownloadsInstallAndClosingCancelsThem) {
    publish("good.txt", nullptr);
    ASSERT_TRUE(openConfigure());
    ASSERT_EQ(click(kDownloadList, 1).size(), 1u); // then the Download buttons become usable
    ASSERT_TRUE(waitFor([&] { return IsWindowEnabled(descendant(dialog, 3093)); }));
    const std::string bin = folder.path() + "bin\\", downloads = folder.path() + "downloads\\";
    const std::string ok(corv::kDownloadedMessage), failed(corv::kDownloadFailedMessage),
        badSum(corv::kBadChecksumMessage);
    std::filesystem::create_directories(bin);
    struct Case {
        int button;
        std::vector<std::string> messages;
        const char* installed; // found by the Find that follows
    } cases[] = {
        {3093, {}, "lame.exe"},                             // deflated, nested folders
        {3053, {badSum, cantFind("flac.exe")}, nullptr},    // the MD5 holds, the SHA-256 not
        {3063, {failed, cantFind("wavpack.exe")}, nullptr}, // only over HTTP, and not pinned
        {3033, {failed, cantFind("twolame.exe")}, nullptr}, // "..\..\twolame.zip"
        {3043, {}, "mac.exe"},                              // stored, no content length
        {3083,                                              // an entry "../evil.exe"
         {ok,
          "The downloaded archive could not be unpacked (unzip.exe ended with code 1). Nothing "
          "has been installed.",
          cantFind("mppenc.exe")},
         nullptr},
        {3093, {}, "lame.exe"}, // again, over the installed one
    };
    for (const Case& c : cases) {
        if (!c.installed) {
            EXPECT_EQ(click(c.button, c.messages.size()), c.messages) << c.button;
            continue;
        }
        // The user is told before the archive is unpacked, by a box of the main window's.
        // The path shown is cleared, so that only the Find after the whole install shows it.
        writeFile(bin + c.installed, "old");
        SetWindowTextA(descendant(dialog, c.button - 3), "");
        PostMessageA(descendant(dialog, c.button), BM_CLICK, 0, 0);
        HWND box = waitForDialog(quillmere.processId(), "Quillmere");
        EXPECT_EQ(messageBoxText(box), ok);
        EXPECT_EQ(GetWindow(box, GW_OWNER), quillmere.mainWindow());
        EXPECT_EQ(readFile(bin + c.installed), "old");
        pressButton(box, IDOK);
        EXPECT_TRUE(waitFor([&] {
            return windowText(descendant(dialog, c.button - 3)) == bin + c.installed &&
                   readFile(bin + c.installed) == c.installed + std::string(" from the archive");
        })) << c.button;
    }
    EXPECT_EQ(filesIn(bin), (std::set<std::string>{"lame.exe", "lame_enc.dll", "mac.exe"}));
    EXPECT_EQ(filesIn(downloads), (std::set<std::string>{"ProgramList.txt", "ProgramList.txt.sig",
                                                         "lame.zip", "mac.zip", "mppenc.zip"}));
    EXPECT_EQ(filesIn(downloads + "unpack\\"), std::set<std::string>{"readme.txt"});
    EXPECT_FALSE(fileExists(folder.path() + "..\\twolame.zip")); // where "..\.." would lead

    // More than announced, or no end: nothing is kept, nothing installed.
    publish("bounds.txt", nullptr);
    EXPECT_EQ(click(kDownloadList, 1), std::vector{std::string(corv::kListDownloadedMessage)});
    for (int button : {3093, 3043})
        EXPECT_EQ(click(button, 1), std::vector<std::string>{failed}) << button;
    EXPECT_EQ(filesIn(downloads),
              (std::set<std::string>{"ProgramList.txt", "ProgramList.txt.sig", "mppenc.zip"}));

    // Closing the download window cancels it; closing Quillmere waits for it
    // to stop. The window says the archive comes over plain HTTP.
    const std::string archive = downloads + "oggenc.zip";
    PostMessageA(descendant(dialog, 3103), BM_CLICK, 0, 0); // served slowly
    HWND downloading = nullptr;
    EXPECT_TRUE(waitFor([&] {
        downloading = findDialog(quillmere.processId(), "Downloading");
        return fileExists(archive) &&
               windowText(descendant(downloading, kConnection)) == corv::kPlainPinnedNote;
    }));
    PostMessageA(downloading, WM_CLOSE, 0, 0);
    EXPECT_EQ(answer(1), std::vector<std::string>{cantFind("oggenc.exe")}); // no failure message
    EXPECT_FALSE(fileExists(archive));

    PostMessageA(descendant(dialog, 3103), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor([&] { return fileExists(archive); }));
    PostMessageA(quillmere.mainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(quillmere.waitForExit(), 1);
    EXPECT_FALSE(fileExists(archive));
    EXPECT_FALSE(fileExists(bin + "oggenc.exe"));
}

} // namespace

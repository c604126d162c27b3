// The release as users get it: the installer run silently, both programs
// started from where it put them, the uninstaller; and the portable zip
// unpacked into a folder whose name has a space and non-ASCII letters.
// release_test.sh makes both and names their folder as the argument.
#include "corvandale_app.h"
#include "remote_window.h"

#include "analyser/analysis/audio_codes.h"
#include "corvandale_version.h"
#include "protocol/job_types.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace e2e;
using Texts = std::vector<std::string>;

std::string artefacts; // the folder release_test.sh filled, with a trailing backslash
// Built for each variant, as the release it tests.
const std::string kRelease = sizeof(void*) == 8 ? "Corvandale-" CORV_VERSION_TEXT "-win64"
                                                : "Corvandale-" CORV_VERSION_TEXT "-win32";
constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvandale";

constexpr char kRemoveQuestion[] = "Also remove your settings, the logs and the encoders "
                                   "Quillmere downloaded (bin and downloads folders)?";

// What a release holds; the first five carry the version resource.
const Texts kShipped = {"Corvandale.exe",     "Quillmere.exe",          "ssrcdll.dll",
                        "corvandale-cli.exe", "unzipper\\unzip.exe",    "README.txt",
                        "licenses\\zlib.txt", "licenses\\mingw-w64.txt"};

std::string fileVersion(const std::string& path) {
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), &ignored));
    char* text = nullptr;
    UINT length = 0;
    if (block.empty() ||
        !GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
        !VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\FileVersion",
                        reinterpret_cast<void**>(&text), &length))
        return "";
    return text;
}

void expectShipped(const std::string& folder) {
    for (size_t i = 0; i < kShipped.size(); ++i) {
        EXPECT_TRUE(fileExists(folder + kShipped[i])) << folder + kShipped[i];
        if (i < 5) {
            EXPECT_EQ(fileVersion(folder + kShipped[i]), CORV_VERSION_TEXT) << kShipped[i];
        }
    }
}

// The uninstaller's question (its wizard has the same title, but no Yes).
HWND questionBox(const std::string& title) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", title.c_str())))
        if (GetDlgItem(window, IDYES)) return window;
    return nullptr;
}

std::string uninstallString() {
    char text[MAX_PATH] = {};
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_CURRENT_USER, kUninstallKey, "UninstallString", RRF_RT_REG_SZ, nullptr,
                     text, &size) != ERROR_SUCCESS)
        return "";
    return text;
}

// Both programs run from the folder: Corvandale finds ssrcdll.dll beside
// itself, converts a dropped file and hands it to the Quillmere it starts
// from the same folder, which lists the job.
void runsFromFolder(const std::string& folder) {
    const std::string music = folder + "My music\\", converted = music + "Converted\\";
    CreateDirectoryA(music.c_str(), nullptr);
    CreateDirectoryA(converted.c_str(), nullptr);
    writeSine(music + "song.wav", 2, 44100, 0.2);
    writeSettings(folder, converted, [&](corv::ConversionSettings& s) {
        s.convertSampleType = 1;
        s.targetSampleType = static_cast<int32_t>(corv::SampleType::Int16); // LAME takes it
        s.sendJobsToBatcher = 1;
        s.batcherOutputType = static_cast<int32_t>(corv::JobType::Lame);
    });
    CorvandaleProcess corvandale(AlreadyThere{}, folder);
    ASSERT_TRUE(corvandale.start());
    ASSERT_TRUE(corvandale.listDropped({music + "song.wav"}));
    ASSERT_TRUE(corvandale.convertAndWait());
    EXPECT_EQ(corvandale.columnTexts("Result"), Texts{"Succes"});
    EXPECT_TRUE(fileExists(converted + "song.wav"));

    // Corvandale started the installed Quillmere and handed it the job.
    HWND quillmere = nullptr;
    ASSERT_TRUE(waitFor([&] { return (quillmere = FindWindowA("Quillmere", "Quillmere")); }));
    HWND jobs = GetDlgItem(quillmere, 5005);
    EXPECT_TRUE(waitFor([&] { return listRowCount(jobs) == 1; }));
    EXPECT_EQ(listCellText(jobs, 0, 0), "song.wav");
    PostMessageA(quillmere, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitFor([&] { return countProcesses("Quillmere.exe") == 0; }));
}

TEST(Release, InstallerPutsEveryFileInPlaceAndItsUninstallerTakesOnlyThose) {
    ScratchFolder root("installed");
    const std::string folder = root.path() + "Corvandale programs\\";
    const std::string install =
        "\"" + artefacts + kRelease + "-setup.exe\" /S /D=" + folder.substr(0, folder.size() - 1);
    ASSERT_EQ(runToEnd(install), 0);
    expectShipped(folder);
    char programs[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, 0, programs);
    const std::string menu = std::string(programs) + "\\Corvandale\\";
    for (const char* shortcut : {"Corvandale.lnk", "Quillmere.lnk"})
        EXPECT_TRUE(fileExists(menu + shortcut)) << shortcut;
    EXPECT_EQ(uninstallString(), "\"" + folder + "Uninstall.exe\"");

    runsFromFolder(folder);

    // The uninstaller finishes from a copy of itself in the temp folder.
    ASSERT_EQ(runToEnd("\"" + folder + "Uninstall.exe\" /S"), 0);
    ASSERT_TRUE(waitFor([&] { return !fileExists(folder + "Uninstall.exe"); }, 60s));
    for (const std::string& name : kShipped)
        EXPECT_FALSE(fileExists(folder + name)) << name;
    EXPECT_FALSE(fileExists(folder + "unzipper"));
    EXPECT_FALSE(fileExists(menu));
    EXPECT_EQ(uninstallString(), "");
    // Silent, it keeps settings and logs; the user's files always stay.
    for (const char* kept : {"My music\\song.wav", "My music\\Converted\\song.wav",
                             "settingsCorvandale.ini", "MsgLogQuillmere.txt"})
        EXPECT_TRUE(fileExists(folder + kept)) << kept;

    // Asked, the user may let settings, logs and downloads go too.
    ASSERT_EQ(runToEnd(install), 0);
    CreateDirectoryA((folder + "downloads").c_str(), nullptr);
    writeFile(folder + "downloads\\lame.zip", "zip");
    ASSERT_EQ(runToEnd("\"" + folder + "Uninstall.exe\""), 0);
    const std::string title = "Corvandale and Quillmere " CORV_VERSION_TEXT " Uninstall";
    HWND wizard = nullptr, question = nullptr;
    const std::string confirmation = title + ": Confirmation"; // the page names itself
    ASSERT_TRUE(waitFor([&] { return (wizard = FindWindowA("#32770", confirmation.c_str())); }));
    pressButton(wizard, IDOK); // "Uninstall"
    ASSERT_TRUE(waitFor([&] { return (question = questionBox(title)); }));
    EXPECT_EQ(messageBoxText(question), kRemoveQuestion);
    pressButton(question, IDYES);
    ASSERT_TRUE(waitFor([&] { return !fileExists(folder + "Uninstall.exe"); }, 60s));
    pressButton(wizard, IDOK); // "Close"
    for (const char* gone : {"settingsCorvandale.ini", "MsgLogQuillmere.txt", "downloads"})
        EXPECT_FALSE(fileExists(folder + gone)) << gone;
    EXPECT_TRUE(fileExists(folder + "My music\\Converted\\song.wav"));
}

TEST(Release, PortableZipRunsFromAFolderWithASpaceAndNonAsciiLetters) {
    const std::string folder = artefacts + "Pörtable Cörvandale ñ\\";
    ASSERT_TRUE(MoveFileA((artefacts + "unpacked\\" + kRelease).c_str(), folder.c_str()));
    expectShipped(folder);
    runsFromFolder(folder);
}

} // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        fprintf(stderr, "usage: release_tests Z:/folder/of/the/artefacts\n");
        return 2;
    }
    artefacts = argv[1];
    std::replace(artefacts.begin(), artefacts.end(), '/', '\\');
    if (artefacts.back() != '\\') artefacts += '\\';
    return RUN_ALL_TESTS();
}

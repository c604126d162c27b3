// Corvandale.exe as a user meets it: a process of its own, files added
// through its open-file dialog and by dropping them, converted, and read
// back from its list; its outputs compared with what corvandale-cli writes.
#include "corvandale_app.h"
#include "drop_files.h"
#include "remote_window.h"

#include "protocol/fixed_text.h"
#include "wav_builder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

namespace {

using namespace e2e;
using Texts = std::vector<std::string>;

using Names = std::set<std::string>;

std::wstring wide(const std::string& utf8) {
    std::wstring out(
        static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), static_cast<int>(out.size()));
    out.pop_back();
    return out;
}

// corvandale-cli.exe run to its end with UTF-8 arguments (as scripts on
// Windows start it); its exit status and what it wrote on stdout.
std::pair<DWORD, std::string> runCli(const std::string& arguments, const std::string& scratch) {
    std::string program = "Z:" CORVANDALE_CLI_EXE;
    std::replace(program.begin(), program.end(), '/', '\\');
    const std::string outPath = scratch + "cli-stdout.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    PROCESS_INFORMATION process{};
    std::wstring line = wide("\"" + program + "\" " + arguments);
    DWORD status = 1000;
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(out);
    return {status, readFile(outPath)};
}

// One argument of a command line; a backslash before the closing quote is doubled.
std::string quoted(const std::string& text) {
    return "\"" + text + (text.back() == '\\' ? "\\\"" : "\"");
}

TEST(CorvandaleE2E, ConvertsWhatIsAddedAndDroppedAsTheCliDoes) {
    ScratchFolder program("corv-convert"), music("corv-music"), more("corv-more"), out("corv-out"),
        cliOut("corv-cli-out");
    writeSettings(program.path(), [&](corv::ConversionSettings& s) {
        s.sameAsInput = 0;
        corv::setFieldText(s.outputDirectory, out.path());
        s.convertSampleType = 1;
        s.targetSampleType = 8; // 24-bit
        s.convertSampleRate = 1;
        s.targetSampleRate = 48000;
        s.dither = 1;
    });
    const Texts sources = {music.path() + "a.wav", music.path() + "b.wav", more.path() + "c.wav"};
    writeSine(sources[0], 2, 44100, 0.4);
    writeSine(sources[1], 1, 44100, 0.3, 0.25);
    writeSine(sources[2], 2, 22050, 0.2);
    CorvandaleProcess app(program.path());
    ASSERT_TRUE(app.start());

    // The open-file dialog: one file by its path, then two names in their
    // folder, one of them already listed.
    app.post(kAdd);
    ASSERT_TRUE(app.typeInOpenDialog(sources[0]));
    ASSERT_TRUE(waitFor([&] { return app.rows() == 1; }));
    app.post(kAdd);
    ASSERT_TRUE(app.openFolderInOpenDialog(music.path(), "b.wav"));
    ASSERT_TRUE(app.typeInOpenDialog("\"a.wav\" \"b.wav\""));
    ASSERT_TRUE(waitFor([&] { return app.rows() == 2; }));

    // Dropped: a file of another folder, one already listed, a folder, and
    // a path too long for the list, which is named to the user.
    const std::string tooLong = more.path() + std::string(520, 'x') + ".wav";
    ASSERT_TRUE(dropFiles(app.mainWindow(), {sources[2], sources[0], more.path(), tooLong}));
    EXPECT_EQ(answerMessageBox(app.processId(), "Attention"),
              "1 file(s) not added: a path may be at most 519 characters long.\n" + tooLong);
    ASSERT_TRUE(waitFor([&] { return app.columnTexts("Type") == Texts(3, "Wave PCM"); }));
    EXPECT_EQ(app.columnTexts("Filename"), (Texts{"a.wav", "b.wav", "c.wav"}));
    EXPECT_EQ(app.columnTexts("Length"), (Texts{"00:00.400", "00:00.300", "00:00.200"}));
    EXPECT_EQ(app.columnTexts("Result"), Texts(3, "-"));

    // A second "&Convert" while the first starts finds it running: one run.
    app.post(kConvert);
    app.post(kConvert);
    ASSERT_TRUE(waitFor([&] { return app.columnTexts("Result") == Texts(3, "Succes"); }));
    ASSERT_TRUE(app.waitForConversionEnd());

    const auto report = nlohmann::json::parse(
        runCli("convert --json --settings " + quoted(program.path() + "settingsCorvandale.ini") +
                   " --out " + quoted(cliOut.path()) + " " + quoted(sources[0]) + " " +
                   quoted(sources[1]) + " " + quoted(sources[2]),
               program.path())
            .second);
    Texts peaks;
    for (const auto& entry : report) {
        char text[32];
        std::snprintf(text, sizeof text, "%.5f", entry["peak"].get<double>());
        peaks.push_back(text);
    }
    EXPECT_EQ(app.columnTexts("Peak conv"), peaks);
    ASSERT_EQ(filesIn(out.path()), (Names{"a.wav", "b.wav", "c.wav"}));
    EXPECT_EQ(filesIn(cliOut.path()), filesIn(out.path()));
    for (const std::string& name : filesIn(out.path()))
        EXPECT_EQ(readFile(out.path() + name), readFile(cliOut.path() + name)) << name;
}

TEST(CorvandaleE2E, SecondInstanceAndMissingLibraryEndWithTheirMessages) {
    ScratchFolder first("corv-first"), second("corv-second"), bare("corv-bare");
    CorvandaleProcess running(first.path());
    ASSERT_TRUE(running.start());
    CorvandaleProcess another(second.path());
    ASSERT_TRUE(another.startOnly());
    EXPECT_EQ(answerMessageBox(another.processId(), "Attention"),
              "Program is already running. This instance wil exit now.");
    EXPECT_EQ(another.waitForExit(), 0);
    ASSERT_TRUE(IsWindowVisible(running.mainWindow()));
    PostMessageA(running.mainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(running.waitForExit(), 1);

    CorvandaleProcess withoutLibrary(bare.path(), false);
    ASSERT_TRUE(withoutLibrary.startOnly());
    EXPECT_EQ(answerMessageBox(withoutLibrary.processId(), bare.path() + "ssrcdll.dll"),
              "ssrcdll.dll is missing or invallid, without this corvandale can NOT "
              "upsample/downsample/dither properly.");
    EXPECT_EQ(withoutLibrary.waitForExit(), -1);
}

TEST(CorvandaleE2E, StopOrExitDuringARunRemovesTheUnfinishedOutput) {
    ScratchFolder program("corv-stop"), music("corv-long"), out("corv-stop-out");
    writeSettings(program.path(), [&](corv::ConversionSettings& s) {
        s.sameAsInput = 0;
        corv::setFieldText(s.outputDirectory, out.path());
        s.convertSampleRate = 1;
        s.targetSampleRate = 96000;
    });
    writeSine(music.path() + "short.wav", 2, 44100, 0.1);
    writeSine(music.path() + "long.wav", 2, 44100, 120);
    CorvandaleProcess app(program.path());
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(
        dropFiles(app.mainWindow(), {music.path() + "short.wav", music.path() + "long.wav"}));
    ASSERT_TRUE(waitFor([&] { return app.columnTexts("Type") == Texts(2, "Wave PCM"); }));

    // "Stop" while the long file is converted: its output goes, the dialog
    // closes at once, and the list shows what was done.
    app.post(kConvert);
    ASSERT_TRUE(waitFor([&] { return fileExists(out.path() + "long.wav"); }));
    HWND dialog = waitForDialog(app.processId(), "Converting file");
    ASSERT_NE(dialog, nullptr);
    pressButton(dialog, IDCANCEL);
    ASSERT_TRUE(app.waitForConversionEnd());
    EXPECT_EQ(app.columnTexts("Result"), (Texts{"Succes", "-"}));
    EXPECT_EQ(filesIn(out.path()), Names{"short.wav"});

    // Closing the window during a run stops the run first; the program ends
    // once its unfinished output is gone.
    app.post(kConvert);
    ASSERT_TRUE(waitFor([&] { return fileExists(out.path() + "long.wav"); }));
    PostMessageA(app.mainWindow(), WM_CLOSE, 0, 0);
    EXPECT_EQ(app.waitForExit(), 1);
    EXPECT_EQ(filesIn(out.path()), (Names{"short(1).wav", "short.wav"}));
}

TEST(CorvandaleE2E, KeysReachTheOpenDialogAndTheWindowKeepsItsShape) {
    ScratchFolder program("corv-keys"), music("corv-keys-music");
    writeSine(music.path() + "a.wav", 1, 8000, 0.1);
    writeSine(music.path() + "b.wav", 1, 8000, 0.1);
    CorvandaleProcess app(program.path());
    ASSERT_TRUE(app.start());
    app.post(kConvert);
    EXPECT_EQ(answerMessageBox(app.processId(), "Attention"), "Choose some files first.");
    ASSERT_TRUE(dropFiles(app.mainWindow(), {music.path() + "a.wav", music.path() + "b.wav"}));
    ASSERT_TRUE(waitFor([&] { return app.rows() == 2; }));

    // Escape and F8 close the About box; Delete while it is open is its
    // key, not the list's.
    setListRowSelected(app.fileList(), 0, true);
    for (WPARAM key : {VK_ESCAPE, VK_F8, VK_DELETE}) {
        app.post(kAbout);
        HWND about = waitForDialog(app.processId(), "About corvandale");
        ASSERT_NE(about, nullptr);
        PostMessageA(about, WM_KEYDOWN, key, 0);
        if (key == VK_DELETE) {
            Sleep(300);
            EXPECT_EQ(app.rows(), 2);
            PostMessageA(about, WM_KEYDOWN, VK_ESCAPE, 0);
        }
        ASSERT_TRUE(waitFor([&] { return !IsWindow(about) && IsWindowEnabled(app.mainWindow()); }));
    }
    PostMessageA(app.fileList(), WM_KEYDOWN, VK_DELETE, 0);
    ASSERT_TRUE(waitFor([&] { return app.rows() == 1; }));
    EXPECT_EQ(app.cell(0, "Filename"), "b.wav");

    // Several rows and "&Properties"; shown columns keep their places.
    app.post(kAdd);
    ASSERT_TRUE(app.typeInOpenDialog(music.path() + "a.wav"));
    ASSERT_TRUE(waitFor([&] { return app.rows() == 2; }));
    setListRowSelected(app.fileList(), 0, true);
    setListRowSelected(app.fileList(), 1, true);
    app.post(kProperties);
    EXPECT_EQ(answerMessageBox(app.processId(), "Attention"), "Please select a single item.");
    const Texts defaults = {"Filename",    "Path", "Length", "Channels",
                            "Sample Rate", "Type", "Result", "Peak conv"};
    EXPECT_EQ(listColumnTitles(app.fileList()), defaults);
    for (int item : {8016, 8017, 8016}) // hide Path, show Size, show Path
        app.post(item);
    ASSERT_TRUE(waitFor([&] { return app.column("Path") == 1; }));
    EXPECT_EQ(app.column("Size"), 2);
    EXPECT_EQ(app.cell(0, "Size"), "2 KB"); // 1644 bytes: halves round up
    app.post(8015);                         // Always on top
    ASSERT_TRUE(
        waitFor([&] { return GetWindowLongA(app.mainWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST; }));
    const std::string settings = app.file("settingsCorvandale.ini");
    EXPECT_EQ(settings.substr(593, 3), std::string("\1\1\1")); // on top, Path, Size: saved

    // Only Quillmere's window may answer Open connection (102; the batcher
    // tests have the window): nothing here is taken.
    for (auto [id, answer] : {std::pair{102, 0}, {100, 0}, {130, 0}}) {
        COPYDATASTRUCT data{static_cast<ULONG_PTR>(id), 0, nullptr};
        DWORD_PTR result = 99;
        SendMessageTimeoutA(app.mainWindow(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                            SMTO_NORMAL, 5000, &result);
        EXPECT_EQ(result, static_cast<DWORD_PTR>(answer)) << id;
    }

    SetWindowPos(app.mainWindow(), nullptr, 0, 0, 120, 90, SWP_NOMOVE | SWP_NOZORDER);
    RECT frame{};
    ASSERT_TRUE(waitFor([&] {
        GetWindowRect(app.mainWindow(), &frame);
        return frame.right - frame.left == 300 && frame.bottom - frame.top == 236;
    }));
}

// Arguments reach corvandale-cli.exe as UTF-8 through its manifest's code page.
TEST(CorvandaleE2E, TheCliConvertsAFileWithAUtf8NameAndRefusesBadUsage) {
    ScratchFolder folder("corv-cli-utf8");
    const std::string name = "Chor \xC3\xA9t\xC3\xA9";
    corv::test::Bytes samples;
    for (int16_t v : {32767, -32768, 100, -100})
        corv::test::putU16(samples, static_cast<uint16_t>(v));
    const corv::test::Bytes wav = corv::test::wave({}, samples);
    HANDLE file = CreateFileW(wide(folder.path() + name + ".wav").c_str(), GENERIC_WRITE, 0,
                              nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, wav.data(), static_cast<DWORD>(wav.size()), &written, nullptr);
    CloseHandle(file);

    const auto [status, out] = runCli(
        "convert --type 24bit --json " + quoted(folder.path() + name + ".wav"), folder.path());
    ASSERT_EQ(status, 0u) << out;
    EXPECT_NE(out.find("\"result\": 3"), std::string::npos) << out;
    EXPECT_NE(out.find(name + "(1).wav"), std::string::npos) << out;
    WIN32_FILE_ATTRIBUTE_DATA output{};
    ASSERT_TRUE(GetFileAttributesExW(wide(folder.path() + name + "(1).wav").c_str(),
                                     GetFileExInfoStandard, &output));
    EXPECT_EQ(output.nFileSizeLow, 44u + 2 * 2 * 3);
    EXPECT_EQ(runCli("convert --type 7bit x.wav", folder.path()).first, 2u);
}

} // namespace

// Corvandale.exe as a user meets it: a process of its own, files added
// through its open-file dialog and by dropping them, converted, and read
// back from its list; its outputs compared with what corvandale-cli writes;
// its channel mapping dialogs.
#include "corvandale_app.h"
#include "remote_window.h"

#include "analyser/ui/win/dialog_ids_maps.h"
#include "wav_builder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using namespace e2e;
using Texts = std::vector<std::string>;

using Names = std::set<std::string>;

TEST(CorvandaleE2E, ConvertsWhatIsAddedAndDroppedAsTheCliDoes) {
    ScratchFolder program("corv-convert"), music("corv-music"), more("corv-more"), out("corv-out"),
        cliOut("corv-cli-out");
    writeSettings(program.path(), out.path(), [&](corv::ConversionSettings& s) {
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
    EXPECT_EQ(app.answerBox(),
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
    EXPECT_EQ(another.answerBox(), "Program is already running. This instance wil exit now.");
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
    writeSettings(program.path(), out.path(), [&](corv::ConversionSettings& s) {
        s.convertSampleRate = 1;
        s.targetSampleRate = 192000; // slower than the test takes to press Stop
    });
    writeSine(music.path() + "short.wav", 2, 44100, 0.1);
    writeSine(music.path() + "long.wav", 2, 44100, 120);
    CorvandaleProcess app(program.path());
    ASSERT_TRUE(app.start());
    ASSERT_TRUE(app.listDropped({music.path() + "short.wav", music.path() + "long.wav"}));

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
    writeSettings(program.path(), music.path()); // the output folder can be typed
    CorvandaleProcess app(program.path());
    ASSERT_TRUE(app.start());
    app.post(kConvert);
    EXPECT_EQ(app.answerBox(), "Choose some files first.");
    ASSERT_TRUE(app.listDropped({music.path() + "a.wav", music.path() + "b.wav"}));

    // Escape and F8 close the About box; Delete while it is open is its
    // key, not the list's.
    setListRowSelected(app.fileList(), 0, true);
    for (WPARAM key : {VK_ESCAPE, VK_F8, VK_DELETE}) {
        app.post(kAbout);
        HWND about = waitForDialog(app.processId(), "About corvandale");
        ASSERT_NE(about, nullptr);
        PostMessageA(about, WM_KEYDOWN, key, 0);
        if (key == VK_DELETE) PostMessageA(about, WM_KEYDOWN, VK_ESCAPE, 0); // taken after it
        ASSERT_TRUE(waitFor([&] { return !IsWindow(about) && IsWindowEnabled(app.mainWindow()); }));
        EXPECT_EQ(app.rows(), 2);
    }
    PostMessageA(app.fileList(), WM_KEYDOWN, VK_DELETE, 0);
    ASSERT_TRUE(waitFor([&] { return app.rows() == 1; }));
    EXPECT_EQ(app.cell(0, "Filename"), "b.wav");
    // A focused edit box keeps Delete: the folder's first letter goes; Escape cancels.
    app.post(kPreferences);
    HWND folder = GetDlgItem(waitForDialog(app.processId(), "Preferences"), 2200);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN})
        PostMessageA(folder, message, message == WM_KEYDOWN ? VK_DELETE : 0, 0);
    EXPECT_TRUE(waitFor([&] { return windowText(folder) == music.path().substr(1); }));
    PostMessageA(folder, WM_KEYDOWN, VK_ESCAPE, 0); // taken before what is posted next

    // Several rows and "&Properties"; shown columns keep their places.
    app.post(kAdd);
    ASSERT_TRUE(app.typeInOpenDialog(music.path() + "a.wav"));
    ASSERT_TRUE(waitFor([&] { return app.rows() == 2; }));
    setListRowSelected(app.fileList(), 0, true);
    setListRowSelected(app.fileList(), 1, true);
    app.post(kProperties);
    EXPECT_EQ(app.answerBox(), "Please select a single item.");
    const Texts defaults = {"Filename",    "Path", "Length", "Channels",
                            "Sample Rate", "Type", "Result", "Peak conv"};
    EXPECT_EQ(listColumnTitles(app.fileList()), defaults);
    for (int item : {8016, 8017, 8016}) // hide Path, show Size, show Path
        app.post(item);
    ASSERT_TRUE(waitFor([&] { return app.column("Path") == 1 && app.column("Size") == 2; }));
    EXPECT_EQ(app.cell(0, "Size"), "2 KB"); // 1644 bytes: halves round up
    app.post(8015);                         // Always on top
    ASSERT_TRUE(
        waitFor([&] { return GetWindowLongA(app.mainWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST; }));
    // On top, Path, Size: saved, once the window has its new style.
    const auto saved = [&] {
        const std::string bytes = app.file("settingsCorvandale.ini");
        return bytes.size() > 596 ? bytes.substr(593, 3) : std::string();
    };
    EXPECT_TRUE(waitFor([&] { return saved() == "\1\1\1"; })) << saved();

    // Only Quillmere's window may answer Open connection (102; the batcher
    // tests have the window): nothing here is taken.
    for (auto [id, answer] : {std::pair{102, 0}, {100, 0}, {130, 0}}) {
        COPYDATASTRUCT data{static_cast<ULONG_PTR>(id), 0, nullptr};
        DWORD_PTR result = 99;
        SendMessageTimeoutA(app.mainWindow(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                            SMTO_NORMAL, 5000, &result);
        EXPECT_EQ(result, static_cast<DWORD_PTR>(answer)) << id;
    }

    // An unrecognised file's row dragged onto an analysed one: each shows only its own record.
    writeFile(music.path() + "junk.wav", "not a wave file");
    ASSERT_TRUE(dropFiles(app.mainWindow(), {music.path() + "junk.wav"}));
    ASSERT_TRUE(waitFor([&] { return app.cell(2, "Type") == "Unknown"; }));
    ASSERT_TRUE(dragListRow(app.mainWindow(), app.fileList(), 2, 0));
    ASSERT_TRUE(waitFor([&] { return app.cell(0, "Filename") == "junk.wav"; }));
    EXPECT_EQ(app.cell(0, "Length") + app.cell(0, "Result") + app.cell(0, "Peak conv"), "");
    EXPECT_EQ(app.cell(2, "Length"), "00:00.100");
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
    std::ofstream(std::filesystem::path(widen(folder.path() + name + ".wav")), std::ios::binary)
        .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));

    const auto [status, out] = runCli(
        "convert --type 24bit --json " + quoted(folder.path() + name + ".wav"), folder.path());
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("\"result\": 3"), std::string::npos) << out;
    EXPECT_NE(out.find(name + "(1).wav"), std::string::npos) << out;
    EXPECT_EQ(std::filesystem::file_size(widen(folder.path() + name + "(1).wav")), 44u + 2 * 2 * 3);
    EXPECT_EQ(runCli("convert --type 7bit x.wav", folder.path()).first, 2);
}

// 64-bit sizes and positions in the 32-bit build (the win64 preset leaves it to
// the native CLI test): a sparse input of doubles over 4 GB whose 32-bit sizes
// say 0 is read and converted whole, to 8 bits so that an eighth is written.
TEST(CorvandaleE2E, TheCliConvertsAFileOverFourGigabytes) {
    using namespace corv::test;
    ScratchFolder folder("corv-cli-big");
    const int64_t dataBytes = (int64_t{1} << 32) + 4096;
    const std::string in = folder.path() + "big.wav", out = folder.path() + "big(1).wav";
    const Bytes fmt =
        formatPayload({.tag = 3, .channels = 1, .bitsPerSample = 64, .containerBytes = 8});
    if (!writeSparse(in, riffWithSize(0, {chunk("fmt ", fmt), chunkWithSize("data", 0, {})}),
                     44 + dataBytes))
        GTEST_SKIP() << "no sparse 4 GB file here";
    ASSERT_EQ(runCli("convert --type 8bit " + quoted(in), folder.path()).first, 0);
    const std::string info =
        runCli("info --json " + quoted(in) + " " + quoted(out), folder.path()).second;
    for (const auto& file : nlohmann::json::parse(info))
        EXPECT_EQ(file["frameCount"], dataBytes / 8) << info;
}

// The channel mapping dialogs: "mappings.ini" read afterwards, and a file
// converted through a map made there compared with what corvandale-cli writes.

// The dialog opened as the user opens it: F2 on the main window.
HWND openMapsDialog(const CorvandaleProcess& app) {
    PostMessageA(app.mainWindow(), WM_KEYDOWN, VK_F2, 0);
    return waitForDialog(app.processId(), "Channel mapping");
}

// Each row's cells and check box: "  2  ->  2|Move|swap|x".
Texts rowsOf(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_MAP_LIST);
    Texts rows;
    for (int row = 0, n = listRowCount(list); row < n; ++row)
        rows.push_back(listCellText(list, row, 0) + "|" + listCellText(list, row, 1) + "|" +
                       listCellText(list, row, 2) + (listRowChecked(list, row) ? "|x" : "|"));
    return rows;
}

void selectOnly(HWND dialog, std::initializer_list<int> rows) {
    HWND list = GetDlgItem(dialog, IDC_MAP_LIST);
    for (int row = 0, n = listRowCount(list); row < n; ++row)
        setListRowSelected(list, row, std::find(rows.begin(), rows.end(), row) != rows.end());
}

void setText(HWND form, int id, const std::string& text) {
    SendMessageA(GetDlgItem(form, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Presses a button of the dialog and waits for the window of that title.
HWND pressFor(const CorvandaleProcess& app, HWND dialog, int button, const std::string& title) {
    pressButton(dialog, button);
    return waitForDialog(app.processId(), title);
}

// "&New" through "Select mapping" to the form for those counts.
HWND newMapForm(const CorvandaleProcess& app, HWND dialog, int from, int to, bool mix) {
    HWND select = pressFor(app, dialog, IDC_MAP_NEW, "Select mapping");
    SendDlgItemMessageA(select, IDC_MAP_FROM, CB_SETCURSEL, static_cast<WPARAM>(from - 1), 0);
    SendDlgItemMessageA(select, IDC_MAP_TO, CB_SETCURSEL, static_cast<WPARAM>(to - 1), 0);
    SendDlgItemMessageA(select, IDC_MAP_MOVE, BM_SETCHECK, mix ? BST_UNCHECKED : BST_CHECKED, 0);
    SendDlgItemMessageA(select, IDC_MAP_MIX, BM_SETCHECK, mix ? BST_CHECKED : BST_UNCHECKED, 0);
    return pressFor(app, select, IDC_DIALOG_OK, "Configure Mapping");
}

bool closeForm(HWND form, int button, HWND dialog, size_t rowsAfter) {
    if (!form) return false;
    pressButton(form, button);
    return waitFor([&] { return !IsWindow(form) && rowsOf(dialog).size() == rowsAfter; });
}

TEST(CorvandaleMaps, MapsMadeViewedAndDeletedInTheDialogsReachMappingsIni) {
    ScratchFolder program("corv-maps");
    const std::string longText = std::string(300, 'a') + "#" + std::string(300, 'b');
    writeFile(program.path() + "mappings.ini", "2->2#move#active#swap\n1 0 \n"
                                               "12->2#move#inactive#wide\n0 1 \n"
                                               "3->2#move#inactive#" +
                                                   longText + "\n5 1 7 9 \n");
    CorvandaleProcess app(program.path());
    ASSERT_TRUE(app.start());
    HWND dialog = openMapsDialog(app);
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(IsWindowEnabled(app.mainWindow()));
    EXPECT_EQ(listColumnTitles(GetDlgItem(dialog, IDC_MAP_LIST)),
              (Texts{"From -> To", "Type", "Description"}));
    EXPECT_EQ(rowsOf(dialog), (Texts{"  2  ->  2|Move|swap|x", " 12  ->  2|Move|wide|",
                                     "  3  ->  2|Move|" + longText + "|"}));

    // A move map left with both choices empty, a "#" in its description; a
    // mix map whose weights are typed, some of them no finite numbers.
    HWND form = newMapForm(app, dialog, 2, 2, false);
    setText(form, IDC_MAP_DESCRIPTION, "front#rear");
    ASSERT_TRUE(closeForm(form, IDC_DIALOG_OK, dialog, 4));
    form = newMapForm(app, dialog, 2, 2, true);
    for (auto [cell, text] : {std::pair{0, "0.5"}, {1, "inf"}, {10, "1e999"}, {11, "x"}})
        setText(form, IDC_MAP_WEIGHT + cell, text);
    ASSERT_TRUE(closeForm(form, IDC_DIALOG_OK, dialog, 5));
    form = newMapForm(app, dialog, 1, 1, false);
    ASSERT_TRUE(closeForm(form, IDC_DIALOG_CANCEL, dialog, 5));

    // "&View" wants one row that fits the form.
    for (auto rows : {std::initializer_list<int>{}, {0, 3}, {1}}) {
        selectOnly(dialog, rows);
        pressButton(dialog, IDC_MAP_VIEW);
        EXPECT_EQ(app.answerBox(),
                  rows.size() == 1 ? "This channelmap has to much channels for showing in the GUI. "
                                     "Edit manualy."
                                   : "Please select a single item to view");
    }
    // The key goes to the window in front: wait until the message box has gone.
    ASSERT_TRUE(waitFor(
        [&] { return IsWindowEnabled(dialog) && !findDialog(app.processId(), "Attention"); }));
    PostMessageA(GetDlgItem(dialog, IDC_MAP_LIST), WM_KEYDOWN, VK_DELETE, 0);
    ASSERT_TRUE(waitFor([&] { return rowsOf(dialog).size() == 4; }));

    // The read map: a source past its inputs shows empty; Ok keeps it and the long description.
    selectOnly(dialog, {1});
    form = pressFor(app, dialog, IDC_MAP_VIEW, "Configure Mapping");
    EXPECT_EQ(SendDlgItemMessageA(form, IDC_MAP_SOURCE, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageA(form, IDC_MAP_SOURCE + 1, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(windowText(GetDlgItem(form, IDC_MAP_DESCRIPTION)), longText.substr(0, 500));
    ASSERT_TRUE(closeForm(form, IDC_DIALOG_OK, dialog, 4));

    // Two checked maps from 2 channels: refused by Apply and Ok, each with its message.
    HWND list = GetDlgItem(dialog, IDC_MAP_LIST);
    setListRowChecked(list, 2, true);
    pressButton(dialog, IDC_DIALOG_APPLY);
    EXPECT_EQ(app.answerBox(), "Multiple mappings for 2 channels. Please remove a mapping.");
    pressButton(dialog, IDC_DIALOG_OK);
    EXPECT_EQ(app.answerBox(), "Double mapping for 2 channels. Please remove a mapping.");
    ASSERT_TRUE(IsWindow(dialog));
    setListRowChecked(list, 0, false);
    SendDlgItemMessageA(dialog, IDC_MAP_ENABLE, BM_SETCHECK, BST_CHECKED, 0);
    pressButton(dialog, IDC_DIALOG_OK);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog) && IsWindowEnabled(app.mainWindow()); }));

    EXPECT_EQ(app.file("mappings.ini"), "2->2#move#inactive#swap\r\n1 0 \r\n"
                                        "3->2#move#inactive#" +
                                            longText +
                                            "\r\n5 1 \r\n"
                                            "2->2#move#active#front_rear\r\n-1 -1 \r\n"
                                            "2->2#mix#inactive#\r\n0.500 0.000 0.000 0.000 \r\n");
    EXPECT_EQ(app.file("settingsCorvandale.ini")[602], 1); // "Enable channelmapping"
}

TEST(CorvandaleMaps, CancelReadsTheFileAgainAndADialogMapConvertsAsTheCliDoes) {
    ScratchFolder program("corv-maps-run"), music("corv-maps-music"), out("corv-maps-out"),
        cliOut("corv-maps-cli");
    writeSettings(program.path(), out.path());
    writeFile(program.path() + "mappings.ini", "2->2#move#active#swap\n1 0 \n");
    writeSine(music.path() + "stereo.wav", 2, 44100, 0.3);
    CorvandaleProcess app(program.path());
    ASSERT_TRUE(app.start());

    // A double click on the row opens its form; select-all (Ctrl+A) and
    // Delete, then Escape (Cancel): the map comes back from the file.
    HWND dialog = openMapsDialog(app);
    selectOnly(dialog, {0}); // as the first click of the two does
    PostMessageA(GetDlgItem(dialog, IDC_MAP_LIST), WM_LBUTTONDBLCLK, MK_LBUTTON,
                 MAKELPARAM(60, 28));
    ASSERT_TRUE(closeForm(waitForDialog(app.processId(), "Configure Mapping"), IDC_DIALOG_CANCEL,
                          dialog, 1));
    PostMessageA(dialog, WM_COMMAND, IDK_SELECT_ALL, 0);
    pressButton(dialog, IDC_DIALOG_DELETE);
    ASSERT_TRUE(waitFor([&] { return rowsOf(dialog).empty(); }));
    PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog) && IsWindowEnabled(app.mainWindow()); }));
    dialog = openMapsDialog(app);
    EXPECT_EQ(rowsOf(dialog), Texts{"  2  ->  2|Move|swap|x"});

    // A 2 to 1 mix made in the form becomes the active map; F8 is Ok.
    HWND form = newMapForm(app, dialog, 2, 1, true);
    setText(form, IDC_MAP_WEIGHT, "0.25");
    setText(form, IDC_MAP_WEIGHT + 10, "0.700");
    PostMessageA(form, WM_KEYDOWN, VK_F8, 0); // F8 is Ok in the form too
    ASSERT_TRUE(waitFor([&] { return !IsWindow(form) && rowsOf(dialog).size() == 2; }));
    HWND list = GetDlgItem(dialog, IDC_MAP_LIST);
    setListRowChecked(list, 0, false);
    setListRowChecked(list, 1, true);
    SendDlgItemMessageA(dialog, IDC_MAP_ENABLE, BM_SETCHECK, BST_CHECKED, 0);
    PostMessageA(dialog, WM_KEYDOWN, VK_F8, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog) && IsWindowEnabled(app.mainWindow()); }));

    ASSERT_TRUE(app.listDropped({music.path() + "stereo.wav"}));
    ASSERT_TRUE(app.convertAndWait());
    EXPECT_EQ(app.columnTexts("Result"), Texts{"Succes"});
    runCli("convert --settings " + quoted(program.path() + "settingsCorvandale.ini") + " --maps " +
               quoted(program.path() + "mappings.ini") + " --out " + quoted(cliOut.path()) + " " +
               quoted(music.path() + "stereo.wav"),
           program.path());
    const std::string converted = readFile(out.path() + "stereo.wav");
    ASSERT_GT(converted.size(), 44u);
    EXPECT_EQ(converted[22], 1); // one channel
    EXPECT_EQ(converted, readFile(cliOut.path() + "stereo.wav"));
}

} // namespace

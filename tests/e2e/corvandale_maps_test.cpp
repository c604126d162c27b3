// The channel mapping dialogs of the real Corvandale.exe, driven from outside
// as a user drives them; "mappings.ini" read afterwards, and a file converted
// through a map made there compared with what corvandale-cli writes.
#include "corvandale_app.h"
#include "drop_files.h"
#include "remote_window.h"

#include "analyser/ui/win/dialog_ids_maps.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace e2e;
using Texts = std::vector<std::string>;

HWND awaitDialog(const CorvandaleProcess& app, const std::string& title) {
    HWND found = nullptr;
    waitFor([&] { return (found = findDialog(app.processId(), title)) != nullptr; });
    return found;
}

// The dialog opened as the user opens it: F2 on the main window.
HWND openMapsDialog(const CorvandaleProcess& app) {
    PostMessageA(app.mainWindow(), WM_KEYDOWN, VK_F2, 0);
    return awaitDialog(app, "Channel mapping");
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
    return awaitDialog(app, title);
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

std::string argument(const std::string& text) {
    return "\"" + text + (text.back() == '\\' ? "\\\"" : "\"");
}

// corvandale-cli.exe converts the file with these settings and maps.
void convertWithCli(const std::string& program, const std::string& file, const std::string& out) {
    std::string exe = "Z:" CORVANDALE_CLI_EXE;
    std::replace(exe.begin(), exe.end(), '/', '\\');
    std::string line = argument(exe) + " convert --settings " +
                       argument(program + "settingsCorvandale.ini") + " --maps " +
                       argument(program + "mappings.ini") + " --out " + argument(out) + " " +
                       argument(file);
    STARTUPINFOA startup{sizeof startup};
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process))
        return;
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
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
        EXPECT_EQ(answerMessageBox(app.processId(), "Attention"),
                  rows.size() == 1 ? "This channelmap has to much channels for showing in the GUI. "
                                     "Edit manualy."
                                   : "Please select a single item to view");
    }
    // The key goes to the window in front: wait until the message box has gone.
    ASSERT_TRUE(waitFor(
        [&] { return IsWindowEnabled(dialog) && !findDialog(app.processId(), "Attention"); }));
    PostMessageA(GetDlgItem(dialog, IDC_MAP_LIST), WM_KEYDOWN, VK_DELETE, 0);
    ASSERT_TRUE(waitFor([&] { return rowsOf(dialog).size() == 4; }));

    // The read map: a source past its inputs shows empty; Ok leaves the long description whole.
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
    EXPECT_EQ(answerMessageBox(app.processId(), "Attention"),
              "Multiple mappings for 2 channels. Please remove a mapping.");
    pressButton(dialog, IDC_DIALOG_OK);
    EXPECT_EQ(answerMessageBox(app.processId(), "Attention"),
              "Double mapping for 2 channels. Please remove a mapping.");
    ASSERT_TRUE(IsWindow(dialog));
    setListRowChecked(list, 0, false);
    SendDlgItemMessageA(dialog, IDC_MAP_ENABLE, BM_SETCHECK, BST_CHECKED, 0);
    pressButton(dialog, IDC_DIALOG_OK);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog) && IsWindowEnabled(app.mainWindow()); }));

    EXPECT_EQ(app.file("mappings.ini"), "2->2#move#inactive#swap\r\n1 0 \r\n"
                                        "3->2#move#inactive#" +
                                            longText +
                                            "\r\n-1 1 \r\n"
                                            "2->2#move#active#front_rear\r\n-1 -1 \r\n"
                                            "2->2#mix#inactive#\r\n0.500 0.000 0.000 0.000 \r\n");
    EXPECT_EQ(app.file("settingsCorvandale.ini")[602], 1); // "Enable channelmapping"
}

TEST(CorvandaleMaps, CancelReadsTheFileAgainAndADialogMapConvertsAsTheCliDoes) {
    ScratchFolder program("corv-maps-run"), music("corv-maps-music"), out("corv-maps-out"),
        cliOut("corv-maps-cli");
    writeSettings(program.path(), [&](corv::ConversionSettings& s) {
        s.sameAsInput = 0;
        corv::setFieldText(s.outputDirectory, out.path());
    });
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
    ASSERT_TRUE(closeForm(awaitDialog(app, "Configure Mapping"), IDC_DIALOG_CANCEL, dialog, 1));
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
    ASSERT_TRUE(closeForm(form, IDC_DIALOG_OK, dialog, 2));
    HWND list = GetDlgItem(dialog, IDC_MAP_LIST);
    setListRowChecked(list, 0, false);
    setListRowChecked(list, 1, true);
    SendDlgItemMessageA(dialog, IDC_MAP_ENABLE, BM_SETCHECK, BST_CHECKED, 0);
    PostMessageA(dialog, WM_KEYDOWN, VK_F8, 0);
    ASSERT_TRUE(waitFor([&] { return !IsWindow(dialog) && IsWindowEnabled(app.mainWindow()); }));

    ASSERT_TRUE(dropFiles(app.mainWindow(), {music.path() + "stereo.wav"}));
    ASSERT_TRUE(waitFor([&] { return app.columnTexts("Type") == Texts{"Wave PCM"}; }));
    ASSERT_TRUE(app.convertAndWait());
    EXPECT_EQ(app.columnTexts("Result"), Texts{"Succes"});
    convertWithCli(program.path(), music.path() + "stereo.wav", cliOut.path());
    const std::string converted = readFile(out.path() + "stereo.wav");
    ASSERT_GT(converted.size(), 44u);
    EXPECT_EQ(converted[22], 1); // one channel
    EXPECT_EQ(converted, readFile(cliOut.path() + "stereo.wav"));
}

} // namespace

// The preferences dialog and the properties viewer from their templates,
// driven by clicks, selections and the shared accelerator keys.
#include "analyser/shared_ui/win/dialog_support.h"
#include "analyser/ui/win/dialog_ids_settings.h"
#include "analyser/ui/win/preferences_dialog.h"
#include "analyser/ui/win/properties_dialog.h"
#include "recording_notifier.h"
#include "temp_dir.h"
#include "wav_builder.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace corv {
namespace {

std::string text(HWND dialog, int id) {
    char buffer[600] = {};
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return buffer;
}

std::string texts(HWND dialog, std::initializer_list<int> ids) {
    std::string all;
    for (int id : ids)
        all += text(dialog, id) + "|";
    return all;
}

std::string listItems(HWND dialog, int id) {
    std::string all;
    LRESULT count = SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char item[64] = {};
        SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        all += (i ? "|" : "") + std::string(item);
    }
    return all;
}

bool enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id));
}

void click(HWND dialog, int id) {
    SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
}

void chooseLevel(HWND dialog, int position) {
    SendDlgItemMessageA(dialog, IDC_LEVEL_LIST, CB_SETCURSEL, position, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_LEVEL_LIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_LEVEL_LIST)));
}

INT_PTR failingSetUp(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG) throw std::runtime_error("set-up");
    return FALSE;
}

// Answers the message box in front, keeping its text.
std::string answered;
void CALLBACK answerMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowA("#32770", "Attention");
    if (!box) return; // not yet shown
    answered = text(box, 0xFFFF);
    KillTimer(nullptr, timer);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// F8 and Escape as the program's accelerator table sends them to the open dialog.
void pressKey(HWND dialog, WORD key) {
    ACCEL keys[] = {{FVIRTKEY, VK_F8, IDC_DIALOG_OK}, {FVIRTKEY, VK_ESCAPE, IDC_DIALOG_CANCEL}};
    HACCEL table = CreateAcceleratorTableA(keys, 2);
    MSG msg{dialog, WM_KEYDOWN, key, 0, 0, {}};
    EXPECT_TRUE(TranslateAcceleratorA(dialog, table, &msg));
    DestroyAcceleratorTable(table);
}

struct SettingsDialogs : ::testing::Test {
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                              nullptr, nullptr, nullptr);
        EnableWindow(owner, FALSE); // as the main window does before opening one
    }
    void TearDown() override { DestroyWindow(owner); }
    HWND openPreferences() {
        return openPreferencesDialog(owner, settings, temp.dir(), [] { return false; });
    }
    void expectClosed(HWND dialog) {
        EXPECT_FALSE(IsWindow(dialog));
        EXPECT_TRUE(IsWindowEnabled(owner));
    }
    test::TempDir temp;
    AnalyserSettings settings = defaultAnalyserSettings();
    HWND owner = nullptr;
};

TEST_F(SettingsDialogs, PreferencesShowTheirTextsListsAndStoredSettings) {
    HWND dialog = openPreferences();
    ASSERT_NE(dialog, nullptr);
    char caption[32] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Preferences");
    EXPECT_EQ(texts(dialog, {2201, 2202, 2205, 2206, 2211, 2207, 2208, 2209, 2210, 2213,
                             2216, 2217, 2218, 2219, 2220, 2221, 2222, 2223, 2225, 2227,
                             2241, 2242, 2243, 2245, 216,  210,  215,  2200, 2248}),
              "Same as input file|&Browse|Process delay|Maintain length|32bits float CE "
              "compatible|Ignore size in header|If filesize > 2 GB|If filesize > 4 GB|"
              "Always|Enable channelmapping|Stream manipulation|Mono streams|Stitch files|"
              "Merge files|Wave PCM|Wave Non-PCM|WaveFormatEx|Raw samples|Convert sample "
              "type|Convert samplingrate|file|list|on clipping|Dither|&Apply|&Ok|&Cancel|"
              "C:\\| 1.000|");
    EXPECT_EQ(listItems(dialog, 2226), "8bit int|16bit int|24bit int|32bit int|32bit float "
                                       "IEEE|32bit float PCM|32bit float CE|64bit float");
    EXPECT_EQ(listItems(dialog, 2228),
              "6000|8000|11025|12000|16000|22050|24000|32000|44100|48000|96000|192000");
    EXPECT_EQ(listItems(dialog, 2230), "None|Amplify|Normalize|Normalize with temp file");
    EXPECT_EQ(listItems(dialog, 2246), "No shaping|Triangular|ATH based|ATH lower amp");
    EXPECT_EQ(listItems(dialog, 2247), "Rectangular|Triangular|Gaussian");
    for (auto [id, position] : {std::pair{2226, 1}, {2228, 8}, {2230, 0}, {2246, 0}, {2247, 1}})
        EXPECT_EQ(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0), position) << id;
    EXPECT_EQ(IsDlgButtonChecked(dialog, 2220), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 2209), BST_CHECKED);
    pressKey(dialog, VK_ESCAPE);
    expectClosed(dialog);
}

TEST_F(SettingsDialogs, PreferencesEnableRulesFollowClicksAndTheLevelList) {
    HWND dialog = openPreferences();
    const std::pair<int, std::vector<int>> rules[] = {
        {2201, {2200, 2202}},       {2205, {2206}}, {2207, {2208, 2209, 2210}},
        {2216, {2217, 2218, 2219}}, {2225, {2226}}, {2227, {2228}},
        {2245, {2246, 2247, 2248}}};
    for (const auto& [box, controls] : rules) {
        bool before = enabled(dialog, controls[0]);
        click(dialog, box);
        for (int id : controls)
            EXPECT_NE(enabled(dialog, id), before) << box << " -> " << id;
    }
    settings.conversion.amplifyDb = -3.5;
    const std::tuple<int, const char*, const char*, bool, bool> levels[] = {
        {1, "-3.50", "dB", true, false},
        {2, "95.00", "%", true, true},
        {3, "95.00", "%", true, true},
        {0, "", "", false, false}};
    for (auto [position, value, unit, valueEnabled, scopesEnabled] : levels) {
        chooseLevel(dialog, position);
        EXPECT_EQ(text(dialog, 2231), value);
        EXPECT_EQ(text(dialog, 2232), unit);
        EXPECT_EQ(enabled(dialog, 2231), valueEnabled);
        for (int id : {2241, 2242, 2243})
            EXPECT_EQ(enabled(dialog, id), scopesEnabled);
    }
    pressKey(dialog, VK_ESCAPE);
}

TEST_F(SettingsDialogs, PreferencesApplyOkAndCancelAndTheSettingsFile) {
    const std::string file = temp.file(kAnalyserSettingsFileName);
    HWND dialog = openPreferences();
    click(dialog, 2201); // stored at once; Cancel keeps it
    click(dialog, IDC_DIALOG_CANCEL);
    expectClosed(dialog);
    EXPECT_EQ(settings.conversion.sameAsInput, 0);
    EXPECT_FALSE(std::filesystem::exists(file));

    EnableWindow(owner, FALSE);
    dialog = openPreferences();
    EXPECT_TRUE(enabled(dialog, 2200));
    chooseLevel(dialog, 2);
    SetDlgItemTextA(dialog, 2231, "80");
    SendDlgItemMessageA(dialog, 2246, CB_SETCURSEL, 2, 0); // "ATH based"
    click(dialog, IDC_DIALOG_APPLY);
    EXPECT_TRUE(IsWindow(dialog));
    AnalyserSettings stored{};
    loadSettings(stored, temp.dir());
    EXPECT_EQ(stored.conversion.normalizeTarget, 0.8);
    EXPECT_EQ(stored.conversion.normalize, 1);
    EXPECT_EQ(stored.conversion.noiseShaping, 3);
    EXPECT_EQ(stored.conversion.sameAsInput, 0);

    SetDlgItemTextA(dialog, 2231, "inf");
    SetDlgItemTextA(dialog, 2248, "0.25");
    pressKey(dialog, VK_F8); // Ok: Apply, then close
    expectClosed(dialog);
    loadSettings(stored, temp.dir());
    EXPECT_EQ(stored.conversion.normalizeTarget, 0.8); // the non-finite number is refused
    EXPECT_EQ(stored.conversion.pdfAmplitude, 0.25f);
}

void collectTree(HWND tree, HTREEITEM item, int depth, std::vector<std::string>& lines) {
    for (; item; item = TreeView_GetNextSibling(tree, item)) {
        char buffer[256] = {};
        TVITEMA data{.mask = TVIF_TEXT | TVIF_STATE,
                     .hItem = item,
                     .stateMask = TVIS_EXPANDED,
                     .pszText = buffer,
                     .cchTextMax = sizeof buffer};
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
        lines.push_back(std::string(static_cast<size_t>(depth) * 2, ' ') + buffer +
                        ((data.state & TVIS_EXPANDED) ? " [+]" : ""));
        collectTree(tree, TreeView_GetChild(tree, item), depth + 1, lines);
    }
}

TEST_F(SettingsDialogs, PropertiesShowTheTreeOfARealFile) {
    const std::string path = temp.file("song.wav");
    test::writeFile(path, test::wave({}, test::Bytes(4000, 1)));
    AudioFileRecord record = test::analysePath(path);
    HWND dialog = openPropertiesDialog(owner, record, settings.conversion);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(text(dialog, 3095), "song.wav");
    EXPECT_EQ(text(dialog, 3100), "4.044 bytes");
    EXPECT_EQ(texts(dialog, {4011, 4004, 4008, 4005, 210, 215}),
              "Navigation|Structure|Current File:|File Size:|&OK|&Cancel|");
    HWND tree = GetDlgItem(dialog, 3090);
    std::vector<std::string> lines;
    collectTree(tree, TreeView_GetRoot(tree), 0, lines);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "RIFF [+]", "  size: 4036 bytes", "  WAVE [+]", "    fmt ",
                         "      size: 16 bytes", "      Format: 1 (PCM)",
                         "      Number of channels: 2", "      Sample Rate: 44100 Hz",
                         "      Average bytes per sec.: 176400 ", "      Block align: 4 bytes",
                         "      Bits per sample: 16 ", "    data", "      size: 4000 bytes"}));
    for (int way : {0, 1, 2}) { // F8, Escape, the close box
        way == 2 ? (void)SendMessageA(dialog, WM_CLOSE, 0, 0)
                 : pressKey(dialog, way ? VK_ESCAPE : VK_F8);
        expectClosed(dialog);
        EnableWindow(owner, FALSE);
        dialog = openPropertiesDialog(owner, record, settings.conversion);
    }
    DestroyWindow(dialog);
    // One that cannot be made (no such template) gives the owner back and says so.
    test::RecordingNotifier notifier;
    EXPECT_FALSE(openOverOwner(
        owner, [&] { return CreateDialogA(0, "x", owner, 0); }, notifier));
    EXPECT_TRUE(IsWindowEnabled(owner) && notifier.messages.size() == 1);
    // One whose set-up fails is closed, and the user told once.
    SetTimer(nullptr, 0, 50, answerMessageBox);
    EXPECT_FALSE(openOverOwner(
        owner,
        [&] {
            return createModelessDialog(owner, IDD_WAVE_PROPERTIES, GuardedDialogProc<failingSetUp>,
                                        0);
        },
        notifier));
    EXPECT_TRUE(IsWindowEnabled(owner) && notifier.messages.size() == 1);
    EXPECT_EQ(answered, "The window could not be opened.");
}

} // namespace
} // namespace corv
